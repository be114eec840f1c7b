// Decoded images: bitmaps of every kind the reader takes, JPEG files in
// their colour spaces, refusing damaged and oversized files, and fitting to
// power-of-two sizes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "assets/Bitmap.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "tests/assets/ImageTestSupport.h"

namespace velmora {
namespace {

using image_test::BmpSpec;
using image_test::Bytes;
using image_test::MakeBmp;
using image_test::MakeJpeg;

TBitmap Bmp(const Bytes& file, const std::string& name = "test.bmp") {
  return TBitmap::DecodeBmp(file.data(), file.size(), name);
}
TBitmap Jpeg(const Bytes& file, const std::string& name = "test.jpg") {
  return TBitmap::DecodeJpeg(file.data(), file.size(), name);
}

// The error text of a decoding that must fail.
template <class F>
std::string ErrorOf(F&& decode) {
  try {
    decode();
  } catch (const Error& e) {
    return e.what();
  }
  ADD_FAILURE() << "no error raised";
  return {};
}

bool Near(TBitmapColor c, int r, int g, int b, int tolerance = 3) {
  return std::abs(c.R - r) <= tolerance && std::abs(c.G - g) <= tolerance && std::abs(c.B - b) <= tolerance;
}

// A 3 x 2 picture (rows of 9 bytes, padded to 12) in blue, green, red order.
BmpSpec ThreeByTwo24() {
  BmpSpec s;
  s.width = 3;
  s.height = 2;
  s.rows = {{0, 0, 255, 0, 255, 0, 255, 0, 0}, {10, 20, 30, 40, 50, 60, 70, 80, 90}};
  return s;
}

TEST(BitmapBmp, TwentyFourBitRowsInBothOrders) {
  for (bool topDown : {false, true}) {
    BmpSpec s = ThreeByTwo24();
    s.topDown = topDown;
    TBitmap b = Bmp(MakeBmp(s));
    ASSERT_EQ(b.BitsPerPixel(), 24);
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.RowSize(), 9);
    // Top row first, red before green before blue.
    EXPECT_EQ(b.Color(0, 0), (TBitmapColor{255, 0, 0}));
    EXPECT_EQ(b.Color(1, 0), (TBitmapColor{0, 255, 0}));
    EXPECT_EQ(b.Color(2, 0), (TBitmapColor{0, 0, 255}));
    EXPECT_EQ(b.Color(0, 1), (TBitmapColor{30, 20, 10}));
    EXPECT_EQ(b.Color(2, 1), (TBitmapColor{90, 80, 70}));
    EXPECT_EQ(b.ScanLine(1)[3], 60);
    EXPECT_EQ(b.Pixels().size(), 18u);  // packed: the padding is gone
  }
  // The older 12-byte header reads alike.
  BmpSpec core = ThreeByTwo24();
  core.headerSize = 12;
  EXPECT_EQ(Bmp(MakeBmp(core)).Color(2, 1), (TBitmapColor{90, 80, 70}));
}

TEST(BitmapBmp, PaletteImagesOfEightFourAndOneBits) {
  // 8 bits, 5 pixels a row (padded to 8), a palette of 3 colours: index 7
  // lies beyond it and reads black.
  BmpSpec s;
  s.bits = 8;
  s.width = 5;
  s.height = 2;
  s.palette = {0xFF0000, 0x00FF00, 0x102030};
  s.rows = {{0, 1, 2, 7, 0}, {2, 2, 1, 1, 0}};
  for (std::uint32_t header : {40u, 12u, 124u}) {
    s.headerSize = header;
    if (header == 12) s.palette.resize(256, 0);  // the old header has no colour count
    TBitmap b = Bmp(MakeBmp(s));
    ASSERT_EQ(b.BitsPerPixel(), 8) << header;
    EXPECT_EQ(b.ScanLine(0)[3], 7);
    EXPECT_EQ(b.Palette()[0], (TBitmapColor{255, 0, 0}));
    EXPECT_EQ(b.Palette()[2], (TBitmapColor{0x10, 0x20, 0x30}));
    EXPECT_EQ(b.Color(3, 0), (TBitmapColor{0, 0, 0}));
    EXPECT_EQ(b.Color(0, 1), (TBitmapColor{0x10, 0x20, 0x30}));
    EXPECT_EQ(b.Color(2, 1), (TBitmapColor{0, 255, 0}));
    EXPECT_EQ(b.Palette()[255], (TBitmapColor{0, 0, 0}));
  }

  // 4 bits: 3 pixels a row, the leftmost in the high half of the byte.
  BmpSpec four;
  four.bits = 4;
  four.width = 3;
  four.height = 1;
  four.palette.assign(16, 0);
  four.palette[0xA] = 0x0A0A0A;
  four.palette[0x5] = 0x050505;
  four.rows = {{0xA5, 0xF0}};
  TBitmap b4 = Bmp(MakeBmp(four));
  ASSERT_EQ(b4.BitsPerPixel(), 8);
  EXPECT_EQ(b4.ScanLine(0)[0], 0xA);
  EXPECT_EQ(b4.ScanLine(0)[1], 0x5);
  EXPECT_EQ(b4.ScanLine(0)[2], 0xF);
  EXPECT_EQ(b4.Color(1, 0), (TBitmapColor{5, 5, 5}));

  // 1 bit: 10 pixels over two bytes, bottom-up.
  BmpSpec one;
  one.bits = 1;
  one.width = 10;
  one.height = 2;
  one.palette = {0x000000, 0xFFFFFF};
  one.rows = {{0b10110000, 0b01000000}, {0b00000000, 0b10000000}};
  TBitmap b1 = Bmp(MakeBmp(one));
  const int top[10] = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(b1.ScanLine(0)[x], top[x]) << x;
  EXPECT_EQ(b1.ScanLine(1)[8], 1);
  EXPECT_EQ(b1.ScanLine(1)[9], 0);
}

TEST(BitmapBmp, SixteenAndThirtyTwoBitsBecomeTwentyFour) {
  // 16 bits without masks: 5-5-5.
  BmpSpec s;
  s.bits = 16;
  s.width = 2;
  s.height = 1;
  s.rows = {{0x00, 0x7C, 0x1F, 0x00}};  // pure red, pure blue
  TBitmap b = Bmp(MakeBmp(s));
  ASSERT_EQ(b.BitsPerPixel(), 24);
  EXPECT_EQ(b.Color(0, 0), (TBitmapColor{255, 0, 0}));
  EXPECT_EQ(b.Color(1, 0), (TBitmapColor{0, 0, 255}));

  // 16 bits 5-6-5 with masks after a 40-byte header: green of 6 bits.
  s.compression = 3;
  s.masks = {0xF800, 0x07E0, 0x001F};
  s.rows = {{0xE0, 0x07, 0x00, 0x04}};  // full green; green 32 of 63
  b = Bmp(MakeBmp(s));
  EXPECT_EQ(b.Color(0, 0), (TBitmapColor{0, 255, 0}));
  EXPECT_EQ(b.Color(1, 0), (TBitmapColor{0, 130, 0}));

  // 32 bits with the masks inside a version 5 header, alpha ignored.
  BmpSpec w;
  w.headerSize = 124;
  w.bits = 32;
  w.width = 1;
  w.height = 2;
  w.compression = 3;
  w.masks = {0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF};
  w.rows = {{0x80, 0x11, 0x22, 0x33}, {0, 0, 0, 0}};
  b = Bmp(MakeBmp(w));
  EXPECT_EQ(b.Color(0, 0), (TBitmapColor{0x11, 0x22, 0x33}));

  // Plain 32 bits: blue, green, red, unused.
  w.headerSize = 40;
  w.compression = 0;
  w.masks.clear();
  b = Bmp(MakeBmp(w));
  EXPECT_EQ(b.Color(0, 0), (TBitmapColor{0x22, 0x11, 0x80}));
}

TEST(BitmapBmp, UndecodedKindsKeepTheirSizeWithoutPixels) {
  BmpSpec s;
  s.bits = 8;
  s.compression = 1;  // run-length encoded
  s.width = 300;
  s.height = 7;
  s.palette = {0xFFFFFF};
  s.rows = {{1, 0, 0, 1}};  // one run, end of bitmap
  TBitmap b = Bmp(MakeBmp(s));
  EXPECT_EQ(b.BitsPerPixel(), 0);
  EXPECT_EQ(b.Width(), 300);
  EXPECT_EQ(b.Height(), 7);
  EXPECT_TRUE(b.Pixels().empty());
  EXPECT_THROW(b.ScanLine(0), Error);
  EXPECT_THROW(b.Color(0, 0), Error);
  TBitmap fitted = b.FitPowerOfTwo();
  EXPECT_EQ(fitted.Width(), 256);
  EXPECT_EQ(fitted.Height(), 4);
  EXPECT_EQ(fitted.BitsPerPixel(), 0);
}

TEST(BitmapBmp, DamagedFilesNameTheFileAndTheOperation) {
  const Bytes good = MakeBmp(ThreeByTwo24());
  ASSERT_NO_THROW(Bmp(good));

  auto failure = [](const Bytes& file) { return ErrorOf([&] { Bmp(file, "skin.bmp"); }); };
  EXPECT_EQ(failure(Bytes{}), "TBitmap.DecodeBmp error: skin.bmp: Not a bitmap file");
  EXPECT_EQ(failure(Bytes{'P', 'K', 3, 4}), "TBitmap.DecodeBmp error: skin.bmp: Not a bitmap file");
  EXPECT_EQ(failure(Bytes(good.begin(), good.begin() + 16)), "TBitmap.DecodeBmp error: skin.bmp: File header is truncated");
  EXPECT_EQ(failure(Bytes(good.begin(), good.begin() + 40)), "TBitmap.DecodeBmp error: skin.bmp: Header is truncated");
  // Every cut inside the pixel data is refused, the last byte included.
  for (std::size_t cut = 54; cut < good.size(); ++cut)
    EXPECT_NE(failure(Bytes(good.begin(), good.begin() + long(cut))).find("skin.bmp: Pixel data is truncated"),
              std::string::npos)
        << cut;

  Bytes badHeader = good;
  image_test::Set32(badHeader, 14, 41);
  EXPECT_EQ(failure(badHeader), "TBitmap.DecodeBmp error: skin.bmp: Unknown header size 41");
  Bytes zeroWidth = good;
  image_test::Set32(zeroWidth, 18, 0);
  EXPECT_EQ(failure(zeroWidth), "TBitmap.DecodeBmp error: skin.bmp: Invalid image size 0x2");
  Bytes negativeWidth = good;
  image_test::Set32(negativeWidth, 18, std::uint32_t(-3));
  EXPECT_EQ(failure(negativeWidth), "TBitmap.DecodeBmp error: skin.bmp: Invalid image size -3x2");
  Bytes farOffset = good;
  image_test::Set32(farOffset, 10, 0xFFFFFFF0u);
  EXPECT_NE(failure(farOffset).find("Pixel data is truncated"), std::string::npos);

  // A palette image whose palette runs past the end of the file.
  BmpSpec s;
  s.bits = 8;
  s.width = 1;
  s.height = 1;
  s.palette = {0x123456, 0x654321};
  s.rows = {{1}};
  Bytes shortPalette = MakeBmp(s);
  image_test::Set32(shortPalette, 46, 200);  // colours used
  image_test::Set32(shortPalette, 10, 0);    // offset pointing back into the headers
  EXPECT_NE(failure(shortPalette).find("skin.bmp: Palette is truncated"), std::string::npos);

  // Bit fields announced but the masks missing.
  BmpSpec masked;
  masked.bits = 16;
  masked.compression = 3;
  masked.width = 1;
  masked.height = 1;
  Bytes noMasks = MakeBmp(masked);
  noMasks.resize(56);
  EXPECT_EQ(failure(noMasks), "TBitmap.DecodeBmp error: skin.bmp: Colour masks are truncated");
}

TEST(BitmapBmp, HugeDeclaredSizesAreRefusedBeforeAllocating) {
  BmpSpec s = ThreeByTwo24();
  Bytes file = MakeBmp(s);
  image_test::Set32(file, 18, 60000);
  image_test::Set32(file, 22, 60000);
  EXPECT_EQ(ErrorOf([&] { Bmp(file, "huge.bmp"); }), "TBitmap.DecodeBmp error: huge.bmp: Image of 60000x60000 is too large");
  // Within the limits but not in the file: the pixel data is missing.
  image_test::Set32(file, 18, 16384);
  image_test::Set32(file, 22, std::uint32_t(-4096));
  EXPECT_NE(ErrorOf([&] { Bmp(file, "huge.bmp"); }).find("huge.bmp: Pixel data is truncated (201326592 bytes needed"),
            std::string::npos);
  // Each side alone within MaxSide, the product beyond MaxPixels.
  image_test::Set32(file, 18, 16384);
  image_test::Set32(file, 22, 16384);
  EXPECT_NE(ErrorOf([&] { Bmp(file); }).find("too large"), std::string::npos);
  EXPECT_FALSE(TBitmap::ValidSize(TBitmap::MaxSide + 1, 1));
  EXPECT_TRUE(TBitmap::ValidSize(8192, 8192));
}

TEST(BitmapJpeg, ColourSpacesDecodeToTwentyFourBits) {
  // Left half orange, right half teal, in 8 x 8 blocks so the colours stay flat.
  image_test::JpegSpec rgb;
  rgb.width = 16;
  rgb.height = 8;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      const Bytes c = x < 8 ? Bytes{240, 120, 16} : Bytes{0, 128, 128};
      rgb.pixels.insert(rgb.pixels.end(), c.begin(), c.end());
    }
  for (bool progressive : {false, true}) {
    rgb.progressive = progressive;
    TBitmap b = Jpeg(MakeJpeg(rgb));
    ASSERT_EQ(b.BitsPerPixel(), 24);
    ASSERT_EQ(b.Width(), 16);
    ASSERT_EQ(b.Height(), 8);
    EXPECT_TRUE(Near(b.Color(2, 3), 240, 120, 16)) << progressive;
    EXPECT_TRUE(Near(b.Color(13, 5), 0, 128, 128)) << progressive;
  }

