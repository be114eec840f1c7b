#include "scene/SceneFont.h"

#include <algorithm>
#include <vector>

#include "scene/DefViewport.h"
#include "scene/SceneHost.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "gl/Primitive.h"
#include "gl/Texture.h"
#include "gl/Viewport.h"
#include "platform/FontRasterizer.h"
#include "platform/Service.h"
#include "scene/CharMetrics.h"
#include "scene/FileNames.h"
#include "scene/MainScene.h"
#include "scene/RenderState.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneTexture.h"

namespace velmora {

namespace {

constexpr int kCodes = 256;
// The largest atlas side: the glyph bitmap of a softened font is twice it
// squared, which stays well inside memory at this size.
constexpr int32_t kMaxTextureSize = 4096;

struct TSetMember {
  uint8_t bit;
  const char* key;   // found in values, lower case
  const char* name;  // written
};

constexpr TSetMember kFontOptions[] = {
    {foFixedSize, "fixedsize", "FixedSize"}, {foSoften, "soften", "Soften"},
    {foBuildFromFont, "buildfromfont", "BuildFromFont"}, {foFixedView, "fixedview", "FixedView"},
    {foScaled, "scaled", "Scaled"}, {fo3DView, "3dview", "3DView"},
};

constexpr TSetMember kFontStyles[] = {
    {fsBold, "bold", "Bold"}, {fsItalic, "italic", "Italic"},
    {fsUnderline, "underline", "Underline"}, {fsStrikeOut, "strikeout", "StrikeOut"},
};

template <size_t N>
uint8_t StrToSet(std::string_view text, const TSetMember (&members)[N]) {
  const std::string lower = LowerCase(text);
  uint8_t set = 0;
  for (const TSetMember& member : members)
    if (lower.find(member.key) != std::string::npos) set |= member.bit;
  return set;
}

// "[A,B]": each member with a trailing ",", the last "," made "]".
template <size_t N>
std::string SetToStr(uint8_t set, const TSetMember (&members)[N]) {
  std::string text = "[";
  for (const TSetMember& member : members)
    if (set & member.bit) text = text + member.name + ",";
  if (text.back() == ',')
    text.back() = ']';
  else
    text += "]";
  return text;
}

[[noreturn]] void RangeError(const std::string& key, int32_t value) {
  RaiseError("TSceneFont", "ReadProperties",
             key + " value " + std::to_string(value) + " is out of range 0..255");
}

int32_t ReadNonNegative(TResourceLoader& loader, const std::string& key, int32_t current) {
  const int32_t value = loader.ReadInteger(key, current);
  if (value < 0)
    RaiseError("TSceneFont", "ReadProperties", key + " value " + std::to_string(value) + " must not be negative");
  return value;
}

bool IsPowerOfTwo(int32_t value) { return value > 0 && (value & (value - 1)) == 0; }

// The power of two in 1..kMaxTextureSize nearest to value (the larger of
// two as near).
int32_t NearestPowerOfTwo(int32_t value) {
  int32_t lower = 1;
  while (lower * 2 <= value && lower < kMaxTextureSize) lower *= 2;
  if (lower == kMaxTextureSize || value <= lower) return lower;
  return value - lower < lower * 2 - value ? lower : lower * 2;
}

}  // namespace

TFontOptions StrToFontOptions(std::string_view text) { return StrToSet(text, kFontOptions); }
std::string FontOptionsToStr(TFontOptions options) { return SetToStr(options, kFontOptions); }
TFontStyles StrToFontStyles(std::string_view text) { return StrToSet(text, kFontStyles); }
std::string FontStylesToStr(TFontStyles styles) { return SetToStr(styles, kFontStyles); }

TSceneFont::TSceneFont() {
  for (TCharMap& map : chars_) map.Enabled = true;
  UpdateCells();
}

TSceneFont::~TSceneFont() { Release(); }

// --- the character set ------------------------------------------------------

TCharMap TSceneFont::GetCharMap(int code) const {
  if (code < 0 || code >= kCodes) RaiseError("TSceneFont", "GetCharMap", "Index out of bounds!");
  return chars_[static_cast<size_t>(code)];
}

void TSceneFont::UpdateCells() {
  int32_t cell = 0;
  for (TCharMap& map : chars_) {
    if (map.Enabled) {
      map.Cell = static_cast<uint8_t>(cell++);
    } else {
      map.Cell = 0;
      map.Width = 0;
      map.Height = 0;
    }
  }
  charCount_ = cell;
}

void TSceneFont::ClearChars() {
  for (TCharMap& map : chars_) map.Enabled = false;
  UpdateCells();
}

void TSceneFont::AddChar(int code) { AddCharRange(code, code); }

void TSceneFont::AddCharRange(int first, int last) {
  if (last < first) return;
  if (first < 0 || last >= kCodes) RaiseError("TSceneFont", "AddChar", "Index out of bounds!");
  for (int code = first; code <= last; ++code) chars_[static_cast<size_t>(code)].Enabled = true;
  UpdateCells();
}

void TSceneFont::AddString(std::string_view text) {
  for (char c : text) chars_[static_cast<unsigned char>(c)].Enabled = true;
  UpdateCells();
}

// --- keys -------------------------------------------------------------------

void TSceneFont::ReadProperties(TResourceLoader& loader) {
  TMainSceneObject::ReadProperties(loader);
  Color = loader.ReadColorBytes("Color", Color);
  const int32_t alphaBackground = loader.ReadInteger("AlphaBackground", AlphaBackground);
  if (alphaBackground < 0 || alphaBackground > 255) RangeError("AlphaBackground", alphaBackground);
  AlphaBackground = static_cast<uint8_t>(alphaBackground);
  TextureSize = ReadNonNegative(loader, "TextureSize", TextureSize);
  FontCellSize = ReadNonNegative(loader, "FontCellSize", FontCellSize);
  ScaleX = loader.ReadFloat("ScaleX", ScaleX);
  ScaleY = loader.ReadFloat("ScaleY", ScaleY);
  ViewWidth = loader.ReadInteger("ViewWidth", ViewWidth);
  ViewHeight = loader.ReadInteger("ViewHeight", ViewHeight);
  FontName = loader.ReadString("FontName", FontName);
  FileName = loader.ReadString("FileName", FileName);
  if (loader.ValueExists("FontOptions")) FontOptions = StrToFontOptions(loader.ReadString("FontOptions", ""));
  if (loader.ValueExists("FontStyle")) FontStyle = StrToFontStyles(loader.ReadString("FontStyle", ""));
  Texture = loader.ReadReferenceAs<TSceneTexture>("Texture", Texture);
  FitSizes(loader);

  // The character set: only what the keys name.
  ClearChars();
  auto first = [](const std::string& text) { return static_cast<int>(static_cast<unsigned char>(text[0])); };
  for (int i = 1;; ++i) {
    const std::string value = loader.ReadString("Char" + std::to_string(i), "");
    if (value.empty()) break;
    AddChar(first(value));
  }
  for (int i = 1;; ++i) {
    const std::string start = loader.ReadString("StartChar" + std::to_string(i), "");
    if (start.empty()) break;
    const std::string end = loader.ReadString("EndChar" + std::to_string(i), "");
    if (end.empty())
      RaiseError("TSceneFont", "ReadProperties",
                 "StartChar" + std::to_string(i) + " has no EndChar" + std::to_string(i));
    AddCharRange(first(start), first(end));
  }
  for (int i = 1;; ++i) {
    const std::string key = "Code" + std::to_string(i);
    const int32_t code = loader.ReadInteger(key, -1);
    if (code == -1) break;
    if (code < 0 || code >= kCodes) RangeError(key, code);
    AddChar(code);
  }
  for (int i = 1;; ++i) {
    const std::string startKey = "StartCode" + std::to_string(i);
    const std::string endKey = "EndCode" + std::to_string(i);
    const int32_t start = loader.ReadInteger(startKey, -1);
    if (start == -1) break;
    if (start < 0 || start >= kCodes) RangeError(startKey, start);
    const int32_t end = loader.ReadInteger(endKey, -1);
    if (end < 0 || end >= kCodes) RangeError(endKey, end);
    AddCharRange(start, end);
  }
  for (int i = 1;; ++i) {
    const std::string value = loader.ReadString("Str" + std::to_string(i), "");
    if (value.empty()) break;
    AddString(value);
  }
}

void TSceneFont::WriteProperties(TResourceLoader& loader) {
  TMainSceneObject::WriteProperties(loader);
  loader.WriteColorBytes("Color", Color);
  loader.WriteInteger("AlphaBackground", AlphaBackground);
  loader.WriteInteger("TextureSize", TextureSize);
  loader.WriteInteger("FontCellSize", FontCellSize);
  loader.WriteFloat("ScaleX", ScaleX);
  loader.WriteFloat("ScaleY", ScaleY);
  loader.WriteInteger("ViewWidth", ViewWidth);
  loader.WriteInteger("ViewHeight", ViewHeight);
  // An empty value would read back as " ".
  if (!FontName.empty()) loader.WriteString("FontName", FontName);
  if (!FileName.empty()) loader.WriteString("FileName", FileName);
  loader.WriteString("FontOptions", FontOptionsToStr(FontOptions));
  loader.WriteString("FontStyle", FontStylesToStr(FontStyle));
  if (Texture) loader.WriteReference("Texture", Texture);
  // The set as runs of enabled codes.
  int range = 0;
  for (int code = 0; code < kCodes; ++code) {
    if (!chars_[static_cast<size_t>(code)].Enabled) continue;
    int last = code;
    while (last + 1 < kCodes && chars_[static_cast<size_t>(last + 1)].Enabled) ++last;
    ++range;
    loader.WriteInteger("StartCode" + std::to_string(range), code);
    loader.WriteInteger("EndCode" + std::to_string(range), last);
    code = last;
  }
}

// An atlas drawn from a system font is a texture of a power-of-two side
// OpenGL 1 takes; a cell is at least one texel and at most the atlas. Sizes
// outside become the nearest that work, with a warning.
void TSceneFont::FitSizes(const TResourceLoader& loader) {
  if ((FontOptions & foBuildFromFont) && (!IsPowerOfTwo(TextureSize) || TextureSize > kMaxTextureSize)) {
    const int32_t fitted = NearestPowerOfTwo(TextureSize);
    loader.NoteAdjustedValue("TextureSize", Format("TextureSize %d is not a power of 2 in 1..%d; %d is used",
                                                   TextureSize, kMaxTextureSize, fitted));
    TextureSize = fitted;
  } else if (TextureSize < 1) {
    loader.NoteAdjustedValue("TextureSize", "TextureSize 0 holds no cell; 1 is used");
    TextureSize = 1;
  }
  const int32_t cell = std::clamp(FontCellSize, 1, TextureSize);
  if (cell != FontCellSize) {
    loader.NoteAdjustedValue("FontCellSize", Format("FontCellSize %d does not fit the texture size %d; %d is used",
                                                    FontCellSize, TextureSize, cell));
    FontCellSize = cell;
  }
}

// --- building ---------------------------------------------------------------

void TSceneFont::CheckSizes() const {
  if (FontCellSize < 1 || FontCellSize > TextureSize)
    RaiseError("TSceneFont", "Build",
               Format("Font %s: cell size %d does not fit the texture size %d", Name().c_str(), FontCellSize,
                      TextureSize));
  if ((FontOptions & foBuildFromFont) && (!IsPowerOfTwo(TextureSize) || TextureSize > kMaxTextureSize))
    RaiseError("TSceneFont", "Build",
               Format("Font %s: texture size %d is not a power of 2 in 1..%d", Name().c_str(), TextureSize,
                      kMaxTextureSize));
  const int32_t perRow = TextureSize / FontCellSize;
  if (static_cast<int64_t>(perRow) * perRow < charCount_)
    RaiseError("TSceneFont", "Build",
               Format("Font %s: %d characters need more than the %d x %d cells of the atlas", Name().c_str(),
                      charCount_, perRow, perRow));
}

void TSceneFont::Build() {
  if (built_) return;
  TCustomOpenGL* gl = OpenGL();
  if (!gl) RaiseError("TSceneFont", "Build", "Font " + Name() + " is not in a scene with a rendering context");
  CheckSizes();
  try {
    for (TGLPrimitive*& primitive : primitives_) {
      primitive = gl->Primitives()->Add();
      primitive->Mode = GL_TRIANGLES;
      static const uint16_t kIndices[] = {0, 1, 2, 0, 2, 3};
      primitive->Indices.LoadFromArray(kIndices);
      primitive->Vertices.SetCount(4);
      primitive->TexCoords[0].SetCount(4);
    }
    if (FontOptions & foBuildFromFont)
      RenderGlyphs();
    else
      ReadCharMetrics();
  } catch (...) {
    Release();
    throw;
  }
  ComputeQuads();
  nextPrimitive_ = 0;
  built_ = true;
}

void TSceneFont::RenderGlyphs() {
  const int32_t soften = (FontOptions & foSoften) ? 2 : 1;
  const int32_t size = TextureSize;
  const int32_t perRow = size / FontCellSize;
  const int32_t cellPixels = FontCellSize * soften;

  // The largest font whose line fits the cell: the rasteriser's height is
  // the em, and a line is usually a little taller than that.
  platform::FontRasterizer& rasterizer = platform::Get<platform::FontRasterizer>();
  std::unique_ptr<platform::RasterFont> font = rasterizer.Open(FontName, FontStyle, cellPixels);
  int pixelHeight = cellPixels;
  if (font->Metrics().height > cellPixels) {
    pixelHeight = std::max(1, cellPixels * cellPixels / font->Metrics().height);
    font = rasterizer.Open(FontName, FontStyle, pixelHeight);
    while (font->Metrics().height > cellPixels && pixelHeight > 1)
      font = rasterizer.Open(FontName, FontStyle, --pixelHeight);
  }
  faceName_ = font->FamilyName();
  FixedWidth = font->TextWidth(U"W") / soften;
  const int32_t lineHeight = font->Metrics().height;

  // White glyphs on black, one byte a pixel (the grey the rasteriser gives
  // all three channels of a colour bitmap alike).
  const int32_t side = size * soften;
  std::vector<uint8_t> bitmap(static_cast<size_t>(side) * side, 0);
  const platform::GlyphBuffer buffer{bitmap.data(), side, side, side, 1};
  for (int code = 0; code < kCodes; ++code) {
    TCharMap& map = chars_[static_cast<size_t>(code)];
    if (!map.Enabled) continue;
    const char32_t codePoint = platform::AnsiCodePoint(static_cast<uint8_t>(code));
    map.Width = font->Advance(codePoint) / soften;
    map.Height = lineHeight / soften;
    font->DrawGlyph(codePoint, buffer, (map.Cell % perRow) * cellPixels, (map.Cell / perRow) * cellPixels);
  }
  if (soften == 2) {
    std::vector<uint8_t> half(static_cast<size_t>(size) * size);
    for (int32_t y = 0; y < size; ++y) {
      const uint8_t* upper = &bitmap[static_cast<size_t>(2 * y) * side];
      const uint8_t* lower = upper + side;
      uint8_t* out = &half[static_cast<size_t>(y) * size];
      for (int32_t x = 0; x < size; ++x)
        out[x] = static_cast<uint8_t>((upper[2 * x] + upper[2 * x + 1] + lower[2 * x] + lower[2 * x + 1]) >> 2);
    }
    bitmap.swap(half);
  }

  // The atlas: texture row y is bitmap row size - 1 - y.
  TGLTextureList& textures = *OpenGL()->Textures();
  textures.SetUseBGRA(true);
  textures.SetUsePackedPixels(false);
  atlas_ = textures.NewRGBA8(size, size);
  atlas_->MinFilter = OpenGL()->Renderer() == glrSoftware ? GL_NEAREST : GL_LINEAR;
  // Glyphs at the atlas's edges must not pick up the opposite edge.
  atlas_->Repeat = false;
  for (int32_t y = 0; y < size; ++y) {
    const uint8_t* row = &bitmap[static_cast<size_t>(size - 1 - y) * size];
    uint8_t* texel = atlas_->ScanLine(y);
    for (int32_t x = 0; x < size; ++x, texel += 4) {
      const uint8_t grey = row[x];
      const uint8_t colour = grey != 0 ? 255 : 0;
      texel[0] = texel[1] = texel[2] = colour;
      texel[3] = grey != 0 ? grey : AlphaBackground;
    }
  }
}

void TSceneFont::ReadCharMetrics() {
  if (FileName.empty() || FileName == " ")
    RaiseError("TSceneFont", "Build", "Font " + Name() + " has no character-metrics file");
  const auto* resource = dynamic_cast<const TResource*>(Owner());
  const std::string fileName = CombinePath(resource ? resource->Path : std::string(), FileName);
  const bool fromArchive = MainScene() && (MainScene()->SourceFlags & sfArchive) != 0;
  bool found = false;
  const std::vector<uint8_t> bytes = ReadSceneFile(fileName, !fromArchive, found);
  if (!found)
    RaiseError("TSceneFont", "Build",
               "Font " + Name() + ": character-metrics file " + fileName + " not found in the archive");
  const TCharMetrics metrics = ParseCharMetrics(bytes, fileName, FontCellSize);
  for (int code = 0; code < kCodes; ++code) {
    TCharMap& map = chars_[static_cast<size_t>(code)];
    map.Enabled = metrics[static_cast<size_t>(code)].Enabled;
    map.Width = metrics[static_cast<size_t>(code)].Width;
    map.Height = metrics[static_cast<size_t>(code)].Height;
  }
  UpdateCells();
  CheckSizes();
  FixedWidth = chars_['W'].Width;
}

void TSceneFont::ComputeQuads() {
  const float t = static_cast<float>(TextureSize);
  const int32_t f = FontCellSize;
  const int32_t perRow = TextureSize / f;
  const bool fixed = (FontOptions & foFixedSize) != 0;
  for (TCharMap& map : chars_) {
    const int32_t px = (map.Cell % perRow) * f;
    const int32_t top = TextureSize - 1 - (map.Cell / perRow) * f;
    const float left = static_cast<float>(px) / t;
    const float right = static_cast<float>(map.Width + px + 2) / t;
    const float upper = static_cast<float>(top) / t;
    const float lower = static_cast<float>(top - map.Height + 1) / (t - 1);
    const float width = static_cast<float>(map.Width);
    const float height = static_cast<float>(f);
    map.Vertices[0] = TGLVector{0, height, 0};
    map.Vertices[1] = TGLVector{0, 0, 0};
    map.Vertices[2] = TGLVector{width, 0, 0};
    map.Vertices[3] = TGLVector{width, height, 0};
    map.TexCoords[0] = TGLTexCoord{left, upper};
    map.TexCoords[1] = TGLTexCoord{left, lower};
    map.TexCoords[2] = TGLTexCoord{right, lower};
    map.TexCoords[3] = TGLTexCoord{right, upper};
    map.Advance = static_cast<float>(fixed ? FixedWidth : map.Width);
  }
}

void TSceneFont::Release() {
  built_ = false;
  for (TGLPrimitive*& primitive : primitives_) {
    delete primitive;
    primitive = nullptr;
  }
  delete atlas_;
  atlas_ = nullptr;
}

// --- drawing ----------------------------------------------------------------

void TSceneFont::ViewSize(double& width, double& height) const {
  if (FontOptions & foFixedView) {
    width = ViewWidth;
    height = ViewHeight;
    return;
  }
  TSceneHost* application = Application();
  if (application && application->Viewport().GLViewport()) {
    width = application->Viewport().GLViewport()->Width;
    height = application->Viewport().GLViewport()->Height;
    return;
  }
  // No viewport of the application's yet: the one OpenGL draws into.
  GLint viewport[4] = {0, 0, 0, 0};
  GL.glGetIntegerv(GL_VIEWPORT, viewport);
  width = viewport[2];
  height = viewport[3];
}

void TSceneFont::BeginDraw() {
  if (!GL.glPushMatrix) return;  // no OpenGL library: nothing to draw with
  Build();
  TCustomOpenGL& gl = *OpenGL();
  SetLighting(false);
  gl.SetCullFace(false);
  gl.SetDepthTest(false);
  gl.SetFog(false);
  gl.SetTexture2D(true);
  if (atlas_) {
    atlas_->Use();
    // Bound past the cache: whatever it remembers is no longer bound.
    ForgetSceneTexture(SceneTexture());
  } else {
    BindSceneTexture(Texture);
  }
  SetBlending(true);
  if (!(FontOptions & fo3DView)) {
    double width = 0, height = 0;
    ViewSize(width, height);
    projection_.Save(GL_PROJECTION);
    GL.glLoadIdentity();
    // A view without area projects nothing (and glOrtho would refuse it).
    if (width > 0 && height > 0) GL.glOrtho(0, width, 0, height, -100, 100);
    GL.glMatrixMode(GL_MODELVIEW);
  }
}

void TSceneFont::DrawText(int32_t x, int32_t y, std::string_view text) {
  if (!GL.glPushMatrix) return;
  Build();
  SetLighting(false);
  GL.glColor4ub(Color.r, Color.g, Color.b, Color.a);
  GL.glPushMatrix();
  GL.glLoadIdentity();
  GL.glTranslatef(static_cast<float>(x), static_cast<float>(y), 0);
  if (FontOptions & foScaled) GL.glScalef(ScaleX, ScaleY, 1);
  for (char c : text) {
    const TCharMap& map = chars_[static_cast<unsigned char>(c)];
    TGLPrimitive& primitive = *primitives_[nextPrimitive_];
    nextPrimitive_ ^= 1;
    for (int corner = 0; corner < 4; ++corner) {
      primitive.Vertices.SetVector(corner, map.Vertices[corner]);
      primitive.TexCoords[0].SetTexCoord(corner, map.TexCoords[corner].s, map.TexCoords[corner].t);
    }
    primitive.Render();
    GL.glTranslatef(map.Advance, 0, 0);
  }
  GL.glPopMatrix();
}

void TSceneFont::EndDraw() {
  if (!GL.glPushMatrix) return;
  if (projection_.Saved()) {
    projection_.Restore();
    GL.glMatrixMode(GL_MODELVIEW);
  }
  // The cache holds no texture after the atlas: texturing is off then.
  if (atlas_ && !SceneTexture()) OpenGL()->SetTexture2D(false);
  GL.glColor4fv(&CurrentColor().r);
}

}  // namespace velmora
