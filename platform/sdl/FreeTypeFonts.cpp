#include "platform/sdl/FreeTypeFonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/Error.h"
#include "core/Strings.h"

namespace platform {

namespace {

std::shared_ptr<FT_LibraryRec_> StartFreeType() {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) velmora::RaiseError("FontRasterizer", "Create", "FreeType cannot start");
  return std::shared_ptr<FT_LibraryRec_>(library, FT_Done_FreeType);
}

constexpr int MaxPixelHeight = 1024;

int Ceil26(FT_Pos v) { return int((v + 63) >> 6); }
int Round26(FT_Pos v) { return int((v + 32) >> 6); }

class FreeTypeFont : public RasterFont {
 public:
  FreeTypeFont(std::shared_ptr<FT_LibraryRec_> library, FT_Face face, std::string family,
               std::string file, unsigned style, int pixelHeight)
      : library_(std::move(library)), face_(face), family_(std::move(family)), file_(std::move(file)),
        style_(style), pixelHeight_(pixelHeight) {
    embolden_ = (style & FontBold) && !(face_->style_flags & FT_STYLE_FLAG_BOLD);
    oblique_ = (style & FontItalic) && !(face_->style_flags & FT_STYLE_FLAG_ITALIC);
    const FT_Size_Metrics& m = face_->size->metrics;
    metrics_.ascent = std::max(1, Ceil26(m.ascender));
    metrics_.descent = std::max(0, Ceil26(-m.descender));
    metrics_.height = metrics_.ascent + metrics_.descent;
    // The bars: the font's own underline, and the strike-out of its OS/2
    // table; fonts without them get bars of a twelfth of the height.
    barThickness_ = std::max(1, pixelHeight / 12);
    underlineTop_ = metrics_.ascent + std::max(1, metrics_.descent / 3);
    strikeTop_ = metrics_.ascent - std::max(1, metrics_.ascent / 3);
    if (FT_IS_SCALABLE(face_)) {
      const FT_Fixed scale = m.y_scale;
      if (face_->underline_thickness > 0) {
        barThickness_ = std::max(1, Round26(FT_MulFix(face_->underline_thickness, scale)));
        underlineTop_ = metrics_.ascent - Round26(FT_MulFix(face_->underline_position, scale)) - barThickness_ / 2;
      }
      if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2)); os2 && os2->yStrikeoutSize > 0)
        strikeTop_ = metrics_.ascent - Round26(FT_MulFix(os2->yStrikeoutPosition, scale));
    }
  }
  ~FreeTypeFont() override { FT_Done_Face(face_); }

  const std::string& FamilyName() const override { return family_; }
  const std::string& FileName() const override { return file_; }
  int PixelHeight() const override { return pixelHeight_; }
  unsigned Style() const override { return style_; }
  FontMetrics Metrics() const override { return metrics_; }

  int Advance(char32_t code) override { return Load(code) ? Round26(face_->glyph->advance.x) : 0; }

  int TextWidth(std::u32string_view text) override {
    int width = 0;
    for (char32_t c : text) width += Advance(c);
    return width;
  }

  void DrawGlyph(char32_t code, const GlyphBuffer& buffer, int x, int y) override {
    if (!Load(code)) return;
    FT_GlyphSlot slot = face_->glyph;
    const int advance = Round26(slot->advance.x);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int left = x + slot->bitmap_left;
    const int top = y + metrics_.ascent - slot->bitmap_top;
    for (int r = 0; r < int(bitmap.rows); ++r) {
      const int pitch = bitmap.pitch;
      const unsigned char* row = pitch >= 0 ? bitmap.buffer + std::ptrdiff_t(r) * pitch
                                            : bitmap.buffer + std::ptrdiff_t(int(bitmap.rows) - 1 - r) * -pitch;
      for (int c = 0; c < int(bitmap.width); ++c) {
        std::uint8_t coverage;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
          coverage = (row[c >> 3] & (0x80 >> (c & 7))) ? 255 : 0;
        else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
          coverage = bitmap.num_grays == 256 ? row[c] : std::uint8_t(row[c] * 255 / std::max(1, bitmap.num_grays - 1));
        else
          return;  // colour bitmaps (emoji) are no text for an atlas
        Put(buffer, left + c, top + r, coverage);
      }
    }
    if (style_ & FontUnderline) Bar(buffer, x, y + underlineTop_, advance);
    if (style_ & FontStrikeOut) Bar(buffer, x, y + strikeTop_, advance);
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
  // Loads the glyph of the code into the face's slot, made bold or slanted
  // as the style needs. A code the font lacks gets its missing-glyph box.
  bool Load(char32_t code) {
    const FT_UInt index = FT_Get_Char_Index(face_, FT_ULong(code));
    if (FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT) != 0) return false;
    if (oblique_) FT_GlyphSlot_Oblique(face_->glyph);
    if (embolden_) FT_GlyphSlot_Embolden(face_->glyph);
    return true;
  }

  static void Put(const GlyphBuffer& buffer, int x, int y, std::uint8_t coverage) {
    if (x < 0 || y < 0 || x >= buffer.width || y >= buffer.height || coverage == 0) return;
    std::uint8_t* p = buffer.pixels + std::ptrdiff_t(y) * buffer.stride + std::ptrdiff_t(x) * buffer.bytesPerPixel;
    for (int i = 0; i < buffer.bytesPerPixel; ++i) p[i] = std::max(p[i], coverage);
  }

  void Bar(const GlyphBuffer& buffer, int x, int top, int width) {
    for (int r = 0; r < barThickness_; ++r)
      for (int c = 0; c < width; ++c) Put(buffer, x + c, top + r, 255);
  }

  std::shared_ptr<FT_LibraryRec_> library_;  // outlives the face
  FT_Face face_;
  std::string family_;
  std::string file_;
  unsigned style_;
  int pixelHeight_;
  bool embolden_ = false;
  bool oblique_ = false;
  FontMetrics metrics_;
  int barThickness_ = 1;
  int underlineTop_ = 0;
  int strikeTop_ = 0;
};

