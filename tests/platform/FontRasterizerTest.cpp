// The system-font rasteriser (fontconfig and FreeType with the fonts the
// set-up scripts install) and its fake.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "core/Error.h"
#include "platform/FontRasterizer.h"
#include "platform/fake/FakeFontRasterizer.h"
#include "platform/sdl/FreeTypeFonts.h"
#include "tests/platform/TempFolder.h"

using namespace platform;

namespace {

// A black picture with a guard band right of each row, which drawing must
// never touch.
struct Canvas {
  static constexpr std::uint8_t Guard = 0x77;
  int width, height, bytesPerPixel, stride;
  std::vector<std::uint8_t> bytes;

  Canvas(int w, int h, int bpp = 1) : width(w), height(h), bytesPerPixel(bpp), stride(w * bpp + 8) {
    bytes.assign(std::size_t(stride) * std::size_t(h), 0);
    for (int y = 0; y < h; ++y) std::fill(Row(y) + w * bpp, Row(y) + stride, Guard);
  }
  GlyphBuffer Buffer() { return GlyphBuffer{bytes.data(), width, height, stride, bytesPerPixel}; }
  std::uint8_t* Row(int y) { return bytes.data() + std::size_t(y) * std::size_t(stride); }
  std::uint8_t At(int x, int y, int channel = 0) { return Row(y)[x * bytesPerPixel + channel]; }
  long Sum() {
    long sum = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width * bytesPerPixel; ++x) sum += Row(y)[x];
    return sum;
  }
  bool GuardsIntact() {
    for (int y = 0; y < height; ++y)
      for (int i = width * bytesPerPixel; i < stride; ++i)
        if (Row(y)[i] != Guard) return false;
    return true;
  }
  // Rows [first, last) that hold any coverage.
  bool AnyInRows(int first, int last) {
    for (int y = std::max(0, first); y < std::min(height, last); ++y)
      for (int x = 0; x < width; ++x)
        if (At(x, y)) return true;
    return false;
  }
};

FreeTypeFontRasterizer& Real() {
  static FreeTypeFontRasterizer rasterizer;
  return rasterizer;
}

}  // namespace

TEST(FreeTypeFonts, ArialFindsAMetricCompatibleSansFace) {
  auto font = Real().Open("Arial", 0, 32);
  EXPECT_TRUE(font->FamilyName() == "Liberation Sans" || font->FamilyName() == "DejaVu Sans") << font->FamilyName();
  EXPECT_FALSE(font->FileName().empty());
  EXPECT_EQ(font->PixelHeight(), 32);
  const FontMetrics m = font->Metrics();
  EXPECT_GT(m.ascent, 20);
  EXPECT_GT(m.descent, 2);
  EXPECT_EQ(m.height, m.ascent + m.descent);
  EXPECT_GE(m.height, 32);  // a line is a little taller than the em
  EXPECT_LE(m.height, 48);
  // Case does not matter, and bold finds the bold face of the same family.
  EXPECT_EQ(Real().Open("arial", FontBold, 32)->FamilyName(), font->FamilyName());
}

TEST(FreeTypeFonts, UnknownFamiliesFallBackToTheDefaultSansFace) {
  const std::string sans = Real().Open("sans-serif", 0, 20)->FamilyName();
  ASSERT_FALSE(sans.empty());
  EXPECT_EQ(Real().Open("No Such Family Velmora", 0, 20)->FamilyName(), sans);
  EXPECT_EQ(Real().Open("", FontItalic, 20)->FamilyName(), sans);
}

