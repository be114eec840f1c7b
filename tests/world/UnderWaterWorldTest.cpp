// The world and its options: what Init collects, the order in which the
// options reach the waters (a stored water index lights that water's light
// only), the bubble count, the settings the world stores surviving a
// restart, switches of the command line reaching it, and its errors.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/ApplicationPro.h"
#include "scene/Particles.h"
#include "tests/world/WorldTestSupport.h"
#include "world/UnderWaterWorld.h"

namespace worldtest {
namespace {

class World : public WaterGLTest {
 protected:
  void TearDown() override {
    world.reset();
    TCustomApplicationPro::OptionOverrides().Clear();
    WaterGLTest::TearDown();
  }
  // The world scene (with more objects) loaded anew, on the application.
  TMainScene& Restart(const std::vector<Keys>& more = {}) {
    world.reset();
    TMainScene& scene = Load(WorldObjects(more));
    scene.Application = &App();
    world = std::make_unique<TUnderWaterWorld>(&App(), &scene);
    return scene;
  }
  // Restart, then the scene's options and the world's, as the form loads them.
  void Start(const std::vector<Keys>& more = {}) {
    Restart(more);
    scene_->LoadOptions();
    world->LoadOptions();
  }
  TTestLight& Light(const std::string& name) { return *Find<TTestLight>(name); }
  void StartWorldFrame() {
    LoadView();
    scene_->Process(0.02f);
  }
  int Bubbles() { return Find<TSceneParticleList>("Bubbles")->ParticleCount(); }
  // Which waters are visible, "B", "A", "G" in scene order.
  std::string VisibleWaters() {
    std::string shown;
    for (const char* name : {"Blue Water", "Aquamarine Water", "Green Water"})
      if (Water(name)->Visible()) shown += name[0];
    return shown;
  }
  std::string Stored(const std::string& name) {
    return store_.Value(platform::SettingsRoot::CurrentUser, "Software\\Ostrevin\\Velmora 1", name).value_or("(none)");
  }
  void Store(const std::string& name, const std::string& value) {
    store_.SetValue(platform::SettingsRoot::CurrentUser, "Software\\Ostrevin\\Velmora 1", name, value);
  }

