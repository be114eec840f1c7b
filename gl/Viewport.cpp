#include "gl/Viewport.h"

#include <cmath>
#include <numbers>

#include "core/Error.h"
#include "gl/GLEntryPoints.h"

namespace velmora {

TGLViewport::TGLViewport(TGLViewportList* list) : TGLItem(list) {}

void TGLViewport::SetBounds(int left, int bottom, int width, int height) {
  Left = left;
  Bottom = bottom;
  Width = width;
  Height = height;
}

void TGLViewport::SetOrtho(double left, double right, double bottom, double top, double nearZ, double farZ) {
  Ortho = {left, right, bottom, top, nearZ, farZ};
}

void TGLViewport::SetFrustum(double left, double right, double bottom, double top, double nearZ, double farZ) {
  Frustum = {left, right, bottom, top, nearZ, farZ};
}

void TGLViewport::SetPerspective(double fovy, double aspect, double nearZ, double farZ) {
  // Extended precision for the angle, as the frustum of the default viewport
  // is compared with the one that scene objects compute for themselves.
  long double half = static_cast<long double>(fovy) * (std::numbers::pi_v<long double> / 180.0L) / 2.0L;
  double top = static_cast<double>(std::tan(half) * static_cast<long double>(nearZ));
  double right = aspect * top;
  SetFrustum(-right, right, -top, top, nearZ, farZ);
}

void TGLViewport::SetOrientation(const TGLVector& up, const TGLVector& direction) {
  Orientation = MakeOrientation(up, direction);
}

TGLMatrix TGLViewport::ViewMatrix() const {
  return LookAtMatrix(CameraPosition, CameraPosition + Orientation.direction, Orientation.up);
}

void TGLViewport::Apply() const {
  if (!GL.glViewport) RaiseError("TGLViewport", "Apply", "OpenGL is not loaded");
  GL.glViewport(Left, Bottom, Width, Height);
  GL.glMatrixMode(GL_PROJECTION);
  GL.glLoadIdentity();
  const TGLViewBox& b = Perspective ? Frustum : Ortho;
  if (Perspective)
    GL.glFrustum(b[0], b[1], b[2], b[3], b[4], b[5]);
  else
    GL.glOrtho(b[0], b[1], b[2], b[3], b[4], b[5]);
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glLoadIdentity();
  const TGLMatrix view = ViewMatrix();
  GL.glMultMatrixf(view.data());
}

TGLViewportList::~TGLViewportList() { Clear(); }

TGLViewport* TGLViewportList::Add() { return new TGLViewport(this); }

}  // namespace velmora
