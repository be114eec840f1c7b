// The default viewport of the rendering context with its camera: the
// projection and the eye every frame of the scene starts from.
//
// It belongs to a host (scene/SceneHost.h), whose window it reads before
// each frame (Apply): output size and aspect, projection, camera, the
// buffers cleared. The GL object it fills (TGLViewport) lives in the
// context's viewport list and is made again for a new context.
#pragma once

#include <cstdint>

#include "gl/OpenGL.h"
#include "gl/Types.h"
#include "gl/Viewport.h"

namespace velmora {

class TSceneHost;

// The buffers cleared before each frame: a set of these flags.
using TClearMode = uint8_t;
enum : TClearMode {
  cmColor = 1,
  cmDepth = 2,
  cmStencil = 4,
  cmAccum = 8,
};

class TOpenGLVector {
 public:
  TOpenGLVector() = default;
  TOpenGLVector(float x, float y, float z) : Y(y), X(x), Z(z) {}
  void Assign(const TOpenGLVector& other) { *this = other; }
  TGLVector Vector() const { return TGLVector{X, Y, Z}; }

  // Held in the order Y, X, Z, as the form stores them.
  float Y = 0;
  float X = 0;
  float Z = 0;
};

class TOpenGLCamera {
 public:
  // At (0, 0, 200) looking at the origin, up (0, 1, 0).
  TOpenGLCamera();
  void Assign(const TOpenGLCamera& other) { *this = other; }

  TOpenGLVector Position;
  TOpenGLVector Up;
  TOpenGLVector Direction;
};

// Left, right, bottom, top (at the near plane), near, far.
struct TFrustum {
  double Left = 0, Right = 0, Bottom = 0, Top = 0, Near = 0, Far = 0;
};

class TDefViewport {
 public:
  explicit TDefViewport(TSceneHost* application);

  // Copies the settings (not the GL object nor the application).
  void Assign(const TDefViewport& other);

  // Before every render: size and aspect, projection, camera, clear.
  void Apply();
  // The perspective box scene objects cull against; the aspect is always
  // 4:3 or 16:9, as Apply uses it.
  TFrustum GetFrustum();
  const TFrustum& Frustum() const { return frustum_; }

  // The size of the window drawn into (0 without one).
  int WindowWidth() const;
  int WindowHeight() const;

  // The GL object holding projection and view, made by the first Apply.
  TGLViewport* GLViewport() const { return glViewport_; }

  TSceneHost* Application() const { return application_; }

  bool Perspective = true;
  double FarDepth = 10000.0;
  double NearDepth = 100.0;
  double FOV = 75.0;
  bool Cleared = true;
  bool Enabled = true;
  TClearMode ClearMode = cmColor | cmDepth;
  // 16:9 projection; Apply turns it on for good when the output is wider
  // than 1.6:1.
  bool WideScreen = false;
  // 4:3 whatever the window's shape.
  bool Stretch = false;

  TOpenGLCamera& Camera() { return camera_; }
  void SetCamera(const TOpenGLCamera& camera) { camera_.Assign(camera); }

  // The output size Apply uses: the window's when windowed; in full screen
  // the size of what Monitor chooses (see Apply in the implementation).
  static void OutputSize(bool fullScreen, int monitor, int windowWidth, int windowHeight, int& width, int& height);

 private:
  TSceneHost* application_;
  TGLViewport* glViewport_ = nullptr;  // owned by the context's viewport list
  TCustomOpenGL* glViewportOwner_ = nullptr;
  TOpenGLCamera camera_;
  TFrustum frustum_;
};

}  // namespace velmora
