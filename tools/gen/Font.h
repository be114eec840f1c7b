// Text drawn with FreeType into coverage pictures (clock numerals, sprite
// digits, weekday and am/pm sprites).
//
// made (font file opened) -> DrawCentred / Measure any number of times ->
// freed with the object.
//
//   TFont font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
//   font.DrawCentred(mask, "12", 40, TVec2{256, 60});
//
// Raises "TFont.Create error: cannot open FILE" and
// "TFont.Render error: no glyph for 'c'".
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "tools/gen/Draw.h"
#include "tools/gen/Image.h"

namespace velmora::gen {

class TFont {
 public:
  explicit TFont(const std::string& fileName);
  ~TFont();
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // The text's ink rendered at pixelSize (the em height), as a coverage
  // picture cropped to the ink with `margin` empty pixels around it.
  TImage Render(std::string_view text, int pixelSize, int margin = 0) const;
  // Raises the coverage with the text's ink, its ink box centred on centre,
  // scaled by scaleX and scaleY (bilinear) after rendering.
  void DrawCentred(TImage& coverage, std::string_view text, int pixelSize, TVec2 centre, double scaleX = 1.0,
                   double scaleY = 1.0) const;

 private:
  struct Library;
  std::unique_ptr<Library> lib_;
};

// The coverage grown by a disc of the given radius (outlines and shadows).
TImage Dilated(const TImage& coverage, double radius);

}  // namespace velmora::gen
