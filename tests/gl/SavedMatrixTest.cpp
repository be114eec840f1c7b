// Matrices saved and restored past the depth of OpenGL's stacks: nesting
// deeper than the driver's maximum gives each level its matrix back with no
// stack error; the stack is used while it has room.
#include "gl/SavedMatrix.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "gl/GLEntryPoints.h"
#include "tests/gl/GLTestContext.h"

using namespace velmora;

namespace {

using SavedMatrixGL = velmora::testing::GLContextTest;

std::array<float, 16> Matrix(GLenum which) {
  std::array<float, 16> m{};
  GL.glGetFloatv(which, m.data());
  return m;
}

GLint Int(GLenum name) {
  GLint value = 0;
  GL.glGetIntegerv(name, &value);
  return value;
}

TEST_F(SavedMatrixGL, NestingPastTheStacksDepthGivesEveryLevelItsMatrixBack) {
  struct Stack {
    GLenum mode, depth, maximum, matrix;
  };
  for (const Stack& s : {Stack{GL_PROJECTION, GL_PROJECTION_STACK_DEPTH, GL_MAX_PROJECTION_STACK_DEPTH,
                               GL_PROJECTION_MATRIX},
                         Stack{GL_MODELVIEW, GL_MODELVIEW_STACK_DEPTH, GL_MAX_MODELVIEW_STACK_DEPTH,
                               GL_MODELVIEW_MATRIX}}) {
    SCOPED_TRACE(s.mode);
    const int maximum = Int(s.maximum);
    ASSERT_GE(maximum, 2);
    const int levels = maximum + 6;
    GL.glMatrixMode(s.mode);
    GL.glLoadIdentity();
    // Level k replaces the matrix by a translation of k.
    std::vector<TSavedMatrix> saved(static_cast<size_t>(levels));
    std::vector<std::array<float, 16>> seen;
    for (int k = 0; k < levels; ++k) {
      seen.push_back(Matrix(s.matrix));
      saved[size_t(k)].Save(s.mode);
      EXPECT_EQ(saved[size_t(k)].Pushed(), k + 1 < maximum) << k;
      EXPECT_EQ(Int(GL_MATRIX_MODE), GLint(s.mode));
      GL.glLoadIdentity();
      GL.glTranslatef(float(k + 1), 0, 0);
    }
    EXPECT_EQ(Int(s.depth), maximum);
    for (int k = levels - 1; k >= 0; --k) {
      GL.glMatrixMode(GL_TEXTURE);  // Restore selects the stack itself
      saved[size_t(k)].Restore();
      EXPECT_EQ(Matrix(s.matrix), seen[size_t(k)]) << k;
      EXPECT_FALSE(saved[size_t(k)].Saved());
    }
    EXPECT_EQ(Int(s.depth), 1);
    EXPECT_EQ(Matrix(s.matrix)[12], 0.0f);
    EXPECT_EQ(GL.glGetError(), GLenum(GL_NO_ERROR));
  }
  GL.glMatrixMode(GL_MODELVIEW);
  // A restore without a save changes nothing.
  TSavedMatrix none;
  GL.glTranslatef(3, 0, 0);
  none.Restore();
  EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX)[12], 3.0f);
  EXPECT_EQ(GL.glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
