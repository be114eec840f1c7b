// Textures: the size and format rules without a driver, then upload,
// mipmaps, units and the unload / upload cycle in a real context, read back
// from the driver.
#include "gl/Texture.h"

#include <gtest/gtest.h>

#include <limits>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "core/Error.h"
#include "gl/OpenGL.h"
#include "tests/gl/GLTestContext.h"

namespace velmora {
namespace {

std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.what();
  }
  return "(nothing raised)";
}

TEST(TGLTexture, SizesMustBeZeroOrPowersOfTwo) {
  TGLTextureList list(nullptr);
  TGLTexture* t = list.Add();
  EXPECT_EQ(t->Width(), 256);
  EXPECT_EQ(t->ImageSize(), 256 * 256 * 3);
  for (int ok : {0, 1, 2, 1024, 1 << 30}) {
    EXPECT_NO_THROW(t->SetWidth(ok)) << ok;
    EXPECT_EQ(t->Width(), ok);
  }
  t->SetSize(64, 32);
  for (int bad : {96, 3, -1, -2, 0x7fffffff, (1 << 30) + 1}) {
    EXPECT_EQ(Message([&] { t->SetWidth(bad); }), "TGLTexture.SetWidth error: Width is not power 2") << bad;
    EXPECT_EQ(Message([&] { t->SetHeight(bad); }), "TGLTexture.SetHeight error: Height is not power 2") << bad;
  }
  EXPECT_EQ(t->Width(), 64);
  EXPECT_EQ(t->Height(), 32);
  EXPECT_EQ(t->RowSize(), 64 * 3);
  // The width goes first: a bad height leaves the new width.
  EXPECT_THROW(t->SetSize(128, 96), Error);
  EXPECT_EQ(t->Width(), 128);
  EXPECT_EQ(t->Height(), 32);
  EXPECT_EQ(t->ImageSize(), 128 * 3 * 32);
}

TEST(TGLTexture, DerivedSizesFollowFormatAndType) {
  struct Case {
    GLenum format, type;
    int components, bytesPerPixel;
  };
  const Case cases[] = {
      {GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, 2, 2}, {GL_LUMINANCE, GL_UNSIGNED_BYTE, 1, 1},
      {GL_ALPHA, GL_FLOAT, 1, 4},                   {GL_RGB, GL_UNSIGNED_BYTE, 3, 3},
      {GL_BGR_EXT, GL_SHORT, 3, 6},                 {GL_RGBA, GL_UNSIGNED_SHORT, 4, 8},
      {GL_BGRA_EXT, GL_FLOAT, 4, 16},               {GL_RGBA, GL_INT, 4, 16},
      {GL_RGB, GL_UNSIGNED_BYTE_3_3_2, 3, 1},       {GL_RGB, GL_UNSIGNED_BYTE_2_3_3_REV, 3, 1},
      {GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 3, 2},      {GL_BGRA_EXT, GL_UNSIGNED_SHORT_1_5_5_5_REV, 4, 2},
      {GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 4, 2}, {GL_RGB, GL_UNSIGNED_INT_8_8_8_8, 3, 4},
      {GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV, 4, 4}, {GL_RGBA, GL_BYTE, 4, 4},
  };
  TGLTextureList list(nullptr);
  TGLTexture* t = list.Add();
  t->SetSize(8, 4);
  for (const Case& c : cases) {
    t->SetFormat(GL_RGBA8, c.format, c.type);
    EXPECT_EQ(t->Components(), c.components) << c.format << "/" << c.type;
    EXPECT_EQ(t->BytesPerPixel(), c.bytesPerPixel) << c.format << "/" << c.type;
    EXPECT_EQ(t->RowSize(), 8 * c.bytesPerPixel);
    EXPECT_EQ(t->ImageSize(), 32 * c.bytesPerPixel);
  }
  // The largest sizes do not wrap around.
  t->SetFormat(GL_RGBA8, GL_RGBA, GL_FLOAT);
  t->SetSize(1 << 30, 1 << 28);
  EXPECT_EQ(t->RowSize(), int64_t{16} << 30);
  EXPECT_EQ(t->ImageSize(), int64_t{16} << 58);
  // Beyond 64 bits the size saturates rather than wrapping.
  t->SetSize(1 << 30, 1 << 30);
  EXPECT_EQ(t->ImageSize(), std::numeric_limits<int64_t>::max());
}

