// Drawing text of a system font into memory: what the scene's fonts build
// their character atlases from.
//
// The rasteriser finds a font by family name and style and opens it at a
// pixel height; the opened font measures characters and draws them white on
// black (grey levels for the edges) into a buffer the caller owns.
//
//   Get<FontRasterizer>().Open("Arial", FontBold, 32)     a RasterFont
//     -> Metrics, Advance, TextWidth                      sizes in pixels
//     -> DrawGlyph / DrawText into a GlyphBuffer          8-bit or 24-bit
//     -> dropped (the font file is closed with it)
//
// Sizes: pixelHeight is the height of the font's em square in pixels, as a
// point size of pixelHeight at 72 pixels per inch gives it. A line of text
// is Metrics().height pixels high (ascent above the baseline plus descent
// below it), usually a little more than the em.
//
// Characters are Unicode code points; AnsiCodePoint gives the code point of
// a byte code of the Western (Windows-1252) character set that scene text
// is written in.
//
// Errors:
//   "FontRasterizer.Open error: No font found for \"FAMILY\"" when the
//     system has no usable font at all (an unknown family falls back to the
//     default sans face instead)
//   "FontRasterizer.Open error: Invalid pixel height N for \"FAMILY\""
//     (1..1024)
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Service.h"

namespace platform {

// Style bits, with the values of the scene's font style set.
enum FontStyleBits : unsigned { FontBold = 1, FontItalic = 2, FontUnderline = 4, FontStrikeOut = 8 };

struct FontMetrics {
  int ascent = 0;   // pixels from the top of a line to the baseline
  int descent = 0;  // pixels from the baseline to the bottom of a line
  int height = 0;   // ascent + descent
};

// Memory to draw into, owned by the caller: `height` rows of `stride` bytes,
// the top row first; 1 byte a pixel (grey) or 3 (red, green, blue, all
// three written alike).
struct GlyphBuffer {
  std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
  int bytesPerPixel = 1;
};

class RasterFont {
 public:
  virtual ~RasterFont() = default;

  // The family of the face in use ("Liberation Sans" for "Arial" on a
  // system with the Liberation fonts) and its file.
  virtual const std::string& FamilyName() const = 0;
  virtual const std::string& FileName() const = 0;
  virtual int PixelHeight() const = 0;
  virtual unsigned Style() const = 0;
  virtual FontMetrics Metrics() const = 0;

  // How far the pen moves after the character, in whole pixels (0 for a
  // character the font lacks and has no replacement glyph for).
  virtual int Advance(char32_t code) = 0;
  // The sum of the advances.
  virtual int TextWidth(std::u32string_view text) = 0;

  // Draws the character with the top-left corner of its line at (x, y):
  // the baseline lies Metrics().ascent rows below y. Coverage is combined
  // with what the buffer holds by taking the larger value, so neighbouring
  // glyphs may overlap; whatever falls outside the buffer is cut off.
  // Underline and strike-out draw their bar across the advance.
  virtual void DrawGlyph(char32_t code, const GlyphBuffer& buffer, int x, int y) = 0;
  // The characters one after another from (x, y); returns the width drawn
  // (TextWidth).
  virtual int DrawText(std::u32string_view text, const GlyphBuffer& buffer, int x, int y) = 0;
};

class FontRasterizer {
 public:
  virtual ~FontRasterizer() = default;

  // The face that best matches family and style (FontStyleBits), at
  // pixelHeight. Bold and italic are drawn synthetically when the family
  // has no such face.
  virtual std::unique_ptr<RasterFont> Open(const std::string& family, unsigned style, int pixelHeight) = 0;
};

template <>
FontRasterizer& Service<FontRasterizer>::Default();

// The code point of a byte of the Windows-1252 character set (bytes
// 0x80..0x9F that it leaves undefined map to themselves).
char32_t AnsiCodePoint(std::uint8_t code);

}  // namespace platform
