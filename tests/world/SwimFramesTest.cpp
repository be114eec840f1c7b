// The generated swimming frames: BendFrame at chosen vertices of a small
// known mesh (body wave, tail ripple, head term, side and lower fins of the
// transparent groups), normals recomputed per frame, meshes that bring
// frames of their own, and the meshes whose numbers would divide by zero.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "tests/world/FishTestSupport.h"
#include "world/SwimFrames.h"

namespace worldtest {
namespace {

constexpr double kPi = std::numbers::pi;

// A body 100 long (x -50 .. 50, head at +x), 40 high and 20 thick, with a
// pair of side fins out to z +-30 and a lower fin down to y -40 in the
// transparent group. Bounds: dx 100, dy 60, dz 60, so A = 8, B = 50,
// X1 = 20, X2 = -40; the opaque pass has Y2 = -40, Z1 = 30 (nothing is a
// fin), the transparent one Y2 = min(-40 + 0.23 x 60, -20) = -26.2 and
// Z1 = max(30 - 0.39 x 60, 10) = 10.
MeshInCode Fish() {
  return MeshInCode({{-50, 0, 0}, {-25, 0, 5}, {50, 0, 0}, {0, 20, 0}, {0, -20, 0}, {0, 0, 10}, {0, 0, -10}},
                    {0, 1, 3, 1, 2, 3, 0, 4, 1, 1, 4, 2, 5, 6, 3},
                    {{0, 0, 30}, {0, 0, -30}, {-10, -40, 0}, {10, -40, 0}}, {2, 3, 0, 3, 2, 1});
}

TGLVector At(TMeshGroup& group, int frame, int vertex) {
  return group.VertexFrames.Items(frame)->Items()[vertex];
}

void ExpectNear(const TGLVector& v, double x, double y, double z, const char* what) {
  EXPECT_NEAR(v.x, x, 1e-3) << what;
  EXPECT_NEAR(v.y, y, 1e-3) << what;
  EXPECT_NEAR(v.z, z, 1e-3) << what;
}

TEST(SwimFrames, TheBodyWavesInZFromTailToHead) {
  MeshInCode fish = Fish();
  ASSERT_TRUE(MakeSwimFrames(fish.mesh));
  TMeshGroup& body = fish.Body();
  ASSERT_EQ(body.VertexFrames.Count(), 10);
  ASSERT_EQ(body.NormalFrames.Count(), 10);
  // Between tail and head: a = A + (x - X2) x slope = 8 - 15 x 7/60 = 6.25,
  // at a quarter wave (x - minX = 25: sin = 1 at phase 0, -1 half a stroke
  // later).
  ExpectNear(At(body, 0, 1), -25, 0, 5 + 6.25, "frame 0, x -25");
  ExpectNear(At(body, 5, 1), -25, 0, 5 - 6.25, "frame 5, x -25");
  // The tail tip: amplitude A and the ripple A/16 at y 0, both sin(phase):
  // nothing at frame 0, 8.5 x sin(0.4 pi) at frame 2.
  ExpectNear(At(body, 0, 0), -50, 0, 0, "frame 0, tail");
  ExpectNear(At(body, 2, 0), -50, 0, 8.5 * std::sin(0.4 * kPi), "frame 2, tail");
  // The head: (x - X1) x 10 / X1 + A/8 = 16, a whole wave from the tail.
  ExpectNear(At(body, 0, 2), 50, 0, 0, "frame 0, head");
  ExpectNear(At(body, 2, 2), 50, 0, 16 * std::sin(0.4 * kPi), "frame 2, head");
  // Heights and lengths of the body stay; the mesh as loaded is untouched.
  for (int f = 0; f < 10; ++f)
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(At(body, f, i).x, body.Primitive->Vertices.Items()[i].x) << f << " " << i;
      EXPECT_EQ(At(body, f, i).y, body.Primitive->Vertices.Items()[i].y) << f << " " << i;
    }
  EXPECT_EQ(body.Primitive->Vertices.Items()[1].z, 5);
  EXPECT_EQ(fish.mesh.FPS, 5);
  EXPECT_TRUE(fish.mesh.Looping);
  EXPECT_EQ(fish.mesh.FrameCount(), 10);
}

TEST(SwimFrames, FinsBesideAndBelowTheBodyAreSweptBackAndFlap) {
  MeshInCode fish = Fish();
  ASSERT_TRUE(MakeSwimFrames(fish.mesh));
  TMeshGroup& fins = fish.Fins();
  ASSERT_EQ(fins.VertexFrames.Count(), 10);
  // Side fin (0, 0, 30), 20 beyond Z1 = 10, at the fin angle 0.3 pi of
  // frame 0: x = -sin(0.3 pi) 20, z = 10 + cos(0.3 pi) 20, then the body
  // wave for that x. The other side mirrors the sweep, not the wave.
  const TGLVector right = At(fins, 0, 0), left = At(fins, 0, 1);
  EXPECT_NEAR(right.x, -16.1803, 1e-3);
  EXPECT_NEAR(left.x, -16.1803, 1e-3);
  EXPECT_NEAR(right.z, 26.1954, 1e-3);
  EXPECT_NEAR(left.z, -17.3160, 1e-3);
  // Lower fin (-10, -40, 0), 13.8 below Y2: swept by pi/3 + 0.3 pi.
  ExpectNear(At(fins, 0, 2), -22.6069, -31.8130, 6.0430, "lower fin, frame 0");
  // Frame 3: t 0.3, the fin angle eased toward 0.4 pi.
  ExpectNear(At(fins, 3, 3), -1.13036, -34.3581, -3.52182, "lower fin, frame 3");
  // The fins move from frame to frame.
  EXPECT_NE(At(fins, 0, 0).x, At(fins, 5, 0).x);
}

TEST(SwimFrames, EachFramesNormalsFollowItsBentFaces) {
  MeshInCode fish = Fish();
  ASSERT_TRUE(MakeSwimFrames(fish.mesh));
  TMeshGroup& fins = fish.Fins();
  for (int f : {0, 3, 7}) {
    SCOPED_TRACE(f);
    // Vertex 0 belongs to the triangle 2, 3, 0 alone: its normal is that
    // face's, in the frame's positions.
    const TGLVector a = At(fins, f, 2), b = At(fins, f, 3), c = At(fins, f, 0);
    const TGLVector n = fins.NormalFrames.Items(f)->Items()[0];
    const TGLVector e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{c.x - a.x, c.y - a.y, c.z - a.z};
    EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1, 1e-5);
    EXPECT_NEAR(n.x * e1.x + n.y * e1.y + n.z * e1.z, 0, 1e-3);
    EXPECT_NEAR(n.x * e2.x + n.y * e2.y + n.z * e2.z, 0, 1e-3);
  }
  // Different frames, different normals.
  const TGLVector n0 = fins.NormalFrames.Items(0)->Items()[0], n5 = fins.NormalFrames.Items(5)->Items()[0];
  EXPECT_GT(std::fabs(n0.x - n5.x) + std::fabs(n0.y - n5.y) + std::fabs(n0.z - n5.z), 0.01);
  // The mesh then plays them: half way from frame 0 to frame 1 after a
  // tenth of a second at five frames a second.
  fish.mesh.Animate(0.1f);
  const TGLVector shown = fish.Body().Primitive->Vertices.Items()[1];
  EXPECT_NEAR(shown.z, (At(fish.Body(), 0, 1).z + At(fish.Body(), 1, 1).z) / 2, 1e-4);
}

