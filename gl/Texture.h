// OpenGL textures.
//
// A texture lives in client memory first: its image stays in Pixels for the
// texture's whole life, so that a context that goes away (a renderer change,
// a new window) costs nothing but an upload. Its driver object follows one
// cycle, all of it in this class:
//
//   made in client memory -> Use() uploads it on first use (UpLoad) ->
//   the context goes: TGLTextureList::UnloadAll() deletes the driver object,
//   the pixels stay -> the next Use() uploads it again.
//
// Filters, wrap and environment are sent at upload only; change them, then
// Unload, and the next Use sends them.
//
// On a renderer that samples in software (DecodesCompressed), a texture of a
// compressed format is compressed by the driver at upload as everywhere,
// then its blocks are read back, decoded by DecodeS3tc and sent again
// uncompressed: the same texels, without decoding a block on every fetch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "gl/GLEntryPoints.h"
#include "gl/ItemList.h"
#include "gl/Types.h"

namespace velmora {

class TGLTextureList;

class TGLTexture : public TGLItem {
 public:
  explicit TGLTexture(TGLTextureList* list);
  // Unloads, then frees the pixels and leaves the list.
  ~TGLTexture() override;

  bool Uploaded() const { return uploaded_; }
  GLuint Handle() const { return handle_; }

  int Width() const { return width_; }
  int Height() const { return height_; }
  // 0 or a power of two up to 2^30, else "TGLTexture.SetWidth error: Width is
  // not power 2" (the texture unchanged). The pixel buffer is not resized.
  void SetWidth(int width);
  void SetHeight(int height);  // "TGLTexture.SetHeight error: Height is not power 2"
  // Width first: a bad height leaves the new width in place.
  void SetSize(int width, int height);

  // The formats of the image and of the driver's copy.
  GLenum Format() const { return format_; }
  GLenum InternalFormat() const { return internalFormat_; }
  GLenum PixelType() const { return pixelType_; }
  void SetFormat(GLenum internalFormat, GLenum format, GLenum pixelType);

  // Derived from the size and the format after every change.
  int Components() const { return components_; }
  int BytesPerPixel() const { return bytesPerPixel_; }
  int64_t RowSize() const { return rowSize_; }
  int64_t ImageSize() const { return imageSize_; }

  // The image: rows from the first up, packed without gaps; nullptr until
  // AllocatePixels. PixelsSize is what the buffer holds, which may differ
  // from ImageSize after a size or format change.
  uint8_t* Pixels() const { return pixels_.get(); }
  int64_t PixelsSize() const { return pixelsSize_; }
  // ImageSize bytes, contents undefined; "TGLTexture.AllocatePixels error:
  // Out of memory" when they cannot be had.
  void AllocatePixels();
  void FreePixels();
  // Start of a row; "TGLTexture.ScanLine error: Row out of bounds" outside
  // the rows the buffer holds.
  uint8_t* ScanLine(int row) const;

  // Creates the driver object and sends the image, or the mipmap chain of
  // the program's box filter for a mipmap MinFilter. Needs a current context.
  void UpLoad();
  // Selects the texture's unit (when multitexturing is on) and binds.
  void Bind();
  void Enable();   // Bind, then glEnable(Target)
  void Use();      // UpLoad when not uploaded, then Enable: call before drawing
  void Disable();  // selects the unit like Bind, then glDisable(Target)
  // Use and Disable on another unit for this once: TextureUnit stays what
  // it is, so the next Bind, Use or Disable speaks to the texture's own
  // unit again. The unit is left selected.
  void UseOn(int unit);
  void DisableOn(int unit);
  // Deletes the driver object; the pixels stay for the next Use.
  void Unload();

  TGLTextureList* Textures() const;

  bool Repeat = true;  // GL_REPEAT, else GL_CLAMP
  float Priority = 1.0f;
  GLenum MinFilter = GL_LINEAR;
  GLenum Target = GL_TEXTURE_2D;  // GL_TEXTURE_2D or GL_TEXTURE_1D
  GLenum EnvMode = GL_MODULATE;
  TGLColor EnvColor{1, 1, 1, 1};
  int TextureUnit = 0;
  float AlphaValue = 0;  // kept for the scene textures, not used here

