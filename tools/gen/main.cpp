// velmora-gen: makes every picture, mesh and sound of the scene archive.
//
//   velmora-gen OUTDIR [--font FILE]
//
// Writes the files into OUTDIR (created when missing) and, last, the list
// of their names, one a line, as OUTDIR/generated.lst; the build packs the
// files of that list together with the text sources of data/scene/. The
// same program always writes the same bytes. FILE is the TrueType font of
// the clock's numerals and sprites (default: the DejaVu Sans Bold the build
// found).
//
// Exit status: 0 done, 1 failed (the reason on standard error), 2 bad usage.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/Error.h"
#include "tools/gen/Content.h"
#include "tools/gen/Font.h"

#ifndef VELMORA_GEN_FONT
#define VELMORA_GEN_FONT "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
#endif

namespace {

using velmora::RaiseError;

int Usage() {
  std::fprintf(stderr, "usage: velmora-gen OUTDIR [--font FILE]\n");
  return 2;
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  f.close();
  if (!f) RaiseError("velmora-gen", "Write", "cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string outDir, fontFile = VELMORA_GEN_FONT;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--font" && i + 1 < args.size()) {
      fontFile = args[++i];
    } else if (outDir.empty() && !args[i].empty() && args[i][0] != '-') {
      outDir = args[i];
    } else {
      return Usage();
    }
  }
  if (outDir.empty()) return Usage();
  try {
    velmora::gen::TFont font(fontFile);
    velmora::gen::TGenOutput out;
    velmora::gen::MakeWaterContent(out);
    velmora::gen::MakeBubbleContent(out);
    velmora::gen::MakeClockContent(out, font);
    velmora::gen::MakeFishContent(out);
    velmora::gen::MakeSoundContent(out);

    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (!std::filesystem::is_directory(outDir)) RaiseError("velmora-gen", "Write", "\"" + outDir + "\" is not a folder");
    std::string list;
    for (const velmora::gen::TGenFile& f : out.Files()) {
      WriteFile(std::filesystem::path(outDir) / f.Name, f.Bytes);
      list += f.Name + "\n";
    }
    // The list goes last: a build that sees it sees every file it names.
    WriteFile(std::filesystem::path(outDir) / "generated.lst", std::vector<std::uint8_t>(list.begin(), list.end()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora-gen: %s\n", e.what());
    return 1;
  }
  return 0;
}
