#include "assets/ResourceReader.h"

#include <cstdlib>
#include <filesystem>

#include "core/Diagnostics.h"
#include "core/Error.h"
#include "platform/Resources.h"

namespace velmora {

namespace {

std::string SlashPath(std::string_view path) {
  std::string s(path);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

}  // namespace

std::string ResourceFileName(std::string_view path) {
  std::size_t cut = path.find_last_of("/\\:");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string ResourceIdent(std::string_view fileName) {
  std::string name = ResourceFileName(fileName);
  std::size_t dot = name.find('.');
  if (dot != std::string::npos) name[dot] = '_';
  return name;
}

// TResourceStream --------------------------------------------------------------------

TResourceStream::TResourceStream(const std::string& resourceName) {
  auto bytes = platform::Get<platform::Resources>().Find(resourceName);
  if (!bytes) RaiseError("TResourceStream", "Create", "Resource " + resourceName + " not found");
  SetView(*bytes);
}

// TResourceFileWriter ------------------------------------------------------------------

void TResourceFileWriter::SetBasePath(const std::string& folder) {
  basePath_ = SlashPath(folder);
  if (!basePath_.empty() && basePath_.back() != '/') basePath_ += '/';
}

std::string TResourceFileWriter::PlainFilePath(const std::string& fileName) const {
  std::string name = SlashPath(fileName);
  return name.find('/') != std::string::npos ? name : basePath_ + name;
}

bool TResourceFileWriter::Open(const std::string& fileName) {
  Close();
  try {
    stream_ = std::make_unique<TFileStream>(PlainFilePath(fileName), TFileMode::fmCreate);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TResourceFileWriter::Close() { stream_.reset(); }

// TResourceFileReader ------------------------------------------------------------------

bool TResourceFileReader::Open(const std::string& fileName) {
  Close();
  NoteFileUsed(fileName);
  switch (Source) {
    case TResourceSource::rsFiles:
      try {
        stream_ = std::make_unique<TFileStream>(PlainFilePath(fileName), TFileMode::fmOpenRead);
        return true;
      } catch (const std::exception&) {
        return false;
      }
    case TResourceSource::rsResources:
      try {
        stream_ = std::make_unique<TResourceStream>(ResourceIdent(fileName));
        return true;
      } catch (const std::exception&) {
        return false;
      }
    default:
      break;
  }
  std::string name = ResourceFileName(fileName);
  if (!DataFolder.empty()) {
    if (name.empty()) return false;
    try {
      stream_ = std::make_unique<TFileStream>(DataFolder + "/" + name, TFileMode::fmOpenRead);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  if (!archive_) LoadArchive();
  int index = 0;
  if (name.empty() || !archive_->Find(name, index)) return false;
  auto content = std::make_unique<TMemoryStream>();
  archive_->Entries(index).Decompress(*content);
  stream_ = std::move(content);
  return true;
}

void TResourceFileReader::LoadArchive() {
  archive_.reset();
  auto archive = std::make_unique<TResourceFileArchive>();
  if (!ArchiveOverride.empty()) {
    archive->LoadFromFile(SlashPath(ArchiveOverride));
  } else if (Source == TResourceSource::rsArchiveFile) {
    archive->LoadFromFile(SlashPath(ArchiveName));
  } else {
    TResourceStream resource(ResourceIdent(ArchiveName));
    archive->LoadFromStream(resource);
  }
  archive_ = std::move(archive);
}

TResourceFileReader& ResourceReader() {
  static TResourceFileReader reader;
  return reader;
}

// Data source -------------------------------------------------------------------------------

std::string TakeDataOption(std::vector<std::string>& args, const char* environmentValue) {
  std::string chosen;
  bool fromOption = false;
  for (std::size_t i = 0; i < args.size();) {
    if (args[i] == "--data") {
      if (i + 1 >= args.size() || args[i + 1].empty())
        RaiseError("ResourceReader", "TakeDataOption", "option --data needs an archive file name");
      chosen = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i + 2));
      fromOption = true;
    } else if (args[i].rfind("--data=", 0) == 0) {
      chosen = args[i].substr(7);
      if (chosen.empty()) RaiseError("ResourceReader", "TakeDataOption", "option --data needs an archive file name");
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
      fromOption = true;
    } else {
      ++i;
    }
  }
  if (!fromOption && environmentValue && *environmentValue) chosen = environmentValue;
  return chosen;
}

void UseDataArchive(const std::string& fileName) {
  TResourceFileReader& reader = ResourceReader();
  // Held absolute, so that a reload after FreeArchive finds the same file
  // whatever the working folder has become.
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(SlashPath(fileName), ec);
  if (std::filesystem::is_directory(absolute, ec)) {
    reader.ArchiveOverride.clear();
    reader.FreeArchive();
    reader.DataFolder = absolute.lexically_normal().string();
    while (reader.DataFolder.size() > 1 && reader.DataFolder.back() == '/') reader.DataFolder.pop_back();
    return;
  }
  reader.DataFolder.clear();
  reader.ArchiveOverride = ec ? fileName : absolute.string();
  try {
    reader.LoadArchive();
  } catch (const Error& e) {
    reader.ArchiveOverride.clear();
    RaiseError("ResourceReader", "UseDataArchive",
               "cannot read the scene archive \"" + fileName + "\": " + e.what());
  }
}

std::string SelectDataSource(std::vector<std::string>& args, const char* environmentValue) {
  std::string chosen = TakeDataOption(args, environmentValue);
  if (!chosen.empty()) UseDataArchive(chosen);
  return chosen;
}

std::string SelectDataSource(int& argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  std::string chosen = SelectDataSource(args, std::getenv("VELMORA_DATA"));
  // Keep argv's own pointers: drop the ones that the option used, in order.
  int out = 1;
  std::size_t kept = 0;
  for (int i = 1; i < argc; ++i) {
    if (kept < args.size() && args[kept] == argv[i]) {
      argv[out++] = argv[i];
      ++kept;
    }
  }
  for (int i = out; i < argc; ++i) argv[i] = nullptr;
  argc = out;
  return chosen;
}

}  // namespace velmora
