#include "scene/IniDocument.h"

#include <cstdint>

#include "core/Strings.h"

namespace velmora {

void TIniDocument::Parse(const std::vector<std::string>& lines) {
  // A position, not a pointer: adding sections moves them.
  size_t current = SIZE_MAX;
  for (const std::string& raw : lines) {
    const std::string line = Trim(raw);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.rfind(']');
      if (close != std::string::npos && close > 0) {
        AddSection(Trim(std::string_view(line).substr(1, close - 1)));
        current = sections_.size() - 1;
        continue;
      }
    }
    const size_t equals = line.find('=');
    if (current == SIZE_MAX || equals == std::string::npos) continue;
    std::string key = Trim(std::string_view(line).substr(0, equals));
    if (key.empty()) continue;
    AddKey(sections_[current], std::move(key), Trim(std::string_view(line).substr(equals + 1)));
  }
}

std::vector<std::string> TIniDocument::ToLines() const {
  std::vector<std::string> lines;
  for (const TSection& section : sections_) {
    lines.push_back("[" + section.name + "]");
    for (const TKeyLine& key : section.keys) lines.push_back(key.key + "=" + key.value);
    lines.emplace_back();
  }
  return lines;
}

void TIniDocument::AddKey(TSection& section, std::string key, std::string value) {
  // emplace keeps the first occurrence of a key.
  section.byKey.emplace(LowerCase(key), section.keys.size());
  section.keys.push_back(TKeyLine{std::move(key), std::move(value)});
}

TIniDocument::TSection& TIniDocument::AddSection(std::string_view name) {
  sections_.push_back(TSection{std::string(name), {}, {}});
  // emplace keeps the first section of a name.
  byName_.emplace(LowerCase(name), sections_.size() - 1);
  return sections_.back();
}

const TIniDocument::TSection* TIniDocument::FindSection(std::string_view name) const {
  auto it = byName_.find(LowerCase(name));
  return it == byName_.end() ? nullptr : &sections_[it->second];
}

TIniDocument::TSection* TIniDocument::FindWritable(std::string_view name) {
  auto it = byName_.find(LowerCase(name));
  return it == byName_.end() ? nullptr : &sections_[it->second];
}

bool TIniDocument::ReadValue(std::string_view section, std::string_view key, std::string& value) const {
  const TSection* found = FindSection(section);
  if (!found) return false;
  auto it = found->byKey.find(LowerCase(key));
  if (it == found->byKey.end()) return false;
  value = found->keys[it->second].value;
  return true;
}

void TIniDocument::WriteValue(std::string_view section, std::string_view key, std::string_view value) {
  TSection* target = FindWritable(section);
  if (!target) target = &AddSection(section);
  auto it = target->byKey.find(LowerCase(key));
  if (it != target->byKey.end()) {
    target->keys[it->second].value = std::string(value);
    return;
  }
  AddKey(*target, std::string(key), std::string(value));
}

}  // namespace velmora
