#include "scene/SceneTextureList.h"

#include <algorithm>
#include <memory>

#include "assets/Bitmap.h"
#include "scene/SceneHost.h"
#include "core/Strings.h"
#include "gl/OpenGL.h"
#include "gl/Texture.h"
#include "scene/FileNames.h"
#include "scene/MainScene.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneOptions.h"

namespace velmora {

TColorBit StrToColorBit(const std::string& text) {
  if (text.find("32") != std::string::npos) return cb32Bit;
  if (text.find("16") != std::string::npos) return cb16Bit;
  return cbCompressed;
}

const char* ColorBitToStr(TColorBit value) {
  const TOptionChoice* choice = kOptTextureColorBit.ChoiceOf(value);
  return choice ? choice->Word : kColorBitChoices[cbCompressed].Word;
}

TTextureQuality StrToTextureQuality(const std::string& text) {
  if (text.find("High") != std::string::npos) return tqHigh;
  if (text.find("Medium") != std::string::npos) return tqMedium;
  return tqLow;
}

const char* TextureQualityToStr(TTextureQuality value) {
  const TOptionChoice* choice = kOptTextureQuality.ChoiceOf(value);
  return choice ? choice->Word : kTextureQualityChoices[tqHigh].Word;
}

int TextureStep(int width, int height, TTextureQuality quality) {
  if (width < 32) return 1;
  int step = quality == tqHigh ? 1 : quality == tqMedium ? 2 : 4;
  if (quality != tqHigh) {
    const int larger = std::max(width, height);
    if (larger == 1024 || larger <= 256) step /= 2;
  }
  if (width / step < 32) step = width / 32;
  return step;
}

GLenum TextureCreationFilter(bool softwareRenderer, bool mipMap, TTextureFormat format) {
  static const GLenum kFilters[] = {GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, GL_NEAREST, GL_LINEAR_MIPMAP_NEAREST};
  const int index = (softwareRenderer ? 2 : 0) + (mipMap && format == tfTexture ? 1 : 0);
  return kFilters[index];
}

GLenum TextureUpdateFilter(bool softwareRenderer, bool mipMap, TTextureFormat format) {
  if (softwareRenderer) return mipMap && format == tfTexture ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST;
  return mipMap ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR;
}

GLenum TextureInternalFormat(TTextureFormat format, TColorBit colorBit, bool animated, const TGLTextureList& textures) {
  if (colorBit == cb32Bit) return format == tfTexture ? GL_RGB8 : GL_RGBA8;
  if (colorBit == cb16Bit || animated)
    return format == tfTexture ? GL_RGB5 : format == tfSprite ? GL_RGB5_A1 : GL_RGBA4;
  return format == tfTexture ? textures.CompressedRGBFormat : textures.CompressedRGBAFormat;
}

// --- settings ---------------------------------------------------------------

bool TSceneTextureList::SoftwareRenderer() const {
  TCustomOpenGL* gl = MainScene() ? MainScene()->OpenGL() : nullptr;
  return gl && gl->Renderer() == glrSoftware;
}

void TSceneTextureList::SetMipMap(bool value) {
  if (value == mipMap_) return;
  mipMap_ = value;
  UpdateTextures();
}

void TSceneTextureList::SetColorBit(TColorBit value) {
  if (value == colorBit_) return;
  colorBit_ = value;
  UpdateTextures();
}

void TSceneTextureList::SetQuality(TTextureQuality value) {
  if (value == quality_) return;
  quality_ = value;
  UpdateTextures();
}

void TSceneTextureList::UpdateTextures() {
  const bool software = SoftwareRenderer();
  for (int i = 0; i < GetCount(); ++i) {
    TSceneTexture* texture = Textures(i);
    TGLTexture* gl = texture ? texture->GLTexture() : nullptr;
    if (!gl) continue;
    gl->Unload();
    gl->MinFilter = TextureUpdateFilter(software, mipMap_, texture->Format);
    const TGLTextureList* textures = gl->Textures();
    if (textures)
      gl->SetFormat(TextureInternalFormat(texture->Format, colorBit_, texture->Animated, *textures), gl->Format(),
                    gl->PixelType());
  }
}

// --- keys and options ---------------------------------------------------------

void TSceneTextureList::ReadProperties(TResourceLoader& loader) {
  TResource::ReadProperties(loader);
  SetQuality(StrToTextureQuality(loader.ReadString("Quality", "High")));
  SetColorBit(StrToColorBit(loader.ReadString("ColorBit", "Compressed")));
  SetMipMap(loader.ReadBool("MipMap", false));
}

void TSceneTextureList::WriteProperties(TResourceLoader& loader) {
  TResource::WriteProperties(loader);
  loader.WriteString("Quality", TextureQualityToStr(quality_));
  loader.WriteString("ColorBit", ColorBitToStr(colorBit_));
  loader.WriteBool("MipMap", mipMap_);
}

void TSceneTextureList::LoadOptions() {
  if (TSceneHost* app = Application()) {
    const std::string& list = Name();
    SetQuality(StrToTextureQuality(app->ReadOptionString(kOptTextureQuality.Key(list), TextureQualityToStr(quality_))));
    SetColorBit(StrToColorBit(app->ReadOptionString(kOptTextureColorBit.Key(list), ColorBitToStr(colorBit_))));
    SetMipMap(app->ReadOptionBool(kOptTextureMipMap.Key(list), mipMap_));
    for (int i = 0; i < GetCount(); ++i) {
      TSceneTexture* texture = Textures(i);
      if (!texture) continue;
      const std::string& name = texture->Name();
      if (!texture->FileListName.empty())
        texture->SetFileIndex(app->ReadOptionInteger(kOptFileIndex.Key(BaseFileName(texture->FileListName)),
                                                     kOptFileIndex.Default));
      texture->SetLoadFromFile(app->ReadOptionBool(kOptLoadFromFile.Key(name), texture->LoadFromFile()));
      if (texture->LoadFromFile()) {
        texture->TextureName = app->ReadOptionString(kOptTextureName.Key(name), texture->TextureName);
        texture->AlphaName = app->ReadOptionString(kOptAlphaName.Key(name), texture->AlphaName);
      }
    }
  }
  TResource::LoadOptions();
}

void TSceneTextureList::SaveOptions() {
  if (TSceneHost* app = Application()) {
    const std::string& list = Name();
    app->WriteOptionString(kOptTextureQuality.Key(list), TextureQualityToStr(quality_));
    app->WriteOptionString(kOptTextureColorBit.Key(list), ColorBitToStr(colorBit_));
    app->WriteOptionBool(kOptTextureMipMap.Key(list), mipMap_);
    for (int i = 0; i < GetCount(); ++i) {
      TSceneTexture* texture = Textures(i);
      if (!texture) continue;
      const std::string& name = texture->Name();
      if (!texture->FileListName.empty())
        app->WriteOptionInteger(kOptFileIndex.Key(BaseFileName(texture->FileListName)), texture->GetFileIndex());
      app->WriteOptionBool(kOptLoadFromFile.Key(name), texture->LoadFromFile());
      if (texture->LoadFromFile()) {
        app->WriteOptionString(kOptTextureName.Key(name), texture->TextureName);
        app->WriteOptionString(kOptAlphaName.Key(name), texture->AlphaName);
      }
    }
  }
  TResource::SaveOptions();
}

void TSceneTextureList::ListResources(std::vector<std::string>& lines) {
  auto add = [&](const std::string& fileName) {
    const bool bitmap = PictureFormatOf(fileName) == TPictureFormat::pfBmp;
    lines.push_back(fileName + (bitmap ? " Bitmap " : " RCData ") + ResourceIdent(fileName));
  };
  for (int i = 0; i < GetCount(); ++i) {
    TSceneTexture* texture = Textures(i);
    if (!texture) continue;
    add(texture->TextureName);
    if (!texture->AlphaName.empty()) add(texture->AlphaName);
  }
}

// --- textures -----------------------------------------------------------------

TSceneTexture* TSceneTextureList::Textures(int index) const { return dynamic_cast<TSceneTexture*>(GetItem(index)); }

TSceneTexture* TSceneTextureList::FindTexture(const std::string& name) const {
  return dynamic_cast<TSceneTexture*>(FindItem(name));
}

TSceneTexture* TSceneTextureList::AddTexture(TTextureFormat format, const std::string& name,
                                             const std::string& textureFile, const std::string& alphaFile,
                                             TGLColorBytes spriteColor, bool autoSpriteColor) {
  if (TMainObject* existing = FindItem(name)) return dynamic_cast<TSceneTexture*>(existing);
  TSceneTexture* added = NewTexture(format, name, textureFile, alphaFile, spriteColor, autoSpriteColor);
  added->LoadTexture();
  return added;
}

TSceneTexture* TSceneTextureList::NewTexture(TTextureFormat format, const std::string& name,
                                             const std::string& textureFile, const std::string& alphaFile,
                                             TGLColorBytes spriteColor, bool autoSpriteColor) {
  if (TMainObject* existing = FindItem(name)) return dynamic_cast<TSceneTexture*>(existing);
  auto texture = std::make_unique<TSceneTexture>();
  texture->SetName(name);
  TSceneTexture* added = texture.get();
  AddItem(added);
  texture.release();
  added->Path = Path;
  added->CreateGLTexture(format);
  added->TextureName = CombinePath(Path, textureFile);
  if (!alphaFile.empty()) added->AlphaName = CombinePath(Path, alphaFile);
  added->SpriteColor = spriteColor;
  added->AutoSpriteColor = autoSpriteColor;
  return added;
}

void TSceneTextureList::ReleaseTextures() {
  for (int i = 0; i < GetCount(); ++i)
    if (TSceneTexture* texture = Textures(i)) texture->ReleaseGLTexture();
}

}  // namespace velmora
