// Makes resource archives in the format TResourceFileArchive reads (see
// assets/ResourceArchive.h): the directory and every entry compressed at
// the given zlib level, the entries in CompareText order of their names.
//
//   TArchiveBuilder b;
//   b.Add("ravavezaz.gsc", bytes);
//   b.SaveToStream(out);
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "assets/Stream.h"

namespace velmora {

class TArchiveBuilder {
 public:
  explicit TArchiveBuilder(int level = 9) : level_(level) {}

  // A name is a plain file name: not empty, no "/", "\" or ":", and not
  // already present ignoring case; anything else raises.
  void Add(std::string_view name, std::vector<std::uint8_t> content);
  // Reads a file and adds it under its name without folder.
  void AddFile(const std::string& path);

  int Count() const { return static_cast<int>(entries_.size()); }
  void SaveToStream(TStream& out) const;
  void SaveToFile(const std::string& fileName) const;

  // One complete zlib stream of data at the given level.
  static std::vector<std::uint8_t> Compress(std::span<const std::uint8_t> data, int level);

 private:
  struct Entry {
    std::string name;
    std::uint32_t size;
    std::vector<std::uint8_t> block;  // compressed
  };
  int level_;
  std::vector<Entry> entries_;  // kept in CompareText order
};

}  // namespace velmora
