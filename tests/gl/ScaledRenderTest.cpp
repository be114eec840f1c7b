#include "gl/ScaledRender.h"

#include <gtest/gtest.h>

#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "tests/gl/GLTestContext.h"

using namespace velmora;

namespace {

// Red over the left half of the viewport, blue over the right, whatever
// its size: identity matrices, two quads in clip space.
void DrawHalves() {
  GL.glMatrixMode(GL_PROJECTION);
  GL.glLoadIdentity();
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glLoadIdentity();
  GL.glBegin(GL_QUADS);
  GL.glColor4f(1, 0, 0, 1);
  GL.glVertex2f(-1, -1);
  GL.glVertex2f(0, -1);
  GL.glVertex2f(0, 1);
  GL.glVertex2f(-1, 1);
  GL.glColor4f(0, 0, 1, 1);
  GL.glVertex2f(0, -1);
  GL.glVertex2f(1, -1);
  GL.glVertex2f(1, 1);
  GL.glVertex2f(0, 1);
  GL.glEnd();
}

}  // namespace

TEST(ScaledRender, SidesScaleRoundedAndNeverVanish) {
  EXPECT_EQ(TScaledRender::ScaledSide(1920, 50), 960);
  EXPECT_EQ(TScaledRender::ScaledSide(1080, 75), 810);
  EXPECT_EQ(TScaledRender::ScaledSide(1023, 50), 512);
  EXPECT_EQ(TScaledRender::ScaledSide(1, 50), 1);
  EXPECT_EQ(TScaledRender::ScaledSide(640, 250), 640);  // never above the whole
  EXPECT_EQ(TScaledRender::ScaledSide(640, 0), 6);       // at least 1 %
}

class ScaledRenderGL : public velmora::testing::GLContextTest {};

// Each case both ways: drawn into a framebuffer object (true) and copied
// from the window (false).
class ScaledRenderWays : public velmora::testing::GLContextTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    velmora::testing::GLContextTest::SetUp();
    if (GetParam() && !GL.glFramebufferTexture2D) GTEST_SKIP() << "the driver has no framebuffer objects";
    scaled.SetUseFramebuffer(GetParam());
  }
  // Begin drew into the framebuffer object exactly when asked to.
  void ExpectTheWayAsked() {
    GLint bound = -1;
    GL.glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound != 0, GetParam());
  }
  TScaledRender scaled;
};

INSTANTIATE_TEST_SUITE_P(Ways, ScaledRenderWays, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "Framebuffer" : "Copy";
});

TEST_P(ScaledRenderWays, TheShrunkPictureIsDrawnUpOverTheWholeViewport) {
  GL.glViewport(0, 0, 64, 64);
  GL.glDisable(GL_SCISSOR_TEST);
  GL.glClearColor(0, 1, 0, 1);  // green: what no drawing covered
  GL.glClear(GL_COLOR_BUFFER_BIT);
  ASSERT_TRUE(scaled.Begin(50));
  ExpectTheWayAsked();
  GLint viewport[4] = {};
  GL.glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 32);
  EXPECT_EQ(viewport[3], 32);
  DrawHalves();
  scaled.End(OpenGL());
  GLint bound = -1;
  GL.glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
  EXPECT_EQ(bound, 0) << "the window's frame buffer bound again";
  GL.glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 64);
  EXPECT_EQ(viewport[3], 64);
  EXPECT_NE(scaled.Texture(), 0u);
  EXPECT_GE(scaled.TextureWidth(), 32);

  const std::vector<uint8_t> pixels = Context().ReadPixels(0, 0, 64, 64);
  auto at = [&](int x, int y) { return &pixels[size_t(y * 64 + x) * 4]; };
  for (int y : {0, 31, 63}) {
    for (int x : {0, 20, 29}) {
      EXPECT_GT(at(x, y)[0], 200) << x << "," << y;  // red, no green left anywhere
      EXPECT_LT(at(x, y)[1], 40) << x << "," << y;
    }
    for (int x : {34, 50, 63}) {
      EXPECT_GT(at(x, y)[2], 200) << x << "," << y;
      EXPECT_LT(at(x, y)[1], 40) << x << "," << y;
    }
  }
  // Linear filtering: the seam is a blend, not a step.
  const uint8_t* seam = at(31, 40);
  EXPECT_GT(int(seam[0]) + int(seam[2]), 200);
  scaled.Release();
  EXPECT_EQ(scaled.Texture(), 0u);
}

TEST_F(ScaledRenderGL, AtFullSizeNothingChanges) {
  GL.glViewport(0, 0, 64, 64);
  TScaledRender scaled;
  EXPECT_FALSE(scaled.Begin(100));
  GLint viewport[4] = {};
  GL.glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 64);
  EXPECT_EQ(scaled.Texture(), 0u);
}

