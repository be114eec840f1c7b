// The building blocks of the water's geometry: flat textured grids, the
// depth shading of their fog overlays, and the slopes of the view that the
// water's planes are fitted to.
//
// Lifecycle: plain functions on primitives that the water owns; called
// while it builds its geometry (once per reading of its keys) and, for the
// view slopes, when it places its background object each frame and when
// the fish and plankton fit their paths to the view.
//
// Grid layout (MakeGrid): (nx + 1) x (ny + 1) vertices, row by row; row j
// lies at z0 + j x depth / ny, so row 0 is the far edge. Column i lies at
// x0 + i x width / nx. Unit 0 texture coordinate of vertex (i, j):
// (i x uRange / nx, (1 - j / ny) x vRange). Two triangles per cell, a, b,
// b + 1 and a, b + 1, a + 1 with a = (nx + 1) j + i and b = a + nx + 1:
// counter-clockwise seen from +y, so a grid faces up. One colour (white,
// opaque) and one normal (0, 1, 0) for every vertex.
//
// Errors:
//   "MakeGrid error: A grid of NX x NY cells does not fit 16-bit indices"
//   "ViewSlopes error: The viewport gives no view (field of view F, near depth N)"
#pragma once

#include "gl/Types.h"

namespace velmora {

class TDefViewport;
class TGLPrimitive;

void MakeGrid(TGLPrimitive& grid, int nx, int ny, float width, float depth, float x0, float y, float z0, float uRange,
              float vRange);

// Colours every vertex of layer by its z: nearColor up to zNear, farColor
// from zFar on, linear in between; each component then clamped (above 1 to
// 1, below 0.001 to 0) and stored as a byte. Works either way round (zNear
// above or below zFar). Does nothing when layer's colour and vertex counts
// differ or when zNear and zFar lie within 0.01 of each other.
void ShadeByDepth(const TGLColor& nearColor, const TGLColor& farColor, float zNear, float zFar, TGLPrimitive& layer);

// The frustum's edges per unit of depth: at depth d the view spans
// x from Left x d to Right x d and y from Bottom x d to Top x d.
struct TViewSlopes {
  double Left = 0, Right = 0, Bottom = 0, Top = 0;
};

// The slopes of the viewport's frustum (left, right, bottom, top divided by
// near). A near depth of 0 or below, which leaves nothing to divide by, is
// measured at a near depth of 1 instead: the slopes depend only on the
// field of view and the aspect. Raises when even that gives no finite,
// non-empty view (a field of view of 0 or of 180 degrees and more).
TViewSlopes ViewSlopes(TDefViewport& viewport);
// The same without raising (read every frame): false, and slopes left as
// they are, when the viewport gives no view.
bool TryViewSlopes(TDefViewport& viewport, TViewSlopes& slopes);

// Right over top of the frustum (its width over its height, as the
// frustum is symmetric); 4 / 3 when the viewport gives no view.
// Never raises (read every frame).
double ViewAspect(TDefViewport& viewport);

}  // namespace velmora
