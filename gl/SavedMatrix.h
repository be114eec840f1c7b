// A matrix of one of OpenGL's matrix stacks, kept so that it can be put
// back after drawing in another projection or place.
//
// OpenGL promises only two entries of the projection stack (and 32 of the
// model-view stack); drawing code that nests (a sprite list inside a
// sprite list, a font drawn inside either) would push past that and get
// GL_STACK_OVERFLOW, and the pops that follow would undo the wrong level.
// Save pushes while the stack's depth is below its maximum
// (GL_MAX_PROJECTION_STACK_DEPTH, GL_MAX_MODELVIEW_STACK_DEPTH) and
// otherwise reads the matrix into memory; Restore pops or loads it back.
// Either way the nesting may go as deep as it likes and draws the same.
//
// Lifecycle: made -> Save(mode) -> drawing -> Restore() -> Save again ...
// Save and Restore leave `mode` as the current matrix mode. Without a
// loaded OpenGL library both do nothing.
#pragma once

#include <array>

#include "gl/GLEntryPoints.h"

namespace velmora {

class TSavedMatrix {
 public:
  // mode: GL_PROJECTION or GL_MODELVIEW.
  void Save(GLenum mode);
  // Puts the saved matrix back; nothing when nothing is saved.
  void Restore();

  bool Saved() const { return saved_; }
  // Whether the last Save used the stack (false: memory).
  bool Pushed() const { return pushed_; }

 private:
  GLenum mode_ = GL_MODELVIEW;
  bool saved_ = false;
  bool pushed_ = false;
  std::array<GLfloat, 16> matrix_{};
};

}  // namespace velmora
