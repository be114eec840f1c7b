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

TEST_F(ScaledRenderGL, TheShrunkPictureIsDrawnUpOverTheWholeViewport) {
  GL.glViewport(0, 0, 64, 64);
  GL.glDisable(GL_SCISSOR_TEST);
  GL.glClearColor(0, 1, 0, 1);  // green: what no drawing covered
  GL.glClear(GL_COLOR_BUFFER_BIT);
  TScaledRender scaled;
  ASSERT_TRUE(scaled.Begin(50));
  GLint viewport[4] = {};
  GL.glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 32);
  EXPECT_EQ(viewport[3], 32);
  DrawHalves();
  scaled.End(OpenGL());
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

TEST_F(ScaledRenderGL, APanelsScissorShrinksWithItsViewport) {
  GL.glViewport(16, 8, 40, 40);
  GL.glScissor(16, 8, 40, 40);
  GL.glEnable(GL_SCISSOR_TEST);
  TScaledRender scaled;
  ASSERT_TRUE(scaled.Begin(50));
  GLint box[4] = {};
  GL.glGetIntegerv(GL_SCISSOR_BOX, box);
  EXPECT_EQ(box[0], 16);
  EXPECT_EQ(box[1], 8);
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
