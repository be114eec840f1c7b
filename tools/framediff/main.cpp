// framediff: how far two frames, or two films, lie apart.
//
//   framediff A.jpg B.jpg     two frames (JPEG or BMP, the same size)
//   framediff DIR_A DIR_B     two films: every frame file of DIR_A (.jpg,
//                             .jpeg, .bmp) beside the one of the same name
//                             in DIR_B, then all of them together
//
// One line per pair, and for films a last line "frame=all":
//
//   frame=NAME pixels=N mean=R,G,B p99=R,G,B max=R,G,B
//
// mean is the average absolute difference per channel in levels 0..255,
// p99 the difference 99 % of the pixels stay within, max the largest.
// Exit status: 0 compared, 1 failed (the reason on standard error), 2 bad
// usage.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/FrameDiff.h"
#include "core/Error.h"
#include "core/Strings.h"

namespace {

namespace fs = std::filesystem;
using velmora::TFrameDiff;

int Usage() {
  std::fprintf(stderr,
               "usage: framediff A.jpg B.jpg\n"
               "       framediff FILM_DIR_A FILM_DIR_B\n");
  return 2;
}

void Print(const std::string& name, const TFrameDiff& diff) {
  std::printf("frame=%s pixels=%lld mean=%.3f,%.3f,%.3f p99=%d,%d,%d max=%d,%d,%d\n", name.c_str(),
              static_cast<long long>(diff.Pixels()), diff.Mean(0), diff.Mean(1), diff.Mean(2),
              diff.Percentile(0, 0.99), diff.Percentile(1, 0.99), diff.Percentile(2, 0.99), diff.Max(0), diff.Max(1),
              diff.Max(2));
}

TFrameDiff ComparePair(const std::string& a, const std::string& b) {
  TFrameDiff diff;
  diff.Add(velmora::ReadFrameFile(a), velmora::ReadFrameFile(b));
  return diff;
}

bool IsFrameName(const fs::path& path) {
  const std::string ext = velmora::LowerCase(path.extension().string());
  return ext == ".jpg" || ext == ".jpeg" || ext == ".bmp";
}

void CompareFilms(const fs::path& a, const fs::path& b) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(a))
    if (entry.is_regular_file() && IsFrameName(entry.path())) names.push_back(entry.path().filename().string());
  if (names.empty()) velmora::RaiseError("framediff", "CompareFilms", a.string() + ": No frame files");
  std::sort(names.begin(), names.end());
  TFrameDiff all;
  for (const std::string& name : names) {
    if (!fs::is_regular_file(b / name))
      velmora::RaiseError("framediff", "CompareFilms", (b / name).string() + ": Missing beside " + (a / name).string());
    TFrameDiff diff = ComparePair((a / name).string(), (b / name).string());
    Print(name, diff);
    all.Add(diff);
  }
  Print("all", all);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  const fs::path a = argv[1], b = argv[2];
  try {
    std::error_code ec;
    const bool dirA = fs::is_directory(a, ec), dirB = fs::is_directory(b, ec);
    if (dirA != dirB) {
      std::fprintf(stderr, "framediff: compare two frames or two film folders, not one of each\n");
      return 2;
    }
    if (dirA)
      CompareFilms(a, b);
    else
      Print(a.filename().string(), ComparePair(a.string(), b.string()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "framediff: %s\n", e.what());
    return 1;
  }
  return 0;
}
