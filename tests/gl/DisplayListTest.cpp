#include "gl/DisplayList.h"

#include <gtest/gtest.h>

#include <vector>

#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "tests/gl/GLTestContext.h"

using namespace velmora;

namespace {

using DisplayListGL = velmora::testing::GLContextTest;

int GreenAt(int x, int y) {
  uint8_t p[4] = {};
  GL.glFinish();
  GL.glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
  return p[1];
}

// Fills each list of the block with a full-window quad in a green that
// grows with the list's number.
void CompileGreens(TGLDisplayList& record) {
  for (int i = 0; i < record.ListCount; ++i) {
    GL.glNewList(record.FirstName + GLuint(i), GL_COMPILE);
    GL.glColor4ub(0, GLubyte(100 + 50 * i), 0, 255);
    GL.glRecti(-1, -1, 1, 1);
    GL.glEndList();
  }
}

}  // namespace

TEST_F(DisplayListGL, RecordsCompileThroughTheirCallbackAndRecompileInANewContext) {
  std::vector<uint32_t> seen;
  TGLDisplayList* record = OpenGL().DisplayLists()->Add(3, [&](TGLDisplayList& r) {
    seen.push_back(r.FirstName);
    CompileGreens(r);
  });
  EXPECT_FALSE(record->Compiled);
  OpenGL().DisplayLists()->CompileAll();
  ASSERT_TRUE(record->Compiled);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], record->FirstName);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(GL.glIsList(record->FirstName + GLuint(i)), GL_TRUE);

  GL.glMatrixMode(GL_PROJECTION);
  GL.glLoadIdentity();
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glLoadIdentity();
  record->Call(2);
  EXPECT_EQ(GreenAt(30, 30), 200);
  record->Call(0);
  EXPECT_EQ(GreenAt(30, 30), 100);
  record->Call(3);  // outside the block: nothing
  EXPECT_EQ(GreenAt(30, 30), 100);

  OpenGL().DisplayLists()->CompileAll();  // already compiled: the callback is not asked again
  EXPECT_EQ(seen.size(), 1u);

  // Deactivation releases the lists, activation compiles them again.
  OpenGL().Deactivate();
  EXPECT_FALSE(record->Compiled);
  OpenGL().Activate(Window());
  ASSERT_TRUE(OpenGL().Active());
  EXPECT_TRUE(record->Compiled);
  EXPECT_EQ(seen.size(), 2u);

  GLuint first = record->FirstName;
  OpenGL().DisplayLists()->ReleaseAll();
  EXPECT_FALSE(record->Compiled);
  EXPECT_EQ(GL.glIsList(first), GL_FALSE);
}

TEST_F(DisplayListGL, ARecordFreedWhileCompiledDeletesItsLists) {
  TGLDisplayList* record = OpenGL().DisplayLists()->Add(2, CompileGreens);
  TGLDisplayList* empty = OpenGL().DisplayLists()->Add(0, nullptr);
  OpenGL().DisplayLists()->CompileAll();
  EXPECT_FALSE(empty->Compiled);
  GLuint first = record->FirstName;
  ASSERT_EQ(GL.glIsList(first + 1), GL_TRUE);
  delete record;
  EXPECT_EQ(OpenGL().DisplayLists()->Count(), 1);
  EXPECT_EQ(GL.glIsList(first), GL_FALSE);
  EXPECT_EQ(GL.glIsList(first + 1), GL_FALSE);

  // Without a callback the block is still made and released.
  TGLDisplayList* bare = OpenGL().DisplayLists()->Add(1, nullptr);
  bare->Compile();
  EXPECT_TRUE(bare->Compiled);
  EXPECT_NE(bare->FirstName, 0u);
}
