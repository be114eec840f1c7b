#include "gl/Texture.h"

#include <limits>

#include <new>
#include <vector>

#include "core/Error.h"
#include "gl/OpenGL.h"

namespace velmora {

namespace {

bool PowerOfTwoOrZero(int value) { return value >= 0 && value <= (1 << 30) && (value & (value - 1)) == 0; }

bool IsCompressedFormat(GLenum format) {
  switch (format) {
    case GL_COMPRESSED_RGB_ARB:
    case GL_COMPRESSED_RGBA_ARB:
    case GL_COMPRESSED_RGB_S3TC_DXT1_EXT:
    case GL_COMPRESSED_RGBA_S3TC_DXT1_EXT:
    case GL_COMPRESSED_RGBA_S3TC_DXT3_EXT:
    case GL_COMPRESSED_RGBA_S3TC_DXT5_EXT: return true;
    default: return false;
  }
}

bool IsMipmapFilter(GLenum filter) {
  return filter == GL_NEAREST_MIPMAP_NEAREST || filter == GL_LINEAR_MIPMAP_NEAREST ||
         filter == GL_NEAREST_MIPMAP_LINEAR || filter == GL_LINEAR_MIPMAP_LINEAR;
}

int ComponentsOf(GLenum format) {
  switch (format) {
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_RGB:
    case GL_BGR_EXT: return 3;
    case GL_RGBA:
    case GL_BGRA_EXT: return 4;
    default: return 1;
  }
}

int BytesPerPixelOf(GLenum type, int components) {
  switch (type) {
    case GL_SHORT:
    case GL_UNSIGNED_SHORT: return 2 * components;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT: return 4 * components;
    case GL_UNSIGNED_BYTE_3_3_2:
    case GL_UNSIGNED_BYTE_2_3_3_REV: return 1;
    case GL_UNSIGNED_SHORT_4_4_4_4:
    case GL_UNSIGNED_SHORT_5_5_5_1:
    case GL_UNSIGNED_SHORT_5_6_5:
    case GL_UNSIGNED_SHORT_5_6_5_REV:
    case GL_UNSIGNED_SHORT_4_4_4_4_REV:
    case GL_UNSIGNED_SHORT_1_5_5_5_REV: return 2;
    case GL_UNSIGNED_INT_8_8_8_8:
    case GL_UNSIGNED_INT_10_10_10_2:
    case GL_UNSIGNED_INT_8_8_8_8_REV:
    case GL_UNSIGNED_INT_2_10_10_10_REV: return 4;
    default: return components;
  }
}

}  // namespace

int S3tcBlockBytes(GLenum format) {
  switch (format) {
    case GL_COMPRESSED_RGB_S3TC_DXT1_EXT:
    case GL_COMPRESSED_RGBA_S3TC_DXT1_EXT: return 8;
    case GL_COMPRESSED_RGBA_S3TC_DXT3_EXT:
    case GL_COMPRESSED_RGBA_S3TC_DXT5_EXT: return 16;
    default: return 0;
  }
}

namespace {

// A 5:6:5 colour widened to bytes by repeating its top bits.
void Expand565(unsigned c, int rgb[3]) {
  rgb[0] = int(((c >> 8) & 0xf8) | ((c >> 13) & 0x7));
  rgb[1] = int(((c >> 3) & 0xfc) | ((c >> 9) & 0x3));
  rgb[2] = int(((c << 3) & 0xf8) | ((c >> 2) & 0x7));
}

// The four colours of a colour block, alpha in [3]. Blocks of the alpha
// formats always use the four-colour mode.
void BlockColours(const uint8_t* block, bool fourAlways, bool dxt1Alpha, int out[4][4]) {
  const unsigned c0 = block[0] | (block[1] << 8), c1 = block[2] | (block[3] << 8);
  Expand565(c0, out[0]);
  Expand565(c1, out[1]);
  out[0][3] = out[1][3] = out[2][3] = out[3][3] = 255;
  const bool four = fourAlways || c0 > c1;
  for (int k = 0; k < 3; ++k) {
    if (four) {
      out[2][k] = (out[0][k] * 2 + out[1][k]) / 3;
      out[3][k] = (out[0][k] + out[1][k] * 2) / 3;
    } else {
      out[2][k] = (out[0][k] + out[1][k]) / 2;
      out[3][k] = 0;
    }
  }
  if (!four && dxt1Alpha) out[3][3] = 0;
}

}  // namespace

void DecodeS3tc(GLenum format, const uint8_t* blocks, int width, int height, uint8_t* rgba) {
  const int blockBytes = S3tcBlockBytes(format);
  if (blockBytes == 0) return;
  const bool dxt1 = blockBytes == 8;
  for (int by = 0; by < (height + 3) / 4; ++by)
    for (int bx = 0; bx < (width + 3) / 4; ++bx, blocks += blockBytes) {
      const uint8_t* colour = dxt1 ? blocks : blocks + 8;
      int colours[4][4];
      BlockColours(colour, !dxt1, format == GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, colours);
      const uint32_t codes = colour[4] | (colour[5] << 8) | (colour[6] << 16) | (uint32_t(colour[7]) << 24);
      // DXT5: two alphas and 3-bit codes between them; DXT3: 4 bits each.
      int alphas[8] = {0};
      uint64_t alphaCodes = 0;
      if (format == GL_COMPRESSED_RGBA_S3TC_DXT5_EXT) {
        const int a0 = blocks[0], a1 = blocks[1];
        alphas[0] = a0;
        alphas[1] = a1;
        if (a0 > a1) {
          for (int k = 2; k < 8; ++k) alphas[k] = (a0 * (8 - k) + a1 * (k - 1)) / 7;
        } else {
          for (int k = 2; k < 6; ++k) alphas[k] = (a0 * (6 - k) + a1 * (k - 1)) / 5;
          alphas[6] = 0;
          alphas[7] = 255;
        }
        for (int k = 0; k < 6; ++k) alphaCodes |= uint64_t(blocks[2 + k]) << (8 * k);
      }
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
          const int x = bx * 4 + i, y = by * 4 + j;
          if (x >= width || y >= height) continue;
          const int n = j * 4 + i;
          const int* c = colours[(codes >> (2 * n)) & 3];
          uint8_t* texel = rgba + (static_cast<size_t>(y) * width + x) * 4;
          texel[0] = uint8_t(c[0]);
          texel[1] = uint8_t(c[1]);
          texel[2] = uint8_t(c[2]);
          if (format == GL_COMPRESSED_RGBA_S3TC_DXT5_EXT)
            texel[3] = uint8_t(alphas[(alphaCodes >> (3 * n)) & 7]);
          else if (format == GL_COMPRESSED_RGBA_S3TC_DXT3_EXT)
            texel[3] = uint8_t(((blocks[n / 2] >> (4 * (n % 2))) & 0xf) * 17);
          else
            texel[3] = uint8_t(c[3]);
        }
    }
}

