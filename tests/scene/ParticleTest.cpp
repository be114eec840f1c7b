// Particle lists: counts and names, the life cycle of a particle (fresh
// spread, waiting, alive, respawned), what happens when no new life
// begins, gravity, odd time steps, drawing, and the keys through a
// description and back. Random numbers are seeded, so every run sees the
// same spread.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/Random.h"
#include "scene/Particles.h"
#include "scene/SceneClasses.h"
#include "tests/scene/SceneTestSupport.h"
#include "tests/scene/VisualTestSupport.h"

namespace scenetest {
namespace {

class TTestParticle : public TSceneParticle {
 public:
  ~TTestParticle() override { ++Freed(); }
  static int& Freed() {
    static int freed = 0;
    return freed;
  }
};

// Starts every life at the origin with SpawnVelocity, SpawnLifeTime and
// SpawnAge; the first Parked calls park the particle instead, the way the
// fish do when they find no room: Age 1, LifeTime 0, far away.
class TTestParticles : public TSceneParticleList {
 public:
  const char* ClassName() const override { return "TTestParticles"; }

  void InitParticle(TSceneParticle* p) override {
    ++Inits;
    if (Parked > 0) {
      --Parked;
      p->Position = {-5000, 0, 5000};
      p->Age = 1;
      p->LifeTime = 0;
      return;
    }
    p->Position = {0, 0, 0};
    p->Angles = {0, 0, 0};
    p->Velocity = SpawnVelocity;
    p->AngularVelocity = SpawnSpin;
    p->LifeTime = SpawnLifeTime;
    p->Age = SpawnAge;
  }
  std::unique_ptr<TSceneParticle> CreateParticle() override { return std::make_unique<TTestParticle>(); }

