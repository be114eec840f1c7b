// Bubbles: the spawn rule against a restatement of it with the seeded
// generator (levels, centred columns and the side margin, speeds,
// lifetimes in a tall and a short view, the aspect the viewport gives),
// the fresh spread, the count down to 0 and back, time steps and speeds
// that would stall or break the numbers, lighting around both passes, the
// keys through a description and back, and bubbles drawn offscreen and
// found by their pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "app/GLWindow.h"
#include "core/Random.h"
#include "gl/GLEntryPoints.h"
#include "scene/RenderState.h"
#include "scene/SceneClasses.h"
#include "tests/scene/SceneTestSupport.h"
#include "tests/scene/VisualTestSupport.h"
#include "world/Bubbles.h"

namespace worldtest {
namespace {

using namespace velmora;
using scenetest::Message;
using scenetest::SceneFiles;
using scenetest::TTestSquare;

// The section the program's scene gives its bubbles, without the visual.
std::string Shipped(int count = 100) {
  return "ProcessOptions=[Render,Animation]\nVisible=1\nAlpha=1\nParticleCount=" + std::to_string(count) +
         "\nMaxCount=1000\nMinZ=1500.0\nMaxZ=2500.0\nMaxSpeed=100.0\nMinSpeed=50.0\nBottomY=-3000\nUpY=5000\n";
}

double HalfHeight(double fov, double z) { return std::tan(fov * std::numbers::pi / 360.0) * -z; }

// A spawn worked out from its definition, drawing from the generator in the
// same order as the list: a level and its jitter for z, a column and its
// jitter for x, the speed.
struct TSpawn {
  int level, column;
  double x, y, z, speed, lifeTime;
};

TSpawn Reference(const TBubbles& b, double fov, double aspect) {
  TSpawn s{};
  s.level = RandomInt(12);
  const double zStep = s.level / 12.0 + (0.5 - RandomFloat()) * 0.02;
  s.z = -(zStep * (b.MaxZ - b.MinZ) + b.MinZ);
  s.y = b.BottomY;
  const double halfHeight = HalfHeight(fov, s.z);
  const double halfWidth = halfHeight * aspect + 100;
  s.column = RandomInt(12);
  const double xStep = s.column / 12.0 + (0.5 - RandomFloat()) * 0.02;
  s.x = (xStep + 1.0 / 24) * 2 * halfWidth - halfWidth;
  s.speed = RandomFloat() * (b.MaxSpeed - b.MinSpeed) + b.MinSpeed;
  s.lifeTime = std::fabs((std::fabs(b.BottomY) + (halfHeight < b.UpY ? halfHeight : b.UpY)) / s.speed);
  return s;
}

void ExpectSpawn(const TSceneParticle& p, const TSpawn& s, const char* what) {
  EXPECT_NEAR(p.Position.x, s.x, 1e-2) << what;
  EXPECT_NEAR(p.Position.y, s.y, 1e-3) << what;
  EXPECT_NEAR(p.Position.z, s.z, 1e-2) << what;
  EXPECT_NEAR(p.Velocity.y, s.speed, 1e-4) << what;
  EXPECT_NEAR(p.LifeTime, s.lifeTime, 1e-4 * s.lifeTime) << what;
  EXPECT_EQ(p.Velocity.x, 0) << what;
  EXPECT_EQ(p.Velocity.z, 0) << what;
  EXPECT_EQ(p.Age, 0) << what;
}

bool Finite(const TSceneParticle& p) {
  for (float v : {p.Position.x, p.Position.y, p.Position.z, p.Velocity.y, p.Age, p.LifeTime})
    if (!std::isfinite(v)) return false;
  return true;
}

// Where each bubble was, and how fast it rose, before a frame.
struct TLast {
  TGLVector position;
  float speed;
};

std::vector<TLast> Positions(const TBubbles& b) {
  std::vector<TLast> last;
  for (int i = 0; i < b.ParticleCount(); ++i) last.push_back({b.Particles(i)->Position, b.Particles(i)->Velocity.y});
  return last;
}

// The records each pass of the visual leaves, with the lighting switch of
// that moment.
class TLitSquare : public TTestSquare {
 public:
  void RenderOpaque() override {
    LitPasses.push_back(GL.glIsEnabled(GL_LIGHTING) == GL_TRUE);
    TTestSquare::RenderOpaque();
  }
  void RenderTransparent() override {
    LitPasses.push_back(GL.glIsEnabled(GL_LIGHTING) == GL_TRUE);
    TTestSquare::RenderTransparent();
  }
  std::vector<bool> LitPasses;
};

// Bubbles in a scene on an application whose window is 800 x 600 (4:3, not
// wide) with the default viewport's 75 degrees.
class Bubbles : public scenetest::SceneGLTest {
 protected:
  void SetUp() override {
    scenetest::SceneGLTest::SetUp();
    window_.SetBounds(0, 0, 800, 600);
    App().SetWindow(&window_);
    App().Viewport().FOV = 75;
    App().Viewport().WideScreen = false;
    ResetSceneRenderState();
  }
  void TearDown() override {
    scene_.reset();
    App().SetWindow(nullptr);
    scenetest::SceneGLTest::TearDown();
  }

