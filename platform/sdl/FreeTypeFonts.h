// The real font rasteriser: fontconfig finds the font file, FreeType draws
// its glyphs.
//
// Open asks fontconfig for the family with the weight (bold or regular) and
// slant (italic or roman) of the style, after the system's substitution
// rules: "Arial" finds a metric-compatible face such as Liberation Sans
// where one is installed, and a family the system does not know gets the
// default sans face fontconfig appends to every request. When the matched
// file cannot be opened, "sans-serif" is asked for as a last resort before
// "FontRasterizer.Open error: No font found for ..." is raised.
//
// Glyphs are FreeType's hinted outlines rendered with 256 grey levels
// (bitmap-only fonts: their nearest strike). Bold and italic the face lacks
// are synthesised (FT_GlyphSlot_Embolden, FT_GlyphSlot_Oblique); underline
// and strike-out bars come from the font's own position and thickness.
//
// Lifecycle: the rasteriser holds one FreeType library and one fontconfig
// configuration for its lifetime; each RasterFont holds its face and a
// share of the library, so fonts may outlive the rasteriser.
#pragma once

#include <memory>
#include <string>

#include "platform/FontRasterizer.h"

struct _FcConfig;
struct FT_LibraryRec_;

namespace platform {

class FreeTypeFontRasterizer : public FontRasterizer {
 public:
  // With the system's fontconfig configuration.
  FreeTypeFontRasterizer();
  // With only the configuration file given (tests point it at folders of
  // their choosing, or at none).
  explicit FreeTypeFontRasterizer(const std::string& configFile);
  ~FreeTypeFontRasterizer() override;
  FreeTypeFontRasterizer(const FreeTypeFontRasterizer&) = delete;
  FreeTypeFontRasterizer& operator=(const FreeTypeFontRasterizer&) = delete;

  std::unique_ptr<RasterFont> Open(const std::string& family, unsigned style, int pixelHeight) override;

 private:
  std::shared_ptr<FT_LibraryRec_> library_;  // shared with every font opened
  _FcConfig* config_ = nullptr;  // nullptr: the system's current configuration
};

}  // namespace platform
