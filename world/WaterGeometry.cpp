#include "world/WaterGeometry.h"

#include <algorithm>
#include <cmath>

#include "scene/DefViewport.h"
#include "scene/SceneHost.h"
#include "core/Error.h"
#include "core/Strings.h"
#include "gl/Primitive.h"

namespace velmora {

void MakeGrid(TGLPrimitive& grid, int nx, int ny, float width, float depth, float x0, float y, float z0, float uRange,
              float vRange) {
  if (nx < 1 || ny < 1 || int64_t(nx + 1) * (ny + 1) > 65536)
    RaiseMessage(Format("MakeGrid error: A grid of %d x %d cells does not fit 16-bit indices", nx, ny));
  grid.Mode = GL_TRIANGLES;
  grid.Colors.SetCount(1);
  grid.Colors.SetColorBytes(0, 255, 255, 255, 255);
  grid.Normals.SetCount(1);
  grid.Normals.SetVector(0, 0, 1, 0);

  const int columns = nx + 1;
  grid.Vertices.SetCount(columns * (ny + 1));
  grid.TexCoords[0].SetCount(columns * (ny + 1));
  TGLVector* vertex = grid.Vertices.Items();
  TGLTexCoord* coord = grid.TexCoords[0].Items();
  const float stepX = width / float(nx), stepZ = depth / float(ny);
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i) {
      *vertex++ = {x0 + float(i) * stepX, y, z0 + float(j) * stepZ};
      *coord++ = {float(i) * uRange / float(nx), (1.0f - float(j) / float(ny)) * vRange};
    }

  grid.Indices.SetCount(6 * nx * ny);
  uint16_t* index = grid.Indices.Items();
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      const int a = columns * j + i, b = a + columns;
      for (int corner : {a, b, b + 1, a, b + 1, a + 1}) *index++ = static_cast<uint16_t>(corner);
    }
}

namespace {

double Clamped(double value) {
  if (value > 1) return 1;
  if (value < 0.001) return 0;  // NaN ends here too
  return value;
}

uint8_t ToByte(double value) { return static_cast<uint8_t>(std::lround(Clamped(value) * 255.0)); }

}  // namespace

void ShadeByDepth(const TGLColor& nearColor, const TGLColor& farColor, float zNear, float zFar, TGLPrimitive& layer) {
  const int n = layer.Vertices.Count();
  if (layer.Colors.Count() != n) return;
  // In double: fog distances far apart in float must not overflow here.
  const double zn = zNear, zf = zFar, range = zf - zn;
  if (!(std::fabs(range) >= 0.01)) return;
  const double nearRGBA[4] = {nearColor.r, nearColor.g, nearColor.b, nearColor.a};
  const double farRGBA[4] = {farColor.r, farColor.g, farColor.b, farColor.a};
  const TGLVector* vertex = layer.Vertices.Items();
  TGLColorBytes* colour = layer.Colors.Items();
  for (int k = 0; k < n; ++k) {
    const double z = vertex[k].z;
    double t;
    if (zn < zf)
      t = z < zn ? 0 : (z >= zf ? 1 : std::fabs((z - zn) / range));
    else
      t = z > zn ? 0 : (z <= zf ? 1 : std::fabs((z - zn) / range));
    double c[4];
    for (int i = 0; i < 4; ++i) c[i] = nearRGBA[i] + (farRGBA[i] - nearRGBA[i]) * t;
    colour[k] = {ToByte(c[0]), ToByte(c[1]), ToByte(c[2]), ToByte(c[3])};
  }
}

namespace {

bool UsableSlopes(const TViewSlopes& s) {
  for (double v : {s.Left, s.Right, s.Bottom, s.Top})
    if (!std::isfinite(v)) return false;
  return s.Right > s.Left && s.Top > s.Bottom;
}

TViewSlopes SlopesOf(const TFrustum& f) {
  return {f.Left / f.Near, f.Right / f.Near, f.Bottom / f.Near, f.Top / f.Near};
}

// The slopes, or slopes that UsableSlopes refuses.
TViewSlopes TrySlopes(TDefViewport& viewport) {
  const TFrustum frustum = viewport.GetFrustum();
  if (frustum.Near > 0) return SlopesOf(frustum);
  // The same view measured one unit in front of the eye.
  TDefViewport unit(viewport.Application());
  unit.Assign(viewport);
  unit.NearDepth = 1;
  return SlopesOf(unit.GetFrustum());
}

}  // namespace

bool TryViewSlopes(TDefViewport& viewport, TViewSlopes& slopes) {
  const TViewSlopes tried = TrySlopes(viewport);
  if (!UsableSlopes(tried)) return false;
  slopes = tried;
  return true;
}

TViewSlopes ViewSlopes(TDefViewport& viewport) {
  const TViewSlopes slopes = TrySlopes(viewport);
  if (!UsableSlopes(slopes))
    RaiseMessage(Format("ViewSlopes error: The viewport gives no view (field of view %g, near depth %g)", viewport.FOV,
                        viewport.NearDepth));
  return slopes;
}

double ViewAspect(TDefViewport& viewport) {
  const TViewSlopes slopes = TrySlopes(viewport);
  if (!UsableSlopes(slopes) || !(slopes.Top > 0)) return 4.0 / 3.0;
  return slopes.Right / slopes.Top;
}

}  // namespace velmora
