// The resource archive (".rfa"): every asset of the scene, each compressed
// on its own, in one file.
//
// Format (integers unsigned 32-bit little-endian, below 2^31, no padding):
//
//   DirectorySize                      length of the inflated directory
//   directory                          one zlib stream inflating to exactly
//                                      DirectorySize bytes:
//       EntryCount
//       EntryCount times: NameLength, Name (bytes, no folder, no
//                         terminator), CompressedSize, UncompressedSize
//   data blocks                        one zlib stream per entry, back to
//                                      back from the byte after the
//                                      directory's Adler-32 trailer
//
// Names are unique ignoring case. The data blocks follow in ascending order
// of name compared with CompareText (ASCII letters folded, other bytes by
// value); the reader pairs the n-th block with the n-th name in that order,
// whatever order the directory lists them in.
//
// The compressed blocks stay in memory for the archive's lifetime; every
// Decompress inflates its entry anew, nothing inflated is cached.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "assets/Stream.h"

namespace velmora {

// One entry of an archive.
class TArchiveFile {
 public:
  std::unique_ptr<TMemoryStream> Data;  // the compressed block, once read
  std::uint32_t CompressedSize = 0;
  std::uint32_t UncompressedSize = 0;
  std::string Name;

  // NameLength, Name, CompressedSize, UncompressedSize from the inflated
  // directory. A name longer than the rest of the directory, or a size of
  // 2^31 or more, raises.
  void ReadHeader(TStream& directory);
  // The next CompressedSize bytes of the archive become Data (a block that
  // runs past the end of the archive raises a read error).
  void ReadData(TStream& archive);
  // Inflates Data into destination, which is then rewound to 0. The block
  // must be one zlib stream of exactly CompressedSize bytes inflating to
  // exactly UncompressedSize bytes; anything else raises. Without Data
  // nothing happens.
  void Decompress(TStream& destination) const;
};

class TResourceFileArchive {
 public:
  // Reads a whole archive from the stream's position. On any error the
  // archive is left empty and the error passes out.
  void LoadFromStream(TStream& stream);
  // The same from a file ("TFileStream.Create error: Cannot open file ..."
  // when it cannot be opened).
  void LoadFromFile(const std::string& fileName);

  void Clear();

  // Case-insensitive lookup; index is set when found.
  bool Find(std::string_view name, int& index) const;
  int Count() const { return static_cast<int>(items_.size()); }
  // By position in name order; a bad index raises.
  TArchiveFile& Entries(int index) const;

  // Enters the entry in name order; a name already present (ignoring case)
  // leaves the list unchanged and the new entry is freed. True when added.
  bool Add(std::unique_ptr<TArchiveFile> entry);

 private:
  std::vector<std::unique_ptr<TArchiveFile>> items_;  // sorted with CompareText
};

}  // namespace velmora
