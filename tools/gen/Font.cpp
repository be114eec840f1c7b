#include "tools/gen/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Error.h"

namespace velmora::gen {

struct TFont::Library {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Library() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

TFont::TFont(const std::string& fileName) : lib_(std::make_unique<Library>()) {
  if (FT_Init_FreeType(&lib_->library)) RaiseError("TFont", "Create", "FreeType does not start");
  if (FT_New_Face(lib_->library, fileName.c_str(), 0, &lib_->face)) RaiseError("TFont", "Create", "cannot open " + fileName);
}

TFont::~TFont() = default;

TImage TFont::Render(std::string_view text, int pixelSize, int margin) const {
  FT_Face face = lib_->face;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
  // Lay the glyphs out on a canvas large enough for any of them, then crop.
  const int canvasW = pixelSize * (static_cast<int>(text.size()) + 2), canvasH = pixelSize * 3;
  std::vector<float> canvas(static_cast<std::size_t>(canvasW) * static_cast<std::size_t>(canvasH), 0.0f);
  int penX = pixelSize, baseline = pixelSize * 2;
  for (char ch : text) {
    if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_RENDER))
      RaiseError("TFont", "Render", std::string("no glyph for '") + ch + "'");
    const FT_Bitmap& bm = face->glyph->bitmap;
    const int left = penX + face->glyph->bitmap_left, top = baseline - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bm.rows; ++row)
      for (unsigned col = 0; col < bm.width; ++col) {
        int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= canvasW || y >= canvasH) continue;
        float v = bm.buffer[row * static_cast<unsigned>(bm.pitch) + col] / 255.0f;
        float& c = canvas[static_cast<std::size_t>(y) * static_cast<std::size_t>(canvasW) + static_cast<std::size_t>(x)];
        c = std::max(c, v);
      }
    penX += static_cast<int>(face->glyph->advance.x >> 6);
  }
  int x0 = canvasW, y0 = canvasH, x1 = -1, y1 = -1;
  for (int y = 0; y < canvasH; ++y)
    for (int x = 0; x < canvasW; ++x)
      if (canvas[static_cast<std::size_t>(y) * static_cast<std::size_t>(canvasW) + static_cast<std::size_t>(x)] > 0) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
      }
  if (x1 < 0) return TImage(1 + 2 * margin, 1 + 2 * margin, 1);
  TImage out(x1 - x0 + 1 + 2 * margin, y1 - y0 + 1 + 2 * margin, 1);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      out.At(x - x0 + margin, y - y0 + margin) =
          canvas[static_cast<std::size_t>(y) * static_cast<std::size_t>(canvasW) + static_cast<std::size_t>(x)];
  return out;
}

void TFont::DrawCentred(TImage& coverage, std::string_view text, int pixelSize, TVec2 centre, double scaleX,
                        double scaleY) const {
  TImage ink = Render(text, pixelSize, 1);
  const double w = ink.Width() * scaleX, h = ink.Height() * scaleY;
  const double left = centre.X - w / 2, top = centre.Y - h / 2;
  int ix0 = std::max(0, static_cast<int>(std::floor(left))), iy0 = std::max(0, static_cast<int>(std::floor(top)));
  int ix1 = std::min(coverage.Width(), static_cast<int>(std::ceil(left + w)));
  int iy1 = std::min(coverage.Height(), static_cast<int>(std::ceil(top + h)));
  for (int y = iy0; y < iy1; ++y)
    for (int x = ix0; x < ix1; ++x) {
      // Bilinear sample of the ink without wrapping.
      double sx = (x + 0.5 - left) / scaleX - 0.5, sy = (y + 0.5 - top) / scaleY - 0.5;
      int bx = static_cast<int>(std::floor(sx)), by = static_cast<int>(std::floor(sy));
      double tx = sx - bx, ty = sy - by;
      auto at = [&](int px, int py) -> double {
        if (px < 0 || py < 0 || px >= ink.Width() || py >= ink.Height()) return 0.0;
        return ink.At(px, py);
      };
      double v = (at(bx, by) * (1 - tx) + at(bx + 1, by) * tx) * (1 - ty) + (at(bx, by + 1) * (1 - tx) + at(bx + 1, by + 1) * tx) * ty;
      if (v > coverage.At(x, y)) coverage.At(x, y) = static_cast<float>(v);
    }
}

TImage Dilated(const TImage& coverage, double radius) {
  TImage out(coverage.Width(), coverage.Height(), 1);
  const int r = static_cast<int>(std::ceil(radius + 1));
  for (int y = 0; y < coverage.Height(); ++y)
    for (int x = 0; x < coverage.Width(); ++x) {
      float best = 0;
      for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
          int px = x + dx, py = y + dy;
          if (px < 0 || py < 0 || px >= coverage.Width() || py >= coverage.Height()) continue;
          float v = coverage.At(px, py);
          if (v <= best) continue;
          // Soft edge of the disc: full inside radius, fading over one pixel.
          float w = Clamp01(static_cast<float>(radius + 0.5 - std::hypot(dx, dy)));
          best = std::max(best, v * w);
        }
      out.At(x, y) = best;
    }
  return out;
}

}  // namespace velmora::gen
