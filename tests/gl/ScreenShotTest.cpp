#include "gl/ScreenShot.h"

#include <gtest/gtest.h>

#include "core/Error.h"
#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"
#include "tests/gl/GLTestContext.h"

using namespace velmora;

TEST(ScreenShotGL, CaptureReadsPackedRgbRowsBottomUp) {
  // An odd width, so that rows padded to four bytes would show.
  velmora::testing::GLTestContext context(37, 20);
  ASSERT_TRUE(context.Active());
  TCustomOpenGL& gl = *context.gl;
  platform::NativeWindow& window = *context.window;
  ASSERT_EQ(window.Width(), 37);
  GL.glViewport(0, 0, 37, 20);
  GL.glClearColor(0, 0, 1, 1);
  GL.glClear(GL_COLOR_BUFFER_BIT);
  // Red over the bottom five rows.
  GL.glEnable(GL_SCISSOR_TEST);
  GL.glScissor(0, 0, 37, 5);
  GL.glClearColor(1, 0, 0, 1);
  GL.glClear(GL_COLOR_BUFFER_BIT);
  GL.glDisable(GL_SCISSOR_TEST);
  GL.glPixelStorei(GL_PACK_ALIGNMENT, 8);

  TGLScreenShot* shot = gl.ScreenShot();
  int before = shot->Counter;
  shot->Capture(window);
  EXPECT_EQ(shot->Counter, before + 1);
  EXPECT_EQ(shot->Width(), 37);
  EXPECT_EQ(shot->Height(), 20);
  EXPECT_EQ(shot->RowSize(), 37 * 3);
  EXPECT_EQ(shot->BytesPerPixel(), 3);
  EXPECT_EQ(gl.GetInt(GL_PACK_ALIGNMENT), 8);  // the caller's alignment is back

  for (int row : {0, 4, 5, 19}) {
    const uint8_t* line = shot->ScanLine(row);
    EXPECT_EQ(line, shot->Buffer() + row * 111);
    bool red = row < 5;
    for (int x : {0, 36}) {
      EXPECT_EQ(line[3 * x], red ? 255 : 0) << "row " << row << " x " << x;
      EXPECT_EQ(line[3 * x + 2], red ? 0 : 255) << "row " << row << " x " << x;
    }
  }
  EXPECT_THROW(shot->ScanLine(20), Error);
  EXPECT_THROW(shot->ScanLine(-1), Error);

  shot->Capture(window);
  EXPECT_EQ(shot->Counter, before + 2);
  shot->Clear();
  EXPECT_EQ(shot->Width(), 0);
  EXPECT_EQ(shot->Height(), 0);
  EXPECT_EQ(shot->RowSize(), 0);
  EXPECT_EQ(shot->Buffer(), nullptr);
  EXPECT_EQ(shot->Counter, before + 2);
}
