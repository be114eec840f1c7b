// Fish environments drawn on the real driver: which list draws in which
// pass and with which state, hidden lists, the blended pass of the fish
// from the farthest slot to the nearest, the caustics on texture unit 1;
// a small scene drawn offscreen with the fish found by pixels where their
// paths put them; and the program's own two environments with their
// generated meshes, run for a few hundred frames.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "assets/ResourceReader.h"
#include "core/Random.h"
#include "gl/GLEntryPoints.h"
#include "gl/Texture.h"
#include "scene/RenderState.h"
#include "scene/SceneTexture.h"
#include "tests/world/FishTestSupport.h"
#include "world/SwimFrames.h"

namespace worldtest {
namespace {

bool Enabled(GLenum capability) { return GL.glIsEnabled(capability) == GL_TRUE; }

// Whether unit's GL_TEXTURE_2D is on, the active unit left as it was.
bool UnitTexturing(int unit) {
  if (!GL.glActiveTextureARB) return unit == 0 && Enabled(GL_TEXTURE_2D);
  GLint active = 0;
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  GL.glActiveTextureARB(GL_TEXTURE0_ARB + unit);
  const bool on = Enabled(GL_TEXTURE_2D);
  GL.glActiveTextureARB(static_cast<GLenum>(active));
  return on;
}

Keys Shape(const std::string& name) { return {{"Type", "TTestFishShape"}, {"Name", name}}; }

class FishRendering : public FishGLTest {
 protected:
  void SetUp() override {
    FishGLTest::SetUp();
    RandSeed(11);
    ResetSceneRenderState();
  }
  bool Multitexture() { return OpenGL().Textures()->MultitextureEnabled && OpenGL().Textures()->MaxTextureUnits >= 2; }
  void ClearFrame() {
    GL.glClearColor(0, 0, 0, 1);
    GL.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  // One frame, the depth test on as the water leaves it.
  void Frame(float deltaTime) {
    LoadView();
    OpenGL().SetDepthTest(true);
    scene_->Process(deltaTime);
    GL.glFinish();
  }

  // An environment of a fish list (20), a plankton list (4), a hidden
  // fish list (3) and a starfish list (2), each drawing its own shape.
  TFishRender& LoadMixedSea(const Keys& renderChanges = {}) {
    return LoadSea({With(ShippedFishes("Fish"), {{"Visual", "FishShape"}, {"ParticleCount", "20"}}),
                    With(ShippedFishes("Plankton"), {{"FishType", "Plankton"},
                                                     {"Visual", "PlanktonShape"},
                                                     {"MaxZ", "3000"},
                                                     {"MinZ", "600"},
                                                     {"MaxSpeed", "45"},
                                                     {"MinSpeed", "15"},
                                                     {"ParticleCount", "4"}}),
                    With(ShippedFishes("Hidden"), {{"Visible", "0"}, {"Visual", "HiddenShape"}, {"ParticleCount", "3"}}),
                    With(ShippedFishes("Stars"), {{"FishType", "StarFish"}, {"Visual", "StarShape"}, {"ParticleCount", "2"}})},
                   With({{"LightMapTexture", "Textures/caustfish.jpg"}}, renderChanges),
                   {Shape("FishShape"), Shape("PlanktonShape"), Shape("HiddenShape"), Shape("StarShape")});
  }
};

TEST_F(FishRendering, EachListDrawsItsPassesByItsTypeAndAHiddenListNothing) {
  TFishRender& sea = LoadMixedSea();
  Frame(0.1f);
  auto* fish = Find<TTestFishShape>("FishShape");
  auto* plankton = Find<TTestFishShape>("PlanktonShape");
  auto* hidden = Find<TTestFishShape>("HiddenShape");
  auto* stars = Find<TTestFishShape>("StarShape");
  const bool caustics = Multitexture();

  // Fish: every particle in the opaque pass, unlit, under the caustics;
  // in the blended pass only the fish that hold a slot.
  EXPECT_EQ(fish->Count('o'), 20);
  int held = 0;
  for (const auto& slot : sea.DepthBins) held += slot.List == Find<TFishes>("Sea/Fish");
  EXPECT_GT(held, 10);
  EXPECT_EQ(fish->Count('t'), held);
  for (const auto& pass : fish->Passes) {
    EXPECT_FALSE(pass.lighting);
    EXPECT_TRUE(pass.depthTest);
    EXPECT_EQ(pass.unit1Texture, caustics);
  }
  // Plankton: never in the opaque pass; blended without depth test and
  // culling, lit.
  EXPECT_EQ(plankton->Count('o'), 0);
  EXPECT_EQ(plankton->Count('t'), 4);
  for (const auto& pass : plankton->Passes) {
    EXPECT_FALSE(pass.depthTest);
    EXPECT_FALSE(pass.cullFace);
    EXPECT_TRUE(pass.lighting);
  }
  // Starfish: both passes of their own list, the blended one once (not
  // again in the sorted walk of the slots they hold).
  EXPECT_EQ(stars->Count('o'), 2);
  EXPECT_EQ(stars->Count('t'), 2);
  for (const auto& pass : stars->Passes)
    if (pass.pass == 't') {
      EXPECT_TRUE(pass.lighting);
    }
  // A hidden list draws nothing, but keeps animating.
  EXPECT_TRUE(hidden->Passes.empty());
  EXPECT_GT(hidden->Animations, 0);

  // After the frame: sorted, caustics off, unit 0 active, depth test and
  // culling back on.
  EXPECT_TRUE(sea.SortAlpha);
  EXPECT_FALSE(sea.CausticsOn());
  EXPECT_FALSE(UnitTexturing(1));
  if (GL.glActiveTextureARB) {
    GLint active = 0;
    GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
  }
  EXPECT_TRUE(Enabled(GL_DEPTH_TEST));
  EXPECT_TRUE(Enabled(GL_CULL_FACE));

  // Showing the hidden list draws it too; hiding the render draws nothing.
  Find<TFishes>("Sea/Hidden")->SetVisible(true);
  Frame(0.1f);
  EXPECT_EQ(hidden->Count('o'), 3);
  for (auto* shape : {fish, plankton, hidden, stars}) shape->Passes.clear();
  sea.SetVisible(false);
  Frame(0.1f);
  for (auto* shape : {fish, plankton, hidden, stars}) EXPECT_TRUE(shape->Passes.empty());
  // Nor without an active rendering context, while the fish swim on.
  sea.SetVisible(true);
  const TSceneParticle* swimmer = nullptr;
  for (const auto& slot : sea.DepthBins)
    if (slot.Fish) swimmer = slot.Fish;
  ASSERT_NE(swimmer, nullptr);
  const TGLVector before = swimmer->Position;
  OpenGL().Deactivate();
  scene_->Process(0.05f);
  for (auto* shape : {fish, plankton, hidden, stars}) EXPECT_TRUE(shape->Passes.empty());
  EXPECT_NE(swimmer->Position.x, before.x);
}

TEST_F(FishRendering, TheFishesBlendedPartsAreDrawnFromTheFarthestSlotToTheNearest) {
  TFishRender& sea = LoadMixedSea({{"SortAlpha", "0"}});
  EXPECT_FALSE(sea.SortAlpha);
  for (int frame = 0; frame < 5; ++frame) {
    auto* shape = Find<TTestFishShape>("FishShape");
    shape->Passes.clear();
    Frame(0.7f);
    std::vector<TGLVector> expected;
    for (auto slot = sea.DepthBins.rbegin(); slot != sea.DepthBins.rend(); ++slot)
      if (slot->List == Find<TFishes>("Sea/Fish")) expected.push_back(slot->Fish->Position);
    std::vector<TGLVector> drawn;
    for (const auto& pass : shape->Passes)
      if (pass.pass == 't') drawn.push_back(pass.offset);
    ASSERT_EQ(drawn.size(), expected.size());
    ASSERT_GT(drawn.size(), 5u);
    for (size_t i = 0; i < drawn.size(); ++i) {
      EXPECT_NEAR(drawn[i].x, expected[i].x, 1e-2) << i;
      EXPECT_NEAR(drawn[i].y, expected[i].y, 1e-2) << i;
      EXPECT_NEAR(drawn[i].z, expected[i].z, 1e-2) << i;
    }
    // Farther paths first: the starting depths never come nearer.
    std::vector<float> depths;
    for (auto slot = sea.DepthBins.rbegin(); slot != sea.DepthBins.rend(); ++slot)
      if (slot->Fish) depths.push_back(static_cast<const TFish*>(slot->Fish)->TrackZ);
    EXPECT_TRUE(std::is_sorted(depths.begin(), depths.end()));
  }
  EXPECT_TRUE(sea.SortAlpha);
}

TEST_F(FishRendering, CausticsLieOnUnitOneWithObjectPlanesAndAlwaysEnd) {
  if (!Multitexture()) GTEST_SKIP() << "one texture unit";
  TFishRender& sea = LoadMixedSea();
  sea.CausticPhase = 2;
  LoadView();
  auto* map = Find<TSceneTexture>("Textures/caustfish.jpg");
  EXPECT_EQ(map->GLTexture(), nullptr);
  sea.BeginFishCaustics();
  ASSERT_NE(map->GLTexture(), nullptr);
  EXPECT_TRUE(sea.CausticsOn());
  // Bound on unit 1 for the caustics only: the texture's own unit stays
  // 0 for an ordinary bind of the same texture.
  EXPECT_EQ(map->GLTexture()->TextureUnit, 0);
  // Unit 0 active and untouched; the cache still speaks for it.
  GLint active = 0;
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  EXPECT_EQ(active, GL_TEXTURE0_ARB);
  EXPECT_FALSE(Enabled(GL_TEXTURE_2D));
  EXPECT_EQ(SceneTexture(), nullptr);
  GL.glActiveTextureARB(GL_TEXTURE1_ARB);
  EXPECT_TRUE(Enabled(GL_TEXTURE_2D));
  EXPECT_TRUE(Enabled(GL_TEXTURE_GEN_S));
  EXPECT_TRUE(Enabled(GL_TEXTURE_GEN_T));
  GLint mode = 0, bound = 0;
  GL.glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_OBJECT_LINEAR);
  GL.glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_OBJECT_LINEAR);
  GL.glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(GLuint(bound), map->GLTexture()->Handle());
  std::array<float, 4> plane{};
  GL.glGetTexGenfv(GL_S, GL_OBJECT_PLANE, plane.data());
  EXPECT_EQ(plane, (std::array<float, 4>{0.001f, 0, 0, 3}));
  GL.glGetTexGenfv(GL_T, GL_OBJECT_PLANE, plane.data());
  EXPECT_EQ(plane, (std::array<float, 4>{0, 0.0002f, 0.00001f, 0.5f}));
  GL.glActiveTextureARB(GL_TEXTURE0_ARB);
  // A mesh's picture bound through the cache stays on unit 0.
  BindSceneTexture(Find<TSceneTexture>("Textures/SeaBottom"));
  EXPECT_TRUE(UnitTexturing(0));
  EXPECT_TRUE(UnitTexturing(1));
  BindSceneTexture(nullptr);
  sea.EndFishCaustics();
  EXPECT_FALSE(sea.CausticsOn());
  EXPECT_FALSE(UnitTexturing(1));
  GL.glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
  EXPECT_EQ(active, GL_TEXTURE0_ARB);

