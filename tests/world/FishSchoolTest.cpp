// The fish school's rules without drawing: depth slots and placement, the
// three depth bands, paths from the left edge of the view to its right
// edge, the swimming directions, plankton spawn and wander, counts that
// free slots, the numbers that must stay finite, and the keys. Random
// numbers are seeded, so every run sees the same fish.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "core/Random.h"
#include "scene/SceneClasses.h"
#include "tests/world/FishTestSupport.h"

namespace worldtest {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr double kPi = std::numbers::pi;

TFish* FishOf(TFishes* list, int i) { return static_cast<TFish*>(list->Particles(i)); }

bool Finite(const TGLVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

class FishSchool : public FishGLTest {
 protected:
  void SetUp() override {
    FishGLTest::SetUp();
    RandSeed(7);
  }

  // One list "A" of the shipped keys changed by changes, in the render
  // "Sea" changed by renderChanges.
  TFishes& LoadList(const Keys& changes = {}, const Keys& renderChanges = {}) {
    LoadSea({With(ShippedFishes("A"), changes)}, renderChanges);
    return *Find<TFishes>("Sea/A");
  }

  // The path of a fish just spawned, checked against the view: it starts
  // at the left edge and ends at the right edge (each pushed out by
  // HalfLength along the path), keeps its height and its speed range.
  // Returns theta in degrees.
  double ExpectPathAcrossTheView(const TFishes& list, const TFish& fish, double slopeRight, TGLVector camera) {
    const TGLVector v = fish.Velocity;
    const double speed = std::hypot(v.x, v.z);
    EXPECT_GE(speed, list.MinSpeed - 1e-3);
    EXPECT_LE(speed, list.MaxSpeed + 1e-3);
    EXPECT_EQ(v.y, 0);
    const bool right = v.x > 0;
    const double dx = std::fabs(v.x) / speed, dz = (right ? v.z : -v.z) / speed;  // d, whichever way it swims
    const double theta = std::atan2(dz, dx) * 180 / kPi;
    // Both ends of the pushed-out path.
    const TGLVector other{fish.Position.x + v.x * fish.LifeTime, fish.Position.y, fish.Position.z + v.z * fish.LifeTime};
    const TGLVector& start = right ? fish.Position : other;
    const TGLVector& end = right ? other : fish.Position;
    const double h = list.HalfLength;
    const double sx = start.x + dx * h, sz = start.z + dz * h, ex = end.x - dx * h, ez = end.z - dz * h;
    const double tolerance = 1e-3 * (std::fabs(sx) + std::fabs(ex) + 10);
    EXPECT_NEAR(sx, camera.x - std::fabs(sz - camera.z) * slopeRight, tolerance) << "left edge";
    EXPECT_NEAR(ex, camera.x + (camera.z - ez) * slopeRight, tolerance) << "right edge";
    EXPECT_NEAR(fish.TrackZ, start.z, 1e-2);
    // The yaw turns the head (+x) along the velocity.
    EXPECT_NEAR(fish.Angles.y, right ? -theta : 180 - theta, 1e-3);
    EXPECT_EQ(fish.Angles.x, 0);
    EXPECT_EQ(fish.Angles.z, 0);
    EXPECT_EQ(fish.AngularVelocity.y, 0);
    EXPECT_EQ(fish.Age, 0);
    return theta;
  }
};

TEST_F(FishSchool, SlotsCoverTenUnitsEachAndNeighboursWithin18KeepTheirHeightsApart) {
  TFishRender& sea = LoadSea({With(ShippedFishes("A"), {{"ParticleCount", "6"}})});
  ASSERT_EQ(sea.DepthBins.size(), 1001u);
  EXPECT_EQ(sea.BinRadius, 18);
  EXPECT_EQ(sea.BinOf(0), 0);
  EXPECT_EQ(sea.BinOf(-9.99f), 0);
  EXPECT_EQ(sea.BinOf(-10), 1);
  EXPECT_EQ(sea.BinOf(15), 1);  // the distance from NearZ
  EXPECT_EQ(sea.BinOf(-1000), 100);
  EXPECT_EQ(sea.BinOf(-10000), 1000);
  EXPECT_EQ(sea.BinOf(-25000), 1000);  // the last slot takes everything beyond

  TFishes* list = Find<TFishes>("Sea/A");
  auto place = [&](int i, float trackZ, float y) {
    TFish* fish = FishOf(list, i);
    fish->TrackZ = trackZ;
    fish->Position.y = y;
    return sea.PlaceFish(fish);
  };
  ASSERT_TRUE(place(0, -1000, 0));
  EXPECT_EQ(FishOf(list, 0)->BinIndex, 100);
  EXPECT_EQ(sea.DepthBins[100].Fish, FishOf(list, 0));
  EXPECT_EQ(sea.DepthBins[100].List, list);
  // A taken slot, whatever the height.
  EXPECT_FALSE(place(1, -1005, 5000));
  EXPECT_EQ(FishOf(list, 1)->BinIndex, -1);
  // 18 slots away: closer than 800 in height is refused, 800 is enough.
  EXPECT_FALSE(place(1, -1180, 799));
  EXPECT_FALSE(place(1, -820, -799));
  EXPECT_TRUE(place(1, -1180, -800));
  // 19 slots away the first fish is not looked at; the second, one slot
  // away, is 800 apart.
  EXPECT_TRUE(place(2, -1190, 0));
  EXPECT_EQ(sea.HeldSlots(), 3);
  // A fish placed again gives up its slot first.
  EXPECT_TRUE(place(0, -3000, 0));
  EXPECT_EQ(FishOf(list, 0)->BinIndex, 300);
  EXPECT_EQ(sea.DepthBins[100].Fish, nullptr);
  EXPECT_TRUE(place(3, -1000, 0));  // room again
  sea.ReleaseBin(FishOf(list, 3));
  EXPECT_EQ(FishOf(list, 3)->BinIndex, -1);
  EXPECT_EQ(sea.DepthBins[100].Fish, nullptr);
  EXPECT_EQ(sea.HeldSlots(), 3);

  // Other steps: 501 slots and round(17.5) div 2 + 1 = 10; 1429 and 26.
  EXPECT_EQ(LoadSea({}, {{"StepZ", "20"}}).DepthBins.size(), 501u);
  EXPECT_EQ(Find<TFishRender>("Sea")->BinRadius, 10);
  EXPECT_EQ(LoadSea({}, {{"StepZ", "7"}}).DepthBins.size(), 1429u);
  EXPECT_EQ(Find<TFishRender>("Sea")->BinRadius, 26);
}

TEST_F(FishSchool, StepZOfZeroOrBelowOrTooFineStopsTheLoad) {
  EXPECT_THAT(Message([&] { LoadSea({}, {{"StepZ", "0"}}); }),
              StartsWith("TFishRender.Init error: StepZ=0! (file "));
  EXPECT_THAT(Message([&] { LoadSea({}, {{"StepZ", "-5"}}); }),
              StartsWith("TFishRender.Init error: StepZ=-5 is below 0! (file "));
  EXPECT_THAT(Message([&] { LoadSea({}, {{"StepZ", "0.001"}}); }),
              StartsWith("TFishRender.Init error: StepZ=0.001 makes 10000000 depth slots, more than 1048576"));
  // Made in code: the same checks, and the slots stay as they were.
  TFishRender render;
  render.StepZ = 0;
  EXPECT_EQ(Message([&] { render.InitBins(); }), "TFishRender.Init error: StepZ=0!");
  EXPECT_EQ(render.DepthBins.size(), 1001u);
}

TEST_F(FishSchool, ThreeBandsByDepthAndTheNearOneSlopesAway) {
  TFishes& list = LoadList({{"ParticleCount", "1"}}, {{"FishDirection", "Right"}});
  TFishRender& sea = *Find<TFishRender>("Sea");
  TFish* fish = FishOf(&list, 0);
  int near = 0, middle = 0, far = 0;
  const int spawns = 3000;
  for (int i = 0; i < spawns; ++i) {
    list.InitParticle(fish);
    ASSERT_GE(fish->BinIndex, 0);
    const double theta = -fish->Angles.y * kPi / 180;
    const double z = fish->TrackZ + std::sin(theta) * list.HalfLength;  // before the push
    const float y = fish->Position.y;
    if (fish->Angles.y == 15) {
      ++near;
      EXPECT_GE(z, -2400 - 1e-2);
      EXPECT_LE(z, -1200 + 1e-2);
      EXPECT_GE(y, -2600);
      EXPECT_LE(y, 2400);
    } else {
      ASSERT_EQ(fish->Angles.y, 0);
      if (z >= -4200 - (6000 - 4200 - 350) - 1e-2) {
        ++middle;
        EXPECT_LE(z, -4200 + 1e-2);
        EXPECT_GE(y, -2600);
      } else {
        ++far;
        EXPECT_GE(z, -(350 + 8000) - 1e-2);
        EXPECT_LE(z, -(350 + 6000) + 1e-2);
        EXPECT_GE(y, -100);  // the upper half of -2600 .. 2400
      }
      EXPECT_LE(y, 2400);
    }
  }
  // k = random x 60, rounded: below 20 near (19.5 / 60), below 50 middle
  // (30 / 60), the rest far (10.5 / 60).
  EXPECT_NEAR(near / double(spawns), 19.5 / 60, 0.04);
  EXPECT_NEAR(middle / double(spawns), 30.0 / 60, 0.04);
  EXPECT_NEAR(far / double(spawns), 10.5 / 60, 0.04);

  // FarBandStart beyond MaxZ: every fish in the near band at -15 degrees.
  sea.FarBandStart = 9000;
  for (int i = 0; i < 200; ++i) {
    list.InitParticle(fish);
    ASSERT_EQ(fish->Angles.y, 15);
    EXPECT_LT(fish->Velocity.z, 0);  // away from the viewer
  }
  // MaxZ = MinZ: straight across at that depth.
  list.MaxZ = list.MinZ = 3000;
  for (int i = 0; i < 50; ++i) {
    list.InitParticle(fish);
    EXPECT_EQ(fish->Angles.y, 0);
    EXPECT_EQ(fish->TrackZ, -3000);
    EXPECT_EQ(fish->Position.z, -3000);
  }
}

TEST_F(FishSchool, PathsRunFromTheLeftEdgeOfTheViewToItsRightEdge) {
  TFishes& list = LoadList({{"ParticleCount", "1"}}, {{"FishDirection", "Right"}});
  TFish* fish = FishOf(&list, 0);
  list.InitParticle(fish);
  // No mesh: the fish is 0 long and its path pushed out by the margin.
  EXPECT_EQ(list.HalfLength, 100);
  EXPECT_FALSE(list.MeshDirty);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    if (round == 1) App().Viewport().Camera().Position = TOpenGLVector(300, -200, 500);
    if (round == 2) App().Viewport().WideScreen = true;
    const TViewSlopes view = Slopes();
    int sloped = 0;
    for (int i = 0; i < 200; ++i) {
      list.InitParticle(fish);
      const double theta = ExpectPathAcrossTheView(list, *fish, view.Right, Camera());
      EXPECT_TRUE(std::fabs(theta) < 1e-3 || std::fabs(theta + 15) < 1e-3) << theta;
      sloped += theta < -1;
      // The height stays within the view at the start's depth.
      const double depth = std::fabs(fish->TrackZ - Camera().z);
      EXPECT_LE(std::fabs(fish->Position.y), depth * view.Top + std::fabs(Camera().y) + 30);
    }
    EXPECT_GT(sloped, 20);
  }
}

TEST_F(FishSchool, LeftFishStartAtTheRightEndTurnedRoundAndBothPicksEitherWay) {
  TFishes& list = LoadList({{"ParticleCount", "1"}}, {{"FishDirection", "Left"}});
  TFish* fish = FishOf(&list, 0);
  const TViewSlopes view = Slopes();
  for (int i = 0; i < 200; ++i) {
    list.InitParticle(fish);
    EXPECT_LT(fish->Velocity.x, 0);
    const double theta = ExpectPathAcrossTheView(list, *fish, view.Right, Camera());
    EXPECT_TRUE(fish->Angles.y == 180 || fish->Angles.y == 195) << fish->Angles.y;
    EXPECT_NEAR(fish->Angles.y, 180 - theta, 1e-3);
    // The path still starts (at its left end) at TrackZ.
    EXPECT_NEAR(fish->TrackZ, fish->Position.z + fish->Velocity.z * fish->LifeTime, 1e-2);
  }
  Find<TFishRender>("Sea")->FishDirection = fdBoth;
  int rightward = 0;
  for (int i = 0; i < 400; ++i) {
    list.InitParticle(fish);
    ExpectPathAcrossTheView(list, *fish, view.Right, Camera());
    rightward += fish->Velocity.x > 0;
  }
  EXPECT_GT(rightward, 160);
  EXPECT_LT(rightward, 240);
}

TEST_F(FishSchool, AFishWithoutRoomWaitsParkedAndTriesAgainEachFrame) {
  TFishes& list = LoadList({{"ParticleCount", "3"}});
  TFishRender& sea = *Find<TFishRender>("Sea");
  sea.YGap = 1e9f;  // nobody may share the neighbourhood
  sea.BinRadius = 2000;
  for (int i = 0; i < 3; ++i) list.InitParticle(FishOf(&list, i));
  EXPECT_EQ(sea.HeldSlots(), 1);
  ASSERT_GE(FishOf(&list, 0)->BinIndex, 0);
  for (int i = 1; i < 3; ++i) {
    const TFish* parked = FishOf(&list, i);
    EXPECT_EQ(parked->BinIndex, -1);
    EXPECT_EQ(parked->Position.x, -5000);
    EXPECT_EQ(parked->Position.y, 0);
    EXPECT_EQ(parked->Position.z, 5000);
    EXPECT_EQ(parked->Age, 1);
    EXPECT_EQ(parked->LifeTime, 0);
    EXPECT_EQ(parked->Velocity.x, 0);
  }
  // Frames: the parked fish stay put behind the viewer.
  for (int frame = 0; frame < 20; ++frame) sea.Animate(0.05f);
  EXPECT_EQ(FishOf(&list, 2)->Position.z, 5000);
  EXPECT_EQ(sea.HeldSlots(), 1);
  // With room again they find slots within a few frames.
  sea.YGap = 800;
  sea.BinRadius = 18;
  int frames = 0;
  while (sea.HeldSlots() < 3 && frames < 100) {
    sea.Animate(0.05f);
    ++frames;
  }
  EXPECT_EQ(sea.HeldSlots(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_LT(FishOf(&list, i)->Position.z, 0);
}

TEST_F(FishSchool, FewerFishGiveUpTheirSlotsAndCountsStopAtMaxCount) {
  LoadSea({With(ShippedFishes("A"), {{"ParticleCount", "20"}}), With(ShippedFishes("B"), {{"ParticleCount", "20"}})});
  TFishRender& sea = *Find<TFishRender>("Sea");
  TFishes* a = Find<TFishes>("Sea/A");
  TFishes* b = Find<TFishes>("Sea/B");
  sea.Animate(0.1f);
  auto held = [&](const TFishes* list) {
    int n = 0;
    for (const auto& slot : sea.DepthBins) n += slot.List == list;
    return n;
  };
  auto placed = [](TFishes* list) {
    int n = 0;
    for (int i = 0; i < list->ParticleCount(); ++i) n += list->Particles(i)->BinIndex >= 0;
    return n;
  };
  EXPECT_GT(held(a), 10);
  EXPECT_EQ(held(a), placed(a));
  EXPECT_EQ(held(b), placed(b));
  a->SetParticleCount(5);
  EXPECT_EQ(a->ParticleCount(), 5);
  EXPECT_EQ(held(a), placed(a));
  for (const auto& slot : sea.DepthBins)
    if (slot.List == a) {
      EXPECT_GE(slot.Fish->BinIndex, 0);
    }
  a->SetParticleCount(100);
  EXPECT_EQ(a->ParticleCount(), 60);  // MaxCount
  // A list that goes on its own takes its fish out of the slots.
  const int others = held(b);
  delete a;
  EXPECT_EQ(sea.HeldSlots(), others);
  EXPECT_EQ(sea.Count(), 1);
  sea.Animate(0.1f);
  // Cleared with the render's lists, the slots empty.
  sea.Clear();
  EXPECT_EQ(sea.HeldSlots(), 0);
  // New slots for a new step: every fish lets go.
  LoadSea({With(ShippedFishes("A"), {{"ParticleCount", "10"}})});
  Find<TFishRender>("Sea")->Animate(0.1f);
  ASSERT_GT(Find<TFishRender>("Sea")->HeldSlots(), 0);
  Find<TFishRender>("Sea")->InitBins();
  EXPECT_EQ(Find<TFishRender>("Sea")->HeldSlots(), 0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Find<TFishes>("Sea/A")->Particles(i)->BinIndex, -1);
}

TEST_F(FishSchool, PlanktonCrossesTheViewSidewaysAndWandersUpAndDown) {
  TFishes& list = LoadList({{"FishType", "Plankton"}, {"MaxZ", "3000"}, {"MinZ", "600"}, {"UpY", "3000"},
                            {"BottomY", "-2800"}, {"MaxSpeed", "45"}, {"MinSpeed", "15"}, {"ParticleCount", "1"}});
  ASSERT_EQ(list.ParticleCount(), 1);
  auto* plankton = dynamic_cast<TPlankton*>(list.Particles(0));
  ASSERT_NE(plankton, nullptr);
  const TViewSlopes view = Slopes();
  const TGLVector c = Camera();
  int rightward = 0;
  for (int i = 0; i < 300; ++i) {
    list.InitParticle(plankton);
    const TGLVector p = plankton->Position;
    EXPECT_GE(p.z, -3000);
    EXPECT_LE(p.z, -600);
    const double depth = std::fabs(p.z - c.z);
    EXPECT_LE(p.y, std::min(depth * view.Top + c.y, 3000.0) + 1e-2);
    EXPECT_GE(p.y, std::max(-depth * view.Top + c.y, -2800.0) - 1e-2);
    // From one edge of the view to the other (plankton lists are never
    // measured: no margin).
    const double xL = c.x - depth * view.Right, xR = c.x + depth * view.Right;
    const double speed = std::fabs(plankton->Velocity.x);
    EXPECT_GE(speed, 15);
    EXPECT_LE(speed, 45);
    EXPECT_EQ(plankton->Velocity.y, 0);
    EXPECT_EQ(plankton->Velocity.z, 0);
    rightward += plankton->Velocity.x > 0;
    EXPECT_NEAR(p.x, plankton->Velocity.x > 0 ? xL : xR, 1e-2);
    EXPECT_NEAR(plankton->LifeTime, (xR - xL) / speed, 1e-3);
    EXPECT_EQ(plankton->AngularVelocity.x, 72);
    EXPECT_EQ(plankton->AngularVelocity.y, 144);
    EXPECT_EQ(plankton->AngularVelocity.z, 36);
    EXPECT_EQ(plankton->Angles.y, 0);
    EXPECT_EQ(plankton->Age, 0);
    EXPECT_EQ(plankton->NextTurn, 0);
    EXPECT_EQ(plankton->BinIndex, -1);  // plankton takes no slot
  }
  EXPECT_GT(rightward, 100);
  EXPECT_LT(rightward, 200);
  EXPECT_EQ(Find<TFishRender>("Sea")->HeldSlots(), 0);

  // Wandering: a new vertical speed (up to the speed range, either way)
  // when the age reaches NextTurn, held until the next turn, less than a
  // second later.
  int up = 0, down = 0, turns = 0;
  for (int step = 0; step < 2000; ++step) {
    plankton->Age += 0.05f;
    const float before = plankton->Velocity.y, turn = plankton->NextTurn, vx = plankton->Velocity.x;
    list.MoveParticle(plankton, 0.05f);
    EXPECT_EQ(plankton->Velocity.x, vx);
    if (turn <= plankton->Age) {
      ++turns;
      EXPECT_GE(plankton->NextTurn, plankton->Age);
      EXPECT_LT(plankton->NextTurn, plankton->Age + 1);
      EXPECT_LE(std::fabs(plankton->Velocity.y), 45);
      up += plankton->Velocity.y > 0;
      down += plankton->Velocity.y < 0;
    } else {
      EXPECT_EQ(plankton->Velocity.y, before);
      EXPECT_EQ(plankton->NextTurn, turn);
    }
  }
  EXPECT_GT(turns, 100);
  EXPECT_LT(turns, 2000);
  EXPECT_GT(up, turns / 4);
  EXPECT_GT(down, turns / 4);
}

TEST_F(FishSchool, SpeedsOfZeroStopTheLoadAndOddViewsAndStepsStayFinite) {
  EXPECT_THAT(Message([&] { LoadList({{"MinSpeed", "0"}}); }),
              StartsWith("TFishes.ReadProperties error: MinSpeed 0 is not above 0 (file "));
  EXPECT_THAT(Message([&] { LoadList({{"MinSpeed", "-3"}}); }), HasSubstr("MinSpeed -3 is not above 0"));
  EXPECT_THAT(Message([&] { LoadList({{"MaxSpeed", "-5"}}); }),
              StartsWith("TFishes.ReadProperties error: MaxSpeed -5 is not above 0 (file "));

  auto allFinite = [&](TFishRender& sea) {
    for (int l = 0; l < sea.Count(); ++l) {
      auto* list = static_cast<TFishes*>(sea.GetItem(l));
      for (int i = 0; i < list->ParticleCount(); ++i) {
        const TSceneParticle* p = list->Particles(i);
        if (!Finite(p->Position) || !Finite(p->Velocity) || !Finite(p->Angles) || !std::isfinite(p->LifeTime) ||
            !std::isfinite(p->Age))
          return false;
      }
    }
    return std::isfinite(sea.CausticPhase);
  };
  LoadSea({With(ShippedFishes("A"), {{"ParticleCount", "20"}}),
           With(ShippedFishes("P"), {{"FishType", "Plankton"}, {"ParticleCount", "20"}})});
  TFishRender& sea = *Find<TFishRender>("Sea");
  TFishes& fish = *Find<TFishes>("Sea/A");
  sea.Animate(0.1f);
  // A step of 0 moves nothing; several seconds, a broken or a negative
  // step keep every number finite.
  const TGLVector before = fish.Particles(3)->Position;
  sea.Animate(0);
  EXPECT_EQ(fish.Particles(3)->Position.x, before.x);
  for (float step : {5.0f, 30.0f, std::nanf(""), -1.0f, INFINITY, 1e30f}) {
    sea.Animate(step);
    EXPECT_TRUE(allFinite(sea)) << step;
  }
  // The caustic phase wraps within 0 .. 20.
  sea.CausticPhase = 0;
  sea.Animate(1001);
  EXPECT_GE(sea.CausticPhase, 0);
  EXPECT_LT(sea.CausticPhase, 20);
  EXPECT_NEAR(sea.CausticPhase, 0.4, 1e-3);  // 400.4 less 20 whole periods

  // A viewport without a view (field of view 0) is taken as the default
  // view; one so wide that the right edge runs away from the sloping path
  // sends the near band straight across.
  const double top = std::tan(37.5 * kPi / 180);
  App().Viewport().FOV = 0;
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(fish.SpawnFish(FishOf(&fish, 0)));
    ExpectPathAcrossTheView(fish, *FishOf(&fish, 0), 4.0 / 3.0 * top, Camera());
  }
  App().Viewport().FOV = 150;
  const double wide = Slopes().Right;
  ASSERT_LT(1 / wide, std::tan(15 * kPi / 180));
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(fish.SpawnFish(FishOf(&fish, 0)));
    EXPECT_EQ(ExpectPathAcrossTheView(fish, *FishOf(&fish, 0), wide, Camera()), 0);
  }
  App().Viewport().FOV = 75;
  App().Viewport().NearDepth = 0;  // measured one unit in front instead
  ASSERT_TRUE(fish.SpawnFish(FishOf(&fish, 0)));
  ExpectPathAcrossTheView(fish, *FishOf(&fish, 0), Slopes().Right, Camera());
  App().Viewport().NearDepth = 100;
  for (int frame = 0; frame < 50; ++frame) sea.Animate(0.3f);
  EXPECT_TRUE(allFinite(sea));

  // Depths beyond what floats can take: the fish are parked, not placed.
  TFishes& far = LoadList({{"MaxZ", "3e38"}, {"MinZ", "3e38"}, {"ParticleCount", "3"}});
  Find<TFishRender>("Sea")->Animate(0.1f);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(far.Particles(i)->Position.z, 5000);
    EXPECT_EQ(far.Particles(i)->BinIndex, -1);
  }
  EXPECT_TRUE(allFinite(*Find<TFishRender>("Sea")));
}

