#include "gl/ScaledRender.h"

#include <algorithm>
#include <cmath>

#include "gl/GLEntryPoints.h"
#include "gl/OpenGL.h"

namespace velmora {

namespace {

int PowerOfTwoAtLeast(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

// One texture unit, without generated coordinates: the scene's passes leave
// generation on (unit 0's light rays, unit 1's caustics), and every enabled
// unit lengthens a software renderer's per-pixel code.
void PlainTextureUnits() {
  GLint units = 1;
  if (GL.glActiveTextureARB) GL.glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
  for (GLint unit = units - 1; unit >= 0; --unit) {
    if (GL.glActiveTextureARB) GL.glActiveTextureARB(GL_TEXTURE0_ARB + GLenum(unit));
    if (unit > 0) GL.glDisable(GL_TEXTURE_2D);
    GL.glDisable(GL_TEXTURE_1D);
    for (GLenum coord : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q}) GL.glDisable(coord);
  }
}

}  // namespace

int TScaledRender::ScaledSide(int side, int percent) {
  const int p = std::clamp(percent, 1, 100);
  return std::max(1, int(std::lround(double(side) * p / 100.0)));
}

bool TScaledRender::Begin(int percent) {
  drawingToFramebuffer_ = false;
  if (percent >= 100 || !GL.glGetIntegerv || !GL.glCopyTexSubImage2D) return false;
  GL.glGetIntegerv(GL_VIEWPORT, viewport_);
  if (viewport_[2] <= 0 || viewport_[3] <= 0) return false;
  scissorOn_ = GL.glIsEnabled(GL_SCISSOR_TEST);
  GL.glGetIntegerv(GL_SCISSOR_BOX, scissor_);
  width_ = ScaledSide(viewport_[2], percent);
  height_ = ScaledSide(viewport_[3], percent);
  // The origin of the shrunk picture: the viewport's corner in the window,
  // the framebuffer object's own corner when drawing into one.
  int x = viewport_[0], y = viewport_[1];
  if (BeginFramebuffer()) x = y = 0;
  GL.glViewport(x, y, width_, height_);
  if (scissorOn_) {
    // The scissor box in the same proportion, from the viewport's corner.
    auto scaled = [percent](int length) { return length > 0 ? ScaledSide(length, percent) : 0; };
    GL.glScissor(x + scaled(scissor_[0] - viewport_[0]), y + scaled(scissor_[1] - viewport_[1]), scaled(scissor_[2]),
                 scaled(scissor_[3]));
  }
  if (drawingToFramebuffer_) {
    // The window's buffers were cleared before the frame; these were not.
    GLboolean depthMask = GL_TRUE;
    GL.glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    GL.glDepthMask(GL_TRUE);
    GL.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | (depthBuffer_ != 0 ? GL_STENCIL_BUFFER_BIT : 0));
    GL.glDepthMask(depthMask);
  }
  return true;
}

bool TScaledRender::BeginFramebuffer() {
  if (!useFramebuffer_ || framebufferFailed_ || !GL.glBindFramebuffer || !GL.glFramebufferTexture2D) return false;
  // Not where the window smooths edges with samples the framebuffer object
  // lacks, nor inside a caller's own framebuffer object.
  GLint samples = 0, bound = 0;
  GL.glGetIntegerv(GL_SAMPLE_BUFFERS, &samples);
  GL.glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
  if (samples > 0 || bound != 0) return false;
  if (framebuffer_ == 0 || texture_ == 0 || width_ > framebufferWidth_ || height_ > framebufferHeight_) {
    if (!MakeFramebuffer()) {
      framebufferFailed_ = true;
      return false;
    }
  }
  GL.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  drawingToFramebuffer_ = true;
  return true;
}

bool TScaledRender::MakeFramebuffer() {
  ReleaseFramebuffer();
  MakeTexture();
  GL.glBindTexture(GL_TEXTURE_2D, 0);
  // The window's depth and stencil, so the scene draws as it would there.
  GLint depthBits = 0, stencilBits = 0;
  GL.glGetIntegerv(GL_DEPTH_BITS, &depthBits);
  GL.glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
  GLuint name = 0;
  GL.glGenFramebuffers(1, &name);
  framebuffer_ = name;
  GL.glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  GL.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
  if (depthBits > 0 || stencilBits > 0) {
    GL.glGenRenderbuffers(1, &name);
    depthBuffer_ = name;
    GL.glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    if (stencilBits > 0) {
      GL.glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, textureWidth_, textureHeight_);
      GL.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    } else {
      GL.glRenderbufferStorage(GL_RENDERBUFFER, depthBits <= 16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24,
                               textureWidth_, textureHeight_);
      GL.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    }
    GL.glBindRenderbuffer(GL_RENDERBUFFER, 0);
  }
  const bool complete = GL.glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  GL.glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (!complete) {
    ReleaseFramebuffer();
    return false;
  }
  framebufferWidth_ = textureWidth_;
  framebufferHeight_ = textureHeight_;
  return true;
}