  // The world's switch: no caustics at all.
  sea.FishCaustic = false;
  sea.BeginFishCaustics();
  EXPECT_FALSE(sea.CausticsOn());
  Frame(0.1f);
  for (const auto& pass : Find<TTestFishShape>("FishShape")->Passes) EXPECT_FALSE(pass.unit1Texture);

  // A render without a blended pass still ends them with its frame.
  LoadMixedSea({{"Alpha", "0"}});
  Frame(0.1f);
  EXPECT_FALSE(Find<TFishRender>("Sea")->CausticsOn());
  EXPECT_FALSE(UnitTexturing(1));
  EXPECT_EQ(Find<TTestFishShape>("FishShape")->Count('t'), 0);
  EXPECT_GT(Find<TTestFishShape>("FishShape")->Count('o'), 0);
}

// A red box fish swimming right through the near band, drawn in the
// 64 x 64 frame: wherever the frame shows red there is a fish, and every
// fish well inside the view shows red at its centre.
TEST_F(FishRendering, FishAppearByPixelsWhereTheirPathsPutThem) {
  LoadSea({With(ShippedFishes("Red"), {{"Visual", "Meshes/redfish.3dm"},
                                       {"MinZ", "1500"},
                                       {"MaxZ", "2000"},
                                       {"UpY", "900"},
                                       {"BottomY", "-900"},
                                       {"ParticleCount", "6"}})},
          {{"FishDirection", "Right"}});
  TFishes& list = *Find<TFishes>("Sea/Red");
  const TViewSlopes view = Slopes();
  auto project = [&](const TGLVector& p) {
    return std::array<double, 2>{(p.x / -p.z / view.Right + 1) * 32, (p.y / -p.z / view.Top + 1) * 32};
  };
  int seen = 0;
  for (int frame = 0; frame < 8; ++frame) {
    ClearFrame();
    Frame(frame == 0 ? 0.1f : 1.5f);
    std::vector<std::array<double, 2>> centres;
    for (int i = 0; i < list.ParticleCount(); ++i) {
      const TSceneParticle* fish = list.Particles(i);
      if (fish->BinIndex < 0) continue;
      EXPECT_LT(fish->Position.z, 0);
      centres.push_back(project(fish->Position));
    }
    // Each red pixel lies on a fish: the box is about 6 pixels long and 4
    // high at these depths.
    int red = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const std::vector<uint8_t> p = Pixel(x, y);
        if (p[0] < 128) {
          EXPECT_LT(p[1] + p[2], 30) << x << " " << y;
          continue;
        }
        ++red;
        bool near = false;
        for (const auto& c : centres) near |= std::fabs(x + 0.5 - c[0]) < 6 && std::fabs(y + 0.5 - c[1]) < 5;
        EXPECT_TRUE(near) << "red at " << x << " " << y;
        EXPECT_LT(p[1] + p[2], 30) << x << " " << y;
      }
    // Each fish well inside shows its red body at its centre.
    for (const auto& c : centres) {
      if (c[0] < 4 || c[0] > 60 || c[1] < 4 || c[1] > 60) continue;
      ++seen;
      const std::vector<uint8_t> p = Pixel(int(c[0]), int(c[1]));
      EXPECT_GT(p[0], 200) << c[0] << " " << c[1];
      EXPECT_LT(p[1] + p[2], 30);
    }
    if (centres.empty()) {
      EXPECT_EQ(red, 0);
    }
  }
  EXPECT_GE(seen, 5);
  // The mesh swims with its generated frames.
  EXPECT_EQ(Find<TSceneMesh>("Meshes/redfish.3dm")->FrameCount(), kSwimFrames);
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The archive the program carries, for the tests that read it.
class CarriedArchive {
 public:
  CarriedArchive() : source_(ResourceReader().Source), name_(ResourceReader().ArchiveName) {
    ResourceReader().Source = TResourceSource::rsArchiveResource;
    ResourceReader().ArchiveName = "data.rfa";
    ResourceReader().FreeArchive();
  }
  ~CarriedArchive() {
    ResourceReader().Source = source_;
    ResourceReader().ArchiveName = name_;
    ResourceReader().FreeArchive();
  }
  CarriedArchive(const CarriedArchive&) = delete;
  CarriedArchive& operator=(const CarriedArchive&) = delete;