  std::unique_ptr<TUnderWaterWorld> world;
};

TEST_F(World, InitNeedsSceneAndApplicationAndCollectsTheWaters) {
  TUnderWaterWorld empty;
  EXPECT_EQ(Message([&] { empty.Init(); }), "TUnderWaterWorld.Init error: FScene=NIL");
  Restart({{{"Type", "TTestBackground"}, {"Name", "SaltWater"}}});  // not a fish environment
  TUnderWaterWorld noApplication(nullptr, scene_.get());
  EXPECT_EQ(Message([&] { noApplication.Init(); }), "TUnderWaterWorld.Init error: FApp=NIL");

  world->Init();
  ASSERT_EQ(world->Waters.size(), 3u);
  EXPECT_EQ(world->Waters[0].first, "Blue Water");
  EXPECT_EQ(world->Waters[1].first, "Aquamarine Water");
  EXPECT_EQ(world->Waters[2].second, Water("Green Water"));
  EXPECT_TRUE(world->FishEnvironments.empty());
  EXPECT_EQ(world->FishTypeIndex(), -1);
  EXPECT_EQ(world->WaterBackgroundIndex(), -1);
  // A second Init does not add them twice.
  world->Init();
  EXPECT_EQ(world->Waters.size(), 3u);
}

TEST_F(World, AStoredWaterIndexOfOneLightsTheAquamarineLightOnly) {
  Store("WaterBackgroundIndex", "1");
  Store("UseLights", "0");
  Store("EmulateDepth", "0");
  Restart();
  scene_->LoadOptions();
  world->LoadOptions();
  EXPECT_EQ(VisibleWaters(), "A");
  EXPECT_FALSE(Light("Blue Light").Enabled);
  EXPECT_TRUE(Light("Aquamarine Light").Enabled);
  EXPECT_FALSE(Light("Green Light").Enabled);
  EXPECT_EQ(Light("Aquamarine Light").Enables, 1);
  EXPECT_EQ(Light("Green Light").Enables, 0);
  // The flags read before the index reached every water with it; the
  // light and caustic flags read after it only the visible one.
  for (const char* name : {"Blue Water", "Aquamarine Water", "Green Water"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Water(name)->EmulateDepth);
    EXPECT_TRUE(Water(name)->Flat);
    EXPECT_TRUE(Water(name)->UseBackground);
  }
  EXPECT_FALSE(Water("Aquamarine Water")->UseLights);
  EXPECT_TRUE(Water("Aquamarine Water")->UseCaustic);
  EXPECT_FALSE(Water("Blue Water")->UseCaustic);  // the world's value before the options
  EXPECT_EQ(world->GetBubbleCount(), 50);             // the default
  EXPECT_EQ(Bubbles(), 50);

  // The lights follow through the frames too.
  StartWorldFrame();
  EXPECT_TRUE(Light("Aquamarine Light").Enabled);
  EXPECT_FALSE(Light("Blue Light").Enabled);
}

TEST_F(World, SettersPushEachChoiceIntoTheScene) {
  Start();
  ASSERT_EQ(VisibleWaters(), "B");
  world->SetWaterBackgroundIndex(2);
  EXPECT_EQ(VisibleWaters(), "G");
  EXPECT_TRUE(Light("Green Light").Enabled);
  EXPECT_FALSE(Light("Blue Light").Enabled);
  EXPECT_TRUE(Water("Green Water")->UseLights);  // copied from the world
  world->SetUseLights(false);
  world->SetUseCaustic(false);
  EXPECT_FALSE(Water("Green Water")->UseLights);
  EXPECT_FALSE(Water("Green Water")->UseCaustic);
  EXPECT_TRUE(Water("Blue Water")->UseLights);  // hidden waters keep theirs
  world->SetBackgroundMode(2);
  EXPECT_EQ(Water("Green Water")->BackgroundMode, 2);
  EXPECT_EQ(Water("Blue Water")->BackgroundMode, 0);  // the world's first mode
  // The same index again changes nothing, not even a hand-made change.
  Water("Blue Water")->SetVisible(true);
  world->SetWaterBackgroundIndex(2);
  EXPECT_EQ(VisibleWaters(), "BG");
  // An index beyond the waters (a damaged stored setting) shows the last
  // water, one below them the first: the per-water setters always find the
  // visible water.
  world->SetWaterBackgroundIndex(0);
  world->SetWaterBackgroundIndex(5);
  EXPECT_EQ(world->WaterBackgroundIndex(), 2);
  EXPECT_EQ(VisibleWaters(), "G");
  world->SetUseLights(true);
  EXPECT_TRUE(Water("Green Water")->UseLights);
  world->SetWaterBackgroundIndex(-3);
  EXPECT_EQ(world->WaterBackgroundIndex(), 0);
  EXPECT_EQ(VisibleWaters(), "B");
  world->SetBackgroundMode(1);
  EXPECT_EQ(Water("Blue Water")->BackgroundMode, 1);
}

TEST_F(World, BubbleCountToZeroAndBack) {
  Start();
  TSceneParticleList* bubbles = Find<TSceneParticleList>("Bubbles");
  world->SetBubbleCount(0);
  EXPECT_EQ(bubbles->GetCount(), 0);
  EXPECT_EQ(world->GetBubbleCount(), 0);
  world->SetBubbleCount(30);
  ASSERT_EQ(bubbles->GetCount(), 30);
  for (int i = 0; i < 30; ++i) EXPECT_TRUE(bubbles->Particles(i)->Fresh);
  // Without a list of that name the bubble setters do nothing.
  Restart();
  delete scene_->FindObject("Bubbles");
  world->SetBubbleCount(10);
  EXPECT_EQ(world->GetBubbleCount(), 0);
}

TEST_F(World, TheSettingsSurviveARestart) {
  Start();
  world->SetWaterBackgroundIndex(2);
  world->SetUseLights(false);
  world->SetUseCaustic(false);
  world->EmulateDepth = false;
  world->UseBackground = false;
  world->Flat = false;
  world->SetBubbleCount(7);
  world->SaveOptions();
  EXPECT_EQ(Stored("WaterBackgroundIndex"), "2");
  EXPECT_EQ(Stored("BubbleCount"), "7");
  EXPECT_EQ(Stored("Flat"), "0");
  EXPECT_EQ(Stored("SortAlpha"), "-1");
  EXPECT_EQ(Stored("FishDirection"), "Both");

  Start();
  EXPECT_EQ(world->WaterBackgroundIndex(), 2);
  EXPECT_EQ(VisibleWaters(), "G");
  EXPECT_FALSE(Water("Green Water")->UseLights);
  EXPECT_FALSE(Water("Green Water")->UseCaustic);
  EXPECT_FALSE(Water("Blue Water")->EmulateDepth);
  EXPECT_FALSE(Water("Aquamarine Water")->UseBackground);
  EXPECT_TRUE(world->Flat);  // written, but loading always makes it true
  EXPECT_TRUE(Water("Green Water")->Flat);
  EXPECT_TRUE(world->SortAlpha());
  EXPECT_EQ(Bubbles(), 7);
  EXPECT_TRUE(Light("Green Light").Enabled);
  EXPECT_FALSE(Light("Blue Light").Enabled);
}

TEST_F(World, SwitchesOfTheRunReachTheWorldAndStayUnstored) {
  Store("WaterBackgroundIndex", "1");
  TCustomApplicationPro::OptionOverrides().Set("WaterBackgroundIndex", "2");
  TCustomApplicationPro::OptionOverrides().Set("BubbleCount", "3");
  Start();
  EXPECT_EQ(VisibleWaters(), "G");
  EXPECT_EQ(Bubbles(), 3);
  world->SaveOptions();
  EXPECT_EQ(Stored("WaterBackgroundIndex"), "1");
  EXPECT_EQ(Stored("BubbleCount"), "(none)");
}

TEST_F(World, OptionsLiveUnderPlainNamesOfTheUser) {
  Restart();
  App().NamesScrambled = true;
  App().SetUseLocalMachine(true);
  world->LoadOptions();
  EXPECT_FALSE(App().NamesScrambled);
  EXPECT_FALSE(App().UseLocalMachine());
  App().NamesScrambled = true;
  world->SaveOptions();
  EXPECT_EQ(Stored("WaterBackgroundIndex"), "0");
  EXPECT_EQ(Stored("EmulateDepth"), "-1");
  // A stored value that is not a number is the option store's error.
  Store("FishCount", "many");
  EXPECT_EQ(Message([&] { world->LoadOptions(); }),
            "TCustomApplicationPro.ReadOptionInteger error: 'many' is not a valid integer value");
}

}  // namespace
}  // namespace worldtest