bool SoftwareRasterizer(const std::string& renderer) {
  for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer"})
    if (renderer.find(name) != std::string::npos) return true;
  return false;
}

void ShrinkBoxFilter(uint8_t* image, int& width, int& height, int components) {
  const int w = width, h = height;
  const int nw = w > 1 ? w / 2 : 1;
  const int nh = h > 1 ? h / 2 : 1;
  const size_t c = static_cast<size_t>(components);
  const size_t row = static_cast<size_t>(w) * c;
  // Scan order keeps the shrink in place: every pixel is written at or
  // before the first byte a later block still reads.
  uint8_t* out = image;
  for (int y = 0; y < nh; ++y) {
    const uint8_t* top = image + static_cast<size_t>(2 * y) * row;
    const uint8_t* bottom = h > 1 ? top + row : top;
    for (int x = 0; x < nw; ++x) {
      const size_t left = static_cast<size_t>(2 * x) * c;
      const size_t right = w > 1 ? left + c : left;
      for (size_t k = 0; k < c; ++k) {
        const unsigned sum = top[left + k] + top[right + k] + bottom[left + k] + bottom[right + k];
        *out++ = static_cast<uint8_t>(sum / 4);
      }
    }
  }
  width = nw;
  height = nh;
}

// --- TGLTexture -------------------------------------------------------------

TGLTexture::TGLTexture(TGLTextureList* list) : TGLItem(list) { UpdateSizes(); }

TGLTexture::~TGLTexture() {
  Unload();
  FreePixels();
}

TGLTextureList* TGLTexture::Textures() const { return static_cast<TGLTextureList*>(List()); }

void TGLTexture::SetWidth(int width) {
  if (!PowerOfTwoOrZero(width)) RaiseError("TGLTexture", "SetWidth", "Width is not power 2");
  width_ = width;
  UpdateSizes();
}