TEST_F(FishSchool, KeysAreReadInTheirOrderAndWrittenBackAlike) {
  const Keys plankton = With(ShippedFishes("Sea Plankton"), {{"FishType", "Plankton"},
                                                             {"MaxZ", "3000"},
                                                             {"MinZ", "600"},
                                                             {"MaxSpeed", "45"},
                                                             {"MinSpeed", "15"},
                                                             {"ParticleCount", "80"}});
  LoadSea({With(ShippedFishes("Angelfish"), {{"Visual", "Meshes/redfish.3dm"}, {"MaxCount", "5"}}), plankton},
          {{"FishDirection", "Left"}, {"StepZ", "20"}, {"LightMapTexture", "Textures/caustfish.jpg"}});
  TFishRender& sea = *Find<TFishRender>("Sea");
  EXPECT_EQ(sea.StepZ, 20);
  EXPECT_TRUE(sea.SortAlpha);
  EXPECT_EQ(sea.FishDirection, fdLeft);
  EXPECT_EQ(sea.LightMapTexture, scene_->FindObject("Textures/caustfish.jpg"));
  TFishes& angelfish = *Find<TFishes>("Sea/Angelfish");
  EXPECT_EQ(angelfish.ParticleCount(), 5);  // MaxCount was read first
  EXPECT_EQ(angelfish.MaxZ, 8000);
  EXPECT_EQ(angelfish.BottomY, -2600);
  EXPECT_EQ(angelfish.MinSpeed, 110);
  EXPECT_TRUE(angelfish.MeshDirty);
  EXPECT_EQ(angelfish.Visual, scene_->FindObject("Meshes/redfish.3dm"));
  EXPECT_NE(dynamic_cast<TFish*>(angelfish.Particles(0)), nullptr);
  TFishes& sp = *Find<TFishes>("Sea/Sea Plankton");
  EXPECT_EQ(sp.FishType, ftPlankton);
  EXPECT_EQ(sp.ParticleCount(), 60);
  EXPECT_NE(dynamic_cast<TPlankton*>(sp.Particles(59)), nullptr);
  // Measured on the first spawn: the box is 400 long.
  sea.Animate(0.1f);
  EXPECT_EQ(angelfish.HalfLength, 300);
  EXPECT_FALSE(angelfish.MeshDirty);

  scene_->SourceName = "saved.gsc";
  scene_->Save();
  const std::string saved = files.Read("saved.gsc");
  EXPECT_THAT(saved, HasSubstr("Type=TFishRender\r\nName=Sea\r\nProcessOptions=[Render,Animation]\r\nAlpha=1\r\n"
                               "Visible=1\r\nStepZ=20\r\nSortAlpha=1\r\nFishDirection=Left\r\n"
                               "LightMapTexture=Textures/caustfish.jpg\r\n"));
  EXPECT_THAT(saved, HasSubstr("Type=TFishes\r\nName=Angelfish\r\nAlpha=1\r\nVisible=1\r\nVisual=Meshes/redfish.3dm\r\n"
                               "Gravity=0\r\nEnableGravity=0\r\nParticleCount=5\r\nMaxZ=8000\r\nMinZ=1200\r\n"
                               "UpY=2400\r\nBottomY=-2600\r\nMaxSpeed=200\r\nMinSpeed=110\r\nMaxCount=5\r\n"
                               "FishType=Fish\r\n"));
  EXPECT_THAT(saved, HasSubstr("MaxCount=60\r\nFishType=Plankton\r\n"));

  LoadText(saved);
  TFishRender& again = *Find<TFishRender>("Sea");
  EXPECT_EQ(again.StepZ, 20);
  EXPECT_EQ(again.DepthBins.size(), 501u);
  EXPECT_EQ(again.FishDirection, fdLeft);
  EXPECT_EQ(again.LightMapTexture, scene_->FindObject("Textures/caustfish.jpg"));
  EXPECT_EQ(Find<TFishes>("Sea/Angelfish")->ParticleCount(), 5);
  EXPECT_EQ(Find<TFishes>("Sea/Angelfish")->MaxSpeed, 200);
  EXPECT_EQ(Find<TFishes>("Sea/Sea Plankton")->FishType, ftPlankton);
  EXPECT_EQ(Find<TFishes>("Sea/Sea Plankton")->ParticleCount(), 60);

  // Unknown names: "Both" and "Fish"; the other types by name.
  LoadSea({With(ShippedFishes("A"), {{"FishType", "Shark"}}), With(ShippedFishes("B"), {{"FishType", "StarFish"}}),
           With(ShippedFishes("C"), {{"FishType", "JellyFish"}})},
          {{"FishDirection", "Sideways"}});
  EXPECT_EQ(Find<TFishRender>("Sea")->FishDirection, fdBoth);
  EXPECT_EQ(Find<TFishes>("Sea/A")->FishType, ftFish);
  EXPECT_EQ(Find<TFishes>("Sea/B")->FishType, ftStarFish);
  EXPECT_EQ(Find<TFishes>("Sea/C")->FishType, ftJellyFish);
  EXPECT_EQ(Find<TFishRender>("Sea")->LightMapTexture, nullptr);
  scene_->SourceName = "types.gsc";
  scene_->Save();
  const std::string types = files.Read("types.gsc");
  EXPECT_THAT(types, HasSubstr("FishDirection=Both\r\n"));
  EXPECT_THAT(types, HasSubstr("FishType=StarFish\r\n"));
  EXPECT_THAT(types, HasSubstr("FishType=JellyFish\r\n"));

  // Read again as another type: the particles are made anew.
  TFishes& a = *Find<TFishes>("Sea/A");
  Find<TFishRender>("Sea")->Animate(0.1f);
  TResourceLoader loader;
  loader.MainScene = scene_.get();
  loader.OpenLines({"[Again]", "FishType=Plankton", "MinSpeed=1", "MaxSpeed=2", "ParticleCount=4"});
  loader.Section = "Again";
  a.ReadProperties(loader);
  ASSERT_EQ(a.ParticleCount(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_NE(dynamic_cast<TPlankton*>(a.Particles(i)), nullptr);
  EXPECT_EQ(a.MaxZ, 8000);  // missing keys keep their values
  for (const auto& slot : Find<TFishRender>("Sea")->DepthBins) EXPECT_NE(slot.List, &a);
}

TEST(FishClasses, TakeTheirPlacesAfterTheWaterAndStartWithTheirDefaults) {
  const std::vector<std::string> names = SceneClassNames();
  const auto at = [&](const char* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
  ASSERT_LT(at("TFishes"), static_cast<long>(names.size()));
  EXPECT_LT(at("TUnderWater"), at("TFishes"));
  EXPECT_EQ(at("TFishRender"), at("TFishes") + 1);
  if (at("TBubbles") < static_cast<long>(names.size())) {
    EXPECT_LT(at("TBubbles"), at("TFishes"));
  }

  std::unique_ptr<TMainObject> render = CreateSceneObject("TFishRender", "Sea");
  auto* sea = dynamic_cast<TFishRender*>(render.get());
  ASSERT_NE(sea, nullptr);
  EXPECT_EQ(sea->DepthBins.size(), 1001u);
  EXPECT_EQ(sea->BinRadius, 18);
  EXPECT_EQ(sea->FarZ, -10000);
  EXPECT_EQ(sea->NearZ, 0);
  EXPECT_EQ(sea->ZGap, 350);
  EXPECT_EQ(sea->YGap, 800);
  EXPECT_FALSE(sea->SortAlpha);
  EXPECT_EQ(sea->FishDirection, fdRight);
  EXPECT_TRUE(sea->FishCaustic);
  EXPECT_EQ(sea->NearBandEnd, 2400);
  EXPECT_EQ(sea->FarBandStart, 6000);
  EXPECT_EQ(sea->MidBandStart, 4200);
  EXPECT_TRUE(sea->Visible());
  std::unique_ptr<TMainObject> made = CreateSceneObject("tfishes", "School");
  auto* list = dynamic_cast<TFishes*>(made.get());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->FishType, ftFish);
  EXPECT_FALSE(list->StoreChildren);
  // A list outside any render and scene spawns on the default view, with
  // the default bands, to the right, taking no slot.
  list->MinSpeed = 50;
  list->MaxSpeed = 60;
  list->MaxZ = 8000;
  list->MinZ = 1000;
  list->MaxCount = 10;
  list->SetParticleCount(3);
  list->Animate(0.1f);
  for (int i = 0; i < 3; ++i) {
    EXPECT_GT(list->Particles(i)->Velocity.x, 0);
    EXPECT_EQ(list->Particles(i)->BinIndex, -1);
    EXPECT_TRUE(Finite(list->Particles(i)->Position));
  }
}

}  // namespace
}  // namespace worldtest
