// Drawing a frame at a fraction of its pixels, scaled up over the whole
// viewport with linear filtering. On a software renderer the pixels filled
// fall with the square of the fraction.
//
// Two ways, chosen per frame: where the driver has framebuffer objects and
// the window's frame buffer is single-sampled, the frame is drawn straight
// into the texture (a framebuffer object with a depth renderbuffer, stencil
// too when the window has one), with no copy. Otherwise the viewport is
// shrunk to that fraction at its lower-left corner and the picture drawn
// there copied to the texture. Either way the texture is drawn up as one
// quad in the cheapest state (one texture unit, GL_REPLACE, no fog,
// blending, alpha, depth or stencil test, no texture coordinate generation).
//
// Lifecycle, every frame, with the context current:
//   Begin(percent) -> (the frame drawn) -> End(gl) -> (what stays sharp: text,
//   dialogs, drawn at full size)
// Begin does nothing and returns false at 100 % (or more), or when the
// viewport has no area; End must follow only a Begin that returned true.
// The framebuffer object (or the texture) is made on first use and whenever
// the shrunk picture's size changes (the texture: outgrows it); Release
// deletes them (context current); Forget drops their names without deleting
// them, for a context that went away with them.
//
// End leaves texturing, blending, depth test, fog and lighting off (through
// the context's switches), unit 0's texture binding changed (the copying
// way: texture units above 0 disabled, coordinate generation off), the
// window's frame buffer bound, the viewport, scissor
// and matrices as they were before Begin: callers that cache the bound
// texture or the blending reset those caches.
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
  void Forget();

  // The texture's name (0 before the first frame drawn the copying way) and
  // size.
  unsigned Texture() const { return texture_; }
  int TextureWidth() const { return textureWidth_; }
  int TextureHeight() const { return textureHeight_; }
  // The framebuffer object's name (0 before the first frame drawn that way).
  unsigned Framebuffer() const { return framebuffer_; }

  // Whether frames may be drawn into a framebuffer object where the driver
  // allows it (default true); false keeps the copying way.
  void SetUseFramebuffer(bool use) { useFramebuffer_ = use; }

 private:
  bool BeginFramebuffer();
  bool MakeFramebuffer();
  void ReleaseFramebuffer();
  // The texture (powers of two) that holds the shrunk picture; true when
  // made (and bound) anew.
  bool MakeTexture();
  void EndCopying(TCustomOpenGL& gl);
  void DrawUp(TCustomOpenGL& gl);

  bool useFramebuffer_ = true;
  bool framebufferFailed_ = false;  // incomplete once: the copying way for good
  bool drawingToFramebuffer_ = false;
  unsigned framebuffer_ = 0, depthBuffer_ = 0;
  int framebufferWidth_ = 0, framebufferHeight_ = 0;
  unsigned texture_ = 0;
  int textureWidth_ = 0, textureHeight_ = 0;
  // The viewport and scissor box of the frame, and the shrunk size.
  int viewport_[4] = {0, 0, 0, 0};
  int scissor_[4] = {0, 0, 0, 0};
  bool scissorOn_ = false;
  int width_ = 0, height_ = 0;
};

}  // namespace velmora
