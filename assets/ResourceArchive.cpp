#include "assets/ResourceArchive.h"

#include <zlib.h>

#include <algorithm>

#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

namespace {

constexpr std::uint32_t kMaxValue = 0x7FFFFFFFu;
// Deflate cannot expand by more than 1032:1 (a 258-byte match in two bits),
// and a zlib stream adds six bytes of its own, so no stream of n bytes
// inflates to more than this. Declared sizes beyond it are corrupt.
std::int64_t InflateBound(std::int64_t compressed) { return compressed * 1032; }

struct Inflater {
  z_stream z{};
  Inflater(std::string_view cls, std::string_view op) {
    if (inflateInit(&z) != Z_OK) RaiseError(cls, op, "zlib initialisation failed");
  }
  ~Inflater() { inflateEnd(&z); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
};

std::string ZlibText(const z_stream& z, int rc) {
  return std::string("zlib: ") + (z.msg ? z.msg : zError(rc));
}

struct InflateResult {
  std::int64_t consumed = 0;  // input bytes that belong to the zlib stream
  std::int64_t produced = 0;
};

// Inflates one zlib stream from in (reading at most inputLimit bytes) into
// out, writing at most expected bytes. Raises when the stream is damaged,
// ends early (a read error: the input or the output falls short) or holds
// more than expected.
InflateResult InflateExact(TStream& in, std::int64_t inputLimit, TStream& out, std::int64_t expected,
                           std::string_view cls, std::string_view op, const std::string& what) {
  Inflater inf(cls, op);
  std::uint8_t inBuf[16 * 1024];
  std::uint8_t outBuf[64 * 1024];
  InflateResult result;
  std::int64_t inputLeft = inputLimit;
  bool ended = false;
  while (!ended) {
    if (inf.z.avail_in == 0) {
      std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(inputLeft, sizeof inBuf));
      std::size_t got = want ? in.Read(inBuf, want) : 0;
      if (got == 0) RaiseError(cls, op, "Stream read error: " + what + " ends before its zlib stream does");
      inputLeft -= static_cast<std::int64_t>(got);
      result.consumed += static_cast<std::int64_t>(got);
      inf.z.next_in = inBuf;
      inf.z.avail_in = static_cast<uInt>(got);
    }
    inf.z.next_out = outBuf;
    inf.z.avail_out = sizeof outBuf;
    int rc = inflate(&inf.z, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) {
      ended = true;
    } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
      RaiseError(cls, op, what + ": " + ZlibText(inf.z, rc));
    }
    std::int64_t n = static_cast<std::int64_t>(sizeof outBuf - inf.z.avail_out);
    if (result.produced + n > expected)
      RaiseError(cls, op, what + " inflates to more than its size of " + std::to_string(expected) + " bytes");
    out.WriteBuffer(outBuf, static_cast<std::size_t>(n));
    result.produced += n;
  }
  // Input read ahead of the stream's end does not belong to it.
  result.consumed -= inf.z.avail_in;
  if (result.produced != expected)
    RaiseError(cls, op,
               "Stream read error: " + what + " inflates to " + std::to_string(result.produced) +
                   " bytes instead of " + std::to_string(expected));
  return result;
}

std::uint32_t ReadValue(TStream& s, std::string_view cls, std::string_view op, const char* field) {
  std::uint32_t v = s.ReadUInt32();
  if (v > kMaxValue) RaiseError(cls, op, std::string(field) + " " + std::to_string(v) + " is not below 2^31");
  return v;
}

}  // namespace

// TArchiveFile -------------------------------------------------------------------

void TArchiveFile::ReadHeader(TStream& directory) {
  std::uint32_t length = ReadValue(directory, "TArchiveFile", "ReadHeader", "NameLength");
  if (length > directory.Remaining())
    RaiseError("TArchiveFile", "ReadHeader",
               "NameLength " + std::to_string(length) + " exceeds the directory");
  Name.assign(length, '\0');
  directory.ReadBuffer(Name.data(), length);
  CompressedSize = ReadValue(directory, "TArchiveFile", "ReadHeader", "CompressedSize");
  UncompressedSize = ReadValue(directory, "TArchiveFile", "ReadHeader", "UncompressedSize");
  if (UncompressedSize > InflateBound(CompressedSize))
    RaiseError("TArchiveFile", "ReadHeader",
               "entry \"" + Name + "\" declares " + std::to_string(UncompressedSize) + " bytes, more than its " +
                   std::to_string(CompressedSize) + " compressed bytes can hold");
}

void TArchiveFile::ReadData(TStream& archive) {
  if (CompressedSize > archive.Remaining())
    RaiseError("TArchiveFile", "ReadData",
               "Stream read error: the data block of \"" + Name + "\" (" + std::to_string(CompressedSize) +
                   " bytes) runs past the end of the archive");
  auto data = std::make_unique<TMemoryStream>();
  data->Reserve(CompressedSize);
  data->CopyFrom(archive, CompressedSize);
  data->SetPosition(0);
  Data = std::move(data);
}