 private:
  TResourceSource source_;
  std::string name_;
};

class CarriedFish : public FishRendering {
 protected:
  // The objects of the carried description named in names (and their
  // children), in the description's order.
  void LoadCarried(const std::vector<std::string>& names) {
    scene_ = NewScene();
    scene_->SourceFlags = sfArchive;
    TResourceLoader loader;
    loader.Source = TResourceLoader::lsArchive;
    loader.FileName = "ravavezaz.gsc";
    loader.MainScene = scene_.get();
    loader.Open();
    loader.Section = "MainScene";
    const int count = loader.ReadInteger("Count", 0);
    int found = 0;
    for (int i = 1; i <= count; ++i) {
      loader.Section = "MainScene" + std::to_string(i);
      if (std::find(names.begin(), names.end(), loader.ReadString("Name", "")) == names.end()) continue;
      std::unique_ptr<TMainObject> object = loader.CreateObject();
      TMainObject* made = object.get();
      scene_->AddItem(object.release());
      loader.ReadObjectProperties(made);
      if (auto* list = dynamic_cast<TMainList*>(made)) loader.LoadChildren(list);
      ++found;
    }
    ASSERT_EQ(found, static_cast<int>(names.size()));
  }

  // Every number of every particle finite; every fish that holds a slot on
  // its path across the view, in one of its list's bands; every parked
  // fish in its place; plankton within its depths.
  void ExpectSwimmingInTheirBands(const TFishRender& render) {
    const TViewSlopes view = Slopes();
    const TGLVector c = Camera();
    for (int l = 0; l < render.Count(); ++l) {
      const auto* list = dynamic_cast<const TFishes*>(render.GetItem(l));
      ASSERT_NE(list, nullptr);
      for (int i = 0; i < list->ParticleCount(); ++i) {
        const TSceneParticle* p = list->Particles(i);
        SCOPED_TRACE(p->Name());
        ASSERT_TRUE(std::isfinite(p->Position.x) && std::isfinite(p->Position.y) && std::isfinite(p->Position.z));
        ASSERT_TRUE(std::isfinite(p->Velocity.x) && std::isfinite(p->Velocity.y) && std::isfinite(p->Velocity.z));
        ASSERT_TRUE(std::isfinite(p->Angles.x) && std::isfinite(p->Angles.y) && std::isfinite(p->Angles.z));
        ASSERT_TRUE(std::isfinite(p->LifeTime) && std::isfinite(p->Age));
        if (list->FishType == ftPlankton) {
          EXPECT_GE(p->Position.z, -list->MaxZ - 1e-2);
          EXPECT_LE(p->Position.z, -list->MinZ + 1e-2);
          EXPECT_LE(std::fabs(p->Position.x - c.x), std::fabs(p->Position.z - c.z) * view.Right + 1);
          continue;
        }
        if (p->BinIndex < 0) {
          EXPECT_EQ(p->Position.z, 5000);
          continue;
        }
        const auto* fish = static_cast<const TFish*>(p);
        const double speed = std::hypot(p->Velocity.x, p->Velocity.z);
        ASSERT_GT(speed, 0);
        const bool right = p->Velocity.x > 0;
        const double dx = std::fabs(p->Velocity.x) / speed, dz = (right ? p->Velocity.z : -p->Velocity.z) / speed;
        const double h = list->HalfLength;
        const double z0 = fish->TrackZ + dz * h;  // where the path meets the left edge
        if (dz < -0.1) {
          EXPECT_GE(z0, -render.NearBandEnd - 1);
          EXPECT_LE(z0, -list->MinZ + 1);
        } else if (z0 >= -render.MidBandStart - (render.FarBandStart - render.MidBandStart - render.ZGap) - 1) {
          EXPECT_LE(z0, -render.MidBandStart + 1);
        } else {
          EXPECT_GE(z0, -render.ZGap - list->MaxZ - 1);
          EXPECT_LE(z0, -render.ZGap - render.FarBandStart + 1);
          EXPECT_GE(p->Position.y, list->UpY - (list->UpY - list->BottomY) / 2 - 1);
        }
        EXPECT_GE(p->Position.y, list->BottomY - 1);
        EXPECT_LE(p->Position.y, list->UpY + 1);
        // On the line from the pushed-out start along d, and not beyond
        // the right edge's margin.
        const double sx = c.x - std::fabs(z0 - c.z) * view.Right - dx * h, sz = fish->TrackZ;
        EXPECT_NEAR((p->Position.x - sx) * dz - (p->Position.z - sz) * dx, 0, 1);
        EXPECT_GE(p->Position.x, sx - 1);
        EXPECT_LE(p->Position.x, c.x + std::fabs(p->Position.z - c.z) * view.Right + h + 1);
      }
    }
  }
};

TEST_F(CarriedFish, TheProgramsEnvironmentsSwimWithinTheirBandsForHundredsOfFrames) {
  CarriedArchive archive;
  LoadCarried({"Textures", "Materials", "Meshes", "SaltWater", "FreshWater"});
  TFishRender* salt = Find<TFishRender>("SaltWater");
  TFishRender* fresh = Find<TFishRender>("FreshWater");
  ASSERT_EQ(salt->Count(), 4);
  ASSERT_EQ(fresh->Count(), 4);
  EXPECT_EQ(salt->DepthBins.size(), 1001u);
  EXPECT_EQ(salt->FishDirection, fdBoth);
  EXPECT_NE(salt->LightMapTexture, nullptr);
  fresh->SetVisible(true);  // both drawn here; the world shows one
  for (int frame = 0; frame < 300; ++frame) {
    // Mostly steady frames, now and then a long stall.
    Frame(frame % 50 == 49 ? 3.0f : 1.0f / 30);
    ExpectSwimmingInTheirBands(*salt);
    ExpectSwimmingInTheirBands(*fresh);
    if (HasFatalFailure() || testing::Test::HasFailure()) break;
  }
  EXPECT_EQ(GL.glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_GT(salt->HeldSlots(), 10);
  EXPECT_GT(fresh->HeldSlots(), 10);
  // The six fish meshes swim with generated frames, every value finite;
  // the generated meshes are centred, head at +x, so X1 lies a fifth of
  // the length ahead of the centre.
  for (const TFishRender* render : {salt, fresh})
    for (int l = 0; l < render->Count(); ++l) {
      const auto* list = static_cast<const TFishes*>(render->GetItem(l));
      auto* mesh = list->Mesh();
      ASSERT_NE(mesh, nullptr) << list->Name();
      SCOPED_TRACE(mesh->Name());
      if (list->FishType == ftPlankton) {
        EXPECT_EQ(mesh->FrameCount(), 0);
        continue;
      }
      EXPECT_EQ(mesh->FrameCount(), kSwimFrames);
      TGLBox box;
      mesh->GetBounds(box);
      EXPECT_NEAR(box.min.x + 0.7 * (box.max.x - box.min.x), 0.2 * (box.max.x - box.min.x),
                  0.02 * (box.max.x - box.min.x));
      // Measured before the frames bent the fins (the box is of the frame
      // shown now).
      EXPECT_NEAR(list->HalfLength, (box.max.x - box.min.x) / 2 + 100, 0.01 * (box.max.x - box.min.x));
      for (const TMeshGroupList* groups : {&mesh->OpaqueGroups, &mesh->TransparentGroups})
        for (const auto& group : *groups)
          for (int f = 0; f < group->VertexFrames.Count(); ++f)
            for (int i = 0; i < group->VertexFrames.Items(f)->Count(); ++i) {
              const TGLVector v = group->VertexFrames.Items(f)->Items()[i];
              const TGLVector n = group->NormalFrames.Items(f)->Items()[i];
              ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
              ASSERT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z));
            }
    }
}

}  // namespace
}  // namespace worldtest
