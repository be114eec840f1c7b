// The list that holds scene textures and the quality settings they share:
// mip-mapping, colour depth and the reduction of large images.
//
// Lifecycle: created by the loader (invisible, like every resource list)
// -> its keys, then its textures read -> user options applied
// (LoadOptions) -> a change of MipMap, ColorBit or Quality updates every
// texture that has an OpenGL texture already (filter and internal format
// at once; Quality at its next load) -> ReleaseTextures makes every texture
// load again at its next bind -> freed with its textures.
//
// Filters and formats of a new texture (CreateGLTexture):
//   filter: GL_LINEAR, or GL_LINEAR_MIPMAP_LINEAR with MipMap for
//   tfTexture; on the software renderer GL_NEAREST, or
//   GL_LINEAR_MIPMAP_NEAREST with MipMap for tfTexture.
//   After a change of the list's settings: GL_LINEAR_MIPMAP_LINEAR with
//   MipMap whatever the format, else GL_LINEAR; on the software renderer
//   GL_NEAREST_MIPMAP_NEAREST with MipMap for tfTexture, else GL_NEAREST.
//
//   format      "16bit"      "32bit"    "Compressed" and     "Compressed"
//                                       Animated
//   tfTexture   GL_RGB5      GL_RGB8    GL_RGB5              the context's compressed RGB
//   tfSprite    GL_RGB5_A1   GL_RGBA8   GL_RGB5_A1           the context's compressed RGBA
//   tfAlpha     GL_RGBA4     GL_RGBA8   GL_RGBA4             the context's compressed RGBA
//
// Quality: the reduction Step of an image W x H (after fitting): 1 below a
// width of 32; otherwise 1, 2, 4 for "High", "Medium", "Low", halved for
// "Medium" and "Low" when the larger side is exactly 1024 or at most 256,
// and cut to W / 32 when W / Step would fall below 32.
//
// Keys (besides those of TResource):
//   Quality=<text>    contains "High" -> High, else "Medium" -> Medium, else Low
//   ColorBit=<text>   contains "32" -> 32bit, else "16" -> 16bit, else Compressed
//   MipMap=<boolean>
// User options (L the list's name, T a texture's name): "L Quality",
// "L ColorBit", "L MipMap"; for a texture with a file list
// BaseFileName(FileListName) + "Index" (default 0); "T LoadFromFile"; with
// LoadFromFile also "T TextureName" and "T AlphaName".
//
// ListResources: per texture "FILE Bitmap IDENT" (".bmp") or
// "FILE RCData IDENT" for the colour image and the alpha image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "scene/Resource.h"
#include "scene/SceneTexture.h"

namespace velmora {

class TGLTextureList;

enum TColorBit : uint8_t { cbCompressed = 0, cb32Bit = 1, cb16Bit = 2 };
enum TTextureQuality : uint8_t { tqHigh = 0, tqMedium = 1, tqLow = 2 };

TColorBit StrToColorBit(const std::string& text);
const char* ColorBitToStr(TColorBit value);
TTextureQuality StrToTextureQuality(const std::string& text);
const char* TextureQualityToStr(TTextureQuality value);
// The reduction of a fitted image of width x height at that quality.
int TextureStep(int width, int height, TTextureQuality quality);
// The minification filter of a texture of format made now, and after a
// change of the list's settings.
GLenum TextureCreationFilter(bool softwareRenderer, bool mipMap, TTextureFormat format);
GLenum TextureUpdateFilter(bool softwareRenderer, bool mipMap, TTextureFormat format);
// The internal format by the table above; "Compressed" takes the formats
// the context's texture list found.
GLenum TextureInternalFormat(TTextureFormat format, TColorBit colorBit, bool animated, const TGLTextureList& textures);

class TSceneTextureList : public TResource {
 public:
  const char* ClassName() const override { return "TSceneTextureList"; }

  bool MipMap() const { return mipMap_; }
  TColorBit ColorBit() const { return colorBit_; }
  TTextureQuality Quality() const { return quality_; }
  // Each updates the textures that have an OpenGL texture when it changes.
  void SetMipMap(bool value);
  void SetColorBit(TColorBit value);
  void SetQuality(TTextureQuality value);

  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;
  void LoadOptions() override;
  void SaveOptions() override;
  void ListResources(std::vector<std::string>& lines) override;

  // The texture named name, made and loaded at once when the list has none
  // of that name (files combined with the list's Path; alphaFile only for
  // tfAlpha). Returns the texture of that name.
  TSceneTexture* AddTexture(TTextureFormat format, const std::string& name, const std::string& textureFile,
                            const std::string& alphaFile, TGLColorBytes spriteColor, bool autoSpriteColor);
  // AddTexture without the loading: a texture made here is not loaded yet
  // (its caller loads it, LoadTexture).
  TSceneTexture* NewTexture(TTextureFormat format, const std::string& name, const std::string& textureFile,
                            const std::string& alphaFile, TGLColorBytes spriteColor, bool autoSpriteColor);
  TSceneTexture* FindTexture(const std::string& name) const;
  TSceneTexture* Textures(int index) const;
  // Frees every texture's OpenGL texture: each loads again at its next bind.
  void ReleaseTextures();

  // The rendering context's renderer is the software one.
  bool SoftwareRenderer() const;

 private:
  void UpdateTextures();

  bool mipMap_ = false;
  TColorBit colorBit_ = cbCompressed;
  TTextureQuality quality_ = tqHigh;
};

}  // namespace velmora
