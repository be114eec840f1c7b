// The real resource table: blocks linked into the executable, entered by
// their data objects before main runs.
#include <string>
#include <vector>

#include "core/Strings.h"
#include "platform/Resources.h"

namespace platform {

namespace {

struct LinkedBlock {
  std::string name;
  const std::uint8_t* data;
  std::size_t size;
};

// A function-local table, so that registration from static initialisers of
// other objects finds it constructed whatever the initialisation order.
std::vector<LinkedBlock>& LinkedBlocks() {
  static std::vector<LinkedBlock> blocks;
  return blocks;
}

class LinkedResources : public Resources {
 public:
  std::optional<std::span<const std::uint8_t>> Find(std::string_view name) override {
    for (const LinkedBlock& block : LinkedBlocks())
      if (velmora::SameText(block.name, name)) return std::span<const std::uint8_t>(block.data, block.size);
    return std::nullopt;
  }
};

}  // namespace

void RegisterLinkedResource(std::string_view name, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (LinkedBlock& block : LinkedBlocks()) {
    if (velmora::SameText(block.name, name)) {
      block.data = bytes;
      block.size = size;
      return;
    }
  }
  LinkedBlocks().push_back(LinkedBlock{std::string(name), bytes, size});
}

template <>
Resources& Service<Resources>::Default() {
  static LinkedResources resources;
  return resources;
}

}  // namespace platform