TEST(FreeTypeFonts, AdvancesArePositiveAndAddUp) {
  auto font = Real().Open("Arial", 0, 32);
  for (char32_t c = 33; c < 127; ++c) EXPECT_GT(font->Advance(c), 0) << char(c);
  EXPECT_GT(font->Advance(U' '), 0);
  EXPECT_GT(font->Advance(U'W'), font->Advance(U'i'));
  const std::u32string text = U"Velmora 60 fps";
  int sum = 0;
  for (char32_t c : text) sum += font->Advance(c);
  EXPECT_EQ(font->TextWidth(text), sum);
  Canvas canvas(400, 48);
  EXPECT_EQ(font->DrawText(text, canvas.Buffer(), 0, 0), sum);
  // The same answer every time, and twice the height roughly doubles it.
  EXPECT_EQ(font->Advance(U'm'), font->Advance(U'm'));
  const int big = Real().Open("Arial", 0, 64)->TextWidth(text);
  EXPECT_GT(big, sum * 18 / 10);
  EXPECT_LT(big, sum * 22 / 10);
  // Bold (real or synthetic) is never narrower.
  EXPECT_GE(Real().Open("Arial", FontBold, 32)->TextWidth(text), sum);
  EXPECT_GE(Real().Open("No Such Family Velmora", FontBold, 32)->TextWidth(text),
            Real().Open("No Such Family Velmora", 0, 32)->TextWidth(text));
}

TEST(FreeTypeFonts, GlyphsDrawWhiteOnBlackInsideTheirLine) {
  auto font = Real().Open("Arial", 0, 32);
  const FontMetrics m = font->Metrics();
  Canvas grey(64, 64);
  font->DrawGlyph(U'A', grey.Buffer(), 10, 8);
  EXPECT_GT(grey.Sum(), 255 * 20);
  bool solid = false;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      if (grey.At(x, y) == 255) solid = true;
      if (grey.At(x, y) != 0) {
        // Capitals stand on the baseline, within the line and the advance.
        EXPECT_GE(y, 8);
        EXPECT_LT(y, 8 + m.ascent);
        EXPECT_GE(x, 10 - 2);
        EXPECT_LT(x, 10 + font->Advance(U'A') + 2);
      }
    }
  EXPECT_TRUE(solid);
  // 24 bits: the same coverage in red, green and blue.
  Canvas colour(64, 64, 3);
  font->DrawGlyph(U'A', colour.Buffer(), 10, 8);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(colour.At(x, y, c), grey.At(x, y)) << x << "," << y;
  // The blank draws nothing; "g" reaches below the baseline.
  Canvas blank(64, 64);
  font->DrawGlyph(U' ', blank.Buffer(), 10, 8);
  EXPECT_EQ(blank.Sum(), 0);
  Canvas g(64, 64);
  font->DrawGlyph(U'g', g.Buffer(), 10, 8);
  EXPECT_TRUE(g.AnyInRows(8 + m.ascent, 8 + m.height));
}

