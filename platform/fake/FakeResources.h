// An in-memory resource table: tests give it named blocks and see which
// names the program asked for.
#pragma once

#include <string>
#include <vector>

#include "platform/Resources.h"

namespace platform {

class FakeResources : public Resources {
 public:
  std::optional<std::span<const std::uint8_t>> Find(std::string_view name) override;

  // Adds or replaces (ignoring case) a resource.
  void Add(std::string_view name, std::vector<std::uint8_t> bytes);
  void Add(std::string_view name, std::string_view text);
  void Remove(std::string_view name);

  // Every name looked up, in order, found or not.
  std::vector<std::string> lookups;

 private:
  struct Entry {
    std::string name;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Entry> entries_;
};

}  // namespace platform
