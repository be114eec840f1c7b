#include "core/OptionTable.h"

#include "core/Strings.h"

namespace velmora {

std::string TOption::Key(std::string_view object) const {
  if (Form == TOptionKey::Whole) return Name;
  std::string key(object);
  key += Name;
  return key;
}

const TOptionChoice* TOption::FindChoice(std::string_view word, bool ignoreCase) const {
  for (const TOptionChoice& choice : Choices)
    if (ignoreCase ? SameText(word, choice.Word) : word == choice.Word) return &choice;
  return nullptr;
}

const TOptionChoice* TOption::ChoiceOf(int32_t value) const {
  for (const TOptionChoice& choice : Choices)
    if (choice.Value == value) return &choice;
  return nullptr;
}

std::string TOption::ChoiceList() const {
  std::string list;
  for (size_t i = 0; i < Choices.size(); ++i) {
    if (i > 0) list += i + 1 == Choices.size() ? " or " : ", ";
    list += Choices[i].Word;
  }
  return list;
}

std::vector<std::string> TOption::ChoiceWords() const {
  std::vector<std::string> words;
  for (const TOptionChoice& choice : Choices) words.emplace_back(choice.Word);
  return words;
}

std::string TOption::DefaultText() const {
  switch (Kind) {
    case TOptionKind::Bool: return BoolDefault() ? "-1" : "0";
    case TOptionKind::Integer: return std::to_string(Default);
    default: return Text;
  }
}

const TOption* TOptionTable::Find(std::string_view name) const {
  for (const TOption* option : Options)
    if (name == option->Name) return option;
  return nullptr;
}

}  // namespace velmora
