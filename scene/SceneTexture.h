// A named texture of the scene: which image (and which second image for
// the alpha channel) to load, how to turn it into texels, and the OpenGL
// texture made from it.
//
// Formats:
//   tfTexture  RGB texels (3 bytes b, g, r)
//   tfAlpha    RGBA, the alpha from a second image: the mean of its r, g, b
//   tfSprite   RGBA, alpha 0 where the colour is SpriteColor (with
//              AutoSpriteColor: the colour of the image's top-left pixel)
// Texel rows run bottom-up (texel row 0 is the image's bottom row). The
// quality of the owning list reduces the image by Step (1, 2 or 4) in each
// direction: Step 2 averages each 2 x 2 block; Step 4 averages eight pixels
// of each 4 x 4 block (see TextureTexels.h). 8-bit images and sprites are
// sampled without averaging.
//
// Lifecycle:
//
//   created by the loader or AddTexture -> keys read (no OpenGL texture
//   yet) -> first Bind: CreateGLTexture for Format, LoadTexture (images
//   read, fitted to powers of two, reduced to texels), upload (only while
//   the scene's rendering context is active: without one the texels wait
//   in client memory and Bind raises) -> a change
//   of file index, load-from-file flag or format frees the OpenGL texture:
//   the next Bind loads again -> freed with its list (and before the
//   rendering context's lists).
//
// Images come from the archive, or from disk when the scene reads from
// disk or LoadFromFile is set (assets/Bitmap.h decodes ".bmp", ".jpg" and
// ".jepg"; other names give an empty image; a name the archive lacks gives
// an empty image and so a texture of size 0).
//
// File lists (".txt"): one image name per line; for a texture with an
// alpha image the lines go in pairs, colour image then alpha image.
// SetFileIndex picks an entry (a pair); names are used as they stand.
//
// Keys (besides those of TMainObject):
//   Path=<text>              default: the list's Path
//   TextureName=<file>       AlphaName=<file>      (with Path)
//   Format=<text>            contains "Texture" -> tfTexture, else "Alpha"
//                            -> tfAlpha, else "Sprite" -> tfSprite, else
//                            tfTexture; default "Alpha" when Alpha is set or
//                            AlphaName is not empty, else "Texture"
//   Animated=<boolean>       SpriteColor=<byte colour>   AutoSpriteColor=<boolean>
//   FileListName=<file>      (with Path) the list is read at once
//   FileIndex=<integer>      default GetFileIndex(); passed to SetFileIndex
// Written back: Format (unless tfTexture), TextureName, AlphaValue (not
// for tfTexture; never read), AlphaName (tfAlpha), SpriteColor or
// AutoSpriteColor (tfSprite), Animated, FileIndex, Path, FileListName.
//
// Diagnostics (core/Diagnostics.h, when a sink is in force), at the key
// that named the image ("FileListName" for names from a file list): a
// picture the archive lacks (error), a name that is not a .bmp or .jpg
// picture (error), a picture fitted to powers of two (warning).
//
// Errors:
//   "TSceneTexture.AlphaFromBitmap error: Texture size is not equal Alpha size! (texture T: A WxH, B WxH)"
//   "TSceneTexture.SetFileIndex error: List index out of bounds (I) in <file list> of texture T"
//   "TSceneTexture.CreateGLTexture error: Texture T is not in a scene with a rendering context"
//   "TSceneTexture.Bind error: Texture T needs an active rendering context"
//   the decoders' errors (assets/Bitmap.h); a missing disk file:
//   "TFileStream.Create error: Cannot open file ..."
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "gl/Types.h"
#include "scene/SceneItem.h"

namespace velmora {

class TBitmap;
class TGLTexture;
class TSceneTextureList;

enum TTextureFormat : uint8_t { tfTexture = 0, tfAlpha = 1, tfSprite = 2 };

// The format named in a "Format" value, as the key reads it.
TTextureFormat StrToTextureFormat(const std::string& text, TTextureFormat defaultFormat);
const char* TextureFormatToStr(TTextureFormat format);

class TSceneTexture : public TMainObject {
 public:
  TSceneTexture() = default;
  // Frees the OpenGL texture and leaves the render state cache.
  ~TSceneTexture() override;

