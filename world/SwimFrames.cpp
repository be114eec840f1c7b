#include "world/SwimFrames.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gl/Primitive.h"
#include "scene/SceneMesh.h"

namespace velmora {

namespace {

constexpr double kPi = std::numbers::pi;

// The fin's ease: 2 s^2 up to the middle, 1 - 2 (1 - s)^2 after.
double Ease(double s) { return s < 0.5 ? 2 * s * s : 1 - 2 * (1 - s) * (1 - s); }

// The fin angle at t: from 0.3 pi at the ends of the stroke to 0.4 pi in
// its middle.
double FinAngle(double t) {
  const double s = t < 0.5 ? 2 * t : 2 * (1 - t);
  return (Ease(s) + 3) * kPi / 10;
}

bool Finite(double x, double y, double z) { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

// The normals of frame's vertices over primitive's triangles, as the
// primitive computes its own.
void FrameNormals(const TGLPrimitive& primitive, const TGLVectorDArray& frame, TGLVectorDArray& normals) {
  TGLPrimitive shape(nullptr);
  shape.Mode = primitive.Mode;
  primitive.Indices.AssignTo(shape.Indices);
  frame.AssignTo(shape.Vertices);
  shape.CalcNormals();
  // Faces too large for floats give no direction.
  TGLVector* n = shape.Normals.Items();
  for (int i = 0; i < shape.Normals.Count(); ++i)
    if (!Finite(n[i].x, n[i].y, n[i].z)) n[i] = {0, 0, 0};
  shape.Normals.AssignTo(normals);
}

// The lowest y and the highest z of the groups' vertices; false when they
// have none.
bool LowestAndHighest(const TMeshGroupList& groups, double& lowY, double& highZ) {
  bool any = false;
  for (const auto& group : groups) {
    const TGLVectorDArray& vertices = group->Primitive->Vertices;
    for (int i = 0; i < vertices.Count(); ++i) {
      const TGLVector& v = vertices.Items()[i];
      lowY = any ? std::min(lowY, double(v.y)) : v.y;
      highZ = any ? std::max(highZ, double(v.z)) : v.z;
      any = true;
    }
  }
  return any;
}

}  // namespace

void BendFrame(TMeshGroupList& groups, int frame, const TBendParams& p) {
  const bool bend = p.B > 0 && std::isfinite(p.B);
  const double k = bend ? kPi / p.B : 0;
  const double slope = bend ? (p.A / 8 - p.A) / (p.X1 - p.X2) : 0;
  // The head term's divisor: X1 itself, or, where X1 is (nearly) 0, its
  // distance from the tail end, as for a mesh that starts at x = 0.
  const double length = (p.X1 - p.MinX) / 0.7;
  const double headScale = std::fabs(p.X1) >= 0.01 * length ? p.X1 : p.X1 - p.MinX;
  for (const auto& group : groups) {
    const int frames = group->VertexFrames.Count();
    if (frame < 0 || frame >= frames) continue;
    const TGLVectorDArray& base = group->Primitive->Vertices;
    TGLVectorDArray& out = *group->VertexFrames.Items(frame);
    out.SetCount(base.Count());
    const TGLVector* from = base.Items();
    TGLVector* to = out.Items();
    const double t = double(frame) / frames;
    const double phase = 2 * kPi * t;
    const double w = FinAngle(t);
    for (int i = 0; i < base.Count(); ++i) {
      double x = from[i].x, y = from[i].y, z = from[i].z;
      if (bend) {
        // 1. Side fins swept back.
        if (z > p.Z1) {
          const double d = z - p.Z1;
          x -= std::sin(w) * d;
          z = p.Z1 + std::cos(w) * d;
        } else if (z < -p.Z1) {
          const double d = -z - p.Z1;
          x -= std::sin(w) * d;
          z = -p.Z1 - std::cos(w) * d;
        }
        // 2. Lower fin swept back.
        if (y < p.Y2) {
          const double d = p.Y2 - y;
          x -= std::sin(kPi / 3 + w) * d;
          y = p.Y2 + std::cos(kPi / 3 + w) * d;
        }
        // 3. Tail and fins ripple.
        if (x <= p.X2 || z < -p.Z1 || z > p.Z1 || y < p.Y2) z += std::sin(8 * k * y + phase) * p.A / 16;
        // 4. Amplitude along the body.
        double a;
        if (x <= p.X2)
          a = p.A;
        else if (x >= p.X1)
          a = (x - p.X1) * 10 / headScale + p.A / 8;
        else
          a = p.A + (x - p.X2) * slope;
        // 5. The body wave.
        z += std::sin((x - p.MinX) * k + phase) * a;
      }
      const TGLVector bent{float(x), float(y), float(z)};
      to[i] = Finite(bent.x, bent.y, bent.z) ? bent : from[i];
    }
    if (frame < group->NormalFrames.Count()) FrameNormals(*group->Primitive, out, *group->NormalFrames.Items(frame));
  }
}

void BuildSwimFrame(TSceneMesh& mesh, int frame, float p1, float p2) {
  TGLBox box;
  mesh.GetBounds(box);
  const double dx = double(box.max.x) - box.min.x, dy = double(box.max.y) - box.min.y,
               dz = double(box.max.z) - box.min.z;
  TBendParams p;
  p.A = dx * p2 / 10;
  p.B = dx * p1;
  p.X1 = box.min.x + 0.7 * dx;
  p.X2 = box.min.x + 0.1 * dx;
  p.Y2 = box.min.y;
  p.Z1 = box.max.z;
  p.MinX = box.min.x;
  BendFrame(mesh.OpaqueGroups, frame, p);
  // The fins of the transparent groups below and beside the body flap.
  p.Y2 = box.min.y + 0.23 * dy;
  p.Z1 = box.max.z - 0.39 * dz;
  double lowY = 0, highZ = 0;
  if (LowestAndHighest(mesh.OpaqueGroups, lowY, highZ)) {
    p.Y2 = std::min(p.Y2, lowY);
    p.Z1 = std::max(p.Z1, highZ);
  }
  BendFrame(mesh.TransparentGroups, frame, p);
}

bool MakeSwimFrames(TSceneMesh& mesh) {
  mesh.LoadMesh();
  if (mesh.FrameCount() > 0 || mesh.GroupCount() == 0) return false;
  // Fins come as sheets of two-sided faces: drawn once with culling off,
  // and their normals, made below, are those of one side.
  for (TMeshGroupList* groups : {&mesh.OpaqueGroups, &mesh.TransparentGroups})
    for (const auto& group : *groups) group->FoldTwinFaces();
  mesh.FPS = kSwimFPS;
  mesh.Looping = true;
  mesh.AddFrames(kSwimFrames, true);
  for (int f = 0; f < kSwimFrames; ++f) BuildSwimFrame(mesh, f);
  return true;
}

}  // namespace velmora
