#include "platform/fake/FakeFontRasterizer.h"

#include <algorithm>

#include "core/Error.h"
#include "core/Strings.h"

namespace platform {

namespace {

class FakeFont : public RasterFont {
 public:
  FakeFont(std::string family, unsigned style, int pixelHeight)
      : family_(std::move(family)), style_(style), pixelHeight_(pixelHeight) {
    metrics_.ascent = (4 * pixelHeight + 4) / 5;
    metrics_.descent = (pixelHeight + 4) / 5;
    metrics_.height = metrics_.ascent + metrics_.descent;
  }

  const std::string& FamilyName() const override { return family_; }
  const std::string& FileName() const override { return file_; }
  int PixelHeight() const override { return pixelHeight_; }
  unsigned Style() const override { return style_; }
  FontMetrics Metrics() const override { return metrics_; }

  int Advance(char32_t code) override {
    const int h = pixelHeight_;
    int advance;
    if (code == U' ' || code == U'i' || code == U'l' || code == U'!')
      advance = std::max(1, h / 4);
    else if (code == U'W' || code == U'M')
      advance = h;
    else
      advance = std::max(1, h / 2);
    return advance + ((style_ & FontBold) ? 1 : 0);
  }

  int TextWidth(std::u32string_view text) override {
    int width = 0;
    for (char32_t c : text) width += Advance(c);
    return width;
  }

  void DrawGlyph(char32_t code, const GlyphBuffer& buffer, int x, int y) override {
    const int advance = Advance(code);
    const int baseline = y + metrics_.ascent;  // first row below the glyph
    if (code != U' ') {
      const bool tall = (code >= U'A' && code <= U'Z') || (code >= U'0' && code <= U'9');
      const int top = tall ? y : baseline - metrics_.ascent * 2 / 3;
      for (int row = top; row < baseline; ++row)
        for (int col = x + 1; col < x + advance; ++col) Put(buffer, col, row);
    }
    if (style_ & FontUnderline)
      for (int col = x; col < x + advance; ++col) Put(buffer, col, baseline);
    if (style_ & FontStrikeOut)
      for (int col = x; col < x + advance; ++col) Put(buffer, col, baseline - metrics_.ascent / 2);
  }

  int DrawText(std::u32string_view text, const GlyphBuffer& buffer, int x, int y) override {
    int pen = 0;
    for (char32_t c : text) {
      DrawGlyph(c, buffer, x + pen, y);
      pen += Advance(c);
    }
    return pen;
  }

 private:
  static void Put(const GlyphBuffer& buffer, int x, int y) {
    if (x < 0 || y < 0 || x >= buffer.width || y >= buffer.height) return;
    std::uint8_t* p = buffer.pixels + std::ptrdiff_t(y) * buffer.stride + std::ptrdiff_t(x) * buffer.bytesPerPixel;
    std::fill(p, p + buffer.bytesPerPixel, std::uint8_t(255));
  }

  std::string family_;
  std::string file_ = "fake.ttf";
  unsigned style_;
  int pixelHeight_;
  FontMetrics metrics_;
};

}  // namespace

std::unique_ptr<RasterFont> FakeFontRasterizer::Open(const std::string& family, unsigned style, int pixelHeight) {
  requests.push_back(Request{family, style, pixelHeight});
  if (pixelHeight < 1 || pixelHeight > 1024)
    velmora::RaiseError("FontRasterizer", "Open",
                        velmora::Format("Invalid pixel height %d for \"%s\"", pixelHeight, family.c_str()));
  if (families.empty()) velmora::RaiseError("FontRasterizer", "Open", "No font found for \"" + family + "\"");
  auto known = std::find_if(families.begin(), families.end(),
                            [&](const std::string& f) { return velmora::SameText(f, family); });
  return std::make_unique<FakeFont>(known != families.end() ? *known : families.front(), style, pixelHeight);
}

}  // namespace platform
