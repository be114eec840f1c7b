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

}  // namespace

int TScaledRender::ScaledSide(int side, int percent) {
  const int p = std::clamp(percent, 1, 100);
  return std::max(1, int(std::lround(double(side) * p / 100.0)));
}

bool TScaledRender::Begin(int percent) {
  if (percent >= 100 || !GL.glGetIntegerv || !GL.glCopyTexSubImage2D) return false;
  GL.glGetIntegerv(GL_VIEWPORT, viewport_);
  if (viewport_[2] <= 0 || viewport_[3] <= 0) return false;
  scissorOn_ = GL.glIsEnabled(GL_SCISSOR_TEST);
  GL.glGetIntegerv(GL_SCISSOR_BOX, scissor_);
  width_ = ScaledSide(viewport_[2], percent);
  height_ = ScaledSide(viewport_[3], percent);
  GL.glViewport(viewport_[0], viewport_[1], width_, height_);
  if (scissorOn_) {
    // The scissor box in the same proportion, from the viewport's corner.
    auto scaled = [percent](int length) { return length > 0 ? ScaledSide(length, percent) : 0; };
    GL.glScissor(viewport_[0] + scaled(scissor_[0] - viewport_[0]), viewport_[1] + scaled(scissor_[1] - viewport_[1]),
                 scaled(scissor_[2]), scaled(scissor_[3]));
  }
  return true;
}

void TScaledRender::End(TCustomOpenGL& gl) {
  if (texture_ == 0 || width_ > textureWidth_ || height_ > textureHeight_) {
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
    GL.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, textureWidth_, textureHeight_, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    GL.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  } else {
    GL.glBindTexture(GL_TEXTURE_2D, texture_);
  }
  GL.glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport_[0], viewport_[1], width_, height_);

  GL.glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
  if (scissorOn_) GL.glScissor(scissor_[0], scissor_[1], scissor_[2], scissor_[3]);
  gl.SetDepthTest(false);
  gl.SetFog(false);
  gl.SetLighting(false);
  gl.SetTexture2D(true);
  GL.glDisable(GL_BLEND);
  GL.glDisable(GL_ALPHA_TEST);
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
}

}  // namespace velmora