 private:
  void UpdateSizes();
  void UploadMipmaps();
  // The level just sent, read back decoded and sent again uncompressed,
  // when it went to a compressed format and the list decodes those.
  void DecodeLevel(GLint level, int width, int height);
  void UpLoadOn(int unit);
  void BindOn(int unit);
  void SelectUnit(int unit);

  bool uploaded_ = false;
  GLuint handle_ = 0;
  int width_ = 256;
  int height_ = 256;
  std::unique_ptr<uint8_t[]> pixels_;
  int64_t pixelsSize_ = 0;
  GLenum format_ = GL_RGB;
  GLenum internalFormat_ = GL_RGB8;
  GLenum pixelType_ = GL_UNSIGNED_BYTE;
  int components_ = 3;
  int bytesPerPixel_ = 3;
  int64_t rowSize_ = 0;
  int64_t imageSize_ = 0;
};

class TGLTextureList : public TGLItemList {
 public:
  explicit TGLTextureList(TCustomOpenGL* owner);

  // Reads the driver's texture capabilities and resets the defaults; called
  // after each context creation.
  void InitGL() override;

  TGLTexture* Add();
  TGLTexture* Items(int index) const { return ItemsAs<TGLTexture>(index); }
  // Unload of every texture (before the context is deleted).
  void UnloadAll();

  // Factories: a texture of the named internal format, its pixel data
  // described as BGR(A) with UseBGRA and with packed component types with
  // UsePackedPixels; width and height both non-zero give allocated pixels,
  // otherwise a 0 x 0 texture without pixels.
  TGLTexture* NewRGBA4(int width, int height);
  TGLTexture* NewRGB5A1(int width, int height);
  TGLTexture* NewRGB5(int width, int height);
  TGLTexture* NewRGB8(int width, int height);
  TGLTexture* NewRGBA8(int width, int height);
  TGLTexture* NewCompressedRGBA(int width, int height);
  TGLTexture* NewCompressedRGB(int width, int height);

  bool UseBGRA() const { return useBGRA_; }
  void SetUseBGRA(bool value) { useBGRA_ = value; }
  bool UsePackedPixels() const { return usePackedPixels_; }
  void SetUsePackedPixels(bool value) { usePackedPixels_ = value; }

  bool HasBGRA = false;
  bool HasPackedPixels = false;
  GLenum DefaultMinFilter = GL_LINEAR;
  GLenum DefaultEnvMode = GL_MODULATE;
  bool HasMultitexture = false;
  int MaxTextureUnits = 1;
  bool MultitextureEnabled = false;
  bool CompressionSupported = false;
  GLenum CompressedRGBFormat = GL_RGB8;
  GLenum CompressedRGBAFormat = GL_RGBA8;
  // Compressed textures are decoded once after upload (see above): set by
  // InitGL when the renderer samples in software.
  bool DecodesCompressed = false;

 private:
  TGLTexture* NewTexture(int width, int height, GLenum internalFormat, bool alpha, GLenum packedBGRA,
                         GLenum packedPlain);

  bool useBGRA_ = false;
  bool usePackedPixels_ = false;
};

// One step of the mipmap chain, in place: the image of width x height pixels
// of `components` bytes each becomes the image of the next level (half the
// size, at least 1), each byte the truncated mean of its 2 x 2 block (the
// block folds onto itself along a side of length 1). width and height
// become the new size.
void ShrinkBoxFilter(uint8_t* image, int& width, int& height, int components);

// The bytes of one 4 x 4 block of an S3TC format (DXT1 RGB and RGBA: 8;
// DXT3 and DXT5: 16); 0 for any other format.
int S3tcBlockBytes(GLenum format);
// Decodes width x height texels of S3TC blocks (rows of blocks from the
// first up) into RGBA bytes, as the format's decoding rules give them;
// nothing for a format S3tcBlockBytes does not know.
void DecodeS3tc(GLenum format, const uint8_t* blocks, int width, int height, uint8_t* rgba);

// Whether a GL_RENDERER string names a renderer that rasterizes and samples
// textures on the processor (Mesa's llvmpipe, softpipe and its classic
// software rasterizer).
bool SoftwareRasterizer(const std::string& renderer);

}  // namespace velmora
