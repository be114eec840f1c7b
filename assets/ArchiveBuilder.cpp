#include "assets/ArchiveBuilder.h"

#include <zlib.h>

#include <algorithm>

#include "assets/ResourceReader.h"
#include "core/Error.h"
#include "core/Strings.h"

namespace velmora {

std::vector<std::uint8_t> TArchiveBuilder::Compress(std::span<const std::uint8_t> data, int level) {
  uLongf length = compressBound(static_cast<uLong>(data.size()));
  std::vector<std::uint8_t> out(length);
  int rc = compress2(out.data(), &length, data.data(), static_cast<uLong>(data.size()), level);
  if (rc != Z_OK) RaiseError("TArchiveBuilder", "Compress", std::string("zlib: ") + zError(rc));
  out.resize(length);
  return out;
}

void TArchiveBuilder::Add(std::string_view name, std::vector<std::uint8_t> content) {
  if (name.empty() || name.find_first_of("/\\:") != std::string_view::npos)
    RaiseError("TArchiveBuilder", "Add", "\"" + std::string(name) + "\" is not a file name without folder");
  if (content.size() > 0x7FFFFFFFu)
    RaiseError("TArchiveBuilder", "Add", "\"" + std::string(name) + "\" is too large for an archive");
  auto it = std::lower_bound(entries_.begin(), entries_.end(), name,
                             [](const Entry& e, std::string_view n) { return CompareText(e.name, n) < 0; });
  if (it != entries_.end() && CompareText(it->name, name) == 0)
    RaiseError("TArchiveBuilder", "Add",
               "\"" + std::string(name) + "\" and \"" + it->name + "\" differ only in letter case");
  Entry entry{std::string(name), static_cast<std::uint32_t>(content.size()), Compress(content, level_)};
  if (entry.block.size() > 0x7FFFFFFFu) RaiseError("TArchiveBuilder", "Add", "compressed block too large");
  entries_.insert(it, std::move(entry));
}

void TArchiveBuilder::AddFile(const std::string& path) {
  TFileStream file(path, TFileMode::fmOpenRead);
  Add(ResourceFileName(path), file.ReadRest());
}

void TArchiveBuilder::SaveToStream(TStream& out) const {
  TMemoryStream directory;
  directory.WriteUInt32(static_cast<std::uint32_t>(entries_.size()));
  for (const Entry& e : entries_) {
    directory.WriteUInt32(static_cast<std::uint32_t>(e.name.size()));
    directory.WriteBuffer(e.name.data(), e.name.size());
    directory.WriteUInt32(static_cast<std::uint32_t>(e.block.size()));
    directory.WriteUInt32(e.size);
  }
  out.WriteUInt32(static_cast<std::uint32_t>(directory.Size()));
  std::vector<std::uint8_t> packed = Compress(directory.Bytes(), level_);
  out.WriteBuffer(packed.data(), packed.size());
  for (const Entry& e : entries_) out.WriteBuffer(e.block.data(), e.block.size());
}

void TArchiveBuilder::SaveToFile(const std::string& fileName) const {
  TFileStream file(fileName, TFileMode::fmCreate);
  SaveToStream(file);
  file.Flush();
}

}  // namespace velmora
