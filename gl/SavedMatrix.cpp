#include "gl/SavedMatrix.h"

namespace velmora {

void TSavedMatrix::Save(GLenum mode) {
  if (!GL.glMatrixMode || !GL.glGetIntegerv) return;
  const bool projection = mode == GL_PROJECTION;
  mode_ = mode;
  GL.glMatrixMode(mode);
  GLint depth = 0, maximum = 0;
  GL.glGetIntegerv(projection ? GL_PROJECTION_STACK_DEPTH : GL_MODELVIEW_STACK_DEPTH, &depth);
  GL.glGetIntegerv(projection ? GL_MAX_PROJECTION_STACK_DEPTH : GL_MAX_MODELVIEW_STACK_DEPTH, &maximum);
  pushed_ = depth > 0 && depth < maximum;
  if (pushed_)
    GL.glPushMatrix();
  else
    GL.glGetFloatv(projection ? GL_PROJECTION_MATRIX : GL_MODELVIEW_MATRIX, matrix_.data());
  saved_ = true;
}

void TSavedMatrix::Restore() {
  if (!saved_ || !GL.glMatrixMode) return;
  GL.glMatrixMode(mode_);
  if (pushed_)
    GL.glPopMatrix();
  else
    GL.glLoadMatrixf(matrix_.data());
  saved_ = false;
}

}  // namespace velmora