TEST(TGLTexture, PixelsAndScanLines) {
  TGLTextureList list(nullptr);
  TGLTexture* t = list.Add();
  t->SetSize(4, 2);
  EXPECT_EQ(t->Pixels(), nullptr);
  EXPECT_THROW(t->ScanLine(0), Error);
  t->AllocatePixels();
  ASSERT_NE(t->Pixels(), nullptr);
  EXPECT_EQ(t->PixelsSize(), 24);
  EXPECT_EQ(t->ScanLine(1), t->Pixels() + 12);
  EXPECT_EQ(Message([&] { t->ScanLine(2); }), "TGLTexture.ScanLine error: Row out of bounds");
  EXPECT_THROW(t->ScanLine(-1), Error);
  // A larger size keeps the buffer; rows beyond it are refused.
  t->SetSize(4, 4);
  EXPECT_EQ(t->PixelsSize(), 24);
  EXPECT_THROW(t->ScanLine(2), Error);
  t->FreePixels();
  EXPECT_EQ(t->Pixels(), nullptr);
}

TEST(TGLTextureList, FactoriesDescribeThePixelDataBySwitches) {
  struct Row {
    TGLTexture* (TGLTextureList::*factory)(int, int);
    GLenum internal, plain, bgr, packedBGRA, packedPlain;
  };
  TGLTextureList list(nullptr);
  list.CompressedRGBFormat = GL_COMPRESSED_RGB_ARB;
  list.CompressedRGBAFormat = GL_COMPRESSED_RGBA_ARB;
  const Row rows[] = {
      {&TGLTextureList::NewRGBA4, GL_RGBA4, GL_RGBA, GL_BGRA_EXT, GL_UNSIGNED_SHORT_4_4_4_4_REV, GL_UNSIGNED_SHORT_4_4_4_4},
      {&TGLTextureList::NewRGB5A1, GL_RGB5_A1, GL_RGBA, GL_BGRA_EXT, GL_UNSIGNED_SHORT_1_5_5_5_REV, GL_UNSIGNED_SHORT_5_5_5_1},
      {&TGLTextureList::NewRGB5, GL_RGB5, GL_RGB, GL_BGR_EXT, GL_UNSIGNED_SHORT_5_6_5_REV, GL_UNSIGNED_SHORT_5_6_5},
      {&TGLTextureList::NewRGB8, GL_RGB8, GL_RGB, GL_BGR_EXT, GL_UNSIGNED_INT_8_8_8_8_REV, GL_UNSIGNED_INT_8_8_8_8},
      {&TGLTextureList::NewRGBA8, GL_RGBA8, GL_RGBA, GL_BGRA_EXT, GL_UNSIGNED_INT_8_8_8_8_REV, GL_UNSIGNED_INT_8_8_8_8},
      {&TGLTextureList::NewCompressedRGBA, GL_COMPRESSED_RGBA_ARB, GL_RGBA, GL_BGRA_EXT, GL_UNSIGNED_INT_8_8_8_8_REV,
       GL_UNSIGNED_INT_8_8_8_8},
      {&TGLTextureList::NewCompressedRGB, GL_COMPRESSED_RGB_ARB, GL_RGB, GL_BGR_EXT, GL_UNSIGNED_INT_8_8_8_8_REV,
       GL_UNSIGNED_INT_8_8_8_8},
  };
  list.DefaultMinFilter = GL_LINEAR_MIPMAP_NEAREST;
  list.DefaultEnvMode = GL_DECAL;
  for (const Row& r : rows) {
    for (bool bgra : {false, true}) {
      for (bool packed : {false, true}) {
        list.SetUseBGRA(bgra);
        list.SetUsePackedPixels(packed);
        TGLTexture* t = (list.*r.factory)(8, 4);
        EXPECT_EQ(t->List(), &list);
        EXPECT_EQ(t->InternalFormat(), r.internal);
        EXPECT_EQ(t->Format(), bgra ? r.bgr : r.plain);
        EXPECT_EQ(t->PixelType(), packed ? (bgra ? r.packedBGRA : r.packedPlain) : GLenum(GL_UNSIGNED_BYTE));
        EXPECT_EQ(t->Width(), 8);
        EXPECT_EQ(t->Height(), 4);
        ASSERT_NE(t->Pixels(), nullptr);
        EXPECT_EQ(t->PixelsSize(), t->ImageSize());
        EXPECT_EQ(t->MinFilter, GLenum(GL_LINEAR_MIPMAP_NEAREST));
        EXPECT_EQ(t->EnvMode, GLenum(GL_DECAL));
      }
    }
  }
  EXPECT_EQ(list.Count(), 28);

  TGLTexture* empty = list.NewRGB8(0, 16);
  EXPECT_EQ(empty->Width(), 0);
  EXPECT_EQ(empty->Height(), 0);
  EXPECT_EQ(empty->Pixels(), nullptr);
  EXPECT_EQ(list.NewRGBA8(16, 0)->Pixels(), nullptr);

  // A bad size raises and leaves nothing half-made in the list.
  const int before = list.Count();
  EXPECT_EQ(Message([&] { list.NewRGBA8(96, 16); }), "TGLTexture.SetWidth error: Width is not power 2");
  EXPECT_EQ(list.Count(), before);
}

