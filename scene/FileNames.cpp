#include "scene/FileNames.h"

#include "assets/Stream.h"
#include "core/Diagnostics.h"
#include "core/Strings.h"

namespace velmora {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }

size_t NameStart(std::string_view fileName) {
  for (size_t i = fileName.size(); i > 0; --i)
    if (IsSeparator(fileName[i - 1])) return i;
  return 0;
}

}  // namespace

std::string CombinePath(std::string_view path, std::string_view fileName) {
  if (NameStart(fileName) > 0) return std::string(fileName);
  std::string combined(path);
  combined += fileName;
  return combined;
}

std::string ExtractFileDir(std::string_view fileName) { return std::string(fileName.substr(0, NameStart(fileName))); }

std::string BaseFileName(std::string_view fileName) {
  std::string_view name = fileName.substr(NameStart(fileName));
  const size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string ExtractFileExt(std::string_view fileName) {
  std::string_view name = fileName.substr(NameStart(fileName));
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string DiskFileName(std::string_view fileName) {
  NoteFileUsed(fileName);
  const std::string& folder = ResourceReader().DataFolder;
  if (!folder.empty()) return folder + "/" + ResourceFileName(fileName);
  std::string name(fileName);
  for (char& c : name)
    if (c == '\\') c = '/';
  return name;
}

std::vector<uint8_t> ReadSceneFile(const std::string& fileName, bool fromDisk, bool& found) {
  found = true;
  if (fromDisk) {
    TFileStream stream(DiskFileName(fileName), TFileMode::fmOpenRead);
    return stream.ReadRest();
  }
  TResourceFileReader& reader = ResourceReader();
  if (!reader.Open(fileName)) {
    found = false;
    Diagnose(TDiagnosticLevel::dlError, "the file " + ResourceFileName(fileName) + " is missing from the data");
    return {};
  }
  std::vector<uint8_t> bytes = reader.Stream()->ReadRest();
  reader.Close();
  return bytes;
}

std::vector<std::string> ReadSceneFileLines(const std::string& fileName, bool fromDisk) {
  bool found = false;
  const std::vector<uint8_t> bytes = ReadSceneFile(fileName, fromDisk, found);
  TCustomMemoryStream stream(std::span<const uint8_t>(bytes.data(), bytes.size()));
  std::vector<std::string> lines;
  for (const std::string& line : ReadLines(stream)) {
    std::string entry = Trim(line);
    if (!entry.empty()) lines.push_back(std::move(entry));
  }
  return lines;
}

}  // namespace velmora