TEST(FreeTypeFonts, DrawingIsClippedToTheBuffer) {
  auto font = Real().Open("Arial", FontBold | FontItalic | FontUnderline | FontStrikeOut, 40);
  Canvas canvas(48, 30);
  font->DrawText(U"WMW", canvas.Buffer(), -20, -15);
  font->DrawText(U"gjy", canvas.Buffer(), 30, 10);
  font->DrawText(U"Wide text beyond", canvas.Buffer(), 40, 25);
  EXPECT_GT(canvas.Sum(), 0);
  EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(FreeTypeFonts, UnderlineAndStrikeOutDrawBarsAcrossTheAdvance) {
  auto plain = Real().Open("Arial", 0, 32);
  const FontMetrics m = plain->Metrics();
  Canvas a(64, 64);
  plain->DrawGlyph(U'o', a.Buffer(), 0, 0);
  EXPECT_FALSE(a.AnyInRows(m.ascent + 1, m.height));
  Canvas under(64, 64);
  Real().Open("Arial", FontUnderline, 32)->DrawGlyph(U'o', under.Buffer(), 0, 0);
  EXPECT_TRUE(under.AnyInRows(m.ascent + 1, m.height));
  // The bar runs across the whole advance, also over the blank.
  Canvas blank(64, 64);
  auto struck = Real().Open("Arial", FontStrikeOut, 32);
  struck->DrawGlyph(U' ', blank.Buffer(), 0, 0);
  int barRow = -1;
  for (int y = 0; y < m.ascent && barRow < 0; ++y)
    if (blank.At(0, y) == 255) barRow = y;
  ASSERT_GE(barRow, m.ascent / 3);
  EXPECT_EQ(blank.At(struck->Advance(U' ') - 1, barRow), 255);
  EXPECT_EQ(blank.At(struck->Advance(U' '), barRow), 0);
}

TEST(FreeTypeFonts, NoFontAtAllIsAnErrorNamingTheFont) {
  platform_test::TempFolder folder;
  std::filesystem::create_directories(folder.Path() / "empty");
  const std::string conf = folder / "fonts.conf";
  std::ofstream(conf) << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << (folder / "empty") << "</dir><cachedir>"
                      << (folder / "cache") << "</cachedir></fontconfig>\n";
  FreeTypeFontRasterizer none(conf);
  try {
    none.Open("Arial", 0, 16);
    FAIL() << "no error";
  } catch (const velmora::Error& e) {
    EXPECT_STREQ(e.what(), "FontRasterizer.Open error: No font found for \"Arial\"");
  }
  EXPECT_THROW(FreeTypeFontRasterizer(folder / "missing.conf"), velmora::Error);
  try {
    Real().Open("Arial", 0, 0);
    FAIL() << "no error";
  } catch (const velmora::Error& e) {
    EXPECT_STREQ(e.what(), "FontRasterizer.Open error: Invalid pixel height 0 for \"Arial\"");
  }
}

TEST(FreeTypeFonts, TheServiceDefaultsToTheSystemFonts) {
  ASSERT_FALSE(Service<FontRasterizer>::Overridden());
  EXPECT_EQ(Get<FontRasterizer>().Open("Arial", 0, 16)->FamilyName(), Real().Open("Arial", 0, 16)->FamilyName());
  FakeFontRasterizer fake;
  ScopedService<FontRasterizer> installed(&fake);
  EXPECT_EQ(Get<FontRasterizer>().Open("Arial", 0, 16)->FamilyName(), "Fake Sans");
}

TEST(FakeFontRasterizer, PredictableBoxesAndFallback) {
  FakeFontRasterizer fake;
  auto font = fake.Open("fake serif", FontUnderline, 20);
  EXPECT_EQ(font->FamilyName(), "Fake Serif");
  EXPECT_EQ(fake.Open("Arial", 0, 20)->FamilyName(), "Fake Sans");
  ASSERT_EQ(fake.requests.size(), 2u);
  EXPECT_EQ(fake.requests[0].style, unsigned(FontUnderline));
  EXPECT_EQ(font->Metrics().ascent, 16);
  EXPECT_EQ(font->Metrics().height, 20);
  EXPECT_EQ(font->Advance(U'W'), 20);
  EXPECT_EQ(font->Advance(U'i'), 5);
  EXPECT_EQ(font->Advance(U'a'), 10);
  Canvas canvas(40, 24);
  EXPECT_EQ(font->DrawText(U"Ab", canvas.Buffer(), 0, 0), 20);
  EXPECT_EQ(canvas.At(0, 5), 0);     // column 0 of a cell stays free
  EXPECT_EQ(canvas.At(1, 0), 255);   // capitals reach the top of the line
  EXPECT_EQ(canvas.At(11, 5), 0);    // lower case: two thirds of the ascent
  EXPECT_EQ(canvas.At(11, 6), 255);
  EXPECT_EQ(canvas.At(10, 16), 255);  // the underline below the baseline
  EXPECT_EQ(canvas.At(10, 17), 0);
  fake.families.clear();
  EXPECT_THROW(fake.Open("Arial", 0, 20), velmora::Error);
}

TEST(FontCharacterSet, AnsiBytesMapToCodePoints) {
  EXPECT_EQ(AnsiCodePoint('A'), U'A');
  EXPECT_EQ(AnsiCodePoint(0x80), U'\u20AC');
  EXPECT_EQ(AnsiCodePoint(0x96), U'\u2013');
  EXPECT_EQ(AnsiCodePoint(0x9F), U'\u0178');
  EXPECT_EQ(AnsiCodePoint(0x81), char32_t(0x81));
  EXPECT_EQ(AnsiCodePoint(0xE9), U'\u00E9');
  EXPECT_EQ(AnsiCodePoint(0xFF), U'\u00FF');
}
