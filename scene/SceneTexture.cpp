#include "scene/SceneTexture.h"

#include <cstring>
#include <optional>
#include <utility>

#include "assets/Bitmap.h"
#include "assets/ResourceReader.h"
#include "assets/Stream.h"
#include "core/Diagnostics.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "gl/OpenGL.h"
#include "gl/Texture.h"
#include "scene/FileNames.h"
#include "scene/MainScene.h"
#include "scene/RenderState.h"
#include "scene/ResourceLoader.h"
#include "scene/SceneTextureList.h"
#include "scene/TextureTexels.h"

namespace velmora {

TTextureFormat StrToTextureFormat(const std::string& text, TTextureFormat defaultFormat) {
  if (text.find("Texture") != std::string::npos) return tfTexture;
  if (text.find("Alpha") != std::string::npos) return tfAlpha;
  if (text.find("Sprite") != std::string::npos) return tfSprite;
  return text.empty() ? defaultFormat : tfTexture;
}

const char* TextureFormatToStr(TTextureFormat format) {
  switch (format) {
    case tfAlpha: return "Alpha";
    case tfSprite: return "Sprite";
    default: return "Texture";
  }
}

TSceneTexture::~TSceneTexture() {
  ForgetSceneTexture(this);
  ReleaseGLTexture();
}

TSceneTextureList* TSceneTexture::List() const { return dynamic_cast<TSceneTextureList*>(Owner()); }

bool TSceneTexture::ReadsFromDisk() const { return MainScene() ? (MainScene()->SourceFlags & sfDisk) != 0 : true; }

// --- keys -------------------------------------------------------------------

void TSceneTexture::ReadProperties(TResourceLoader& loader) {
  TMainObject::ReadProperties(loader);
  TSceneTextureList* list = List();
  Path = loader.ReadString("Path", list ? list->Path : Path);
  TextureName = loader.ReadFileName("TextureName", Path, TextureName);
  AlphaName = loader.ReadFileName("AlphaName", Path, AlphaName);
  const TTextureFormat defaultFormat = Paired() ? tfAlpha : tfTexture;
  SetFormat(StrToTextureFormat(loader.ReadString("Format", ""), defaultFormat));
  Animated = loader.ReadBool("Animated", false);
  SpriteColor = loader.ReadColorBytes("SpriteColor", TGLColorBytes{0, 0, 0, 255});
  AutoSpriteColor = loader.ReadBool("AutoSpriteColor", false);
  const std::string listName = loader.ReadFileName("FileListName", Path, "");
  if (!listName.empty()) LoadFileList(listName);
  SetFileIndex(loader.ReadInteger("FileIndex", GetFileIndex()));
}

void TSceneTexture::WriteProperties(TResourceLoader& loader) {
  TMainObject::WriteProperties(loader);
  if (Format != tfTexture) loader.WriteString("Format", TextureFormatToStr(Format));
  loader.WriteFileName("TextureName", Path, TextureName);
  if (Format != tfTexture) loader.WriteFloat("AlphaValue", Format == tfSprite ? 0.5f : 0.02f);
  if (Format == tfAlpha) loader.WriteFileName("AlphaName", Path, AlphaName);
  if (Format == tfSprite) {
    if (AutoSpriteColor)
      loader.WriteBool("AutoSpriteColor", true);
    else
      loader.WriteColorBytes("SpriteColor", SpriteColor);
  }
  loader.WriteBool("Animated", Animated);
  loader.WriteInteger("FileIndex", GetFileIndex());
  if (!Path.empty()) loader.WriteString("Path", Path);
  if (!FileListName.empty()) loader.WriteFileName("FileListName", Path, FileListName);
}

// --- file lists and switches --------------------------------------------------

void TSceneTexture::LoadFileList(const std::string& name) {
  TDiagnosticPlace place(this, "FileListName");
  FileListName = name;
  fileList_ = ReadSceneFileLines(name, ReadsFromDisk());
}

void TSceneTexture::SetFileIndex(int32_t index) {
  if (fileList_.empty()) return;
  if (index < 0) index = 0;
  const bool paired = Paired();
  const int64_t count = static_cast<int64_t>(fileList_.size());
  const int64_t entry = (paired ? 2 * static_cast<int64_t>(index) : index) % count;
  if (paired && entry + 1 >= count)
    RaiseError("TSceneTexture", "SetFileIndex",
               "List index out of bounds (" + std::to_string(entry + 1) + ") in " + FileListName + " of texture " +
                   Name());
  FileIndex = static_cast<int32_t>(entry);
  TextureName = fileList_[static_cast<size_t>(entry)];
  if (paired) AlphaName = fileList_[static_cast<size_t>(entry + 1)];
  ReleaseGLTexture();
}

int32_t TSceneTexture::GetFileIndex() const { return Paired() ? FileIndex / 2 : FileIndex; }

void TSceneTexture::SetLoadFromFile(bool value) {
  loadFromFile_ = value;
  ReleaseGLTexture();
}

void TSceneTexture::SetFormat(TTextureFormat format) {
  if (format == Format) return;
  Format = format;
  ReleaseGLTexture();
}

void TSceneTexture::ReleaseGLTexture() {
  if (!glTexture_) return;
  ForgetSceneTexture(this);
  delete glTexture_;
  glTexture_ = nullptr;
}

// --- the OpenGL texture -------------------------------------------------------

void TSceneTexture::CreateGLTexture(TTextureFormat format) {
  ReleaseGLTexture();
  TCustomOpenGL* gl = MainScene() ? MainScene()->OpenGL() : nullptr;
  if (!gl)
    RaiseError("TSceneTexture", "CreateGLTexture", "Texture " + Name() + " is not in a scene with a rendering context");
  TGLTextureList& textures = *gl->Textures();
  const TSceneTextureList* list = List();
  const bool mipMap = list && list->MipMap();
  const TColorBit colorBit = list ? list->ColorBit() : cbCompressed;
  // Texels are written b, g, r (, a) bytes.
  textures.SetUseBGRA(true);
  textures.SetUsePackedPixels(false);
  textures.DefaultMinFilter = TextureCreationFilter(gl->Renderer() == glrSoftware, mipMap, format);
  // The factory of the internal format, so that the pixel layout is its.
  const bool plain16 = colorBit == cb16Bit || (colorBit == cbCompressed && Animated);
  if (colorBit == cb32Bit)
    glTexture_ = format == tfTexture ? textures.NewRGB8(0, 0) : textures.NewRGBA8(0, 0);
  else if (plain16)
    glTexture_ = format == tfTexture   ? textures.NewRGB5(0, 0)
                 : format == tfSprite ? textures.NewRGB5A1(0, 0)
                                      : textures.NewRGBA4(0, 0);
  else
    glTexture_ = format == tfTexture ? textures.NewCompressedRGB(0, 0) : textures.NewCompressedRGBA(0, 0);
  glTexture_->AlphaValue = format == tfSprite ? 0.5f : format == tfAlpha ? 0.02f : 0.0f;
  Format = format;
}

TBitmap TSceneTexture::LoadBitmap(const std::string& fileName) const {
  if (PictureFormatOf(fileName) == TPictureFormat::pfNone) {
    NoteFileUsed(fileName);
    const std::string name = ResourceFileName(fileName);
    Diagnose(TDiagnosticLevel::dlError, name.empty() ? std::string("no picture is named: the texture stays empty")
                                                     : name + " is not a .bmp or .jpg picture: the texture stays empty");
    return TBitmap();
  }
  bool found = false;
  const std::vector<uint8_t> bytes = ReadSceneFile(fileName, loadFromFile_ || ReadsFromDisk(), found);
  if (!found) return TBitmap();
  const TBitmap image = TBitmap::Decode(bytes.data(), bytes.size(), fileName);
  TBitmap fitted = image.FitPowerOfTwo();
  if (Diagnostics() && (fitted.Width() != image.Width() || fitted.Height() != image.Height()))
    Diagnose(TDiagnosticLevel::dlWarning,
             velmora::Format("%s is %dx%d, not powers of two up to %d: fitted to %dx%d", ResourceFileName(fileName).c_str(),
                             image.Width(), image.Height(), TBitmap::MaxFittedSide, fitted.Width(), fitted.Height()));
  return fitted;
}

std::string TSceneTexture::ImageKey(const char* key) const { return fileList_.empty() ? key : "FileListName"; }

void TSceneTexture::LoadTexture() {
  if (!glTexture_) CreateGLTexture(Format);
  std::optional<TDiagnosticPlace> place;
  if (Diagnostics()) place.emplace(this, ImageKey("TextureName"));
  const TBitmap colour = LoadBitmap(CombinePath(Path, TextureName));
  place.reset();
  ImageWidth = colour.Width();
  ImageHeight = colour.Height();
  TSceneTextureList* list = List();
  Step = TextureStep(ImageWidth, ImageHeight, list ? list->Quality() : tqHigh);
  glTexture_->SetSize(ImageWidth / Step, ImageHeight / Step);
  glTexture_->AllocatePixels();
  // An image of a kind without pixels leaves its texels black.
  if (glTexture_->PixelsSize() > 0) std::memset(glTexture_->Pixels(), 0, static_cast<size_t>(glTexture_->PixelsSize()));
  if (Format == tfAlpha && !SameText(AlphaName, TextureName)) {
    if (Diagnostics()) place.emplace(this, ImageKey("AlphaName"));
    AlphaFromBitmap(colour, LoadBitmap(CombinePath(Path, AlphaName)));
  } else {
    AlphaFromBitmap(colour, colour);
  }
}

void TSceneTexture::AlphaFromBitmap(const TBitmap& colour, const TBitmap& alpha) {
  if (Format == tfAlpha && (colour.Width() != alpha.Width() || colour.Height() != alpha.Height()))
    RaiseError("TSceneTexture", "AlphaFromBitmap",
               velmora::Format("Texture size is not equal Alpha size! (texture %s: %s %dx%d, %s %dx%d)", Name().c_str(),
                      TextureName.c_str(), colour.Width(), colour.Height(), AlphaName.c_str(), alpha.Width(),
                      alpha.Height()));
  if (Format == tfSprite && AutoSpriteColor && !colour.Empty() && colour.BitsPerPixel() != 0) {
    const TBitmapColor corner = colour.Color(0, 0);
    SpriteColor = TGLColorBytes{corner.R, corner.G, corner.B, 255};
  }
  if (!glTexture_ || !glTexture_->Pixels()) return;
  const TTexelTarget target{glTexture_->Pixels(), glTexture_->Width(), glTexture_->Height()};
  FillTexels(Format, Step, TBitmapColor{SpriteColor.r, SpriteColor.g, SpriteColor.b}, colour, alpha, target);
}

void TSceneTexture::MakeGLTexture() {
  if (glTexture_) return;
  CreateGLTexture(Format);
  try {
    LoadTexture();
  } catch (...) {
    // No half-loaded texture stays behind: the next use tries again.
    ReleaseGLTexture();
    throw;
  }
}

void TSceneTexture::UseOnUnit(int unit, GLenum envMode) {
  MakeGLTexture();
  // On that unit for this once: the texture's own unit stays 0, so that
  // the ordinary Bind of the same texture (a water's surface light map
  // that is also its caustic map) still goes to unit 0.
  glTexture_->UseOn(unit);
  // The environment is the unit's, not the texture's: sent every time.
  GL.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(envMode));
}

void TSceneTexture::DisableOnUnit(int unit) {
  if (glTexture_) glTexture_->DisableOn(unit);
}

void TSceneTexture::Bind() {
  MakeGLTexture();
  // Uploading and binding speak to the context: without an active one the
  // texels stay in client memory until a frame has it.
  TCustomOpenGL* gl = MainScene() ? MainScene()->OpenGL() : nullptr;
  if (!gl || !gl->Active())
    RaiseError("TSceneTexture", "Bind", "Texture " + Name() + " needs an active rendering context");
  glTexture_->Use();
}

}  // namespace velmora
