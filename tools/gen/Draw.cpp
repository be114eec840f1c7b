#include "tools/gen/Draw.h"

#include <algorithm>
#include <cmath>

namespace velmora::gen {

namespace {

double Dot(TVec2 a, TVec2 b) { return a.X * b.X + a.Y * b.Y; }

TVec2 CatmullRom(TVec2 p0, TVec2 p1, TVec2 p2, TVec2 p3, double t) {
  double t2 = t * t, t3 = t2 * t;
  return (p1 * 2.0 + (p2 - p0) * t + (p0 * 2.0 - p1 * 5.0 + p2 * 4.0 - p3) * t2 + (p1 * 3.0 - p0 - p2 * 3.0 + p3) * t3) *
         0.5;
}

// Raises coverage over the box [x0, x1) x [y0, y1) from a distance function.
template <class F>
void Raise(TImage& coverage, double x0, double y0, double x1, double y1, double feather, F distance) {
  int ix0 = std::max(0, static_cast<int>(std::floor(x0 - feather - 1)));
  int iy0 = std::max(0, static_cast<int>(std::floor(y0 - feather - 1)));
  int ix1 = std::min(coverage.Width(), static_cast<int>(std::ceil(x1 + feather + 1)));
  int iy1 = std::min(coverage.Height(), static_cast<int>(std::ceil(y1 + feather + 1)));
  for (int y = iy0; y < iy1; ++y)
    for (int x = ix0; x < ix1; ++x) {
      double d = distance(TVec2{x + 0.5, y + 0.5});
      float a = Clamp01(static_cast<float>(0.5 - d / feather));
      if (a > coverage.At(x, y)) coverage.At(x, y) = a;
    }
}

}  // namespace

double PolygonDistance(const TPolygon& polygon, TVec2 p) {
  const std::size_t n = polygon.size();
  if (n < 3) return 1e9;
  double d = Dot(p - polygon[0], p - polygon[0]);
  double s = 1;
  for (std::size_t i = 0, j = n - 1; i < n; j = i, ++i) {
    TVec2 e = polygon[j] - polygon[i];
    TVec2 w = p - polygon[i];
    double ee = Dot(e, e);
    double t = ee > 0 ? std::clamp(Dot(w, e) / ee, 0.0, 1.0) : 0.0;
    TVec2 b = w - e * t;
    d = std::min(d, Dot(b, b));
    bool c1 = p.Y >= polygon[i].Y, c2 = p.Y < polygon[j].Y, c3 = e.X * w.Y > e.Y * w.X;
    if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
  }
  return s * std::sqrt(d);
}

TPolygon SmoothClosed(const TPolygon& points, int samplesPerSegment) {
  TPolygon out;
  const std::size_t n = points.size();
  for (std::size_t i = 0; i < n; ++i) {
    TVec2 p0 = points[(i + n - 1) % n], p1 = points[i], p2 = points[(i + 1) % n], p3 = points[(i + 2) % n];
    for (int k = 0; k < samplesPerSegment; ++k) out.push_back(CatmullRom(p0, p1, p2, p3, k / double(samplesPerSegment)));
  }
  return out;
}

TPolygon SmoothOpen(const TPolygon& points, int samplesPerSegment) {
  TPolygon out;
  const std::size_t n = points.size();
  if (n < 2) return points;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    TVec2 p0 = points[i == 0 ? 0 : i - 1], p1 = points[i], p2 = points[i + 1], p3 = points[std::min(i + 2, n - 1)];
    for (int k = 0; k < samplesPerSegment; ++k) out.push_back(CatmullRom(p0, p1, p2, p3, k / double(samplesPerSegment)));
  }
  out.push_back(points.back());
  return out;
}

void FillPolygon(TImage& coverage, const TPolygon& polygon, double feather) {
  if (polygon.size() < 3) return;
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
  for (TVec2 p : polygon) {
    x0 = std::min(x0, p.X), y0 = std::min(y0, p.Y), x1 = std::max(x1, p.X), y1 = std::max(y1, p.Y);
  }
  Raise(coverage, x0, y0, x1, y1, feather, [&](TVec2 p) { return PolygonDistance(polygon, p); });
}

void FillCircle(TImage& coverage, TVec2 centre, double radius, double feather) {
  Raise(coverage, centre.X - radius, centre.Y - radius, centre.X + radius, centre.Y + radius, feather,
        [&](TVec2 p) { return std::hypot(p.X - centre.X, p.Y - centre.Y) - radius; });
}

void FillEllipse(TImage& coverage, TVec2 centre, double rx, double ry, double feather) {
  // Distance approximated by the first-order estimate |f| / |grad f|.
  Raise(coverage, centre.X - rx, centre.Y - ry, centre.X + rx, centre.Y + ry, feather, [&](TVec2 p) {
    double dx = (p.X - centre.X) / rx, dy = (p.Y - centre.Y) / ry;
    double f = std::sqrt(dx * dx + dy * dy);
    if (f < 1e-9) return -std::min(rx, ry);
    double gx = dx / (f * rx), gy = dy / (f * ry);
    return (f - 1) / std::max(1e-9, std::hypot(gx, gy));
  });
}

void FillCapsule(TImage& coverage, TVec2 a, TVec2 b, double ra, double rb, double feather) {
  double r = std::max(ra, rb);
  Raise(coverage, std::min(a.X, b.X) - r, std::min(a.Y, b.Y) - r, std::max(a.X, b.X) + r, std::max(a.Y, b.Y) + r,
        feather, [&](TVec2 p) {
          TVec2 e = b - a, w = p - a;
          double ee = Dot(e, e);
          double t = ee > 0 ? std::clamp(Dot(w, e) / ee, 0.0, 1.0) : 0.0;
          TVec2 q = w - e * t;
          return std::sqrt(Dot(q, q)) - (ra + (rb - ra) * t);
        });
}

void StrokePolyline(TImage& coverage, const TPolygon& points, double r0, double r1, double feather) {
  if (points.size() < 2) return;
  double total = 0;
  for (std::size_t i = 1; i < points.size(); ++i) total += std::hypot(points[i].X - points[i - 1].X, points[i].Y - points[i - 1].Y);
  double walked = 0;
  for (std::size_t i = 1; i < points.size(); ++i) {
    double len = std::hypot(points[i].X - points[i - 1].X, points[i].Y - points[i - 1].Y);
    double ta = total > 0 ? walked / total : 0, tb = total > 0 ? (walked + len) / total : 1;
    FillCapsule(coverage, points[i - 1], points[i], r0 + (r1 - r0) * ta, r0 + (r1 - r0) * tb, feather);
    walked += len;
  }
}

}  // namespace velmora::gen