  TGLVector SpawnVelocity{1, 0, 0};
  TGLVector SpawnSpin{0, 0, 0};
  float SpawnLifeTime = 2;
  float SpawnAge = 0;
  int Parked = 0;
  int Inits = 0;
};

std::unique_ptr<TTestParticles> List(int count, const std::string& name = "Bubbles") {
  auto list = std::make_unique<TTestParticles>();
  list->SetName(name);
  list->SetParticleCount(count);
  return list;
}

TEST(ParticleList, CountsNamesAndTheNewestFreedFirst) {
  ScopedSceneClass<TTestParticles> particles("TTestParticles");
  SceneFiles files;
  auto scene = files.LoadText(R"(
[MainScene]
Count=1
[MainScene1]
Type=TTestParticles
Name=Bubbles
ParticleCount=100
ProcessOptions=[Render,Animation]
)");
  auto* list = static_cast<TTestParticles*>(scene->FindObject("Bubbles"));
  EXPECT_FALSE(list->StoreChildren);
  EXPECT_FALSE(list->Sorted());
  EXPECT_TRUE(list->Visible());
  ASSERT_EQ(list->ParticleCount(), 100);
  for (int i = 0; i < 100; ++i) {
    const TSceneParticle* p = list->Particles(i);
    EXPECT_EQ(p->Name(), "Bubbles" + std::to_string(i));  // the order they were made, not name order
    EXPECT_EQ(p->Index, i + 1);
    EXPECT_EQ(p->Age, 1);
    EXPECT_EQ(p->LifeTime, 0);
    EXPECT_TRUE(p->Fresh);
    EXPECT_EQ(p->BinIndex, -1);
    EXPECT_EQ(p->VisualOptions, voPosition | voRotation);
    EXPECT_EQ(p->Owner(), list);
    EXPECT_EQ(p->MainScene(), scene.get());
  }
  EXPECT_EQ(list->FindItem("Bubbles10"), list->Particles(10));

  // Lower: the 60 made last go.
  TTestParticle::Freed() = 0;
  list->SetParticleCount(40);
  EXPECT_EQ(TTestParticle::Freed(), 60);
  ASSERT_EQ(list->ParticleCount(), 40);
  EXPECT_EQ(list->Particles(39)->Name(), "Bubbles39");
  EXPECT_EQ(list->FindItem("Bubbles40"), nullptr);
  // Higher again: a new batch, numbered from 1, named on from the count.
  list->SetParticleCount(50);
  ASSERT_EQ(list->ParticleCount(), 50);
  EXPECT_EQ(list->Particles(40)->Name(), "Bubbles40");
  EXPECT_EQ(list->Particles(40)->Index, 1);
  EXPECT_EQ(list->Particles(49)->Index, 10);
  EXPECT_TRUE(list->Particles(49)->Fresh);

  // Written back: the count, never the particles.
  scene->SourceName = "saved.gsc";
  scene->Save();
  const std::string saved = files.Read("saved.gsc");
  EXPECT_NE(saved.find("Gravity=0\r\nEnableGravity=0\r\nParticleCount=50\r\n"), std::string::npos) << saved;
  EXPECT_EQ(saved.find("[Bubbles"), std::string::npos) << saved;
  auto again = files.Load("saved.gsc");
  EXPECT_EQ(static_cast<TTestParticles*>(again->FindObject("Bubbles"))->ParticleCount(), 50);

  // Out of range in a description: refused, with the place named.
  for (const char* count : {"-1", "10001"})
    EXPECT_EQ(Message([&] {
                files.LoadText(std::string("[MainScene]\nCount=1\n[MainScene1]\nType=TTestParticles\nName=B\n"
                                           "ParticleCount=") +
                               count + "\n");
              }),
              std::string("TTestParticles.ReadProperties error: ParticleCount ") + count +
                  " is outside 0..10000 (file " + files.Folder() + "scene.gsc, section [MainScene1], key ParticleCount)");
  // Without the key: no particles.
  auto none = files.LoadText("[MainScene]\nCount=1\n[MainScene1]\nType=TTestParticles\nName=B\n");
  EXPECT_EQ(static_cast<TTestParticles*>(none->FindObject("B"))->ParticleCount(), 0);
}

TEST(ParticleList, CountsFromCodeAreClampedAndOnlyParticlesEnter) {
  auto list = List(3);
  list->SetParticleCount(-5);
  EXPECT_EQ(list->ParticleCount(), 0);
  list->SetParticleCount(INT_MAX);
  EXPECT_EQ(list->ParticleCount(), kMaxParticleCount);
  list->SetParticleCount(2);
  EXPECT_EQ(list->ParticleCount(), 2);

  TTestProbe probe;
  probe.SetName("probe");
  EXPECT_EQ(Message([&] { list->AddItem(&probe); }), "TTestParticles.AddItem error: TTestProbe is not a particle");
  EXPECT_EQ(list->ParticleCount(), 2);
  EXPECT_EQ(probe.Owner(), nullptr);
  // A particle renamed onto the name the next one would get (names follow
  // the count): the new ones are refused and freed, nothing doubles.
  list->Particles(0)->SetName("Bubbles2");
  TTestParticle::Freed() = 0;
  list->SetParticleCount(4);
  EXPECT_EQ(list->ParticleCount(), 2);
  EXPECT_EQ(TTestParticle::Freed(), 2);
  EXPECT_EQ(list->Particles(0)->Name(), "Bubbles2");
}

TEST(ParticleList, LifeCycleFreshSpreadWaitingAliveAndRespawned) {
  auto list = List(100);
  RandSeed(11);
  list->Animate(0.02f);
  EXPECT_EQ(list->Inits, 100);
  // Fresh particles start at a random point of their first life: 1/16 to
  // 15/16 of it, moved that far at once.
  RandSeed(11);
  float least = 2, most = 0;
  for (int i = 0; i < 100; ++i) {
    const TSceneParticle* p = list->Particles(i);
    const float age = RandomFloat() * (2 - 2 / 8.0f) + 2 / 16.0f;
    EXPECT_FLOAT_EQ(p->Age, age);
    EXPECT_FLOAT_EQ(p->Position.x, age);
    EXPECT_FALSE(p->Fresh);
    least = std::min(least, p->Age);
    most = std::max(most, p->Age);
  }
  EXPECT_GE(least, 0.125f);
  EXPECT_LE(most, 1.875f);
  EXPECT_LT(least, 0.5f);  // spread out, not bunched
  EXPECT_GT(most, 1.5f);

  // Alive: moved by each step. Over: a new life, caught up by its age.
  TSceneParticle* p = list->Particles(0);
  p->Age = 1.0f;
  p->Position = {1, 0, 0};
  p->AngularVelocity = {10, 20, 30};
  list->Animate(0.5f);
  EXPECT_FLOAT_EQ(p->Age, 1.5f);
  EXPECT_FLOAT_EQ(p->Position.x, 1.5f);
  EXPECT_EQ(p->Angles, MakeVector(5, 10, 15));
  list->Inits = 0;
  list->SpawnAge = 0.25f;
  for (int i = 0; i < 100; ++i) list->Particles(i)->Age = 1.9f;
  list->Animate(0.2f);
  EXPECT_EQ(list->Inits, 100);
  EXPECT_FLOAT_EQ(p->Age, 0.25f);
  EXPECT_FLOAT_EQ(p->Position.x, 0.25f);
  EXPECT_EQ(p->Angles, MakeVector(0, 0, 0));

  // Waiting: a negative age holds the particle (still fresh) until it
  // reaches 0; it moves first in that frame, by that frame's step.
  auto waiting = List(1, "W");
  waiting->SpawnAge = -0.3f;
  TSceneParticle* w = waiting->Particles(0);
  waiting->Animate(0.1f);
  EXPECT_FLOAT_EQ(w->Age, -0.3f);
  EXPECT_TRUE(w->Fresh);
  waiting->Animate(0.2f);
  EXPECT_FLOAT_EQ(w->Age, -0.1f);
  EXPECT_EQ(w->Position.x, 0);
  waiting->Animate(0.2f);
  EXPECT_FLOAT_EQ(w->Age, 0.1f);
  EXPECT_FLOAT_EQ(w->Position.x, 0.2f);
  EXPECT_FALSE(w->Fresh);
  EXPECT_EQ(waiting->Inits, 1);
}

// With the default, empty InitParticle no life ever restarts. Moving such a
// particle by its whole accumulated age every frame would throw it away
// ever faster (after 10 s of 0.1 s frames: 5 050 units instead of 100);
// it moves by the time step instead.
TEST(ParticleList, AParticleWhoseLifeNeverRestartsMovesByTheTimeStep) {
  TSceneParticleList list;
  list.SetName("Plain");
  list.SetParticleCount(1);
  TSceneParticle* p = list.Particles(0);
  list.Animate(0.1f);
  EXPECT_EQ(p->Age, 0);  // the fresh spread of a life of 0
  p->Velocity = {10, 0, 0};
  for (int i = 0; i < 100; ++i) list.Animate(0.1f);
  EXPECT_NEAR(p->Position.x, 100, 1e-2f);
  EXPECT_NEAR(p->Age, 10, 1e-3f);
  // A step of 0, and steps that are negative or not finite, move nothing.
  for (float step : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    list.Animate(step);
    EXPECT_NEAR(p->Position.x, 100, 1e-2f) << step;
    EXPECT_NEAR(p->Age, 10, 1e-3f) << step;
  }
  // Several seconds at once (a machine waking up): one long step.
  list.Animate(3600);
  EXPECT_NEAR(p->Position.x, 36100, 1);

  // A parked particle (no new life on purpose) is asked again the next
  // frame, and drifts by the step meanwhile, not by its age.
  auto fish = List(1, "Fish");
  fish->Parked = 2;
  TSceneParticle* f = fish->Particles(0);
  fish->Animate(0.1f);
  EXPECT_EQ(f->Position, MakeVector(-5000, 0, 5000));
  f->Velocity = {100, 0, 0};
  fish->Animate(0.1f);
  EXPECT_EQ(fish->Inits, 2);
  EXPECT_FLOAT_EQ(f->Position.x, -4990);
  fish->Animate(0.1f);
  EXPECT_EQ(fish->Inits, 3);
  EXPECT_EQ(f->Position, MakeVector(0, 0, 0));
  EXPECT_FLOAT_EQ(f->LifeTime, 2);
}

TEST(ParticleList, GravityPullsTheVerticalVelocityDown) {
  auto list = List(1);
  list->SpawnLifeTime = 100;
  list->SpawnVelocity = {0, 5, 0};
  list->EnableGravity = true;
  list->Gravity = 9.8f;
  list->Animate(0.1f);
  TSceneParticle* p = list->Particles(0);
  const float v0 = p->Velocity.y, y0 = p->Position.y;
  EXPECT_FLOAT_EQ(v0, 5 - 0.98f);  // the fresh catch-up move counts once
  for (int i = 0; i < 10; ++i) list->Animate(0.1f);
  EXPECT_FLOAT_EQ(list->GravityStep, 0.98f);
  EXPECT_NEAR(p->Velocity.y, v0 - 9.8f, 1e-4f);
  EXPECT_NEAR(p->Position.y, y0 + v0 - 4.41f, 1e-3f);  // each step moves, then slows
  list->EnableGravity = false;
  list->Animate(0.1f);
  EXPECT_NEAR(p->Velocity.y, v0 - 9.8f, 1e-4f);

  // Keys: gravity read and written back.
  ScopedSceneClass<TTestParticles> particles("TTestParticles");
  SceneFiles files;
  auto scene = files.LoadText(
      "[MainScene]\nCount=1\n[MainScene1]\nType=TTestParticles\nName=Rain\nGravity=9.8\nEnableGravity=1\n"
      "ParticleCount=3\n");
  scene->SourceName = "saved.gsc";
  scene->Save();
  auto again = files.Load("saved.gsc");
  auto* rain = static_cast<TTestParticles*>(again->FindObject("Rain"));
  EXPECT_FLOAT_EQ(rain->Gravity, 9.8f);
  EXPECT_TRUE(rain->EnableGravity);
  EXPECT_EQ(rain->ParticleCount(), 3);
}

using ParticleDrawing = SceneGLTest;

TEST_F(ParticleDrawing, TheSharedVisualOncePerParticleWithItsTransform) {
  GL.glMatrixMode(GL_MODELVIEW);
  GL.glLoadIdentity();
  TTestSquare square;
  auto list = List(0);
  list->Visual = &square;
  list->Animate(0.1f);
  EXPECT_EQ(square.Animations, 0);  // no particles: the visual rests

  list->SetParticleCount(3);
  list->Animate(0.1f);
  EXPECT_EQ(square.Animations, 1);  // once per frame, not per particle
  for (int i = 0; i < 3; ++i) list->Particles(i)->Position = {float(i), 0, 0};
  list->Particles(1)->SetVisible(false);
  list->Render();
  ASSERT_EQ(square.Passes.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(square.Offset(static_cast<size_t>(i)), MakeVector(float(i), 0, 0));

  // Gravity beyond any float: the particles leave the finite numbers, and
  // their transform reaches OpenGL as nothing but finite values.
  list->SpawnLifeTime = 1e30f;
  list->SetParticleCount(0);
  list->SetParticleCount(1);
  list->Animate(0.1f);
  list->EnableGravity = true;
  list->Gravity = 3e38f;
  list->Animate(10);
  list->Animate(10);
  EXPECT_FALSE(std::isfinite(list->Particles(0)->Position.y));
  square.Passes.clear();
  list->RenderOpaque();
  ASSERT_EQ(square.Passes.size(), 1u);
  for (float v : square.Passes[0].modelView) EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace scenetest
