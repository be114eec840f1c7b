#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "assets/FrameDiff.h"
#include "core/Error.h"
#include "tests/assets/AssetsTestSupport.h"
#include "tests/assets/ImageTestSupport.h"

using namespace velmora;

namespace {

// A 24-bit frame of one colour, with pixel (x, y) set apart when asked.
TBitmap Flat(int width, int height, TBitmapColor color) {
  TBitmap image(width, height, 24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = color.R;
      row[3 * x + 1] = color.G;
      row[3 * x + 2] = color.B;
    }
  }
  return image;
}

void SetPixel(TBitmap& image, int x, int y, TBitmapColor color) {
  uint8_t* p = image.ScanLine(y) + 3 * x;
  p[0] = color.R;
  p[1] = color.G;
  p[2] = color.B;
}

}  // namespace

TEST(FrameDiff, MeanAndPercentilesPerChannel) {
  // 10 x 10 pixels: 98 the same, one off by 50 in red, one off by 200 in
  // blue (either direction counts the same).
  TBitmap a = Flat(10, 10, {100, 100, 100});
  TBitmap b = Flat(10, 10, {100, 100, 100});
  SetPixel(b, 3, 4, {150, 100, 100});
  SetPixel(a, 9, 9, {100, 100, 250});
  SetPixel(b, 9, 9, {100, 100, 50});
  TFrameDiff diff;
  EXPECT_EQ(diff.Pixels(), 0);
  EXPECT_EQ(diff.Mean(0), 0);
  diff.Add(a, b);
  EXPECT_EQ(diff.Pixels(), 100);
  EXPECT_DOUBLE_EQ(diff.Mean(0), 0.5);
  EXPECT_DOUBLE_EQ(diff.Mean(1), 0.0);
  EXPECT_DOUBLE_EQ(diff.Mean(2), 2.0);
  // 99 of 100 pixels are within 0; the last one is the largest.
  EXPECT_EQ(diff.Percentile(0, 0.99), 0);
  EXPECT_EQ(diff.Percentile(0, 0.995), 50);
  EXPECT_EQ(diff.Max(0), 50);
  EXPECT_EQ(diff.Max(1), 0);
  EXPECT_EQ(diff.Max(2), 200);

  // A second pair of frames (a film) joins the same histogram: now 2 of
  // 200 pixels differ in red, still within the 99th percentile.
  TFrameDiff film;
  film.Add(diff);
  film.Add(a, b);
  EXPECT_EQ(film.Pixels(), 200);
  EXPECT_DOUBLE_EQ(film.Mean(0), 0.5);
  EXPECT_EQ(film.Percentile(0, 0.99), 0);
  // Every pixel off by 3 in green: the percentile follows.
  film.Add(Flat(10, 10, {0, 3, 0}), Flat(10, 10, {0, 0, 0}));
  EXPECT_EQ(film.Percentile(1, 0.5), 0);
  EXPECT_EQ(film.Percentile(1, 0.99), 3);
}

TEST(FrameDiff, FramesOfDifferentSizesOrWithoutPixelsAreRefused) {
  TFrameDiff diff;
  try {
    diff.Add(Flat(4, 3, {}), Flat(3, 4, {}));
    ADD_FAILURE() << "frames of different sizes compared";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TFrameDiff.Add error: Frames of 4x3 and 3x4 cannot be compared");
  }
  EXPECT_THROW(diff.Add(TBitmap(), TBitmap()), Error);
  EXPECT_THROW(diff.Add(TBitmap(2, 2, 0), TBitmap(2, 2, 0)), Error);
  EXPECT_EQ(diff.Pixels(), 0);
}

