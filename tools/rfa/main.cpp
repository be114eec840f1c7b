// velmora-rfa: packs, lists and extracts resource archives (".rfa"). In
// the build tree tools/rfa links to it.
//
//   rfa pack OUT.rfa FILE...            every FILE under its name without folder
//   rfa list ARCHIVE                    name, compressed size, size; one a line
//   rfa extract ARCHIVE DIR [NAME...]   all entries, or the named ones, into DIR
//
// Exit status: 0 done, 1 failed (the reason on standard error), 2 bad usage.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/ArchiveBuilder.h"
#include "assets/ResourceArchive.h"
#include "core/Error.h"

namespace {

using velmora::RaiseError;

int Usage() {
  std::fprintf(stderr,
               "usage: velmora-rfa pack OUT.rfa FILE...\n"
               "       velmora-rfa list ARCHIVE\n"
               "       velmora-rfa extract ARCHIVE DIR [NAME...]\n");
  return 2;
}

void Pack(const std::string& out, const std::vector<std::string>& files) {
  velmora::TArchiveBuilder builder(9);
  for (const std::string& f : files) builder.AddFile(f);
  // Written beside the target first, so a failed run never leaves a
  // half-written archive under the final name.
  std::string temporary = out + ".part";
  try {
    builder.SaveToFile(temporary);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw;
  }
  std::error_code ec;
  std::filesystem::rename(temporary, out, ec);
  if (ec) RaiseError("rfa", "pack", "cannot write \"" + out + "\": " + ec.message());
}

void List(const std::string& archiveName) {
  velmora::TResourceFileArchive archive;
  archive.LoadFromFile(archiveName);
  for (int i = 0; i < archive.Count(); ++i) {
    const velmora::TArchiveFile& e = archive.Entries(i);
    std::printf("%s\t%u\t%u\n", e.Name.c_str(), e.CompressedSize, e.UncompressedSize);
  }
}

// Entry names come from the archive, so they are checked before they are
// used as paths: only a plain file name may be written into DIR.
bool PlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos;
}

void Extract(const std::string& archiveName, const std::string& dir, const std::vector<std::string>& names) {
  velmora::TResourceFileArchive archive;
  archive.LoadFromFile(archiveName);
  std::vector<int> chosen;
  if (names.empty()) {
    for (int i = 0; i < archive.Count(); ++i) chosen.push_back(i);
  } else {
    for (const std::string& n : names) {
      int index = 0;
      if (!archive.Find(n, index)) RaiseError("rfa", "extract", "\"" + n + "\" is not in " + archiveName);
      chosen.push_back(index);
    }
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir)) RaiseError("rfa", "extract", "\"" + dir + "\" is not a folder");
  for (int index : chosen) {
    const velmora::TArchiveFile& e = archive.Entries(index);
    if (!PlainFileName(e.Name)) RaiseError("rfa", "extract", "entry \"" + e.Name + "\" is not a plain file name");
    velmora::TMemoryStream content;
    e.Decompress(content);
    velmora::TFileStream file((std::filesystem::path(dir) / e.Name).string(), velmora::TFileMode::fmCreate);
    file.WriteBuffer(content.Memory(), static_cast<std::size_t>(content.Size()));
    file.Flush();
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  try {
    const std::string& command = args[0];
    if (command == "pack" && args.size() >= 3) {
      Pack(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    } else if (command == "list" && args.size() == 2) {
      List(args[1]);
    } else if (command == "extract" && args.size() >= 3) {
      Extract(args[1], args[2], std::vector<std::string>(args.begin() + 3, args.end()));
    } else {
      return Usage();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora-rfa: %s\n", e.what());
    return 1;
  }
  return 0;
}
