#include "gl/Viewport.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "gl/Primitive.h"
#include "tests/gl/GLTestContext.h"

using namespace velmora;

namespace {

using ViewportGL = velmora::testing::GLContextTest;

std::array<float, 16> Matrix(GLenum which) {
  std::array<float, 16> m{};
  GL.glGetFloatv(which, m.data());
  return m;
}

int RedAt(int x, int y) {
  uint8_t p[4] = {};
  GL.glFinish();
  GL.glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return p[0];
}

}  // namespace

TEST(Viewport, SetPerspectiveGivesTheSymmetricFrustum) {
  TGLViewport v(nullptr);
  v.SetPerspective(45, 4.0 / 3.0, 1, 100);
  EXPECT_NEAR(v.Frustum[3], 0.41421356237, 1e-10);
  EXPECT_NEAR(v.Frustum[2], -0.41421356237, 1e-10);
  EXPECT_NEAR(v.Frustum[1], 0.55228474983, 1e-10);
  EXPECT_NEAR(v.Frustum[0], -0.55228474983, 1e-10);
  EXPECT_EQ(v.Frustum[4], 1);
  EXPECT_EQ(v.Frustum[5], 100);

  // The application's default: 75 degrees, near 100.
  v.SetPerspective(75, 16.0 / 9.0, 100, 11000);
  EXPECT_NEAR(v.Frustum[3], 76.7326988, 1e-6);
  EXPECT_NEAR(v.Frustum[1], 76.7326988 * 16 / 9, 1e-5);
}

TEST(Viewport, InitialValuesAndOrientationIsNormalized) {
  TGLViewportList list(nullptr);
  TGLViewport* v = list.Add();
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(v->Width, 100);
  EXPECT_TRUE(v->Perspective);
  EXPECT_EQ(v->ViewMatrix(), IdentityMatrix());
  v->SetOrientation({0, 3, 0}, {4, 0, 0});
  EXPECT_EQ(v->Orientation.up, MakeVector(0, 1, 0));
  EXPECT_EQ(v->Orientation.direction, MakeVector(1, 0, 0));
}

TEST_F(ViewportGL, ApplyLoadsRectangleProjectionAndCamera) {
  TGLViewport* v = OpenGL().Viewports()->Add();
  v->SetBounds(4, 8, 40, 30);
  v->SetFrustum(-2, 2, -1, 1, 1, 10);
  v->SetCameraPosition({1, 2, 3});
  v->Apply();

  GLint vp[4] = {};
  GL.glGetIntegerv(GL_VIEWPORT, vp);
  EXPECT_EQ(vp[0], 4);
  EXPECT_EQ(vp[1], 8);
  EXPECT_EQ(vp[2], 40);
  EXPECT_EQ(vp[3], 30);
  EXPECT_EQ(OpenGL().GetInt(GL_MATRIX_MODE), GL_MODELVIEW);

  // glFrustum(l, r, b, t, n, f): 2n/(r-l), 2n/(t-b), -(f+n)/(f-n), -2fn/(f-n).
  auto p = Matrix(GL_PROJECTION_MATRIX);
  EXPECT_FLOAT_EQ(p[0], 0.5f);
  EXPECT_FLOAT_EQ(p[5], 1);
  EXPECT_FLOAT_EQ(p[10], -11.0f / 9);
  EXPECT_FLOAT_EQ(p[11], -1);
  EXPECT_FLOAT_EQ(p[14], -20.0f / 9);

  auto m = Matrix(GL_MODELVIEW_MATRIX);
  TGLMatrix expected = IdentityMatrix();
  expected[12] = -1, expected[13] = -2, expected[14] = -3;
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[size_t(i)], expected[size_t(i)]) << i;

  v->Perspective = false;
  v->SetOrtho(0, 40, 0, 30, -1, 1);
  v->Apply();
  p = Matrix(GL_PROJECTION_MATRIX);
  EXPECT_FLOAT_EQ(p[0], 2.0f / 40);
  EXPECT_FLOAT_EQ(p[12], -1);
  EXPECT_FLOAT_EQ(p[11], 0);
}

TEST_F(ViewportGL, ATurnedCameraSeesWhatLiesAheadOfIt) {
  // A red square at x = 50 facing -x, seen by a camera at x = 10 that looks
  // along +x; a camera looking the other way sees nothing.
  GL.glClearColor(0, 0, 0, 1);
  GL.glClear(GL_COLOR_BUFFER_BIT);
  TGLPrimitive* square = OpenGL().Primitives()->Add();
  square->Mode = GL_QUADS;
  square->Vertices.LoadFromArray(std::vector<float>{50, -5, -5, 50, -5, 5, 50, 5, 5, 50, 5, -5});
  square->Colors.LoadFromWords(std::vector<uint32_t>{0xFF0000FFu});

  TGLViewport* v = OpenGL().Viewports()->Add();
  v->SetBounds(0, 0, 64, 64);
  v->SetPerspective(45, 1, 1, 100);
  v->SetCameraPosition({10, 0, 0});
  v->SetOrientation({0, 1, 0}, {1, 0, 0});
  v->Apply();
  square->Render();
  EXPECT_EQ(RedAt(32, 32), 255);
  EXPECT_EQ(RedAt(2, 2), 0);  // 5 units wide at 40 away is well inside the view

  GL.glClear(GL_COLOR_BUFFER_BIT);
  v->SetOrientation({0, 1, 0}, {-1, 0, 0});
  v->Apply();
  square->Render();
  EXPECT_EQ(RedAt(32, 32), 0);
}
