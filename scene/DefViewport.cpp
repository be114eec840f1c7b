#include "scene/DefViewport.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gl/GLEntryPoints.h"
#include "platform/Display.h"
#include "platform/Service.h"
#include "scene/SceneHost.h"

namespace velmora {

namespace {

TGLVector Normalized(TGLVector v) {
  double len = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
  if (len > 0) v = TGLVector{float(v.x / len), float(v.y / len), float(v.z / len)};
  return v;
}

}  // namespace

// ---------------------------------------------------------------------------
// Camera and default viewport

TOpenGLCamera::TOpenGLCamera() {
  const TGLVector position{0, 0, 200}, target{0, 0, 0}, up{0, 1, 0};
  Position = TOpenGLVector(position.x, position.y, position.z);
  TGLVector d = Normalized(TGLVector{target.x - position.x, target.y - position.y, target.z - position.z});
  Direction = TOpenGLVector(d.x, d.y, d.z);
  TGLVector u = Normalized(up);
  Up = TOpenGLVector(u.x, u.y, u.z);
}

TDefViewport::TDefViewport(TSceneHost* application) : application_(application) {
  camera_.Position = TOpenGLVector(0, 0, -0.00005f);
}

void TDefViewport::Assign(const TDefViewport& other) {
  Perspective = other.Perspective;
  FarDepth = other.FarDepth;
  NearDepth = other.NearDepth;
  FOV = other.FOV;
  Cleared = other.Cleared;
  Enabled = other.Enabled;
  ClearMode = other.ClearMode;
  WideScreen = other.WideScreen;
  Stretch = other.Stretch;
  camera_.Assign(other.camera_);
}

int TDefViewport::WindowWidth() const {
  TSceneSurface surface;
  return application_ && application_->Surface(surface) ? surface.Width : 0;
}

int TDefViewport::WindowHeight() const {
  TSceneSurface surface;
  return application_ && application_->Surface(surface) ? surface.Height : 0;
}

void TDefViewport::OutputSize(bool fullScreen, int monitor, int windowWidth, int windowHeight, int& width,
                              int& height) {
  if (!fullScreen) {
    width = windowWidth;
    height = windowHeight;
    return;
  }
  platform::Display& display = platform::Get<platform::Display>();
  int n = display.MonitorCount();
  if (monitor >= 0 && n != 1) {
    if (monitor < n) {
      platform::Rect r = display.MonitorBounds(monitor);
      width = r.width;
      height = r.height;
    } else if (monitor == n + 1) {
      platform::Rect r = display.VirtualDesktop();
      width = r.width;
      height = r.height;
    } else {
      // Two monitors side by side.
      platform::Rect a = display.MonitorBounds(0), b = display.MonitorBounds(1);
      width = a.width + b.width;
      height = std::max(a.height, b.height);
    }
    return;
  }
  platform::ScreenSize s = display.PrimaryScreenSize();
  width = s.width;
  height = s.height;
}

TFrustum TDefViewport::GetFrustum() {
  const float a = (!Stretch && WideScreen) ? 16.0f / 9.0f : 4.0f / 3.0f;
  double top = std::tan(FOV * std::numbers::pi / 180.0 / 2.0) * NearDepth;
  frustum_.Top = top;
  frustum_.Bottom = -top;
  frustum_.Right = a * top;
  frustum_.Left = -frustum_.Right;
  frustum_.Near = NearDepth;
  frustum_.Far = FarDepth;
  return frustum_;
}

void TDefViewport::Apply() {
  TSceneSurface window;
  if (!Enabled || !application_ || !application_->Surface(window) || !window.HasDisplay) return;
  TCustomOpenGL* gl = application_->OpenGL();
  if (!gl) return;
  // 1. The GL object lives in the context's viewport list; a new context
  // object means a new viewport.
  if (!glViewport_ || glViewportOwner_ != gl) {
    glViewport_ = gl->Viewports()->Add();
    glViewportOwner_ = gl;
  }
  // 2. Output size and aspect.
  int width = 0, height = 0;
  OutputSize(window.FullScreen, window.Monitor, window.Width, window.Height, width, height);
  // A settings dialog's preview panel: the scene keeps to its rectangle.
  const int left = window.Left, bottom = window.Bottom;
  glViewport_->SetBounds(left, bottom, width, height);
  double aspect = Stretch ? 4.0 / 3.0 : (height > 0 ? double(width) / double(height) : 4.0 / 3.0);
  // 3. A wide output turns 16:9 on for good.
  if (!WideScreen) WideScreen = aspect > 1.6;
  // 4. Projection.
  double a = Stretch ? 4.0 / 3.0 : (WideScreen ? 16.0 / 9.0 : 4.0 / 3.0);
  glViewport_->SetPerspective(FOV, a, NearDepth, FarDepth);
  glViewport_->SetOrtho(0, window.Width, 0, window.Height, NearDepth, FarDepth);
  glViewport_->Perspective = Perspective;
  // 5. Camera.
  glViewport_->SetOrientation(camera_.Up.Vector(), camera_.Direction.Vector());
  glViewport_->SetCameraPosition(camera_.Position.Vector());
  // 6. and 7. need the context: without one there is nothing to draw on.
  if (!gl->Active()) return;
  if (Cleared) {
    const uint32_t c = window.Color;
    GL.glClearColor((c & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, ((c >> 16) & 0xFF) / 255.0f, 1.0f);
    GL.glViewport(left, bottom, window.Width, window.Height);
    if (window.InPanel && GL.glScissor) {
      GL.glScissor(left, bottom, window.Width, window.Height);
      GL.glEnable(GL_SCISSOR_TEST);
    } else if (GL.glDisable) {
      GL.glDisable(GL_SCISSOR_TEST);
    }
    GL.glDepthMask(GL_TRUE);
    GLbitfield mask = 0;
    if (ClearMode & cmColor) mask |= GL_COLOR_BUFFER_BIT;
    if (ClearMode & cmDepth) mask |= GL_DEPTH_BUFFER_BIT;
    if (ClearMode & cmStencil) mask |= GL_STENCIL_BUFFER_BIT;
    if (ClearMode & cmAccum) mask |= GL_ACCUM_BUFFER_BIT;
    if (mask) GL.glClear(mask);
  }
  glViewport_->Apply();
}

}  // namespace velmora
