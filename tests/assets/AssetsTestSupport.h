// Helpers of the asset tests: a temporary folder, and archives assembled
// byte by byte with zlib directly (not through TArchiveBuilder), so that
// the reader is checked against the format rather than against the writer.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace assets_test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ToBytes(std::string_view s) { return Bytes(s.begin(), s.end()); }
inline std::string ToText(const Bytes& b) { return std::string(b.begin(), b.end()); }

inline void PutU32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline Bytes Zlib(const Bytes& data, int level = 9) {
  uLongf n = compressBound(static_cast<uLong>(data.size()));
  Bytes out(n);
  compress2(out.data(), &n, data.data(), static_cast<uLong>(data.size()), level);
  out.resize(n);
  return out;
}

struct RawEntry {
  std::string name;
  Bytes block;                // the data block as stored
  std::uint32_t compressed;   // as written in the directory
  std::uint32_t uncompressed;
};

inline RawEntry Entry(std::string name, std::string_view content) {
  Bytes block = Zlib(ToBytes(content));
  return RawEntry{std::move(name), block, static_cast<std::uint32_t>(block.size()),
                  static_cast<std::uint32_t>(content.size())};
}

// The inflated directory of the given entries, in the given order.
inline Bytes Directory(const std::vector<RawEntry>& entries) {
  Bytes dir;
  PutU32(dir, static_cast<std::uint32_t>(entries.size()));
  for (const RawEntry& e : entries) {
    PutU32(dir, static_cast<std::uint32_t>(e.name.size()));
    dir.insert(dir.end(), e.name.begin(), e.name.end());
    PutU32(dir, e.compressed);
    PutU32(dir, e.uncompressed);
  }
  return dir;
}

// An archive: DirectorySize, the directory stream, then the blocks in the
// order given (the caller gives them in name order for a valid archive).
inline Bytes Archive(const Bytes& directory, const std::vector<Bytes>& blocks, std::uint32_t directorySize) {
  Bytes out;
  PutU32(out, directorySize);
  Bytes packed = Zlib(directory);
  out.insert(out.end(), packed.begin(), packed.end());
  for (const Bytes& b : blocks) out.insert(out.end(), b.begin(), b.end());
  return out;
}

inline Bytes Archive(const std::vector<RawEntry>& entries) {
  Bytes dir = Directory(entries);
  std::vector<Bytes> blocks;
  for (const RawEntry& e : entries) blocks.push_back(e.block);
  return Archive(dir, blocks, static_cast<std::uint32_t>(dir.size()));
}

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("velmora-assets-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Path() const { return path_.string(); }

  std::string Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream f(File(name), std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return File(name);
  }
  std::string Write(const std::string& name, std::string_view text) const { return Write(name, ToBytes(text)); }

  Bytes Read(const std::string& name) const {
    std::ifstream f(File(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path path_;
};

}  // namespace assets_test
