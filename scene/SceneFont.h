// A font of the scene: a texture atlas of character cells and one record
// per byte code (its cell, glyph size, quad and advance), from which the
// text classes (SceneText.h) draw lines in screen space.
//
// The atlas comes from one of two places:
//   BuildFromFont  the font renders the glyphs of a system font (FontName,
//                  FontStyle; platform/FontRasterizer.h) into its own RGBA
//                  texture: white where a glyph is, alpha its coverage,
//                  AlphaBackground elsewhere. The font is opened so that a
//                  line fits the cell (ascent + descent <= FontCellSize).
//                  With Soften it is drawn at twice the size and each 2 x 2
//                  block averaged (the sum of four shifted right by 2).
//   otherwise      the scene texture Texture holds the atlas, and the
//                  character-metrics file FileName (CharMetrics.h) gives the
//                  character set and each glyph's size; it is read from the
//                  archive when the scene reads from the archive, else from
//                  disk. FixedWidth is then the width of "W" in the file.
// Cells: the enabled codes take cells 0, 1, 2, ... in code order, row by
// row from the top-left of the atlas, TextureSize / FontCellSize cells a
// row. Quads (T = TextureSize, F = FontCellSize, px = column x F, top =
// T - 1 - row x F):
//   corner 0 (0, F)      texture (px / T, top / T)
//   corner 1 (0, 0)      texture (px / T, (top - Height + 1) / (T - 1))
//   corner 2 (Width, 0)  texture ((Width + px + 2) / T, (top - Height + 1) / (T - 1))
//   corner 3 (Width, F)  texture ((Width + px + 2) / T, top / T)
// Advance: FixedWidth with FixedSize, else Width. Codes outside the set
// have width, height and cell 0.
//
// Lifecycle:
//
//   made (all 256 codes enabled) -> keys read (the character set emptied,
//   then filled from the character keys) -> first BeginDraw or DrawText:
//   Build (two primitives of the context, the atlas, every quad) -> drawn
//   every frame: BeginDraw, DrawText..., EndDraw -> Release or freed:
//   primitives and atlas go, Built is false again. Changing keys does not
//   rebuild a built font; freeing happens before the context's lists go.
//
// Drawing: BeginDraw switches lighting, culling, depth test and fog off,
// texturing and blending on, binds the atlas and, unless 3DView, sets an
// orthographic projection (0 .. ViewWidth x 0 .. ViewHeight with FixedView,
// else the application viewport's size; near -100, far 100; y grows
// upward). DrawText draws each byte's quad from the pen position (X, Y)
// (the lower-left corner of the first cell), scaled by ScaleX, ScaleY with
// Scaled, in Color; the model-view matrix is identity plus that
// translation even with 3DView. EndDraw restores the projection (kept on
// OpenGL's stack while it has room, else in memory: a font drawn inside
// nested sprite lists needs more entries than OpenGL promises). Depth
// test, culling and fog stay off: whoever draws next switches them as it
// needs. The font's own atlas is bound past the render-state cache, so
// EndDraw switches texturing off again and the cache knows no texture,
// and the current colour goes back to CurrentColor. Without a loaded
// OpenGL library the three draw calls do nothing.
//
// Keys (besides those of TMainObject; each defaults to the current value):
//   Color=<byte colour>       AlphaBackground=<0..255>
//   TextureSize=<n>  FontCellSize=<n>   (non-negative; with BuildFromFont a
//                        texture size that is no power of 2 in 1..4096
//                        becomes the nearest one, a cell size outside
//                        1..TextureSize the nearest end, with a warning:
//                        TResourceLoader::NoteAdjustedValue)
//   ScaleX=<float>  ScaleY=<float>      ViewWidth=<n>  ViewHeight=<n>
//   FontName=<text>  FileName=<text>
//   FontOptions=<text>   the members found in it, ignoring case:
//                        "fixedsize", "soften", "buildfromfont",
//                        "fixedview", "scaled", "3dview"
//   FontStyle=<text>     "bold", "italic", "underline", "strikeout"
//   Texture=<path of a TSceneTexture>
//   the character set, emptied first, then (i = 1, 2, ... while present):
//   Char<i>=<text>             its first character
//   StartChar<i>=, EndChar<i>= the range between their first characters
//   Code<i>=<0..255>           until a value of -1
//   StartCode<i>=, EndCode<i>= a range of codes, until StartCode is -1
//   Str<i>=<text>              every character of it
// Written back: every value key; FontOptions and FontStyle as
// "[Soften,FixedView]" ("[]" for none); the character set as StartCode /
// EndCode ranges.
//
// Errors:
//   "TSceneFont.GetCharMap error: Index out of bounds!"  (a code outside 0..255)
//   "TSceneFont.ReadProperties error: <key> value V is out of range 0..255"
//   "TSceneFont.ReadProperties error: <key> value V must not be negative"
//   "TSceneFont.ReadProperties error: StartChar<i> has no EndChar<i>"
//   "TSceneFont.AddChar error: Index out of bounds!"  (AddChar, AddCharRange)
//   "TSceneFont.Build error: Font F is not in a scene with a rendering context"
//   "TSceneFont.Build error: Font F: cell size C does not fit the texture size T"
//   "TSceneFont.Build error: Font F: texture size T is not a power of 2 in 1..4096"
//   "TSceneFont.Build error: Font F: N characters need more than the R x R cells of the atlas"
//   "TSceneFont.Build error: Font F has no character-metrics file"
//   "TSceneFont.Build error: Font F: character-metrics file <file> not found in the archive"
//   those of CharMetrics.h, of the rasteriser ("FontRasterizer.Open error:
//   No font found for "<FontName>"") and a missing disk file's
//   "TFileStream.Create error: Cannot open file ...".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "gl/SavedMatrix.h"
#include "gl/Types.h"
#include "scene/SceneItem.h"

