// The swimming frames of a fish mesh: ten vertex frames made by bending
// the mesh as it was loaded, which the mesh's own animation then plays
// (five frames a second, so one stroke takes two seconds).
//
// Lifecycle: a fish list draws for the first time -> MakeSwimFrames:
// nothing when the mesh has frames of its own; otherwise every group's
// two-sided faces folded to one side drawn without culling
// (TMeshGroup::FoldTwinFaces), then ten frames (and normal frames)
// appended to every group, each bent by BuildSwimFrame ->
// the mesh blends them every frame -> a new source for the mesh frees the
// groups, and the next drawing makes the frames again.
//
// The fish lies along x (its tail toward minX), its flanks face +z and -z,
// and the body swings in z. BuildSwimFrame(f, p1, p2) reads the bounding
// box of all groups (extents dx, dy, dz) and bends frame f twice:
//   opaque groups       A = dx p2 / 10 (tail amplitude), B = dx p1 (half
//                       wavelength), X1 = minX + 0.7 dx, X2 = minX +
//                       0.1 dx, Y2 = minY, Z1 = maxZ
//   transparent groups  the same, but Y2 = min(minY + 0.23 dy, lowest y of
//                       the opaque groups) and Z1 = max(maxZ - 0.39 dz,
//                       highest z of the opaque groups): the fins that
//                       stand below or beside the body flap
// BendFrame, for frame f of each group (t = f / the group's frame count,
// phase = 2 pi t, k = pi / B; fin angle w swinging between 0.3 pi and
// 0.4 pi with t), for every vertex as loaded:
//   1. side fins (z beyond +-Z1) swept back by w
//   2. lower fins (y below Y2) swept back by pi/3 + w
//   3. tail, fins: a ripple of A/16 in z along y
//   4. amplitude a: A up to X2, falling to A/8 at X1, then growing toward
//      the head by (x - X1) x 10 / X1
//   5. z += sin((x - minX) k + phase) a
// and the frame's normals are recomputed from its vertices.
//
// Kept finite: a mesh without x extent (dx 0) keeps its shape in every
// frame, since there is no wave to lay along it; where X1 lies within 1% of
// dx of 0 the head term divides by 0.7 dx (X1 - minX, as for a mesh that
// starts at x = 0) instead of by X1; a vertex whose bent position is not
// finite keeps its place, and a normal that is not finite becomes 0.
#pragma once

#include "scene/MeshGroup.h"

namespace velmora {

class TSceneMesh;

// The frame count and rate MakeSwimFrames gives a mesh.
constexpr int kSwimFrames = 10;
constexpr float kSwimFPS = 5;

// The bending of one group list (see above).
struct TBendParams {
  double A = 0;     // tail amplitude
  double B = 0;     // half wavelength; 0 or less: no bending
  double X1 = 0;    // end of the falling amplitude (toward the head)
  double X2 = 0;    // end of the tail
  double Y2 = 0;    // lower fins below
  double Z1 = 0;    // side fins beyond +-Z1
  double MinX = 0;  // the wave's origin
};

// Frame frame of every group of groups := the bent vertices of the group's
// primitive, then its normal frame (when there is one) := the normals of
// that frame. Groups without such a frame are skipped.
void BendFrame(TMeshGroupList& groups, int frame, const TBendParams& params);
// Both bends of frame f of mesh (see above).
void BuildSwimFrame(TSceneMesh& mesh, int frame, float p1 = 0.5f, float p2 = 0.8f);
// Loads the mesh; when it has no frames: FPS kSwimFPS, Looping, kSwimFrames
// frames with normals in every group, each built by BuildSwimFrame.
// Returns whether it made them.
bool MakeSwimFrames(TSceneMesh& mesh);

}  // namespace velmora
