// Viewports: a window rectangle, a projection and a camera.
//
// Apply loads all three into OpenGL: glViewport, the projection matrix
// (frustum or orthographic box) and the modelview matrix of the camera.
// The application's default viewport drives one of these every frame.
#pragma once

#include <array>

#include "gl/ItemList.h"
#include "gl/Types.h"

namespace velmora {

class TGLViewportList;

// left, right, bottom, top, near, far
using TGLViewBox = std::array<double, 6>;

class TGLViewport : public TGLItem {
 public:
  explicit TGLViewport(TGLViewportList* list);

  // Window rectangle in pixels, lower-left corner first, as OpenGL counts.
  int Left = 0;
  int Bottom = 0;
  int Width = 100;
  int Height = 100;
  TGLViewBox Ortho{-1, 1, -1, 1, 1, 100};
  TGLViewBox Frustum{-1, 1, -1, 1, 1, 100};
  // Project through Frustum, else through Ortho.
  bool Perspective = true;
  TGLOrientation Orientation{{0, 1, 0}, {0, 0, -1}};
  TGLVector CameraPosition{0, 0, 0};

  void SetBounds(int left, int bottom, int width, int height);
  void SetOrtho(double left, double right, double bottom, double top, double nearZ, double farZ);
  void SetFrustum(double left, double right, double bottom, double top, double nearZ, double farZ);
  // The frustum of a symmetric perspective: field of view in degrees
  // (vertical), width / height aspect, near and far depths.
  void SetPerspective(double fovy, double aspect, double nearZ, double farZ);
  // Both normalized.
  void SetOrientation(const TGLVector& up, const TGLVector& direction);
  void SetCameraPosition(const TGLVector& position) { CameraPosition = position; }

  // The camera's view matrix (LookAtMatrix of the position, the point one
  // step along the direction, and up).
  TGLMatrix ViewMatrix() const;
  // Loads rectangle, projection and camera; leaves GL_MODELVIEW current.
  void Apply() const;
};

class TGLViewportList : public TGLItemList {
 public:
  explicit TGLViewportList(TCustomOpenGL* owner) : TGLItemList(owner) {}
  ~TGLViewportList() override;

  TGLViewport* Add();
  TGLViewport* Items(int index) const { return ItemsAs<TGLViewport>(index); }
};

}  // namespace velmora