void TArchiveFile::Decompress(TStream& destination) const {
  if (!Data) return;
  std::string what = "entry \"" + Name + "\"";
  // An entry made by hand skips ReadHeader's check; nothing is reserved or
  // inflated for a size its block cannot hold.
  if (UncompressedSize > InflateBound(CompressedSize))
    RaiseError("TArchiveFile", "Decompress",
               what + " declares " + std::to_string(UncompressedSize) + " bytes, more than its " +
                   std::to_string(CompressedSize) + " compressed bytes can hold");
  Data->SetPosition(0);
  if (auto* memory = dynamic_cast<TMemoryStream*>(&destination))
    memory->Reserve(UncompressedSize);
  InflateResult r = InflateExact(*Data, CompressedSize, destination, UncompressedSize, "TArchiveFile", "Decompress", what);
  if (r.consumed != CompressedSize)
    RaiseError("TArchiveFile", "Decompress",
               what + ": its zlib stream ends " + std::to_string(CompressedSize - r.consumed) +
                   " bytes before its data block does");
  destination.SetPosition(0);
}

// TResourceFileArchive ----------------------------------------------------------------

namespace {
bool NameLess(const std::unique_ptr<TArchiveFile>& entry, std::string_view name) {
  return CompareText(entry->Name, name) < 0;
}
}  // namespace

void TResourceFileArchive::Clear() { items_.clear(); }

bool TResourceFileArchive::Find(std::string_view name, int& index) const {
  auto it = std::lower_bound(items_.begin(), items_.end(), name, NameLess);
  if (it == items_.end() || CompareText((*it)->Name, name) != 0) return false;
  index = static_cast<int>(it - items_.begin());
  return true;
}

TArchiveFile& TResourceFileArchive::Entries(int index) const {
  if (index < 0 || index >= Count())
    RaiseError("TResourceFileArchive", "Entries", "List index out of bounds (" + std::to_string(index) + ")");
  return *items_[static_cast<std::size_t>(index)];
}

bool TResourceFileArchive::Add(std::unique_ptr<TArchiveFile> entry) {
  if (!entry) RaiseError("TResourceFileArchive", "Add", "no entry");
  auto it = std::lower_bound(items_.begin(), items_.end(), entry->Name, NameLess);
  if (it != items_.end() && CompareText((*it)->Name, entry->Name) == 0) return false;
  items_.insert(it, std::move(entry));
  return true;
}

void TResourceFileArchive::LoadFromStream(TStream& stream) {
  Clear();
  std::uint32_t directorySize = ReadValue(stream, "TResourceFileArchive", "LoadFromStream", "DirectorySize");
  // The directory's stream lies within the rest of the archive.
  const std::int64_t rest = stream.Remaining();
  if (directorySize > InflateBound(rest))
    RaiseError("TResourceFileArchive", "LoadFromStream",
               "DirectorySize " + std::to_string(directorySize) + " is more than the " + std::to_string(rest) +
                   " bytes after it can hold");

  TMemoryStream directory;
  std::int64_t start = stream.Position();
  directory.Reserve(directorySize);
  InflateResult r = InflateExact(stream, stream.Remaining(), directory, directorySize, "TResourceFileArchive",
                                 "LoadFromStream", "the directory");
  // The first data block starts right after the directory's Adler-32 trailer.
  stream.SetPosition(start + r.consumed);

  directory.SetPosition(0);
  std::uint32_t entryCount = ReadValue(directory, "TResourceFileArchive", "LoadFromStream", "EntryCount");
  // Every entry takes at least its three integers.
  if (entryCount > directory.Remaining() / 12)
    RaiseError("TResourceFileArchive", "LoadFromStream",
               "EntryCount " + std::to_string(entryCount) + " exceeds the directory");

  // The whole directory first, then one sort: entering the names one by
  // one into the sorted list would take time growing with the square of
  // their number when the directory is not in order.
  std::vector<std::unique_ptr<TArchiveFile>> loaded;
  loaded.reserve(entryCount);
  for (std::uint32_t i = 0; i < entryCount; ++i) {
    auto entry = std::make_unique<TArchiveFile>();
    entry->ReadHeader(directory);
    loaded.push_back(std::move(entry));
  }
  std::sort(loaded.begin(), loaded.end(), [](const auto& a, const auto& b) { return CompareText(a->Name, b->Name) < 0; });
  // A second name would shift every later block onto the wrong entry; equal
  // names are neighbours once sorted.
  for (std::size_t i = 1; i < loaded.size(); ++i)
    if (CompareText(loaded[i - 1]->Name, loaded[i]->Name) == 0)
      RaiseError("TResourceFileArchive", "LoadFromStream",
                 "duplicate entry name \"" + loaded[i - 1]->Name + "\" and \"" + loaded[i]->Name + "\"");
  for (auto& entry : loaded) entry->ReadData(stream);
  items_ = std::move(loaded);
}

void TResourceFileArchive::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, TFileMode::fmOpenRead);
  LoadFromStream(file);
}

}  // namespace velmora
