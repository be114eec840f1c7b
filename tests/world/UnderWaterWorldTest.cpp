// The world and its options: what Init collects, the order in which the
// options reach the waters (a stored water index lights that water's light
// only), the bubble count, the settings the world stores surviving a
// restart, switches of the command line reaching it, a damaged settings
// file, and its errors.
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
  // An index beyond the waters hides them all, and the per-water setters
  // then have no water to address.
  world->SetWaterBackgroundIndex(5);
  EXPECT_EQ(VisibleWaters(), "");
  EXPECT_EQ(Message([&] { world->SetUseLights(true); }), "TUnderWaterWorld.SetUseLights error: List index out of bounds (5)");
  EXPECT_EQ(Message([&] { world->SetUseCaustic(true); }),
            "TUnderWaterWorld.SetUseCaustic error: List index out of bounds (5)");
  EXPECT_EQ(Message([&] { world->SetBackgroundMode(1); }),
            "TUnderWaterWorld.SetBackgroundMode error: List index out of bounds (5)");
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
}

// A damaged settings file gives a sensible scene and warnings, never an
// error, and the stored texts stay until the options are saved.
TEST_F(World, ADamagedSettingsFileGivesASensibleSceneWithWarnings) {
  Store("WaterBackgroundIndex", "7");
  Store("FishCount", "many");
  Store("BubbleCount", "5000");
  Store("UseLights", "maybe");
  Store("UseCaustic", "0");
  testing::internal::CaptureStderr();
  Start();
  const std::string warnings = testing::internal::GetCapturedStderr();
  EXPECT_EQ(VisibleWaters(), "G");  // the nearest water
  EXPECT_TRUE(Light("Green Light").Enabled);
  EXPECT_EQ(world->WaterBackgroundIndex(), 2);
  EXPECT_EQ(world->FishCount(), 20);
  EXPECT_EQ(Bubbles(), 100);
  EXPECT_TRUE(Water("Green Water")->UseLights);     // the default
  EXPECT_FALSE(Water("Green Water")->UseCaustic);   // read as stored
  for (const char* warning :
       {"velmora: warning: TUnderWaterWorld.LoadOptions: WaterBackgroundIndex 7 names no water (0..2); 2 is used\n",
        "velmora: warning: TCustomApplicationPro.ReadOptionInteger: option \"FishCount\" is 'many', not a valid "
        "integer value; 20 is used\n",
        "velmora: warning: TUnderWaterWorld.LoadOptions: BubbleCount 5000 is outside 0..100; 100 is used\n",
        "velmora: warning: TCustomApplicationPro.ReadOptionBool: option \"UseLights\" is 'maybe', not a valid "
        "boolean value; true is used\n"})
    EXPECT_NE(warnings.find(warning), std::string::npos) << warning << "in:\n" << warnings;
  EXPECT_EQ(Stored("WaterBackgroundIndex"), "7");
  EXPECT_EQ(Stored("FishCount"), "many");

  // Below the first water, and counts below 0.
  Store("WaterBackgroundIndex", "-3");
  Store("FishCount", "-5");
  Store("BubbleCount", "-1");
  testing::internal::CaptureStderr();
  Start();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("WaterBackgroundIndex -3 names no water (0..2); 0 is used"),
            std::string::npos);
  EXPECT_EQ(VisibleWaters(), "B");
  EXPECT_EQ(world->FishCount(), 0);
  EXPECT_EQ(Bubbles(), 0);

  // Saved, the values the scene shows replace the damaged ones only.
  world->SaveOptions();
  EXPECT_EQ(Stored("WaterBackgroundIndex"), "0");
  EXPECT_EQ(Stored("FishCount"), "0");
  EXPECT_EQ(Stored("UseCaustic"), "0");
}

TEST_F(World, AStoredWaterIndexInASceneWithoutWaterIsKept) {
  // Only the textures: the flags are kept for the next save, nothing fails.
  Store("WaterBackgroundIndex", "1");
  Store("UseLights", "0");
  world.reset();
  TMainScene& scene = Load({});
  scene.Application = &App();
  world = std::make_unique<TUnderWaterWorld>(&App(), &scene);
  world->LoadOptions();
  EXPECT_EQ(world->WaterBackgroundIndex(), 1);
  EXPECT_FALSE(world->UseLights());
  EXPECT_TRUE(world->UseCaustic());
  // What each frame and the settings dialog set reaches no water and
  // fails nowhere; the values are kept.
  EXPECT_EQ(Message([&] { world->SetBackgroundMode(2); }), "(nothing raised)");
  EXPECT_EQ(Message([&] { world->SetUseCaustic(false); }), "(nothing raised)");
  EXPECT_FALSE(world->UseCaustic());
  EXPECT_EQ(Message([&] { world->SetUseLights(false); }), "(nothing raised)");
  world->SaveOptions();
  EXPECT_EQ(Stored("WaterBackgroundIndex"), "1");
  EXPECT_EQ(Stored("UseLights"), "0");
}

}  // namespace
}  // namespace worldtest