  const char* ClassName() const override { return "TSceneTexture"; }

  std::string AlphaName;
  std::string TextureName;
  // Owned; made on first Bind, freed whenever the source changes.
  TGLTexture* GLTexture() const { return glTexture_; }
  // r, g, b used.
  TGLColorBytes SpriteColor{0, 0, 0, 255};
  TTextureFormat Format = tfTexture;
  bool AutoSpriteColor = false;
  // The reduction chosen by the last LoadTexture: 1, 2 or 4.
  int32_t Step = 1;
  const std::vector<std::string>& FileList() const { return fileList_; }
  // The entry in use, -1 when none.
  int32_t FileIndex = -1;
  std::string FileListName;
  std::string Path;
  // Re-uploaded while running: a plain 16-bit format instead of compression.
  bool Animated = false;
  bool LoadFromFile() const { return loadFromFile_; }
  // The colour image's size after power-of-two fitting.
  int32_t ImageWidth = 0;
  int32_t ImageHeight = 0;

  void ReadProperties(TResourceLoader& loader) override;
  void WriteProperties(TResourceLoader& loader) override;

  // The list the texture is in (its Owner), or nullptr.
  TSceneTextureList* List() const;

  // Replaces GLTexture by a new, empty texture of the context's texture
  // list for format, with the list's filter and colour depth.
  void CreateGLTexture(TTextureFormat format);
  // Reads the image(s) and fills GLTexture's pixels.
  void LoadTexture();
  // First use: CreateGLTexture and LoadTexture; then the texture's Use
  // (uploaded when needed, bound, enabled). Drawing code binds through
  // BindSceneTexture (RenderState.h).
  void Bind();
  // First use as above, then the texture bound and enabled on texture unit
  // `unit` with that unit's environment envMode, past the render-state
  // cache (which speaks for unit 0): a map that modulates what unit 0
  // draws. The texture's own unit stays 0, so an ordinary Bind of the same
  // texture afterwards binds on unit 0. Leaves unit `unit` selected.
  void UseOnUnit(int unit, GLenum envMode);
  // Texturing off on unit `unit` (nothing before the first use); leaves
  // that unit selected.
  void DisableOnUnit(int unit);
  // Formats with an alpha channel: meshes draw them in the blended pass.
  bool HasAlpha() const { return Format == tfAlpha || Format == tfSprite; }
  // A colour-plus-alpha texture: file list entries go in pairs.
  bool Paired() const { return Alpha || !AlphaName.empty(); }

  // Picks entry index (a pair when paired) of the file list; nothing
  // without entries.
  void SetFileIndex(int32_t index);
  int32_t GetFileIndex() const;
  // Reads the file list from name (disk when the scene reads from disk,
  // else the archive; a name the archive lacks gives an empty list).
  void LoadFileList(const std::string& name);
  void SetLoadFromFile(bool value);
  void SetFormat(TTextureFormat format);
  // Frees the OpenGL texture; the next Bind loads again.
  void ReleaseGLTexture();
  // CreateGLTexture and LoadTexture when there is no GL texture yet (none
  // stays behind when loading fails).
  void MakeGLTexture();

  // The image at fileName, decoded and fitted to powers of two; from disk
  // or the archive as above.
  TBitmap LoadBitmap(const std::string& fileName) const;
  // Fills GLTexture's pixels from colour (and alpha for tfAlpha).
  void AlphaFromBitmap(const TBitmap& colour, const TBitmap& alpha);

 private:
  // True when images and lists come from disk.
  bool ReadsFromDisk() const;
  // The key a diagnostic names for an image: key, or "FileListName" when
  // the image names come from a file list.
  std::string ImageKey(const char* key) const;

  TGLTexture* glTexture_ = nullptr;
  std::vector<std::string> fileList_;
  bool loadFromFile_ = false;
};

}  // namespace velmora
