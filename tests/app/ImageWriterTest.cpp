#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>


#include "app/ImageWriter.h"
#include "core/Error.h"
#include "tests/app/JpegDecode.h"

using namespace velmora;
using testjpeg::Decoded;
using testjpeg::DecodeJpeg;

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// A 5 x 3 picture: each pixel's blue, green and red bytes encode its place.
TBitmap24 Pattern() {
  TBitmap24 b(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      uint8_t* p = b.ScanLine(y) + x * 3;
      p[0] = uint8_t(10 * x + 1);  // blue
      p[1] = uint8_t(10 * y + 2);  // green
      p[2] = uint8_t(200);         // red
    }
  return b;
}

}  // namespace

TEST(Bitmap24, FileHasHeadersPaddedRowsBottomUpInBgrOrder) {
  auto file = Pattern().EncodeBitmap();
  // 5 pixels of 3 bytes pad to 16 bytes a row.
  ASSERT_EQ(file.size(), 14u + 40u + 16u * 3u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(U32(file, 2), file.size());
  EXPECT_EQ(U32(file, 10), 54u);
  EXPECT_EQ(U32(file, 18), 5u);
  EXPECT_EQ(U32(file, 22), 3u);
  EXPECT_EQ(file[28], 24);
  EXPECT_EQ(U32(file, 34), 48u);
  // The first stored row is the bottom row (y = 2).
  const uint8_t* first = file.data() + 54;
  EXPECT_EQ(first[0], 1);   // blue of x = 0
  EXPECT_EQ(first[1], 22);  // green of y = 2
  EXPECT_EQ(first[2], 200);
  EXPECT_EQ(first[3 * 4], 41);  // blue of x = 4
  // Padding bytes stay zero; the last stored row is the top one.
  EXPECT_EQ(first[15], 0);
  EXPECT_EQ(file[54 + 32 + 1], 2);
}

TEST(Bitmap24, BadSizesAndRowsRaise) {
  EXPECT_THROW(TBitmap24(-1, 4), Error);
  EXPECT_THROW(TBitmap24(40000, 4), Error);
  TBitmap24 b(2, 2);
  EXPECT_THROW(b.ScanLine(2), Error);
  EXPECT_THROW(b.ScanLine(-1), Error);
  try {
    b.ScanLine(5);
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "TBitmap24.ScanLine error: Row 5 out of bounds");
  }
}

TEST(JpegWriter, EncodesPictureThatDecodesToTheSameColours) {
  TBitmap24 b(32, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) {
      uint8_t* p = b.ScanLine(y) + x * 3;
      // Left half blue, right half red (stored blue, green, red).
      p[0] = x < 16 ? 255 : 0;
      p[1] = 0;
      p[2] = x < 16 ? 0 : 255;
    }
  TJpegWriter w;
  w.SetQuality(95);
  w.Assign(b);
  Decoded d;
  ASSERT_TRUE(DecodeJpeg(w.Encode(), d));
  ASSERT_EQ(d.width, 32);
  ASSERT_EQ(d.height, 16);
  const uint8_t* left = &d.rgb[(8 * 32 + 4) * 3];
  const uint8_t* right = &d.rgb[(8 * 32 + 28) * 3];
  EXPECT_LT(left[0], 40);
  EXPECT_GT(left[2], 210);
  EXPECT_GT(right[0], 210);
  EXPECT_LT(right[2], 40);
}

TEST(JpegWriter, QualityChangesTheSizeAndIsChecked) {
  TBitmap24 b(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64 * 3; ++x) b.ScanLine(y)[x] = uint8_t((x * 37 + y * 91) & 0xFF);
  TJpegWriter w;
  w.Assign(b);
  w.SetQuality(10);
  size_t small = w.Encode().size();
  w.SetQuality(100);
  size_t large = w.Encode().size();
  EXPECT_LT(small, large);
  EXPECT_THROW(w.SetQuality(0), Error);
  EXPECT_THROW(w.SetQuality(101), Error);
  EXPECT_EQ(w.Quality(), 100);
  TJpegWriter empty;
  EXPECT_THROW(empty.Encode(), Error);
}

TEST(ImageFiles, SaveWritesTheEncodedBytesAndReportsUnwritablePaths) {
  auto dir = std::filesystem::temp_directory_path() / ("velmora-img-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  TBitmap24 b = Pattern();
  b.SaveToFile((dir / "a.bmp").string());
  EXPECT_EQ(std::filesystem::file_size(dir / "a.bmp"), b.EncodeBitmap().size());
  // A plain file where a directory is expected fails even for root.
  std::ofstream(dir / "plain") << "x";
  EXPECT_THROW(b.SaveToFile((dir / "plain" / "b.bmp").string()), Error);
  TJpegWriter w;
  w.Assign(b);
  EXPECT_THROW(w.SaveToFile((dir / "plain" / "b.jpg").string()), Error);
  std::filesystem::remove_all(dir);
}