namespace velmora {

class TGLPrimitive;
class TGLTexture;
class TSceneTexture;

using TFontOptions = uint8_t;
enum : TFontOptions {
  foFixedSize = 1,
  foSoften = 2,
  foBuildFromFont = 4,
  foFixedView = 8,
  foScaled = 16,
  fo3DView = 32,
};

// The values of platform::FontStyleBits.
using TFontStyles = uint8_t;
enum : TFontStyles {
  fsBold = 1,
  fsItalic = 2,
  fsUnderline = 4,
  fsStrikeOut = 8,
};

TFontOptions StrToFontOptions(std::string_view text);
std::string FontOptionsToStr(TFontOptions options);
TFontStyles StrToFontStyles(std::string_view text);
std::string FontStylesToStr(TFontStyles styles);

// One byte code of a font.
struct TCharMap {
  int32_t Width = 0;   // glyph width in texels
  int32_t Height = 0;  // glyph height in texels
  bool Enabled = false;
  uint8_t Cell = 0;
  TGLTexCoord TexCoords[4];
  TGLVector Vertices[4];
  float Advance = 0;  // how far the pen moves after the glyph
};

class TSceneFont : public TMainSceneObject {
 public:
  TSceneFont();
  // Release.
  ~TSceneFont() override;

  const char* ClassName() const override { return "TSceneFont"; }

  bool Built() const { return built_; }
  // The font's own atlas with BuildFromFont, once built; owned.
  TGLTexture* AtlasTexture() const { return atlas_; }
  int32_t TextureSize = 256;
  int32_t FontCellSize = 16;
  TGLColorBytes Color{255, 255, 255, 255};
  std::string FontName = "Arial";
  std::string FileName;
  int32_t CharCount() const { return charCount_; }
  TFontStyles FontStyle = fsBold;
  // The width of "W": every glyph's advance with FixedSize.
  int32_t FixedWidth = 0;
  int32_t ViewWidth = 1024;
  int32_t ViewHeight = 768;
  float ScaleY = 1;
  float ScaleX = 1;
  uint8_t AlphaBackground = 0;
  TFontOptions FontOptions = foBuildFromFont;
  // The atlas when not BuildFromFont; not owned.
  TSceneTexture* Texture = nullptr;
  // The family the rasteriser found for FontName at the last build ("Liberation
  // Sans" for "Arial" where it is installed); empty before.
  const std::string& FaceName() const { return faceName_; }

  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

  // Once, when not Built: primitives, atlas and every record's quad.
  void Build();
  void BeginDraw();
  // The bytes of text from the pen position (x, y), in Color.
  void DrawText(int32_t x, int32_t y, std::string_view text);
  void EndDraw();
  // A copy of the record of code (0..255).
  TCharMap GetCharMap(int code) const;

  // The character set; each change numbers the cells again.
  void ClearChars();
  void AddChar(int code);
  // first .. last; nothing when last < first.
  void AddCharRange(int first, int last);
  // Every byte of text.
  void AddString(std::string_view text);

  // Frees primitives and atlas; the next draw builds again.
  void Release();

 private:
  void UpdateCells();
  // The checks of Build that need no context.
  void CheckSizes() const;
  // Sizes read that no atlas can have, brought to the nearest that work.
  void FitSizes(const TResourceLoader& loader);
  void RenderGlyphs();
  void ReadCharMetrics();
  void ComputeQuads();
  // Right and top of the orthographic projection.
  void ViewSize(double& width, double& height) const;

  std::array<TCharMap, 256> chars_;
  int32_t charCount_ = 0;
  bool built_ = false;
  TGLTexture* atlas_ = nullptr;
  TGLPrimitive* primitives_[2] = {nullptr, nullptr};
  int nextPrimitive_ = 0;
  std::string faceName_;
  // The projection BeginDraw replaced, for EndDraw.
  TSavedMatrix projection_;
};

}  // namespace velmora