TEST(TGLTexture, FreedTexturesLeaveTheirList) {
  TGLTextureList list(nullptr);
  TGLTexture* a = list.NewRGB8(2, 2);
  TGLTexture* b = list.NewRGB8(2, 2);
  delete a;
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0), b);
}

// The reference the in-place filter is checked against: a fresh buffer per
// level, written as plainly as the rule reads.
std::vector<uint8_t> ReferenceShrink(const std::vector<uint8_t>& in, int w, int h, int c) {
  const int nw = w > 1 ? w / 2 : 1, nh = h > 1 ? h / 2 : 1;
  std::vector<uint8_t> out(static_cast<size_t>(nw) * nh * c);
  auto at = [&](int x, int y, int k) { return int(in[(static_cast<size_t>(y) * w + x) * c + k]); };
  for (int y = 0; y < nh; ++y)
    for (int x = 0; x < nw; ++x) {
      const int x1 = w > 1 ? 2 * x + 1 : 2 * x, y1 = h > 1 ? 2 * y + 1 : 2 * y;
      for (int k = 0; k < c; ++k)
        out[(static_cast<size_t>(y) * nw + x) * c + k] =
            uint8_t((at(2 * x, 2 * y, k) + at(x1, 2 * y, k) + at(2 * x, y1, k) + at(x1, y1, k)) / 4);
    }
  return out;
}

TEST(ShrinkBoxFilter, AveragesBlocksTruncatingAndFoldsThinSides) {
  // 4 x 1 RGB: each new pixel is (a + b + a + b) / 4 of two neighbours.
  std::vector<uint8_t> row = {1, 0, 255, 2, 3, 254, 10, 20, 30, 11, 21, 31};
  int w = 4, h = 1;
  ShrinkBoxFilter(row.data(), w, h, 3);
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(std::vector<uint8_t>(row.begin(), row.begin() + 6), (std::vector<uint8_t>{1, 1, 254, 10, 20, 30}));

  // 1 x 4: two consecutive rows make each new pixel.
  std::vector<uint8_t> column = {0, 3, 100, 101};
  w = 1, h = 4;
  ShrinkBoxFilter(column.data(), w, h, 1);
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(column[0], 1);
  EXPECT_EQ(column[1], 100);

  // Larger images, shrunk in place level after level, match the reference.
  std::mt19937 random(7);
  for (auto [width, height, c] : {std::tuple{16, 8, 4}, std::tuple{8, 32, 3}, std::tuple{64, 1, 4}}) {
    std::vector<uint8_t> image(static_cast<size_t>(width) * height * c);
    for (auto& b : image) b = uint8_t(random());
    std::vector<uint8_t> expected = image;
    int ww = width, hh = height;
    while (ww > 1 || hh > 1) {
      expected = ReferenceShrink(expected, ww, hh, c);
      ShrinkBoxFilter(image.data(), ww, hh, c);
      ASSERT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + static_cast<long>(expected.size())), expected)
          << width << "x" << height << " at " << ww << "x" << hh;
    }
  }
}

