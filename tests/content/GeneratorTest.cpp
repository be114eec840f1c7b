// velmora-gen: the same sources give the same bytes (two runs, and the
// archive the build packed), its command line, and the building blocks
// whose properties the pictures rely on (tiling noise, caustic density,
// mesh numbers, unique output names).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "core/Error.h"
#include "tests/content/ContentTestSupport.h"
#include "tools/gen/Caustics.h"
#include "tools/gen/Content.h"
#include "tools/gen/MeshWriter.h"
#include "tools/gen/Noise.h"

namespace {

using namespace content_test;

int RunGenerator(const std::string& args, const std::string& log) {
  std::string command = std::string(VELMORA_GEN_TOOL) + " " + args + " >" + log + " 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Generator, SameSourcesGiveTheSameBytes) {
  TempDir a, b;
  ASSERT_EQ(RunGenerator(a.File("out"), a.File("log")), 0) << Text(ReadFile(a.File("log")));
  ASSERT_EQ(RunGenerator(b.File("out"), b.File("log")), 0) << Text(ReadFile(b.File("log")));
  std::vector<std::string> names = Lines(ReadFile(a.File("out/generated.lst")));
  ASSERT_GT(names.size(), 40u);
  EXPECT_EQ(names, Lines(ReadFile(b.File("out/generated.lst"))));
  // The archive linked into this test was packed from a run at build time.
  auto archive = CarriedArchive();
  for (const std::string& name : names) {
    Bytes first = ReadFile(a.File("out/" + name)), second = ReadFile(b.File("out/" + name));
    ASSERT_FALSE(first.empty()) << name;
    EXPECT_TRUE(first == second) << name << " differs between two runs";
    ASSERT_TRUE(archive.count(name)) << name << " is not in the carried archive";
    EXPECT_TRUE(archive[name] == first) << name << " in the carried archive is not what the generator makes";
  }
}

TEST(Generator, RefusesBadCommandLinesWithAReason) {
  TempDir dir;
  EXPECT_EQ(RunGenerator("", dir.File("log")), 2);
  EXPECT_NE(Text(ReadFile(dir.File("log"))).find("usage: velmora-gen OUTDIR"), std::string::npos);
  EXPECT_EQ(RunGenerator(dir.File("out") + " --font " + dir.File("missing.ttf"), dir.File("log")), 1);
  EXPECT_NE(Text(ReadFile(dir.File("log"))).find("TFont.Create error: cannot open"), std::string::npos);
  // An output "folder" that is a file.
  std::ofstream(dir.File("file")) << "x";
  EXPECT_EQ(RunGenerator(dir.File("file"), dir.File("log")), 1);
  EXPECT_NE(Text(ReadFile(dir.File("log"))).find("is not a folder"), std::string::npos);
}

TEST(GeneratorParts, NoiseTilesAcrossBothEdges) {
  for (double u : {0.0, 0.13, 0.5, 0.97})
    for (double v : {0.0, 0.31, 0.77}) {
      double n = velmora::gen::PeriodicFbm(u, v, 5, 3, 4, 7);
      EXPECT_NEAR(n, velmora::gen::PeriodicFbm(u + 1, v, 5, 3, 4, 7), 1e-9);
      EXPECT_NEAR(n, velmora::gen::PeriodicFbm(u, v - 1, 5, 3, 4, 7), 1e-9);
      auto c = velmora::gen::PeriodicCells(u, v, 6, 4, 3), d = velmora::gen::PeriodicCells(u + 1, v + 1, 6, 4, 3);
      EXPECT_NEAR(c.F1, d.F1, 1e-9);
      EXPECT_EQ(c.Id, d.Id);
    }
}

TEST(GeneratorParts, CausticsKeepTheLightAndFocusItIntoSeamlessLines) {
  velmora::gen::TCausticSettings s;
  s.Width = s.Height = 64;
  s.Supersample = 3;
  s.Cycles = 3;
  velmora::gen::TImage d = velmora::gen::CausticDensity(s, "test");
  double sum = 0, peak = 0;
  int dark = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      sum += d.At(x, y);
      peak = std::max(peak, static_cast<double>(d.At(x, y)));
      dark += d.At(x, y) < 1.0f;
    }
  // Every ray lands somewhere: the mean density stays 1.
  EXPECT_NEAR(sum / (64 * 64), 1.0, 1e-3);
  // Focal lines far above the mean, most of the ground below it.
  EXPECT_GT(peak, 3.0);
  EXPECT_GT(dark, 64 * 64 / 2);
  // Across the wrap the pattern changes no more than between neighbours.
  double across = 0, inside = 0;
  for (int i = 0; i < 64; ++i) {
    across += std::abs(d.At(63, i) - d.At(0, i)) + std::abs(d.At(i, 63) - d.At(i, 0));
    inside += std::abs(d.At(31, i) - d.At(32, i)) + std::abs(d.At(i, 31) - d.At(i, 32));
  }
  EXPECT_LT(across, 2.0 * inside + 1e-6);
}

TEST(GeneratorParts, MeshNumbersAreShortAndLocaleFree) {
  EXPECT_EQ(velmora::gen::MeshNumber(100), "100");
  EXPECT_EQ(velmora::gen::MeshNumber(-0.00001), "0");
  EXPECT_EQ(velmora::gen::MeshNumber(1.234567), "1.2346");
  EXPECT_EQ(velmora::gen::MeshNumber(-2.5), "-2.5");
}

TEST(GeneratorParts, OutputNamesArePlainAndUniqueIgnoringCase) {
  velmora::gen::TGenOutput out;
  out.AddText("Reef.3dm", "x");
  EXPECT_THROW(out.AddText("reef.3DM", "y"), velmora::Error);
  EXPECT_THROW(out.AddText("sub/reef.jpg", "y"), velmora::Error);
  EXPECT_THROW(out.AddText("", "y"), velmora::Error);
  EXPECT_EQ(out.Files().size(), 1u);
}

}  // namespace
