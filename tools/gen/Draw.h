// Anti-aliased shapes painted into coverage pictures.
//
// Shapes are given in pixel coordinates of the target (x to the right, y
// down, pixel centres at i + 0.5). Each Fill* raises the coverage of the
// one-channel picture to the shape's coverage where that is larger, with an
// edge one `feather` wide (in pixels), from the shape's signed distance.
//
//   TImage mask(256, 128, 1);
//   FillPolygon(mask, SmoothClosed(outline, 8));
//   picture.Blend(mask, Bytes3(255, 140, 20));
#pragma once

#include <vector>

#include "tools/gen/Image.h"

namespace velmora::gen {

struct TVec2 {
  double X = 0, Y = 0;
};
inline TVec2 operator+(TVec2 a, TVec2 b) { return {a.X + b.X, a.Y + b.Y}; }
inline TVec2 operator-(TVec2 a, TVec2 b) { return {a.X - b.X, a.Y - b.Y}; }
inline TVec2 operator*(TVec2 a, double s) { return {a.X * s, a.Y * s}; }

using TPolygon = std::vector<TVec2>;

// Signed distance from p to the polygon's outline, negative inside.
double PolygonDistance(const TPolygon& polygon, TVec2 p);
// Closed and open Catmull-Rom curves through the control points.
TPolygon SmoothClosed(const TPolygon& points, int samplesPerSegment);
TPolygon SmoothOpen(const TPolygon& points, int samplesPerSegment);

void FillPolygon(TImage& coverage, const TPolygon& polygon, double feather = 1.0);
void FillCircle(TImage& coverage, TVec2 centre, double radius, double feather = 1.0);
void FillEllipse(TImage& coverage, TVec2 centre, double rx, double ry, double feather = 1.0);
// A segment with round ends whose radius changes from ra at a to rb at b.
void FillCapsule(TImage& coverage, TVec2 a, TVec2 b, double ra, double rb, double feather = 1.0);
// A polyline of capsules with the radius falling linearly from r0 to r1.
void StrokePolyline(TImage& coverage, const TPolygon& points, double r0, double r1, double feather = 1.0);

}  // namespace velmora::gen