TEST(DecodeS3tc, ColourAndAlphaBlocks) {
  EXPECT_EQ(S3tcBlockBytes(GL_COMPRESSED_RGB_S3TC_DXT1_EXT), 8);
  EXPECT_EQ(S3tcBlockBytes(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT), 16);
  EXPECT_EQ(S3tcBlockBytes(GL_RGBA8), 0);
  auto texel = [](const std::vector<uint8_t>& rgba, int x, int y, int width) {
    const size_t at = (static_cast<size_t>(y) * width + x) * 4;
    return std::vector<int>(rgba.begin() + long(at), rgba.begin() + long(at) + 4);
  };
  // Four colours: red, blue and the two thirds between; codes 0 1 2 3 on
  // the first row.
  const uint8_t four[8] = {0x00, 0xf8, 0x1f, 0x00, 0xe4, 0, 0, 0};
  std::vector<uint8_t> out(16 * 4, 1);
  DecodeS3tc(GL_COMPRESSED_RGB_S3TC_DXT1_EXT, four, 4, 4, out.data());
  EXPECT_EQ(texel(out, 0, 0, 4), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(texel(out, 1, 0, 4), (std::vector<int>{0, 0, 255, 255}));
  EXPECT_EQ(texel(out, 2, 0, 4), (std::vector<int>{170, 0, 85, 255}));
  EXPECT_EQ(texel(out, 3, 0, 4), (std::vector<int>{85, 0, 170, 255}));
  EXPECT_EQ(texel(out, 3, 3, 4), (std::vector<int>{255, 0, 0, 255}));
  // Three colours (first colour not above the second): the middle, and
  // black, transparent only in the format with alpha.
  const uint8_t three[8] = {0x1f, 0x00, 0x00, 0xf8, 0xe4, 0, 0, 0};
  DecodeS3tc(GL_COMPRESSED_RGB_S3TC_DXT1_EXT, three, 4, 4, out.data());
  EXPECT_EQ(texel(out, 2, 0, 4), (std::vector<int>{127, 0, 127, 255}));
  EXPECT_EQ(texel(out, 3, 0, 4), (std::vector<int>{0, 0, 0, 255}));
  DecodeS3tc(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, three, 4, 4, out.data());
  EXPECT_EQ(texel(out, 3, 0, 4), (std::vector<int>{0, 0, 0, 0}));
  // DXT5: eight alphas between 200 and 100 (codes 0, 2, 7 on the first
  // row), or six and the two ends when the first is not above the second.
  uint8_t five[16] = {200, 100, 0xd0, 0x01, 0, 0, 0, 0, 0x00, 0xf8, 0x1f, 0x00, 0, 0, 0, 0};
  DecodeS3tc(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, five, 4, 4, out.data());
  EXPECT_EQ(texel(out, 0, 0, 4)[3], 200);
  EXPECT_EQ(texel(out, 1, 0, 4)[3], 185);
  EXPECT_EQ(texel(out, 2, 0, 4)[3], 114);
  EXPECT_EQ(texel(out, 0, 0, 4)[0], 255);  // four colours always
  five[0] = 100;
  five[1] = 200;
  five[2] = 0xf0;  // codes 0, 6, 7, 0
  five[3] = 0x01;
  DecodeS3tc(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, five, 4, 4, out.data());
  EXPECT_EQ(texel(out, 1, 0, 4)[3], 0);
  EXPECT_EQ(texel(out, 2, 0, 4)[3], 255);
  // DXT3: four bits per texel, widened by repetition; a 2 x 2 image takes
  // the block's corner.
  uint8_t explicitAlpha[16] = {0x5f, 0, 0, 0, 0, 0, 0, 0, 0x00, 0xf8, 0x1f, 0x00, 0, 0, 0, 0};
  std::vector<uint8_t> small(2 * 2 * 4, 1);
  DecodeS3tc(GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, explicitAlpha, 2, 2, small.data());
  EXPECT_EQ(texel(small, 0, 0, 2), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(texel(small, 1, 0, 2)[3], 85);
  EXPECT_EQ(texel(small, 0, 1, 2)[3], 0);
}

TEST(SoftwareRasterizer, NamesTheRenderersThatSampleOnTheProcessor) {
  EXPECT_TRUE(SoftwareRasterizer("llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_TRUE(SoftwareRasterizer("softpipe"));
  EXPECT_TRUE(SoftwareRasterizer("Mesa X11 Software Rasterizer"));
  EXPECT_FALSE(SoftwareRasterizer("AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6, DRM 3.49)"));
  EXPECT_FALSE(SoftwareRasterizer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
  EXPECT_FALSE(SoftwareRasterizer(""));
}

// --- in a real context ---------------------------------------------------------

class TextureInContext : public testing::GLContextTest {
 protected:
  TGLTextureList& Textures() { return *OpenGL().Textures(); }

  static void Fill(TGLTexture* t, const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(t->PixelsSize(), static_cast<int64_t>(bytes.size()));
    std::memcpy(t->Pixels(), bytes.data(), bytes.size());
  }

  static int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return 256;
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
    return largest;
  }

  static std::vector<uint8_t> Level(GLenum target, int level, GLenum format, int bytes) {
    std::vector<uint8_t> out(static_cast<size_t>(bytes));
    GL.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GL.glGetTexImage(target, level, format, GL_UNSIGNED_BYTE, out.data());
    return out;
  }

  static GLint LevelParameter(GLenum target, int level, GLenum name) {
    GLint v = -1;
    GL.glGetTexLevelParameteriv(target, level, name, &v);
    return v;
  }

  static GLint Parameter(GLenum target, GLenum name) {
    GLint v = -1;
    GL.glGetTexParameteriv(target, name, &v);
    return v;
  }
};

TEST_F(TextureInContext, ListReadsTheDriverAtEveryNewContext) {
  TGLTextureList& list = Textures();
  EXPECT_EQ(list.HasMultitexture, ExtensionSupported("GL_ARB_multitexture"));
  EXPECT_EQ(list.MultitextureEnabled, list.HasMultitexture);
  if (list.HasMultitexture) {
    EXPECT_EQ(list.MaxTextureUnits, OpenGL().GetInt(GL_MAX_TEXTURE_UNITS_ARB));
  }
  if (ExtensionSupported("GL_ARB_texture_compression")) {
    EXPECT_TRUE(list.CompressionSupported);
    EXPECT_EQ(list.CompressedRGBAFormat, GLenum(GL_COMPRESSED_RGBA_ARB));
  }
  EXPECT_EQ(list.DecodesCompressed, list.CompressionSupported && SoftwareRasterizer(OpenGL().GLRenderer()));
  list.SetUseBGRA(true);
  list.DefaultMinFilter = GL_NEAREST;
  OpenGL().Deactivate();
  OpenGL().Activate(Window());
  ASSERT_TRUE(OpenGL().Active());
  EXPECT_FALSE(list.UseBGRA());
  EXPECT_EQ(list.DefaultMinFilter, GLenum(GL_LINEAR));
}

TEST_F(TextureInContext, UploadSendsImageAndParametersOnce) {
  TGLTexture* t = Textures().NewRGB8(2, 2);
  const std::vector<uint8_t> image = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  Fill(t, image);
  t->MinFilter = GL_NEAREST;
  t->Repeat = false;
  t->Priority = 0.25f;
  t->EnvMode = GL_REPLACE;
  t->EnvColor = TGLColor{0.5f, 0.25f, 1.0f, 0.0f};
  EXPECT_FALSE(t->Uploaded());
  t->Use();
  ASSERT_TRUE(t->Uploaded());
  EXPECT_NE(t->Handle(), 0u);
  EXPECT_EQ(GL.glIsEnabled(GL_TEXTURE_2D), GL_TRUE);
  EXPECT_EQ(Level(GL_TEXTURE_2D, 0, GL_RGB, 12), image);
  EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 2);
  EXPECT_EQ(Parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
  EXPECT_EQ(Parameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
  EXPECT_EQ(Parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S), GL_CLAMP);
  EXPECT_EQ(Parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), GL_CLAMP);
  GLfloat priority = 0;
  GL.glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, &priority);
  EXPECT_FLOAT_EQ(priority, 0.25f);
  GLint env = 0;
  GL.glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
  EXPECT_EQ(env, GL_REPLACE);
  GLfloat color[4] = {};
  GL.glGetTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, color);
  EXPECT_FLOAT_EQ(color[1], 0.25f);

  // A second Use does not send the image again; after Unload it does, from
  // the pixels kept in client memory.
  const GLuint handle = t->Handle();
  t->Pixels()[0] = 7;
  t->Use();
  EXPECT_EQ(t->Handle(), handle);
  EXPECT_EQ(Level(GL_TEXTURE_2D, 0, GL_RGB, 12)[0], 255);
  t->Unload();
  EXPECT_FALSE(t->Uploaded());
  EXPECT_EQ(GL.glIsTexture(handle), GL_FALSE);
  t->Use();
  EXPECT_EQ(Level(GL_TEXTURE_2D, 0, GL_RGB, 12)[0], 7);
  t->Disable();
  EXPECT_EQ(GL.glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
}

TEST_F(TextureInContext, MipmapChainIsTheProgramsBoxFilter) {
  TGLTexture* t = Textures().NewRGB8(4, 1);
  Fill(t, {1, 0, 255, 2, 3, 254, 10, 20, 30, 11, 21, 31});
  t->MinFilter = GL_NEAREST_MIPMAP_NEAREST;
  t->Use();
  // Every mipmap filter becomes linear-mipmap-linear and magnifies linearly.
  EXPECT_EQ(Parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(Parameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH), 2);
  EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 1, GL_TEXTURE_HEIGHT), 1);
  EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH), 1);
  EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH), 0);  // the chain ends at 1 x 1
  EXPECT_EQ(Level(GL_TEXTURE_2D, 1, GL_RGB, 6), (std::vector<uint8_t>{1, 1, 254, 10, 20, 30}));
  EXPECT_EQ(Level(GL_TEXTURE_2D, 2, GL_RGB, 3), (std::vector<uint8_t>{5, 10, 142}));
  // The client image is not touched by the shrinking.
  EXPECT_EQ(t->Pixels()[3], 2);

  TGLTexture* tall = Textures().NewRGBA8(1, 4);
  Fill(tall, {0, 0, 0, 0, 4, 4, 4, 4, 100, 0, 0, 0, 103, 0, 0, 0});
  tall->MinFilter = GL_LINEAR_MIPMAP_LINEAR;
  tall->Use();
  EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 1, GL_TEXTURE_HEIGHT), 2);
  EXPECT_EQ(Level(GL_TEXTURE_2D, 1, GL_RGBA, 8), (std::vector<uint8_t>{2, 2, 2, 2, 101, 0, 0, 0}));
  EXPECT_EQ(Level(GL_TEXTURE_2D, 2, GL_RGBA, 4), (std::vector<uint8_t>{51, 1, 1, 1}));
}