  // Grey: expanded to equal red, green and blue.
  TBitmap grey = Jpeg(MakeJpeg(image_test::FlatJpeg(9, 5, {77}, JCS_GRAYSCALE)));
  ASSERT_EQ(grey.BitsPerPixel(), 24);
  EXPECT_EQ(grey.Width(), 9);
  const TBitmapColor g = grey.Color(8, 4);
  EXPECT_TRUE(Near(g, 77, 77, 77, 1));
  EXPECT_TRUE(g.R == g.G && g.G == g.B);

  // CMYK as Adobe's encoders (and libjpeg) store it, inverted: 255 is no
  // ink. No cyan, full magenta, no yellow, no black reads magenta; half the
  // black darkens it.
  TBitmap magenta = Jpeg(MakeJpeg(image_test::FlatJpeg(8, 8, {255, 0, 255, 255}, JCS_CMYK)));
  EXPECT_TRUE(Near(magenta.Color(4, 4), 255, 0, 255));
  TBitmap dark = Jpeg(MakeJpeg(image_test::FlatJpeg(8, 8, {255, 0, 255, 128}, JCS_CMYK)));
  EXPECT_TRUE(Near(dark.Color(4, 4), 128, 0, 128));
}

TEST(BitmapJpeg, DamagedFilesNameTheFileAndTheOperation) {
  // Noise, so that the compressed data is long.
  image_test::JpegSpec noise;
  noise.width = noise.height = 64;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 64 * 64 * 3; ++i) noise.pixels.push_back(std::uint8_t((seed = seed * 1103515245u + 12345u) >> 24));
  const Bytes good = MakeJpeg(noise);
  ASSERT_NO_THROW(Jpeg(good));
  const std::size_t data = image_test::ScanDataOffset(good);
  ASSERT_GT(good.size(), data + 1000);

  auto failure = [](const Bytes& file) { return ErrorOf([&] { Jpeg(file, "skin.jpg"); }); };
  const std::string prefix = "TBitmap.DecodeJpeg error: skin.jpg: ";
  EXPECT_EQ(failure(Bytes{}), prefix + "Empty input file");
  EXPECT_EQ(failure(Bytes{'B', 'M', 0, 0, 0}).rfind(prefix + "Not a JPEG file", 0), 0u);
  // Cut in the headers, in the compressed data, and in its last bytes.
  for (std::size_t cut : {std::size_t(20), data / 2, data + 500, good.size() - 3})
    EXPECT_EQ(failure(Bytes(good.begin(), good.begin() + long(cut))).rfind(prefix, 0), 0u) << cut;
  EXPECT_EQ(failure(Bytes(good.begin(), good.begin() + long(data + 500))), prefix + "Data is truncated");

  // An end marker in the middle of the compressed data.
  Bytes marker = good;
  marker[data + 500] = 0xFF;
  marker[data + 501] = 0xD9;
  EXPECT_EQ(failure(marker), prefix + "Corrupt JPEG data: premature end of data segment");

  // A frame header declaring 60000 x 60000 in a file of a few kilobytes.
  Bytes huge = good;
  const std::size_t at = image_test::FrameSizeOffset(huge);
  huge[at] = huge[at + 2] = 0xEA;
  huge[at + 1] = huge[at + 3] = 0x60;
  EXPECT_EQ(failure(huge), prefix + "Image of 60000x60000 is too large");
  // Within the limits, but far more pixels than the file could encode.
  huge[at] = 0x10, huge[at + 1] = 0x00;      // 4096 rows
  huge[at + 2] = 0x40, huge[at + 3] = 0x00;  // 16384 columns
  EXPECT_EQ(failure(huge), prefix + Format("Image of 16384x4096 is too large for a file of %zu bytes", huge.size()));
  // Plausible for the file, but the data covers only the first rows:
  // decoding stops where the data ends instead of inventing the rest.
  ASSERT_GT(good.size(), std::size_t(8192));
  huge[at] = 0x08, huge[at + 1] = 0x00;      // 2048 rows
  huge[at + 2] = 0x10, huge[at + 3] = 0x00;  // 4096 columns
  EXPECT_EQ(failure(huge), prefix + "Corrupt JPEG data: premature end of data segment");
  huge.resize(huge.size() - 2);  // without the end marker
  EXPECT_EQ(failure(huge), prefix + "Data is truncated");
}

