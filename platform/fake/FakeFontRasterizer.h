// A font rasteriser without font files: every glyph is a plain box, so
// tests of the scene's fonts can predict every pixel and advance.
//
// A font of height h has ascent (4h + 4) / 5 and descent (h + 4) / 5.
// Advances: h / 4 (at least 1) for the blank, "i", "l" and "!"; h for "W"
// and "M"; h / 2 (at least 1) for every other code; bold adds 1. A glyph
// other than the blank fills, with coverage 255, the columns 1 .. advance - 1
// of its cell from the baseline up: to the top of the line for capitals and
// digits, two thirds of the ascent for the rest. Underline fills the row
// below the baseline across the advance, strike-out the row at half the
// ascent.
//
// Families named in `families` are found as they are (ignoring case); any
// other falls back to the first of them; with none, Open raises the real
// rasteriser's "No font found" error.
#pragma once

#include <string>
#include <vector>

#include "platform/FontRasterizer.h"

namespace platform {

class FakeFontRasterizer : public FontRasterizer {
 public:
  std::unique_ptr<RasterFont> Open(const std::string& family, unsigned style, int pixelHeight) override;

  std::vector<std::string> families = {"Fake Sans", "Fake Serif"};

  // Every Open, in order.
  struct Request {
    std::string family;
    unsigned style = 0;
    int pixelHeight = 0;
  };
  std::vector<Request> requests;
};

}  // namespace platform