// A compressed texture on a list that decodes them holds the texels the
// driver's compression gave, uncompressed, at every level: decoders round
// the colours between a block's two ends each their own way, by at most one
// level.
TEST_F(TextureInContext, DecodedCompressedTexturesKeepTheCompressedTexels) {
  TGLTextureList& list = Textures();
  if (!list.CompressionSupported) GTEST_SKIP() << "no texture compression";
  std::mt19937 random(11);
  for (auto [alpha, filter] : {std::pair{false, GLenum(GL_NEAREST)}, std::pair{true, GLenum(GL_LINEAR)},
                               std::pair{false, GLenum(GL_LINEAR_MIPMAP_LINEAR)}}) {
    const int c = alpha ? 4 : 3;
    std::vector<uint8_t> image(16 * 16 * c);
    for (auto& b : image) b = uint8_t(random() % 4 == 0 ? random() : 128);  // speckles that compress with losses
    const GLenum format = alpha ? GL_RGBA : GL_RGB;
    auto made = [&](bool decode) {
      list.DecodesCompressed = decode;
      TGLTexture* t = alpha ? list.NewCompressedRGBA(16, 16) : list.NewCompressedRGB(16, 16);
      Fill(t, image);
      t->MinFilter = filter;
      t->Use();
      return t;
    };
    made(false);
    ASSERT_EQ(LevelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED_ARB), GL_TRUE);
    const std::vector<uint8_t> compressed = Level(GL_TEXTURE_2D, 0, format, 16 * 16 * c);
    const bool mipmaps = filter == GL_LINEAR_MIPMAP_LINEAR;
    const std::vector<uint8_t> compressedLevel1 = mipmaps ? Level(GL_TEXTURE_2D, 1, format, 8 * 8 * c) : image;
    made(true);
    EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED_ARB), GL_FALSE) << c;
    EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT), alpha ? GL_RGBA8 : GL_RGB8) << c;
    EXPECT_LE(LargestDifference(Level(GL_TEXTURE_2D, 0, format, 16 * 16 * c), compressed), 1) << c;
    EXPECT_GT(LargestDifference(compressed, image), 8) << "the test image must lose something to compression";
    if (mipmaps) {
      EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 1, GL_TEXTURE_COMPRESSED_ARB), GL_FALSE);
      EXPECT_LE(LargestDifference(Level(GL_TEXTURE_2D, 1, format, 8 * 8 * c), compressedLevel1), 1);
    }
  }
  // Uncompressed formats are sent as they are.
  list.DecodesCompressed = true;
  TGLTexture* plain = list.NewRGB8(2, 2);
  Fill(plain, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  plain->Use();
  EXPECT_EQ(Level(GL_TEXTURE_2D, 0, GL_RGB, 12), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(TextureInContext, MipmapsOnlyForByteColourImages) {
  TGLTexture* t = Textures().Add();
  t->SetFormat(GL_LUMINANCE8, GL_LUMINANCE, GL_UNSIGNED_BYTE);
  t->SetSize(4, 4);
  t->AllocatePixels();
  t->MinFilter = GL_LINEAR_MIPMAP_LINEAR;
  t->Use();
  EXPECT_TRUE(t->Uploaded());
  EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 0);

  // Packed pixels hold fewer bytes than one per component: nothing is read
  // beyond them.
  TGLTexture* packed = Textures().Add();
  packed->SetFormat(GL_RGBA4, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4);
  packed->SetSize(4, 4);
  packed->AllocatePixels();
  packed->MinFilter = GL_LINEAR_MIPMAP_LINEAR;
  packed->Use();
  EXPECT_TRUE(packed->Uploaded());
  EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 0);
}