TEST(BitmapDecode, TheExtensionChoosesTheDecoder) {
  const Bytes bmp = MakeBmp(ThreeByTwo24());
  const Bytes jpg = MakeJpeg(image_test::FlatJpeg(8, 8, {1, 2, 3}, JCS_RGB));
  auto decode = [](const Bytes& b, const std::string& name) { return TBitmap::Decode(b.data(), b.size(), name); };
  EXPECT_EQ(decode(bmp, "Textures/Sand.BMP").Width(), 3);
  EXPECT_EQ(decode(jpg, "Plate.JPG").Width(), 8);
  EXPECT_EQ(decode(jpg, "Plate.jepg").Width(), 8);
  // Other extensions give the empty image without looking at the bytes.
  for (const char* name : {"Plate.jpeg", "Plate.png", "Plate", "folder.jpg/Plate", "Plate.jpg.txt"}) {
    TBitmap b = decode(jpg, name);
    EXPECT_TRUE(b.Empty()) << name;
    EXPECT_EQ(b.BitsPerPixel(), 0) << name;
  }
  // The file content still has to match its extension.
  EXPECT_THROW(decode(jpg, "Plate.bmp"), Error);
  EXPECT_THROW(decode(bmp, "Plate.jpg"), Error);
}

TEST(BitmapDecode, PictureFormatLooksAtTheFilePartOfAnyPath) {
  EXPECT_EQ(PictureFormatOf("Sub\\Sand.Bmp"), TPictureFormat::pfBmp);
  EXPECT_EQ(PictureFormatOf("C:Plate.JePg"), TPictureFormat::pfJpeg);
  EXPECT_EQ(PictureFormatOf("/data/Plate.jpg"), TPictureFormat::pfJpeg);
  for (const char* name : {"Plate.jpeg", "", ".", "Sub.bmp\\Plate", "C.jpg:Plate", "Plate.bmp.png"})
    EXPECT_EQ(PictureFormatOf(name), TPictureFormat::pfNone) << name;
}

