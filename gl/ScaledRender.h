// Drawing a frame at a fraction of its pixels: the viewport shrunk to that
// fraction at its lower-left corner, the picture drawn there copied to a
// texture and drawn up over the whole viewport with linear filtering. On a
// software renderer the pixels filled fall with the square of the fraction.
//
// Lifecycle, every frame, with the context current:
//   Begin(percent) -> (the frame drawn) -> End(gl) -> (what stays sharp: text,
//   dialogs, drawn at full size)
// Begin does nothing and returns false at 100 % (or more), or when the
// viewport has no area; End must follow only a Begin that returned true.
// The texture is made on first use and whenever the shrunk picture outgrows
// it; Release deletes it (context current); Forget drops its name without
// deleting it, for a context that went away with it.
//
// End leaves texturing, blending, depth test, fog and lighting off (through
// the context's switches), unit 0's texture binding changed, the viewport,
// scissor and matrices as they were before Begin: callers that cache the
// bound texture or the blending reset those caches.
#pragma once

#include "gl/Types.h"

namespace velmora {

class TCustomOpenGL;

class TScaledRender {
 public:
  TScaledRender() = default;
  TScaledRender(const TScaledRender&) = delete;
  TScaledRender& operator=(const TScaledRender&) = delete;

  // One side at percent (clamped to 1 .. 100) of its length; at least 1.
  static int ScaledSide(int side, int percent);

  bool Begin(int percent);
  void End(TCustomOpenGL& gl);
  void Release();
  void Forget() { texture_ = 0; }

  // The texture's name (0 before the first frame) and size.
  unsigned Texture() const { return texture_; }
  int TextureWidth() const { return textureWidth_; }
  int TextureHeight() const { return textureHeight_; }

 private:
  unsigned texture_ = 0;
  int textureWidth_ = 0, textureHeight_ = 0;
  // The viewport and scissor box of the frame, and the shrunk size.
  int viewport_[4] = {0, 0, 0, 0};
  int scissor_[4] = {0, 0, 0, 0};
  bool scissorOn_ = false;
  int width_ = 0, height_ = 0;
};

}  // namespace velmora
