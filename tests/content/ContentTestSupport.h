// Helpers of the content tests: the carried archive as a map of file
// bytes, a reader of the scene description's sections that follows the
// description format (comments, trimmed lines, first section and first key
// win, names without regard to case), a RIFF WAVE reader, and a temporary
// folder.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "assets/ResourceReader.h"
#include "assets/Stream.h"
#include "core/Strings.h"

namespace content_test {

using Bytes = std::vector<std::uint8_t>;

struct NoCase {
  bool operator()(const std::string& a, const std::string& b) const { return velmora::CompareText(a, b) < 0; }
};

// Every entry of the archive linked into the test executable.
inline std::map<std::string, Bytes, NoCase> CarriedArchive() {
  velmora::TResourceFileReader reader;
  reader.ArchiveName = "data.rfa";
  reader.Source = velmora::TResourceSource::rsArchiveResource;
  reader.LoadArchive();
  std::map<std::string, Bytes, NoCase> files;
  for (int i = 0; i < reader.Archive()->Count(); ++i) {
    const velmora::TArchiveFile& e = reader.Archive()->Entries(i);
    velmora::TMemoryStream data;
    e.Decompress(data);
    files[e.Name] = data.ReadRest();
  }
  return files;
}

inline std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

// Lines split at CR LF, LF or CR.
inline std::vector<std::string> Lines(const Bytes& b) {
  velmora::TMemoryStream s{Bytes(b)};
  return velmora::ReadLines(s);
}

// The sections of a scene description.
class SceneFile {
 public:
  explicit SceneFile(const Bytes& bytes) {
    std::string section;
    bool open = false;
    for (const std::string& raw : Lines(bytes)) {
      std::string line = velmora::Trim(raw);
      if (line.empty() || line[0] == ';') continue;
      if (line.front() == '[' && line.back() == ']') {
        section = velmora::LowerCase(velmora::Trim(line.substr(1, line.size() - 2)));
        open = !sections_.count(section);
        if (open) {
          sections_[section];
          order_.push_back(section);
        }
        continue;
      }
      std::size_t eq = line.find('=');
      if (!open || eq == std::string::npos) continue;
      std::string key = velmora::LowerCase(velmora::Trim(line.substr(0, eq)));
      auto& keys = sections_[section];
      if (!keys.count(key)) keys[key] = velmora::Trim(line.substr(eq + 1));
    }
  }

  bool Has(const std::string& section) const { return sections_.count(velmora::LowerCase(section)) > 0; }
  std::optional<std::string> Get(const std::string& section, const std::string& key) const {
    auto s = sections_.find(velmora::LowerCase(section));
    if (s == sections_.end()) return std::nullopt;
    auto k = s->second.find(velmora::LowerCase(key));
    if (k == s->second.end()) return std::nullopt;
    return k->second;
  }
  std::string Value(const std::string& section, const std::string& key) const { return Get(section, key).value_or(""); }
  const std::map<std::string, std::string>& Keys(const std::string& section) const {
    static const std::map<std::string, std::string> none;
    auto s = sections_.find(velmora::LowerCase(section));
    return s == sections_.end() ? none : s->second;
  }

 private:
  std::map<std::string, std::map<std::string, std::string>> sections_;
  std::vector<std::string> order_;
};

// A PCM RIFF WAVE file.
struct Wave {
  int channels = 0, rate = 0, bits = 0, format = 0;
  std::vector<std::int16_t> samples;  // interleaved
  std::string error;
};

inline std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline std::uint16_t U16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }

inline Wave ReadWave(const Bytes& b) {
  Wave w;
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
    w.error = "not RIFF WAVE";
    return w;
  }
  std::size_t at = 12;
  bool haveFormat = false;
  while (at + 8 <= b.size()) {
    std::string id(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
    std::uint32_t size = U32(b, at + 4);
    std::size_t body = at + 8;
    if (body + size > b.size()) {
      w.error = "chunk " + id + " runs past the end";
      return w;
    }
    if (id == "fmt " && size >= 16) {
      w.format = U16(b, body);
      w.channels = U16(b, body + 2);
      w.rate = static_cast<int>(U32(b, body + 4));
      w.bits = U16(b, body + 14);
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat) {
        w.error = "data before fmt";
        return w;
      }
      for (std::size_t i = 0; i + 1 < size; i += 2) w.samples.push_back(static_cast<std::int16_t>(U16(b, body + i)));
    }
    at = body + size + (size & 1);
  }
  if (!haveFormat) w.error = "no fmt chunk";
  return w;
}

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("velmora-content-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace content_test