TEST(BitmapFit, SidesBecomePowersOfTwoUpTo1024) {
  EXPECT_EQ(TBitmap::FittedSide(640), 512);
  EXPECT_EQ(TBitmap::FittedSide(480), 256);
  EXPECT_EQ(TBitmap::FittedSide(1), 1);
  EXPECT_EQ(TBitmap::FittedSide(1023), 512);
  EXPECT_EQ(TBitmap::FittedSide(1024), 1024);
  EXPECT_EQ(TBitmap::FittedSide(5000), 1024);

  TBitmap vga(640, 480, 24);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) vga.ScanLine(y)[x * 3 + 1] = 200;  // flat green
  TBitmap fitted = vga.FitPowerOfTwo();
  EXPECT_EQ(fitted.Width(), 512);
  EXPECT_EQ(fitted.Height(), 256);
  EXPECT_EQ(fitted.BitsPerPixel(), 24);
  EXPECT_EQ(fitted.Color(0, 0), (TBitmapColor{0, 200, 0}));
  EXPECT_EQ(fitted.Color(511, 255), (TBitmapColor{0, 200, 0}));

  // Already fitting: the same pixels, untouched (8-bit stays 8-bit).
  TBitmap square(1024, 1024, 8);
  square.ScanLine(1023)[1023] = 9;
  square.Palette()[9] = TBitmapColor{1, 2, 3};
  TBitmap same = square.FitPowerOfTwo();
  EXPECT_EQ(same.BitsPerPixel(), 8);
  EXPECT_EQ(same.Pixels(), square.Pixels());
  EXPECT_EQ(same.Color(1023, 1023), (TBitmapColor{1, 2, 3}));

  TBitmap big(2048, 2048, 24);
  TBitmap shrunk = big.FitPowerOfTwo();
  EXPECT_EQ(shrunk.Width(), 1024);
  EXPECT_EQ(shrunk.Height(), 1024);
  TBitmap wide(2048, 16, 24);
  EXPECT_EQ(wide.FitPowerOfTwo().Width(), 1024);
  EXPECT_EQ(wide.FitPowerOfTwo().Height(), 16);
  EXPECT_TRUE(TBitmap().FitPowerOfTwo().Empty());
}