TEST(FrameDiff, FrameFilesAreToldByTheirBytes) {
  using namespace image_test;
  assets_test::TempDir dir;
  // A 2 x 1 bitmap (blue, green, red on disk) under a name that says JPEG,
  // and a JPEG file under a name that says bitmap.
  BmpSpec bmp;
  bmp.width = 2;
  bmp.height = 1;
  bmp.rows = {{30, 20, 10, 60, 50, 40}};
  const std::string bitmap = dir.Write("bitmap.jpg", MakeBmp(bmp));
  const std::string jpeg = dir.Write("photo.bmp", MakeJpeg(FlatJpeg(8, 8, {200, 100, 50}, JCS_RGB)));
  const TBitmap b = ReadFrameFile(bitmap);
  ASSERT_EQ(b.Width(), 2);
  EXPECT_EQ(b.Color(0, 0), (TBitmapColor{10, 20, 30}));
  EXPECT_EQ(b.Color(1, 0), (TBitmapColor{40, 50, 60}));
  const TBitmap j = ReadFrameFile(jpeg);
  ASSERT_EQ(j.Width(), 8);
  TFrameDiff diff;
  diff.Add(j, Flat(8, 8, {200, 100, 50}));
  EXPECT_LE(diff.Max(0), 2);
  EXPECT_LE(diff.Max(2), 2);

  const std::string text = dir.Write("notes.jpg", Bytes{'h', 'e', 'l', 'l', 'o'});
  try {
    ReadFrameFile(text);
    ADD_FAILURE() << "a text read as a frame";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "TFrameDiff.ReadFrameFile error: " + text + ": Neither a bitmap nor a JPEG file");
  }
  EXPECT_THROW(ReadFrameFile(dir.File("missing.jpg")), Error);
}

// The tool as a user runs it: two frames, two films, and its mistakes.
TEST(FrameDiffTool, ComparesFramesAndFilmsAndSaysWhatWentWrong) {
  using namespace image_test;
  assets_test::TempDir dir;
  std::filesystem::create_directories(dir.File("a"));
  std::filesystem::create_directories(dir.File("b"));
  // Two films of two 2 x 1 frames: the second frames differ by 10 in red
  // in one pixel.
  BmpSpec same;
  same.width = 2;
  same.height = 1;
  same.rows = {{30, 20, 10, 60, 50, 40}};
  BmpSpec off = same;
  off.rows = {{30, 20, 20, 60, 50, 40}};
  dir.Write("a/F00001.bmp", MakeBmp(same));
  dir.Write("b/F00001.bmp", MakeBmp(same));
  dir.Write("a/F00002.bmp", MakeBmp(same));
  dir.Write("b/F00002.bmp", MakeBmp(off));
  dir.Write("a/notes.txt", Bytes{'x'});
  auto run = [&dir](const std::string& args, std::string& out) {
    const std::string command =
        std::string("'") + VELMORA_FRAMEDIFF_TOOL + "' " + args + " >'" + dir.File("out.txt") + "' 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream f(dir.File("out.txt"));
    std::ostringstream text;
    text << f.rdbuf();
    out = text.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string out;
  EXPECT_EQ(run("'" + dir.File("a") + "' '" + dir.File("b") + "'", out), 0) << out;
  EXPECT_EQ(out,
            "frame=F00001.bmp pixels=2 mean=0.000,0.000,0.000 p99=0,0,0 max=0,0,0\n"
            "frame=F00002.bmp pixels=2 mean=5.000,0.000,0.000 p99=10,0,0 max=10,0,0\n"
            "frame=all pixels=4 mean=2.500,0.000,0.000 p99=10,0,0 max=10,0,0\n");
  EXPECT_EQ(run("'" + dir.File("a/F00002.bmp") + "' '" + dir.File("b/F00002.bmp") + "'", out), 0) << out;
  EXPECT_EQ(out, "frame=F00002.bmp pixels=2 mean=5.000,0.000,0.000 p99=10,0,0 max=10,0,0\n");

  // A frame missing from the second film, a file that is no frame, bad usage.
  std::filesystem::remove(dir.File("b/F00002.bmp"));
  EXPECT_EQ(run("'" + dir.File("a") + "' '" + dir.File("b") + "'", out), 1);
  EXPECT_NE(out.find(dir.File("b") + "/F00002.bmp: Missing beside"), std::string::npos) << out;
  EXPECT_EQ(run("'" + dir.File("a/notes.txt") + "' '" + dir.File("a/F00001.bmp") + "'", out), 1);
  EXPECT_NE(out.find("Neither a bitmap nor a JPEG file"), std::string::npos) << out;
  EXPECT_EQ(run("'" + dir.File("a") + "' '" + dir.File("a/F00001.bmp") + "'", out), 2);
  EXPECT_EQ(run("'" + dir.File("a") + "'", out), 2);
  EXPECT_NE(out.find("usage: framediff"), std::string::npos) << out;
}
