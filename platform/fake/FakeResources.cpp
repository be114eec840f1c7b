#include "platform/fake/FakeResources.h"

#include <algorithm>

#include "core/Strings.h"

namespace platform {

std::optional<std::span<const std::uint8_t>> FakeResources::Find(std::string_view name) {
  lookups.emplace_back(name);
  for (const Entry& e : entries_)
    if (velmora::SameText(e.name, name)) return std::span<const std::uint8_t>(e.bytes.data(), e.bytes.size());
  return std::nullopt;
}

void FakeResources::Add(std::string_view name, std::vector<std::uint8_t> bytes) {
  for (Entry& e : entries_) {
    if (velmora::SameText(e.name, name)) {
      e.bytes = std::move(bytes);
      return;
    }
  }
  entries_.push_back(Entry{std::string(name), std::move(bytes)});
}

void FakeResources::Add(std::string_view name, std::string_view text) {
  Add(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void FakeResources::Remove(std::string_view name) {
  std::erase_if(entries_, [&](const Entry& e) { return velmora::SameText(e.name, name); });
}

}  // namespace platform