TEST_F(TextureInContext, OneDimensionalTexturesUploadTheirFirstRow) {
  TGLTexture* other = Textures().NewRGB8(2, 2);
  Fill(other, std::vector<uint8_t>(12, 9));
  other->MinFilter = GL_NEAREST;
  other->Use();

  TGLTexture* t = Textures().NewRGB8(4, 4);
  std::memset(t->Pixels(), 0, static_cast<size_t>(t->ImageSize()));
  const uint8_t first[] = {10, 0, 0, 20, 0, 0, 30, 0, 0, 40, 0, 0};
  std::memcpy(t->ScanLine(0), first, sizeof first);
  t->Target = GL_TEXTURE_1D;
  t->MinFilter = GL_LINEAR;
  t->Use();
  EXPECT_EQ(Level(GL_TEXTURE_1D, 0, GL_RGB, 12), std::vector<uint8_t>(first, first + 12));
  t->Unload();
  t->MinFilter = GL_LINEAR_MIPMAP_LINEAR;
  t->Use();
  EXPECT_EQ(LevelParameter(GL_TEXTURE_1D, 1, GL_TEXTURE_WIDTH), 2);
  EXPECT_EQ(Level(GL_TEXTURE_1D, 1, GL_RGB, 6), (std::vector<uint8_t>{15, 0, 0, 35, 0, 0}));
  // The chain went to the 1D texture, not to the 2D one bound beside it.
  GL.glBindTexture(GL_TEXTURE_2D, other->Handle());
  EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 2);
  EXPECT_EQ(Level(GL_TEXTURE_2D, 0, GL_RGB, 12), std::vector<uint8_t>(12, 9));
}