TEST(SwimFrames, AMeshWithFramesOfItsOwnKeepsThem) {
  MeshInCode fish = Fish();
  fish.mesh.AddFrames(3, false);
  fish.Body().VertexFrames.Items(1)->Items()[0] = {1, 2, 3};
  EXPECT_FALSE(MakeSwimFrames(fish.mesh));
  EXPECT_EQ(fish.mesh.FrameCount(), 3);
  EXPECT_EQ(fish.Fins().VertexFrames.Count(), 3);
  EXPECT_EQ(fish.mesh.FPS, 6);
  EXPECT_FALSE(fish.mesh.Looping);
  EXPECT_EQ(At(fish.Body(), 1, 0).z, 3);
  // A mesh without groups gets nothing either.
  MeshInCode empty({}, {});
  EXPECT_FALSE(MakeSwimFrames(empty.mesh));
  EXPECT_EQ(empty.mesh.FrameCount(), 0);
}

TEST(SwimFrames, MeshesThatWouldDivideByZeroStayFinite) {
  // No extent in x: B = 0 and X1 = X2. The frames keep the shape.
  MeshInCode flat({{0, -10, 0}, {0, 10, 0}, {0, 0, 10}, {0, 0, -10}}, {0, 1, 2, 1, 0, 3});
  ASSERT_TRUE(MakeSwimFrames(flat.mesh));
  for (int f = 0; f < 10; ++f)
    for (int i = 0; i < 4; ++i) {
      const TGLVector v = At(flat.Body(), f, i), base = flat.Body().Primitive->Vertices.Items()[i];
      EXPECT_EQ(v.x, base.x);
      EXPECT_EQ(v.y, base.y);
      EXPECT_EQ(v.z, base.z);
      const TGLVector n = flat.Body().NormalFrames.Items(f)->Items()[i];
      EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
    }

  // X1 = minX + 0.7 dx = 0 (x from -70 to 30): the head term divides by
  // 0.7 dx = 70 instead: a = 30 x 10 / 70 + 1 at the head.
  MeshInCode shifted({{-70, 0, 0}, {30, 0, 0}, {0, 10, 0}, {0, -10, 0}, {0, 0, 10}, {0, 0, -10}},
                     {0, 1, 2, 1, 0, 3, 4, 5, 2});
  ASSERT_TRUE(MakeSwimFrames(shifted.mesh));
  EXPECT_NEAR(At(shifted.Body(), 2, 1).z, (300.0 / 70 + 1) * std::sin(0.4 * kPi), 1e-3);
  for (int f = 0; f < 10; ++f)
    for (int i = 0; i < 6; ++i) {
      const TGLVector v = At(shifted.Body(), f, i);
      EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << f << " " << i;
      EXPECT_LT(std::fabs(v.z), 20) << f << " " << i;
    }

  // A bend that overflows floats leaves the vertex where it was.
  MeshInCode huge({{-3e38f, 0, 0}, {3e38f, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  ASSERT_TRUE(MakeSwimFrames(huge.mesh));
  for (int f = 0; f < 10; ++f)
    for (int i = 0; i < 3; ++i) {
      const TGLVector v = At(huge.Body(), f, i), n = huge.Body().NormalFrames.Items(f)->Items()[i];
      EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << f << " " << i;
      EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) << f << " " << i;
    }
}

}  // namespace
}  // namespace worldtest