void TScaledRender::ReleaseFramebuffer() {
  if (GL.glDeleteFramebuffers && framebuffer_ != 0) {
    const GLuint name = framebuffer_;
    GL.glDeleteFramebuffers(1, &name);
  }
  if (GL.glDeleteRenderbuffers && depthBuffer_ != 0) {
    const GLuint name = depthBuffer_;
    GL.glDeleteRenderbuffers(1, &name);
  }
  framebuffer_ = depthBuffer_ = 0;
  framebufferWidth_ = framebufferHeight_ = 0;
}

void TScaledRender::End(TCustomOpenGL& gl) {
  if (!drawingToFramebuffer_) {
    EndCopying(gl);
    return;
  }
  drawingToFramebuffer_ = false;
  GL.glBindFramebuffer(GL_FRAMEBUFFER, 0);
  GL.glBindTexture(GL_TEXTURE_2D, texture_);
  DrawUp(gl);
}

void TScaledRender::EndCopying(TCustomOpenGL& gl) {
  if (!MakeTexture()) GL.glBindTexture(GL_TEXTURE_2D, texture_);
  GL.glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport_[0], viewport_[1], width_, height_);
  DrawUp(gl);
}

bool TScaledRender::MakeTexture() {
  if (texture_ != 0 && width_ <= textureWidth_ && height_ <= textureHeight_) return false;
  if (texture_ != 0) {
    const GLuint name = texture_;
    GL.glDeleteTextures(1, &name);
  }
  GLuint name = 0;
  GL.glGenTextures(1, &name);
  texture_ = name;
  textureWidth_ = PowerOfTwoAtLeast(width_);
  textureHeight_ = PowerOfTwoAtLeast(height_);
  GL.glBindTexture(GL_TEXTURE_2D, texture_);
  // RGBA: what a framebuffer object can draw into everywhere.
  GL.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textureWidth_, textureHeight_, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  return true;
}

void TScaledRender::DrawUp(TCustomOpenGL& gl) {
  GL.glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
  if (scissorOn_) GL.glScissor(scissor_[0], scissor_[1], scissor_[2], scissor_[3]);
  gl.SetDepthTest(false);
  gl.SetFog(false);
  gl.SetLighting(false);
  gl.SetTexture2D(true);
  GL.glDisable(GL_BLEND);
  GL.glDisable(GL_ALPHA_TEST);
  GL.glDisable(GL_STENCIL_TEST);
  GL.glDisable(GL_COLOR_MATERIAL);
  PlainTextureUnits();
  GL.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  GL.glMatrixMode(GL_PROJECTION);
  GL.glPushMatrix();
  GL.glLoadIdentity();
  GL.glOrtho(0, 1, 0, 1, -1, 1);
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glPushMatrix();
  GL.glLoadIdentity();
  // Texel centres at the picture's edges: nothing past them is sampled.
  const float s0 = 0.5f / float(textureWidth_), s1 = (float(width_) - 0.5f) / float(textureWidth_);
  const float t0 = 0.5f / float(textureHeight_), t1 = (float(height_) - 0.5f) / float(textureHeight_);
  GL.glColor4f(1, 1, 1, 1);
  GL.glBegin(GL_QUADS);
  GL.glTexCoord2f(s0, t0);
  GL.glVertex2f(0, 0);
  GL.glTexCoord2f(s1, t0);
  GL.glVertex2f(1, 0);
  GL.glTexCoord2f(s1, t1);
  GL.glVertex2f(1, 1);
  GL.glTexCoord2f(s0, t1);
  GL.glVertex2f(0, 1);
  GL.glEnd();
  GL.glPopMatrix();
  GL.glMatrixMode(GL_PROJECTION);
  GL.glPopMatrix();
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  GL.glBindTexture(GL_TEXTURE_2D, 0);
  gl.SetTexture2D(false);
}

void TScaledRender::Release() {
  if (texture_ != 0 && GL.glDeleteTextures) {
    const GLuint name = texture_;
    GL.glDeleteTextures(1, &name);
  }
  texture_ = 0;
  textureWidth_ = textureHeight_ = 0;
  ReleaseFramebuffer();
  framebufferFailed_ = false;
}

void TScaledRender::Forget() {
  texture_ = 0;
  textureWidth_ = textureHeight_ = 0;
  framebuffer_ = depthBuffer_ = 0;
  framebufferWidth_ = framebufferHeight_ = 0;
  framebufferFailed_ = false;
  drawingToFramebuffer_ = false;
}

}  // namespace velmora
