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
// zlib expands at most 1032 to 1, so a size that its stream cannot hold
// (an entry's UncompressedSize above 1032 * CompressedSize, a DirectorySize
// above 1032 times the bytes after it) marks the archive corrupt and is
// refused before anything is allocated for it.
//
// Lifecycle: made empty -> LoadFromStream / LoadFromFile (the directory read
// whole, sorted once, the compressed blocks copied in) -> Decompress per
// open -> Clear or freed.
//
// The compressed blocks stay in memory for the archive's lifetime; every
// Decompress inflates its entry anew, nothing inflated is cached.
//
// Errors (each "Class.Operation error: ..."): TArchiveFile.ReadHeader
// ("NameLength N exceeds the directory", "<field> N is not below 2^31",
// "entry "NAME" declares N bytes, more than its C compressed bytes can
// hold"), TArchiveFile.ReadData ("Stream read error: the data block of
// "NAME" ... runs past the end of the archive"), TArchiveFile.Decompress
// (the zlib error, "Stream read error: ...", "... inflates to more than
// its size ...", "... its zlib stream ends N bytes before its data block
// does", the declared-size error), TResourceFileArchive.LoadFromStream
// ("DirectorySize N is more than the R bytes after it can hold",
// "EntryCount N exceeds the directory", "duplicate entry name "A" and
// "B"", the directory's zlib and read errors), TResourceFileArchive.Entries
// ("List index out of bounds (N)").
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
  // directory. A name longer than the rest of the directory, a size of
  // 2^31 or more, or an UncompressedSize that CompressedSize bytes of zlib
  // cannot hold raises.
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
  // Reads a whole archive from the stream's position, in time about
  // proportional to its entries whatever order the directory lists them
  // in. On any error the archive is left empty and the error passes out.
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