TEST(BitmapFit, ResamplingFiltersInsteadOfPickingPixels) {
  // Black, white, black into two pixels: a filter mixes white into both;
  // picking nearest pixels would keep pure black or pure white.
  TBitmap stripes(3, 1, 24);
  std::fill(stripes.ScanLine(0) + 3, stripes.ScanLine(0) + 6, 255);
  TBitmap two = stripes.FitPowerOfTwo();
  ASSERT_EQ(two.Width(), 2);
  for (int x = 0; x < 2; ++x) {
    EXPECT_GT(two.Color(x, 0).R, 20) << x;
    EXPECT_LT(two.Color(x, 0).R, 235) << x;
  }
  EXPECT_EQ(two.Color(0, 0), two.Color(1, 0));  // symmetric input, symmetric output

  // Palette images are resampled through their colours into 24 bits.
  TBitmap indexed(3, 3, 8);
  indexed.Palette()[0] = TBitmapColor{10, 100, 250};
  TBitmap fitted = indexed.FitPowerOfTwo();
  EXPECT_EQ(fitted.BitsPerPixel(), 24);
  EXPECT_EQ(fitted.Width(), 2);
  EXPECT_EQ(fitted.Color(1, 1), (TBitmapColor{10, 100, 250}));
}

TEST(BitmapCreate, SizesKindsAndBounds) {
  EXPECT_EQ(ErrorOf([] { TBitmap(-1, 4, 24); }), "TBitmap.Create error: Invalid image size -1x4");
  EXPECT_EQ(ErrorOf([] { TBitmap(4, 4, 32); }), "TBitmap.Create error: Bits per pixel must be 24, 8 or 0, not 32");
  TBitmap b(4, 3, 8);
  EXPECT_EQ(b.RowSize(), 4);
  EXPECT_EQ(b.Pixels().size(), 12u);
  EXPECT_EQ(ErrorOf([&] { b.ScanLine(3); }), "TBitmap.ScanLine error: Row 3 out of bounds");
  EXPECT_EQ(ErrorOf([&] { b.Color(4, 0); }), "TBitmap.Color error: Pixel (4, 0) out of bounds");
  EXPECT_THROW(b.ScanLine(-1), Error);
  TBitmap none(5, 5, 0);
  EXPECT_EQ(none.RowSize(), 0);
  EXPECT_FALSE(none.Empty());
}

}  // namespace
}  // namespace velmora