  // A scene holding a visual "Meshes/bubble.3dm" (a square of the given
  // keys) and the bubbles "Bubbles" with the keys given.
  TBubbles& Load(const std::string& keys, const std::string& squareKeys = "",
                 const std::string& squareType = "TTestSquare") {
    scene_.reset();
    files_.Write("bubbles.gsc", "[MainScene]\nCount=2\n[MainScene1]\nType=TResource\nName=Meshes\nCount=1\n"
                                "[Meshes1]\nType=" +
                                    squareType + "\nName=bubble.3dm\n" + squareKeys +
                                    "[MainScene2]\nType=TBubbles\nName=Bubbles\nVisual=Meshes/bubble.3dm\n" + keys);
    scene_ = NewScene();
    scene_->Path = files_.Folder();
    scene_->SourceName = "bubbles.gsc";
    scene_->Load();
    auto* bubbles = dynamic_cast<TBubbles*>(scene_->FindObject("Bubbles"));
    EXPECT_NE(bubbles, nullptr);
    return *bubbles;
  }
  TTestSquare* Square() { return dynamic_cast<TTestSquare*>(scene_->FindObject("Meshes/bubble.3dm")); }

  TGLWindow window_{nullptr};
  SceneFiles files_;
  std::unique_ptr<TMainScene> scene_;
};

TEST_F(Bubbles, KeysInOrderAndBackThroughADescription) {
  TBubbles& b = Load(Shipped());
  EXPECT_EQ(b.MaxZ, 2500);
  EXPECT_EQ(b.MinZ, 1500);
  EXPECT_EQ(b.UpY, 5000);
  EXPECT_EQ(b.BottomY, -3000);
  EXPECT_EQ(b.MaxSpeed, 100);
  EXPECT_EQ(b.MinSpeed, 50);
  EXPECT_EQ(b.MaxCount, 1000);
  EXPECT_EQ(b.ParticleCount(), 100);
  EXPECT_EQ(b.Visual, scene_->FindObject("Meshes/bubble.3dm"));
  EXPECT_EQ(b.Particles(99)->Name(), "Bubbles99");
  EXPECT_FALSE(b.StoreChildren);
  EXPECT_FALSE(b.Sorted());
  EXPECT_EQ(scene_->RenderList()->GetCount(), 1);
  EXPECT_EQ(scene_->AnimationList()->GetCount(), 1);

  scene_->SourceName = "saved.gsc";
  scene_->Save();
  const std::string saved = files_.Read("saved.gsc");
  EXPECT_NE(saved.find("Visual=Meshes/bubble.3dm\r\nGravity=0\r\nEnableGravity=0\r\nParticleCount=100\r\nMaxZ=2500\r\n"
                       "MinZ=1500\r\nUpY=5000\r\nBottomY=-3000\r\nMaxSpeed=100\r\nMinSpeed=50\r\nMaxCount=1000\r\n"),
            std::string::npos)
      << saved;
  EXPECT_EQ(saved.find("[Bubbles"), std::string::npos) << saved;  // bubbles are never stored
  auto again = files_.Load("saved.gsc");
  auto* back = dynamic_cast<TBubbles*>(again->FindObject("Bubbles"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->MaxZ, 2500);
  EXPECT_EQ(back->MinZ, 1500);
  EXPECT_EQ(back->UpY, 5000);
  EXPECT_EQ(back->BottomY, -3000);
  EXPECT_EQ(back->MaxSpeed, 100);
  EXPECT_EQ(back->MinSpeed, 50);
  EXPECT_EQ(back->MaxCount, 1000);
  EXPECT_EQ(back->ParticleCount(), 100);
  EXPECT_EQ(back->Visual, again->FindObject("Meshes/bubble.3dm"));

  // MaxCount is kept, not enforced.
  EXPECT_EQ(Load("ParticleCount=20\nMaxCount=5\nMinSpeed=1\nMaxSpeed=2\n").ParticleCount(), 20);

  // The class has its place after the scene graph's.
  const std::vector<std::string> names = SceneClassNames();
  const auto sprites = std::find(names.begin(), names.end(), "TMainSpriteList");
  const auto bubbles = std::find(names.begin(), names.end(), "TBubbles");
  EXPECT_NE(bubbles, names.end());
  EXPECT_LT(sprites, bubbles);
  EXPECT_EQ(std::string(CreateSceneObject("tbubbles", "B")->ClassName()), "TBubbles");
}

// A lifetime is a distance over a speed: a description whose speeds are
// not above 0 is refused by name and place.
TEST_F(Bubbles, SpeedsOfZeroOrBelowAreRefusedWhenLoading) {
  const std::string place = " (file " + files_.Folder() + "bubbles.gsc, section [MainScene2], key ";
  EXPECT_EQ(Message([&] { Load("ParticleCount=5\nMaxSpeed=100\n"); }),
            "TBubbles.ReadProperties error: MinSpeed 0 is not above 0" + place + "MinSpeed)");
  EXPECT_EQ(Message([&] { Load("MaxSpeed=100\nMinSpeed=-5\n"); }),
            "TBubbles.ReadProperties error: MinSpeed -5 is not above 0" + place + "MinSpeed)");
  EXPECT_EQ(Message([&] { Load("MinSpeed=50\n"); }),
            "TBubbles.ReadProperties error: MaxSpeed 0 is not above 0" + place + "MaxSpeed)");
  // Speeds the wrong way round still rise: between the two.
  TBubbles& b = Load("ParticleCount=1\nMinSpeed=80\nMaxSpeed=20\nMinZ=1500\nMaxZ=2500\nBottomY=-3000\nUpY=5000\n");
  RandSeed(3);
  b.InitParticle(b.Particles(0));
  EXPECT_GE(b.Particles(0)->Velocity.y, 20);
  EXPECT_LE(b.Particles(0)->Velocity.y, 80);
}

TEST_F(Bubbles, SpawnFollowsTheRuleWithTheSeededGenerator) {
  TBubbles& b = Load(Shipped());
  TSceneParticle* p = b.Particles(0);
  p->Angles = {10, 20, 30};
  p->AngularVelocity = {1, 2, 3};
  p->Position = {7, 8, 9};
  p->Age = 5;
  for (uint32_t seed : {1u, 2u, 77u, 12345u}) {
    RandSeed(seed);
    b.InitParticle(p);
    RandSeed(seed);
    ExpectSpawn(*p, Reference(b, 75, 4.0 / 3.0), "shipped keys");
    EXPECT_EQ(p->Angles, MakeVector(0, 0, 0));
    EXPECT_EQ(p->AngularVelocity, MakeVector(0, 0, 0));
  }

  // The viewport's aspect: 16:9 when wide whatever the window; else the
  // window's own; 4:3 for a window without area. Its field of view.
  struct {
    bool wide;
    int width, height;
    double fov, expectedFov, expectedAspect;
  } views[] = {{true, 800, 600, 75, 75, 16.0 / 9.0},  {false, 1000, 500, 75, 75, 2.0},
               {false, 640, 0, 75, 75, 4.0 / 3.0},    {false, 0, 480, 75, 75, 4.0 / 3.0},
               {false, 800, 600, 90, 90, 4.0 / 3.0},  {false, 800, 600, 0, 75, 4.0 / 3.0},
               {false, 800, 600, 180, 75, 4.0 / 3.0}, {false, 800, 600, std::nan(""), 75, 4.0 / 3.0}};
  for (const auto& view : views) {
    App().Viewport().WideScreen = view.wide;
    App().Viewport().FOV = view.fov;
    window_.SetBounds(0, 0, view.width, view.height);
    const std::string what = "window " + std::to_string(view.width) + "x" + std::to_string(view.height) +
                             (view.wide ? " wide" : "") + ", fov " + std::to_string(view.fov);
    RandSeed(5);
    b.InitParticle(p);
    RandSeed(5);
    ExpectSpawn(*p, Reference(b, view.expectedFov, view.expectedAspect), what.c_str());
  }

  // Outside any scene with an application: the default viewport's view.
  TBubbles loose;
  loose.SetName("Loose");
  loose.MinZ = 1500;
  loose.MaxZ = 2500;
  loose.BottomY = -3000;
  loose.UpY = 5000;
  loose.MinSpeed = 50;
  loose.MaxSpeed = 100;
  loose.SetParticleCount(1);
  RandSeed(9);
  loose.InitParticle(loose.Particles(0));
  RandSeed(9);
  ExpectSpawn(*loose.Particles(0), Reference(loose, 75, 4.0 / 3.0), "no application");
}

// Depth levels and columns over many spawns: twelve of each, every one
// jittered by at most a hundredth of the range. The columns stand in the
// middles of the twelfths of the spawn width, symmetrically, so the
// outermost ones rise close to both edges of the picture.
TEST_F(Bubbles, TwelveDepthLevelsAndTwelveCentredColumnsCloseToBothEdges) {
  TBubbles& b = Load(Shipped());
  RandSeed(2024);
  std::set<int> levels, columns;
  int byLeftEdge = 0, byRightEdge = 0;
  double leastZ = 0, mostZ = -1e9, widestJitter = 0, leftmost = 0, rightmost = 0;
  TSceneParticle* p = b.Particles(0);
  for (int i = 0; i < 3000; ++i) {
    b.InitParticle(p);
    const double z = p->Position.z;
    leastZ = std::min(leastZ, z);
    mostZ = std::max(mostZ, z);
    const double level = (-z - 1500) / (1000.0 / 12);
    const int k = static_cast<int>(std::lround(level));
    ASSERT_NEAR(-z, 1500 + k * 1000.0 / 12, 10.001) << i;
    widestJitter = std::max(widestJitter, std::fabs(-z - (1500 + k * 1000.0 / 12)));
    levels.insert(k);

    const double edge = HalfHeight(75, z) * 4 / 3;  // the picture's half width at z
    const double halfWidth = edge + 100;
    const double step = (p->Position.x + halfWidth) / (2 * halfWidth);
    const int column = static_cast<int>(std::lround(step * 12 - 0.5));
    ASSERT_NEAR(step, (column + 0.5) / 12.0, 0.01001) << i;
    columns.insert(column);
    leftmost = std::min(leftmost, p->Position.x / halfWidth);
    rightmost = std::max(rightmost, p->Position.x / halfWidth);
    // Within the picture (give or take the jitter's last units), the
    // outermost columns no more than 150 units from its edges.
    EXPECT_LT(std::fabs(p->Position.x), edge + 5) << i;
    if (column == 0) byLeftEdge += p->Position.x < -edge + 150;
    if (column == 11) byRightEdge += p->Position.x > edge - 150;
  }
  EXPECT_EQ(levels, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(columns, levels);
  EXPECT_GT(byLeftEdge, 150);
  EXPECT_GT(byRightEdge, 150);
  EXPECT_NEAR(leftmost, -rightmost, 0.005);
  EXPECT_NEAR(rightmost, 11.0 / 12 + 0.02, 0.005);
  EXPECT_LE(mostZ, -1490);
  EXPECT_GE(leastZ, -2426.67);
  EXPECT_LT(leastZ, -2407);  // about -2417 at the far level
  EXPECT_GT(widestJitter, 9);
}

TEST_F(Bubbles, LifetimesEndAtThePicturesTopEdgeOrAtUpY) {
  // Short view: the top of the picture at any spawn distance (1151 to 1855
  // units up at 75 degrees) is below UpY 5000.
  TBubbles& b = Load(Shipped());
  RandSeed(8);
  for (int i = 0; i < 100; ++i) {
    TSceneParticle* p = b.Particles(i);
    b.InitParticle(p);
    const double top = HalfHeight(75, p->Position.z);
    EXPECT_NEAR(-3000 + p->Velocity.y * p->LifeTime, top, 1e-3 * top) << i;
  }
  // Followed frame by frame: each bubble rises to the top edge (within one
  // step), never beyond, and starts again at the bottom.
  const float step = 1 / 25.0f;
  std::vector<int> restarts(100, 0);
  for (int frame = 0; frame < 25 * 120; ++frame) {
    const std::vector<TLast> before = Positions(b);
    b.Animate(step);
    for (int i = 0; i < 100; ++i) {
      const TSceneParticle* p = b.Particles(i);
      const TLast& last = before[static_cast<size_t>(i)];
      ASSERT_LE(p->Position.y, HalfHeight(75, p->Position.z) + 0.5) << i;
      ASSERT_GE(p->Position.y, -3000) << i;
      if (p->Position.y < last.position.y) {
        ++restarts[static_cast<size_t>(i)];
        ASSERT_GE(last.position.y, HalfHeight(75, last.position.z) - last.speed * step - 0.5) << i;
      }
    }
  }
  for (int i = 0; i < 100; ++i) EXPECT_GE(restarts[static_cast<size_t>(i)], 1) << i;

  // Tall view: the picture reaches above UpY 1000 at every distance.
  TBubbles& tall = Load("ParticleCount=50\nMinZ=1500\nMaxZ=2500\nMinSpeed=50\nMaxSpeed=100\nBottomY=-3000\nUpY=1000\n");
  RandSeed(8);
  tall.Animate(step);
  std::vector<int> tallRestarts(50, 0);
  for (int frame = 0; frame < 25 * 100; ++frame) {
    for (int i = 0; i < 50; ++i)
      ASSERT_NEAR(-3000 + tall.Particles(i)->Velocity.y * tall.Particles(i)->LifeTime, 1000, 1e-2) << i;
    const std::vector<TLast> before = Positions(tall);
    tall.Animate(step);
    for (int i = 0; i < 50; ++i) {
      const TSceneParticle* p = tall.Particles(i);
      const TLast& last = before[static_cast<size_t>(i)];
      ASSERT_LE(p->Position.y, 1000 + 0.5) << i;
      if (p->Position.y < last.position.y) {
        ++tallRestarts[static_cast<size_t>(i)];
        ASSERT_GE(last.position.y, 1000 - last.speed * step - 0.5) << i;
      }
    }
  }
  for (int i = 0; i < 50; ++i) EXPECT_GE(tallRestarts[static_cast<size_t>(i)], 1) << i;
}

// New bubbles are spread over their first rise instead of starting
// together at the bottom.
TEST_F(Bubbles, AFreshSwarmStartsSpreadOverTheHeight) {
  TBubbles& b = Load(Shipped(300));
  RandSeed(31);
  b.Animate(0.02f);
  double least = 1, most = 0;
  for (int i = 0; i < 300; ++i) {
    const TSceneParticle* p = b.Particles(i);
    EXPECT_FALSE(p->Fresh);
    EXPECT_GE(p->Age, p->LifeTime / 16 - 1e-4f) << i;
    EXPECT_LE(p->Age, p->LifeTime * 15 / 16 + 1e-4f) << i;
    EXPECT_NEAR(p->Position.y, -3000 + p->Velocity.y * p->Age, 1e-2) << i;
    const double fraction = (p->Position.y + 3000) / (p->Velocity.y * p->LifeTime);
    least = std::min(least, fraction);
    most = std::max(most, fraction);
  }
  EXPECT_LT(least, 0.1);
  EXPECT_GT(most, 0.9);
}

TEST_F(Bubbles, CountDownToZeroAndBackSpawnsOnTheNextFrame) {
  TBubbles& b = Load(Shipped());
  RandSeed(4);
  b.Animate(0.02f);
  b.SetParticleCount(0);
  EXPECT_EQ(b.ParticleCount(), 0);
  Square()->Passes.clear();
  b.Render();
  EXPECT_TRUE(Square()->Passes.empty());
  b.Animate(0.02f);

  b.SetParticleCount(50);
  ASSERT_EQ(b.ParticleCount(), 50);
  for (int i = 0; i < 50; ++i) {
    const TSceneParticle* p = b.Particles(i);
    EXPECT_EQ(p->Name(), "Bubbles" + std::to_string(i));
    EXPECT_TRUE(p->Fresh);
    EXPECT_EQ(p->LifeTime, 0);  // made, not spawned yet
    EXPECT_EQ(p->Position, MakeVector(0, 0, 0));
  }
  b.Animate(0.02f);
  for (int i = 0; i < 50; ++i) {
    const TSceneParticle* p = b.Particles(i);
    EXPECT_FALSE(p->Fresh);
    EXPECT_GT(p->LifeTime, 0);
    EXPECT_LE(p->Position.z, -1490);
    EXPECT_GE(p->Position.z, -2427);
    EXPECT_GT(p->Position.y, -3000);
    EXPECT_LT(p->Position.y, HalfHeight(75, p->Position.z));
  }
  Square()->Passes.clear();
  b.Render();
  EXPECT_EQ(Square()->Count('o'), 50);
}

// Time steps of 0 and of several seconds, speeds set in code that would
// stall a bubble, keys beyond any sensible size: every number stays
// finite, every bubble keeps rising and starting again.
TEST_F(Bubbles, OddStepsAndSpeedsKeepEveryBubbleFiniteAndMoving) {
  TBubbles& b = Load(Shipped(40));
  RandSeed(6);
  b.Animate(0.02f);
  std::vector<TGLVector> at;
  for (int i = 0; i < 40; ++i) at.push_back(b.Particles(i)->Position);
  for (int frame = 0; frame < 10; ++frame) b.Animate(0);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(b.Particles(i)->Position, at[static_cast<size_t>(i)]);

  // Five seconds a frame: each bubble stays in its column between the
  // bottom and the top edge, and starts again every few frames.
  std::vector<int> restarts(40, 0);
  for (int frame = 0; frame < 200; ++frame) {
    std::vector<float> before;
    for (int i = 0; i < 40; ++i) before.push_back(b.Particles(i)->Position.y);
    b.Animate(5);
    for (int i = 0; i < 40; ++i) {
      const TSceneParticle* p = b.Particles(i);
      ASSERT_TRUE(Finite(*p)) << i;
      ASSERT_GE(p->Position.y, -3000) << i;
      ASSERT_LE(p->Position.y, HalfHeight(75, p->Position.z) + 0.5) << i;
      restarts[static_cast<size_t>(i)] += p->Position.y < before[static_cast<size_t>(i)];
    }
  }
  for (int i = 0; i < 40; ++i) EXPECT_GE(restarts[static_cast<size_t>(i)], 5) << i;

  // Speeds of 0 or below set in code: the least speed, a finite life.
  for (const auto& [least, most] : {std::pair{0.0f, 0.0f}, std::pair{-50.0f, -10.0f}, std::pair{0.0f, 0.5f}}) {
    b.MinSpeed = least;
    b.MaxSpeed = most;
    TSceneParticle* p = b.Particles(0);
    b.InitParticle(p);
    EXPECT_EQ(p->Velocity.y, kLeastBubbleSpeed);
    EXPECT_NEAR(p->LifeTime, 3000 + HalfHeight(75, p->Position.z), 1) << least << " " << most;
    const float y = p->Position.y;
    b.Animate(1);
    EXPECT_NEAR(p->Position.y, y + 1, 1e-3);
  }

  // Keys far beyond any scene, and a step far beyond any frame: every
  // number stays finite.
  b.MinZ = b.MaxZ = 1e30f;
  b.BottomY = -1e30f;
  b.UpY = 1e30f;
  b.MinSpeed = 1e-30f;
  b.MaxSpeed = 1e30f;
  App().Viewport().WideScreen = true;
  for (int frame = 0; frame < 20; ++frame) {
    b.Animate(frame % 2 ? 1e30f : 0.02f);
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(Finite(*b.Particles(i))) << i;
  }
}

TEST_F(Bubbles, LightingIsOnAroundBothPasses) {
  scenetest::ScopedSceneClass<TLitSquare> litSquare("TTestLitSquare");
  TBubbles& b = Load(Shipped(3), "Color=1,1,1,0.5\nAlpha=1\n", "TTestLitSquare");
  auto* square = dynamic_cast<TLitSquare*>(Square());
  ASSERT_NE(square, nullptr);
  RandSeed(1);
  b.Animate(0.02f);
  SetLighting(false);
  EXPECT_EQ(GL.glIsEnabled(GL_LIGHTING), GL_FALSE);
  b.Render();
  EXPECT_TRUE(b.Alpha);  // the translucent visual brings the blended pass
  EXPECT_EQ(square->LitPasses, std::vector<bool>(6, true));
  EXPECT_EQ(square->Count('o'), 3);
  EXPECT_EQ(square->Count('t'), 3);
  EXPECT_TRUE(SceneLighting());  // switched through the scene's render state

  // Each pass switches it on by itself.
  SetLighting(false);
  square->LitPasses.clear();
  b.RenderTransparent();
  EXPECT_EQ(square->LitPasses, std::vector<bool>(3, true));
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A square window onto bubbles 1000 units away at 90 degrees: the picture
// is 2000 units across there, bubble squares 80 units wide are 2.6 pixels.
// With a white visual under green ambient light, a lit bubble shows green.
TEST_F(Bubbles, DrawnWhereTheRulePutsThem) {
  window_.SetBounds(0, 0, 64, 64);
  App().Viewport().FOV = 90;
  TBubbles& b = Load("ProcessOptions=[Render,Animation]\nParticleCount=24\nMinZ=1000\nMaxZ=1000\nMinSpeed=50\nMaxSpeed=100\nBottomY=-1000\nUpY=5000\n",
                     "Low=-40,-40,0\nHigh=40,40,0\n");
  GL.glViewport(0, 0, 64, 64);
  GL.glMatrixMode(GL_PROJECTION);
  GL.glLoadIdentity();
  GL.glFrustum(-100, 100, -100, 100, 100, 11000);
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glLoadIdentity();
  GL.glDisable(GL_DEPTH_TEST);
  const float green[4] = {0, 1, 0, 1};
  GL.glLightModelfv(GL_LIGHT_MODEL_AMBIENT, green);
  GL.glEnable(GL_COLOR_MATERIAL);
  GL.glClearColor(0, 0, 0, 1);
  GL.glClear(GL_COLOR_BUFFER_BIT);

  // The spawns and the fresh spread, drawn from the generator in the
  // list's order: each bubble rises from the bottom for its first age.
  RandSeed(17);
  struct TSquare {
    double left, right, bottom, top;
  };
  std::vector<TSquare> squares;
  int outer = 0;
  for (int i = 0; i < 24; ++i) {
    const TSpawn s = Reference(b, 90, 1.0);
    const double age = RandomFloat() * (s.lifeTime - s.lifeTime / 8) + s.lifeTime / 16;
    const double y = s.y + s.speed * age;
    // Window pixels: 32 per 1000 units from the middle.
    squares.push_back({32 + (s.x - 40) * 0.032, 32 + (s.x + 40) * 0.032, 32 + (y - 40) * 0.032, 32 + (y + 40) * 0.032});
    outer += s.column == 0 || s.column == 11;
  }
  RandSeed(17);
  scene_->Process(0.0f);
  GL.glFinish();

  int shown = 0;
  for (int py = 0; py < 64; ++py)
    for (int px = 0; px < 64; ++px) {
      const double cx = px + 0.5, cy = py + 0.5;
      bool inside = false, near = false;
      for (const TSquare& q : squares) {
        inside |= cx > q.left + 0.5 && cx < q.right - 0.5 && cy > q.bottom + 0.5 && cy < q.top - 0.5;
        near |= cx > q.left - 0.5 && cx < q.right + 0.5 && cy > q.bottom - 0.5 && cy < q.top + 0.5;
      }
      const std::vector<uint8_t> pixel = Pixel(px, py);
      if (inside) {
        EXPECT_EQ(pixel, (std::vector<uint8_t>{0, 255, 0, 255})) << px << "," << py;
        ++shown;
      } else if (!near) {
        EXPECT_EQ(pixel, (std::vector<uint8_t>{0, 0, 0, 255})) << px << "," << py;
      }
    }
  EXPECT_GT(shown, 10);
  EXPECT_GT(outer, 0);  // some in the outermost columns, by the picture's edges
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace worldtest