TEST_F(TextureInContext, OtherTargetsAndShortBuffers) {
  TGLTexture* t = Textures().NewRGB8(2, 2);
  t->Target = GL_TEXTURE_3D;
  EXPECT_EQ(Message([&] { t->UpLoad(); }), "TGLTexture.UpLoad error: Target has invalid format");
  EXPECT_FALSE(t->Uploaded());
  EXPECT_NE(t->Handle(), 0u);
  while (GL.glGetError() != GL_NO_ERROR) {
  }

  // The size grew after the pixels were made: storage of the new size, no
  // read past the old buffer.
  TGLTexture* grown = Textures().NewRGB8(2, 2);
  grown->SetSize(64, 64);
  grown->Use();
  EXPECT_EQ(LevelParameter(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 64);
  grown->Unload();
  grown->MinFilter = GL_LINEAR_MIPMAP_LINEAR;
  grown->Use();
  EXPECT_TRUE(grown->Uploaded());
}

TEST_F(TextureInContext, BindSelectsTheTexturesUnit) {
  TGLTextureList& list = Textures();
  if (!list.HasMultitexture || list.MaxTextureUnits < 2) GTEST_SKIP() << "one texture unit";
  TGLTexture* t = list.NewRGB8(2, 2);
  t->TextureUnit = 1;
  t->Use();
  GLint unit = 0, bound = 0;
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
  GL.glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(unit, GL_TEXTURE1_ARB);
  EXPECT_EQ(static_cast<GLuint>(bound), t->Handle());
  EXPECT_EQ(GL.glIsEnabled(GL_TEXTURE_2D), GL_TRUE);
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);
  EXPECT_EQ(GL.glIsEnabled(GL_TEXTURE_2D), GL_FALSE);  // unit 0 untouched
  t->Disable();
  GL.glActiveTextureARB(GL_TEXTURE1_ARB);
  EXPECT_EQ(GL.glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
}

TEST_F(TextureInContext, TexturesSurviveTheContextAndDraw) {
  TGLTexture* t = Textures().NewRGB8(2, 2);
  // Bottom row red, green; top row blue, white.
  Fill(t, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
  t->MinFilter = GL_NEAREST;
  t->EnvMode = GL_REPLACE;
  auto draw = [&] {
    t->Use();
    GL.glViewport(0, 0, 64, 64);
    GL.glMatrixMode(GL_PROJECTION);
    GL.glLoadIdentity();
    GL.glMatrixMode(GL_MODELVIEW);
    GL.glLoadIdentity();
    GL.glDisable(GL_DEPTH_TEST);
    GL.glClear(GL_COLOR_BUFFER_BIT);
    GL.glBegin(GL_QUADS);
    GL.glTexCoord2f(0, 0), GL.glVertex2f(-1, -1);
    GL.glTexCoord2f(1, 0), GL.glVertex2f(1, -1);
    GL.glTexCoord2f(1, 1), GL.glVertex2f(1, 1);
    GL.glTexCoord2f(0, 1), GL.glVertex2f(-1, 1);
    GL.glEnd();
    return std::vector<uint8_t>{Context().ReadPixels(16, 16, 1, 1)[0], Context().ReadPixels(48, 16, 1, 1)[1],
                                Context().ReadPixels(16, 48, 1, 1)[2], Context().ReadPixels(48, 48, 1, 1)[0]};
  };
  EXPECT_EQ(draw(), (std::vector<uint8_t>{255, 255, 255, 255}));

  OpenGL().Deactivate();
  EXPECT_FALSE(t->Uploaded());
  ASSERT_NE(t->Pixels(), nullptr);
  OpenGL().Activate(Window());
  ASSERT_TRUE(OpenGL().Active());
  EXPECT_EQ(draw(), (std::vector<uint8_t>{255, 255, 255, 255}));
  EXPECT_TRUE(t->Uploaded());
}

}  // namespace
}  // namespace velmora