// The file, face index and family fontconfig chooses for the request.
struct Match {
  std::string file;
  int index = 0;
  std::string family;
};

bool FindFont(FcConfig* config, const std::string& family, unsigned style, int pixelHeight, Match& match) {
  FcPattern* pattern = FcPatternCreate();
  if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, (style & FontBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, (style & FontItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelHeight);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!found) return false;
  FcChar8* file = nullptr;
  FcChar8* name = nullptr;
  int index = 0;
  const bool ok = FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file;
  if (ok) {
    match.file = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(found, FC_INDEX, 0, &index) == FcResultMatch) match.index = index;
    if (FcPatternGetString(found, FC_FAMILY, 0, &name) == FcResultMatch && name)
      match.family = reinterpret_cast<const char*>(name);
  }
  FcPatternDestroy(found);
  return ok;
}

// Opens the face at the pixel height (bitmap-only faces: the strike nearest
// to it). nullptr when FreeType cannot use the file.
FT_Face OpenFace(FT_Library library, const Match& match, int pixelHeight) {
  FT_Face face = nullptr;
  if (FT_New_Face(library, match.file.c_str(), match.index, &face) != 0) return nullptr;
  if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight)) == 0) return face;
  if (face->num_fixed_sizes > 0) {
    int best = 0;
    for (int i = 1; i < face->num_fixed_sizes; ++i)
      if (std::abs(face->available_sizes[i].height - pixelHeight) <
          std::abs(face->available_sizes[best].height - pixelHeight))
        best = i;
    if (FT_Select_Size(face, best) == 0) return face;
  }
  FT_Done_Face(face);
  return nullptr;
}

}  // namespace

FreeTypeFontRasterizer::FreeTypeFontRasterizer() : library_(StartFreeType()) {
  config_ = FcInitLoadConfigAndFonts();
}

FreeTypeFontRasterizer::FreeTypeFontRasterizer(const std::string& configFile) : library_(StartFreeType()) {
  std::error_code ec;
  config_ = std::filesystem::is_regular_file(configFile, ec) ? FcConfigCreate() : nullptr;
  // Complaints about the file's content go to the standard error stream.
  if (!config_ || !FcConfigParseAndLoad(config_, reinterpret_cast<const FcChar8*>(configFile.c_str()), FcTrue) ||
      !FcConfigBuildFonts(config_)) {
    if (config_) FcConfigDestroy(config_);
    config_ = nullptr;
    velmora::RaiseError("FontRasterizer", "Create", "Cannot load the font configuration \"" + configFile + "\"");
  }
}

FreeTypeFontRasterizer::~FreeTypeFontRasterizer() {
  if (config_) FcConfigDestroy(config_);
}

std::unique_ptr<RasterFont> FreeTypeFontRasterizer::Open(const std::string& family, unsigned style, int pixelHeight) {
  if (pixelHeight < 1 || pixelHeight > MaxPixelHeight)
    velmora::RaiseError("FontRasterizer", "Open",
                        velmora::Format("Invalid pixel height %d for \"%s\"", pixelHeight, family.c_str()));
  if (!config_) velmora::RaiseError("FontRasterizer", "Open", "No font found for \"" + family + "\"");
  for (const std::string& request : {family, std::string("sans-serif")}) {
    Match match;
    if (!FindFont(config_, request, style, pixelHeight, match)) continue;
    if (FT_Face face = OpenFace(library_.get(), match, pixelHeight)) {
      if (match.family.empty() && face->family_name) match.family = face->family_name;
      return std::make_unique<FreeTypeFont>(library_, face, match.family, match.file, style, pixelHeight);
    }
  }
  velmora::RaiseError("FontRasterizer", "Open", "No font found for \"" + family + "\"");
}

template <>
FontRasterizer& Service<FontRasterizer>::Default() {
  static FreeTypeFontRasterizer rasterizer;
  return rasterizer;
}

}  // namespace platform