void TGLTexture::SetHeight(int height) {
  if (!PowerOfTwoOrZero(height)) RaiseError("TGLTexture", "SetHeight", "Height is not power 2");
  height_ = height;
  UpdateSizes();
}

void TGLTexture::SetSize(int width, int height) {
  SetWidth(width);
  SetHeight(height);
}

void TGLTexture::SetFormat(GLenum internalFormat, GLenum format, GLenum pixelType) {
  internalFormat_ = internalFormat;
  format_ = format;
  pixelType_ = pixelType;
  UpdateSizes();
}

void TGLTexture::UpdateSizes() {
  components_ = ComponentsOf(format_);
  bytesPerPixel_ = BytesPerPixelOf(pixelType_, components_);
  // 64 bits: 2^30 pixels of 16 bytes do not fit the 32 bits of a row.
  // The image of the very largest sizes would pass even that; it saturates,
  // so allocating it fails cleanly instead of getting a wrapped-around size.
  rowSize_ = static_cast<int64_t>(bytesPerPixel_) * width_;
  if (__builtin_mul_overflow(rowSize_, static_cast<int64_t>(height_), &imageSize_))
    imageSize_ = std::numeric_limits<int64_t>::max();
}

void TGLTexture::AllocatePixels() {
  FreePixels();
  try {
    pixels_.reset(new uint8_t[static_cast<size_t>(imageSize_)]);
  } catch (const std::bad_alloc&) {
    RaiseError("TGLTexture", "AllocatePixels", "Out of memory");
  }
  pixelsSize_ = imageSize_;
}

void TGLTexture::FreePixels() {
  pixels_.reset();
  pixelsSize_ = 0;
}

uint8_t* TGLTexture::ScanLine(int row) const {
  if (!pixels_ || row < 0 || rowSize_ <= 0 || static_cast<int64_t>(row) >= pixelsSize_ / rowSize_)
    RaiseError("TGLTexture", "ScanLine", "Row out of bounds");
  return pixels_.get() + static_cast<int64_t>(row) * rowSize_;
}

void TGLTexture::SelectUnit(int unit) {
  TGLTextureList* list = Textures();
  if (list && list->MultitextureEnabled && GL.glActiveTextureARB)
    GL.glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
}

void TGLTexture::BindOn(int unit) {
  SelectUnit(unit);
  GL.glBindTexture(Target, handle_);
}

void TGLTexture::Bind() { BindOn(TextureUnit); }

void TGLTexture::Enable() {
  Bind();
  GL.glEnable(Target);
}

void TGLTexture::Use() { UseOn(TextureUnit); }

void TGLTexture::UseOn(int unit) {
  if (!uploaded_) UpLoadOn(unit);
  BindOn(unit);
  GL.glEnable(Target);
}

void TGLTexture::Disable() { DisableOn(TextureUnit); }

void TGLTexture::DisableOn(int unit) {
  SelectUnit(unit);
  GL.glDisable(Target);
}

void TGLTexture::Unload() {
  if (!uploaded_) return;
  if (GL.glDeleteTextures) GL.glDeleteTextures(1, &handle_);
  uploaded_ = false;
}

void TGLTexture::UpLoad() { UpLoadOn(TextureUnit); }

void TGLTexture::UpLoadOn(int unit) {
  if (uploaded_) return;
  GL.glGenTextures(1, &handle_);
  BindOn(unit);
  GL.glTexParameteri(Target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(MinFilter));
  // Every mipmap filter lies above GL_LINEAR, so they all magnify linearly.
  GL.glTexParameteri(Target, GL_TEXTURE_MAG_FILTER, MinFilter >= GL_LINEAR ? GL_LINEAR : GL_NEAREST);
  GL.glTexParameteri(Target, GL_TEXTURE_WRAP_S, Repeat ? GL_REPEAT : GL_CLAMP);
  GL.glTexParameteri(Target, GL_TEXTURE_WRAP_T, Repeat ? GL_REPEAT : GL_CLAMP);
  GL.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(EnvMode));
  const GLfloat color[4] = {EnvColor.r, EnvColor.g, EnvColor.b, EnvColor.a};
  GL.glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, color);
  GL.glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  GL.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GL.glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  GL.glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  GL.glTexParameterf(Target, GL_TEXTURE_PRIORITY, Priority);
  if (Target != GL_TEXTURE_2D && Target != GL_TEXTURE_1D)
    RaiseError("TGLTexture", "UpLoad", "Target has invalid format");
  if (IsMipmapFilter(MinFilter)) {
    UploadMipmaps();
  } else {
    // Storage without an image when the buffer does not hold the whole of it
    // (none allocated, or the size grew since), rather than reading past it.
    const void* data = pixelsSize_ >= imageSize_ ? pixels_.get() : nullptr;
    if (Target == GL_TEXTURE_2D)
      GL.glTexImage2D(Target, 0, static_cast<GLint>(internalFormat_), width_, height_, 0, format_, pixelType_, data);
    else
      GL.glTexImage1D(Target, 0, static_cast<GLint>(internalFormat_), width_, 0, format_, pixelType_, data);
    if (data) DecodeLevel(0, width_, Target == GL_TEXTURE_1D ? 1 : height_);
  }
  uploaded_ = true;
}