TEST_P(ScaledRenderWays, APanelsScissorShrinksWithItsViewport) {
  GL.glViewport(16, 8, 40, 40);
  GL.glScissor(16, 8, 40, 40);
  GL.glEnable(GL_SCISSOR_TEST);
  ASSERT_TRUE(scaled.Begin(50));
  ExpectTheWayAsked();
  GLint box[4] = {};
  GL.glGetIntegerv(GL_SCISSOR_BOX, box);
  // From the viewport's corner: the window's, or the framebuffer object's.
  EXPECT_EQ(box[0], GetParam() ? 0 : 16);
  EXPECT_EQ(box[1], GetParam() ? 0 : 8);
  EXPECT_EQ(box[2], 20);
  EXPECT_EQ(box[3], 20);
  DrawHalves();
  scaled.End(OpenGL());
  GL.glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(box[2], 40);
  EXPECT_TRUE(GL.glIsEnabled(GL_SCISSOR_TEST));
  const std::vector<uint8_t> pixels = Context().ReadPixels(0, 0, 64, 64);
  auto at = [&](int x, int y) { return &pixels[size_t(y * 64 + x) * 4]; };
  EXPECT_GT(at(17, 46)[0], 200);  // the panel's top-left corner: red
  EXPECT_GT(at(54, 9)[2], 200);   // its bottom-right: blue
  GL.glDisable(GL_SCISSOR_TEST);
  scaled.Release();
}

TEST_P(ScaledRenderWays, WhatIsDrawnWithTheDepthTestShows) {
  // The window's depth buffer is cleared before the frame; the shrunk
  // picture's must start as clear, or nothing depth-tested is drawn.
  GL.glViewport(0, 0, 64, 64);
  GL.glDisable(GL_SCISSOR_TEST);
  GL.glClearColor(0, 1, 0, 1);
  GL.glClearDepth(1.0);
  GL.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  ASSERT_TRUE(scaled.Begin(50));
  GL.glEnable(GL_DEPTH_TEST);
  GL.glDepthFunc(GL_LESS);
  DrawHalves();  // at depth 0.5
  GL.glDisable(GL_DEPTH_TEST);
  scaled.End(OpenGL());
  const std::vector<uint8_t> pixels = Context().ReadPixels(0, 0, 64, 64);
  auto at = [&](int x, int y) { return &pixels[size_t(y * 64 + x) * 4]; };
  EXPECT_GT(at(10, 10)[0], 200);
  EXPECT_LT(at(10, 10)[1], 40);
  EXPECT_GT(at(54, 54)[2], 200);
  EXPECT_LT(at(54, 54)[1], 40);
  scaled.Release();
}

TEST_P(ScaledRenderWays, TextureUnitsTheSceneLeftOnDoNotTintThePicture) {
  // A second unit left on with generated coordinates and a dark texture
  // (as a caustic pass might leave it) must not reach the drawn-up quad.
  if (!GL.glActiveTextureARB) GTEST_SKIP() << "the driver has one texture unit";
  GL.glViewport(0, 0, 64, 64);
  GL.glDisable(GL_SCISSOR_TEST);
  GLuint dark = 0;
  GL.glGenTextures(1, &dark);
  GL.glActiveTextureARB(GL_TEXTURE1_ARB);
  GL.glBindTexture(GL_TEXTURE_2D, dark);
  const uint8_t texel[4] = {20, 20, 20, 255};
  GL.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  GL.glEnable(GL_TEXTURE_2D);
  GL.glEnable(GL_TEXTURE_GEN_S);
  GL.glEnable(GL_TEXTURE_GEN_T);
  GL.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);
  ASSERT_TRUE(scaled.Begin(50));
  // The scene's own drawing, untextured on unit 0 and with unit 1 off.
  GL.glActiveTextureARB(GL_TEXTURE1_ARB);
  GL.glDisable(GL_TEXTURE_2D);
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);
  DrawHalves();
  GL.glActiveTextureARB(GL_TEXTURE1_ARB);
  GL.glEnable(GL_TEXTURE_2D);  // left on again, as a pass may leave it
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);
  scaled.End(OpenGL());
  const std::vector<uint8_t> pixels = Context().ReadPixels(0, 0, 64, 64);
  EXPECT_GT(pixels[size_t(10 * 64 + 10) * 4 + 0], 200) << "red, not tinted dark";
  EXPECT_GT(pixels[size_t(54 * 64 + 54) * 4 + 2], 200) << "blue, not tinted dark";
  GLint active = 0;
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  EXPECT_EQ(active, GL_TEXTURE0_ARB);
  GL.glActiveTextureARB(GL_TEXTURE1_ARB);
  GL.glDisable(GL_TEXTURE_2D);
  GL.glDisable(GL_TEXTURE_GEN_S);
  GL.glDisable(GL_TEXTURE_GEN_T);
  GL.glBindTexture(GL_TEXTURE_2D, 0);
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);
  GL.glDeleteTextures(1, &dark);
  scaled.Release();
}

TEST_P(ScaledRenderWays, ReleaseDeletesWhatWasMade) {
  GL.glViewport(0, 0, 64, 64);
  ASSERT_TRUE(scaled.Begin(50));
  scaled.End(OpenGL());
  const GLuint texture = scaled.Texture(), framebuffer = scaled.Framebuffer();
  EXPECT_NE(texture, 0u);
  EXPECT_EQ(framebuffer != 0, GetParam());
  scaled.Release();
  EXPECT_FALSE(GL.glIsTexture(texture));
  if (GetParam()) {
    GLint bound = -1;
    GL.glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
  }
  EXPECT_EQ(scaled.Framebuffer(), 0u);
}
