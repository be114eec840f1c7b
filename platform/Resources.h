// The program's own data resources: named blocks of bytes carried by the
// program (the scene archive "DATA_RFA" among them).
//
// Names are matched without regard to ASCII case. The bytes stay valid and
// unchanged for the life of the process (the real table serves data linked
// into the executable; a fake serves what a test gave it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/Service.h"

namespace platform {

class Resources {
 public:
  virtual ~Resources() = default;

  // The bytes of the named resource; nullopt when the program carries none
  // of that name.
  virtual std::optional<std::span<const std::uint8_t>> Find(std::string_view name) = 0;
};

template <>
Resources& Service<Resources>::Default();

// Enters a block linked into the executable into the real table. The data
// objects call it from static initialisers, before main; the bytes must live
// as long as the process. A second block of a name already present (ignoring
// case) replaces the first.
void RegisterLinkedResource(std::string_view name, const void* data, std::size_t size);

}  // namespace platform