void TGLTexture::DecodeLevel(GLint level, int width, int height) {
  const TGLTextureList* list = Textures();
  if (!list || !list->DecodesCompressed || !IsCompressedFormat(internalFormat_) || !GL.glGetCompressedTexImage) return;
  if (width <= 0 || height <= 0 || (components_ != 3 && components_ != 4)) return;
  // The format the driver chose, and its blocks as they are stored.
  GLint chosen = 0, size = 0;
  GL.glGetTexLevelParameteriv(Target, level, GL_TEXTURE_INTERNAL_FORMAT, &chosen);
  GL.glGetTexLevelParameteriv(Target, level, GL_TEXTURE_COMPRESSED_IMAGE_SIZE_ARB, &size);
  const int blockBytes = S3tcBlockBytes(GLenum(chosen));
  const int64_t blocks = int64_t((width + 3) / 4) * ((height + 3) / 4);
  if (blockBytes == 0 || size != blocks * blockBytes) return;  // a format this program does not read
  std::vector<uint8_t> stored(static_cast<size_t>(size));
  GL.glGetCompressedTexImage(Target, level, stored.data());
  std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 4);
  DecodeS3tc(GLenum(chosen), stored.data(), width, height, texels.data());
  const GLint plain = components_ == 3 ? GL_RGB8 : GL_RGBA8;
  if (Target == GL_TEXTURE_2D)
    GL.glTexImage2D(Target, level, plain, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  else
    GL.glTexImage1D(Target, level, plain, width, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
}

void TGLTexture::UploadMipmaps() {
  int c = 0;
  if (format_ == GL_RGB || format_ == GL_BGR_EXT) c = 3;
  if (format_ == GL_RGBA || format_ == GL_BGRA_EXT) c = 4;
  // A 1D texture is its first row.
  int w = width_;
  int h = Target == GL_TEXTURE_1D ? 1 : height_;
  const int64_t bytes = static_cast<int64_t>(w) * c * h;
  if (w <= 0 || h <= 0 || c == 0 || !pixels_ || pixelsSize_ < bytes) return;
  std::vector<uint8_t> scratch(pixels_.get(), pixels_.get() + bytes);
  for (GLint level = 0;; ++level) {
    GL.glTexParameteri(Target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    if (Target == GL_TEXTURE_2D)
      GL.glTexImage2D(Target, level, static_cast<GLint>(internalFormat_), w, h, 0, format_, pixelType_, scratch.data());
    else
      GL.glTexImage1D(Target, level, static_cast<GLint>(internalFormat_), w, 0, format_, pixelType_, scratch.data());
    DecodeLevel(level, w, h);
    if (w == 1 && h == 1) break;
    ShrinkBoxFilter(scratch.data(), w, h, c);
  }
}

// --- TGLTextureList ---------------------------------------------------------

TGLTextureList::TGLTextureList(TCustomOpenGL* owner) : TGLItemList(owner) {}

void TGLTextureList::InitGL() {
  TCustomOpenGL* gl = Owner();
  if (gl) gl->SetPerspectiveCorrection(true);
  HasBGRA = ExtensionSupported("GL_EXT_bgra");
  HasPackedPixels = ExtensionSupported("GL_EXT_packed_pixels");
  HasMultitexture = ExtensionSupported("GL_ARB_multitexture");
  MultitextureEnabled = HasMultitexture;
  MaxTextureUnits = (HasMultitexture && gl) ? gl->GetInt(GL_MAX_TEXTURE_UNITS_ARB) : 1;
  if (ExtensionSupported("GL_ARB_texture_compression")) {
    CompressionSupported = true;
    CompressedRGBFormat = GL_COMPRESSED_RGB_ARB;
    CompressedRGBAFormat = GL_COMPRESSED_RGBA_ARB;
    if (GL.glHint) GL.glHint(GL_TEXTURE_COMPRESSION_HINT_ARB, GL_FASTEST);
  } else if (ExtensionSupported("GL_EXT_texture_compression_s3tc")) {
    CompressionSupported = true;
    CompressedRGBFormat = GL_COMPRESSED_RGB_S3TC_DXT1_EXT;
    CompressedRGBAFormat = GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
  } else {
    CompressionSupported = false;
    CompressedRGBFormat = GL_RGB8;
    CompressedRGBAFormat = GL_RGBA8;
  }
  DecodesCompressed = CompressionSupported && gl && gl->Active() && SoftwareRasterizer(gl->GLRenderer());
  useBGRA_ = false;
  usePackedPixels_ = false;
  DefaultMinFilter = GL_LINEAR;
  DefaultEnvMode = GL_MODULATE;
}

TGLTexture* TGLTextureList::Add() { return new TGLTexture(this); }

void TGLTextureList::UnloadAll() {
  for (int i = 0; i < Count(); ++i) Items(i)->Unload();
}

TGLTexture* TGLTextureList::NewTexture(int width, int height, GLenum internalFormat, bool alpha, GLenum packedBGRA,
                                       GLenum packedPlain) {
  TGLTexture* t = Add();
  const GLenum format = useBGRA_ ? (alpha ? GL_BGRA_EXT : GL_BGR_EXT) : (alpha ? GL_RGBA : GL_RGB);
  const GLenum type = usePackedPixels_ ? (useBGRA_ ? packedBGRA : packedPlain) : GL_UNSIGNED_BYTE;
  try {
    t->SetFormat(internalFormat, format, type);
    if (width != 0 && height != 0) {
      t->SetSize(width, height);
      t->AllocatePixels();
    } else {
      t->SetSize(0, 0);
    }
  } catch (...) {
    delete t;  // a bad size leaves no half-made texture in the list
    throw;
  }
  t->EnvMode = DefaultEnvMode;
  t->MinFilter = DefaultMinFilter;
  return t;
}

TGLTexture* TGLTextureList::NewRGBA4(int width, int height) {
  return NewTexture(width, height, GL_RGBA4, true, GL_UNSIGNED_SHORT_4_4_4_4_REV, GL_UNSIGNED_SHORT_4_4_4_4);
}

TGLTexture* TGLTextureList::NewRGB5A1(int width, int height) {
  return NewTexture(width, height, GL_RGB5_A1, true, GL_UNSIGNED_SHORT_1_5_5_5_REV, GL_UNSIGNED_SHORT_5_5_5_1);
}

TGLTexture* TGLTextureList::NewRGB5(int width, int height) {
  return NewTexture(width, height, GL_RGB5, false, GL_UNSIGNED_SHORT_5_6_5_REV, GL_UNSIGNED_SHORT_5_6_5);
}

TGLTexture* TGLTextureList::NewRGB8(int width, int height) {
  return NewTexture(width, height, GL_RGB8, false, GL_UNSIGNED_INT_8_8_8_8_REV, GL_UNSIGNED_INT_8_8_8_8);
}

TGLTexture* TGLTextureList::NewRGBA8(int width, int height) {
  return NewTexture(width, height, GL_RGBA8, true, GL_UNSIGNED_INT_8_8_8_8_REV, GL_UNSIGNED_INT_8_8_8_8);
}

TGLTexture* TGLTextureList::NewCompressedRGBA(int width, int height) {
  return NewTexture(width, height, CompressedRGBAFormat, true, GL_UNSIGNED_INT_8_8_8_8_REV, GL_UNSIGNED_INT_8_8_8_8);
}

TGLTexture* TGLTextureList::NewCompressedRGB(int width, int height) {
  return NewTexture(width, height, CompressedRGBFormat, false, GL_UNSIGNED_INT_8_8_8_8_REV, GL_UNSIGNED_INT_8_8_8_8);
}

}  // namespace velmora
