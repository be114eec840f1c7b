#include "app/OptionOverrides.h"

#include <algorithm>

#include "app/OptionOwners.h"
#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

void TOptionOverrides::Set(const std::string& name, const std::string& value) { names_[name] = value; }

void TOptionOverrides::SetEnding(const std::string& ending, const std::string& value) {
  for (auto& entry : endings_) {
    if (entry.first == ending) {
      entry.second = value;
      return;
    }
  }
  endings_.emplace_back(ending, value);
}

void TOptionOverrides::Remove(const std::string& name) { names_.erase(name); }

std::optional<std::string> TOptionOverrides::Find(const std::string& name) const {
  auto it = names_.find(name);
  if (it != names_.end()) return it->second;
  for (const auto& [ending, value] : endings_) {
    if (name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
      return value;
  }
  return std::nullopt;
}

void TOptionOverrides::Clear() {
  names_.clear();
  endings_.clear();
}

namespace {

// The booleans as the option store writes them.
const char* const kTrue = "-1";
const char* const kFalse = "0";

[[noreturn]] void Bad(const std::string& text) { RaiseError("TOptionOverrides", "Parse", text); }

// A switch and the options it sets; the first one makes it.
struct TSwitch {
  std::string Word;
  std::vector<const TOption*> Options;
};

// Every switch of the owners' options, in their order.
const std::vector<TSwitch>& Switches() {
  static const std::vector<TSwitch> switches = [] {
    std::vector<TSwitch> list;
    for (const TOptionTable* owner : OptionOwners())
      for (const TOption* option : owner->Options) {
        if (!option->Switch) continue;
        auto same = [&](const TSwitch& s) { return s.Word == option->Switch; };
        if (auto it = std::find_if(list.begin(), list.end(), same); it != list.end())
          it->Options.push_back(option);
        else
          list.push_back({option->Switch, {option}});
      }
    return list;
  }();
  return switches;
}

// The switch `word` names ("water", "no-clock"), nullptr when none; `off`
// for the "no-" form of a boolean's switch.
const TSwitch* FindSwitch(const std::string& word, bool& off) {
  for (const TSwitch& s : Switches()) {
    const bool onOff = s.Options.front()->Kind == TOptionKind::Bool;
    if (word == s.Word || (onOff && word == "no-" + s.Word)) {
      off = word != s.Word;
      return &s;
    }
  }
  return nullptr;
}

// Sets an option (its ending, for options of the scene's objects).
void SetOption(TOptionOverrides& table, const TOption& option, const std::string& value) {
  if (option.Form == TOptionKey::Ending)
    table.SetEnding(option.Name, value);
  else
    table.Set(option.Name, value);
}

// "-X" (on) or "-no-X" (off) for each option of a boolean's switch.
void SetOnOff(TOptionOverrides& table, const TSwitch& s, bool on) {
  for (const TOption* option : s.Options) {
    if (option->Kind == TOptionKind::Bool)
      SetOption(table, *option, on ? kTrue : kFalse);
    else if (on)
      table.Remove(option->Name);  // its stored value counts again
    else if (!option->Choices.empty())
      SetOption(table, *option, std::to_string(option->Choices.front().Value));
  }
}

// The stored text of the switch's value `text` for `option`.
std::string SwitchValue(const std::string& sw, const TOption& option, const std::string& text) {
  if (!option.Choices.empty()) {
    const TOptionChoice* choice = option.FindChoice(text, true);
    if (!choice) Bad(sw + " needs one of " + option.ChoiceList() + ", not \"" + text + "\"");
    return option.Kind == TOptionKind::Text ? std::string(choice->Word) : std::to_string(choice->Value);
  }
  std::optional<int64_t> n = ParseInt(text);
  if (!n || (option.HasRange() && (*n < option.Min || *n > option.Max)))
    Bad(Format("%s needs a whole number %d..%d, not \"%s\"", sw.c_str(), option.Min, option.Max, text.c_str()));
  return std::to_string(*n);
}

}  // namespace

const std::vector<TOptionSwitch>& OptionSwitches() {
  static const std::vector<TOptionSwitch> switches = [] {
    std::vector<TOptionSwitch> list;
    for (const TSwitch& s : Switches()) {
      const TOption& first = *s.Options.front();
      std::string usage = "-" + s.Word;
      if (first.Kind == TOptionKind::Bool) {
        usage += ", -no-" + s.Word;
      } else if (!first.Choices.empty()) {
        const std::vector<std::string> words = first.ChoiceWords();
        for (size_t i = 0; i < words.size(); ++i) usage += (i == 0 ? " " : "|") + words[i];
      } else {
        usage += " N";
      }
      std::string help = first.Help ? first.Help : "";
      if (first.Kind == TOptionKind::Integer && first.Choices.empty() && first.HasRange())
        help += Format(", %d to %d", first.Min, first.Max);
      list.push_back({usage, help});
    }
    return list;
  }();
  return switches;
}

TOptionOverrides TakeOptionSwitches(std::vector<std::string>& argv) {
  TOptionOverrides table;
  std::vector<std::string> rest;
  if (!argv.empty()) rest.push_back(argv[0]);
  for (size_t i = 1; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    // One or two dashes, as the daemon's modules take them.
    const size_t dashes = a.size() > 2 && a[0] == '-' && a[1] == '-' ? 2 : a.size() > 1 && a[0] == '-' ? 1 : 0;
    bool off = false;
    const TSwitch* s = dashes > 0 ? FindSwitch(a.substr(dashes), off) : nullptr;
    if (!s) {
      rest.push_back(a);
      continue;
    }
    const TOption& first = *s->Options.front();
    if (first.Kind == TOptionKind::Bool) {
      SetOnOff(table, *s, !off);
    } else {
      if (i + 1 >= argv.size()) Bad(a + " needs a value");
      SetOption(table, first, SwitchValue(a, first, argv[++i]));
    }
  }
  argv = std::move(rest);
  return table;
}

}  // namespace velmora
