// The world's fish: the environments it finds, fish spread over the
// visible fish lists, the environment shown for an index beyond the last,
// the direction, sorting and caustic flags, and the fish options surviving
// a restart.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/world/WorldTestSupport.h"
#include "world/FishRender.h"
#include "world/Fishes.h"
#include "world/UnderWaterWorld.h"

namespace worldtest {
namespace {

// A fish list's section: type, count and bounds.
std::string FishList(const std::string& section, const std::string& name, const std::string& type, int count,
                     int maxCount = 60) {
  return "[" + section + "]\nType=TFishes\nName=" + name + "\nAlpha=1\nFishType=" + type +
         "\nMaxZ=8000\nMinZ=1200\nUpY=2400\nBottomY=-2600\nMaxSpeed=200\nMinSpeed=110\nMaxCount=" +
         std::to_string(maxCount) + "\nParticleCount=" + std::to_string(count) + "\n";
}

class WorldFish : public WaterGLTest {
 protected:
  void TearDown() override {
    world.reset();
    WaterGLTest::TearDown();
  }
  // The world scene with FreshWater described before SaltWater.
  void Restart() {
    world.reset();
    std::vector<Keys> environments = {
        {{"Type", "TFishRender"}, {"Name", "FreshWater"}, {"ProcessOptions", "[Render,Animation]"}, {"Alpha", "1"},
         {"FishDirection", "Both"}, {"Count", "3"}},
        {{"Type", "TFishRender"}, {"Name", "SaltWater"}, {"ProcessOptions", "[Render,Animation]"}, {"Alpha", "1"},
         {"FishDirection", "Both"}, {"Count", "4"}},
    };
    std::string text = Describe(WorldObjects(environments), StandardTextures());
    text += FishList("FreshWater1", "Perch", "Fish", 7) + FishList("FreshWater2", "Trout", "Fish", 7) +
            FishList("FreshWater3", "Lake Plankton", "Plankton", 5, 40);
    text += FishList("SaltWater1", "Angelfish", "Fish", 7) + FishList("SaltWater2", "Blue Tang", "Fish", 7) +
            FishList("SaltWater3", "Clownfish", "Fish", 6) + FishList("SaltWater4", "Sea Plankton", "Plankton", 5);
    LoadText(text);
    scene_->Application = &App();
    world = std::make_unique<TUnderWaterWorld>(&App(), scene_.get());
  }
  void Start() {
    Restart();
    world->LoadOptions();
  }
  TFishes& List(const std::string& path) { return *Find<TFishes>(path); }
  TFishRender& Environment(const std::string& name) { return *Find<TFishRender>(name); }
  std::vector<int> Counts(const std::vector<std::string>& paths) {
    std::vector<int> counts;
    for (const std::string& path : paths) counts.push_back(List(path).ParticleCount());
    return counts;
  }
  std::vector<int> SaltCounts() {
    return Counts({"SaltWater/Angelfish", "SaltWater/Blue Tang", "SaltWater/Clownfish", "SaltWater/Sea Plankton"});
  }
  std::vector<int> FreshCounts() {
    return Counts({"FreshWater/Perch", "FreshWater/Trout", "FreshWater/Lake Plankton"});
  }
  void Store(const std::string& name, const std::string& value) {
    store_.SetValue(platform::SettingsRoot::CurrentUser, "Software\\Ostrevin\\Velmora 1", name, value);
  }

  std::unique_ptr<TUnderWaterWorld> world;
};

TEST_F(WorldFish, EnvironmentsInTheirOwnOrderAndTwentyFishAsSevenSevenSix) {
  Start();
  ASSERT_EQ(world->FishEnvironments.size(), 2u);
  EXPECT_EQ(world->FishEnvironments[0].first, "SaltWater");
  EXPECT_EQ(world->FishEnvironments[1].second, &Environment("FreshWater"));
  EXPECT_EQ(world->FishCount(), 20);
  EXPECT_EQ(SaltCounts(), (std::vector<int>{7, 7, 6, 60}));  // plankton: its MaxCount
  EXPECT_EQ(FreshCounts(), (std::vector<int>{10, 10, 40}));
  EXPECT_TRUE(Environment("SaltWater").Visible());
  EXPECT_FALSE(Environment("FreshWater").Visible());
  EXPECT_EQ(world->FishTypes, (std::vector<std::string>{"Angelfish", "Blue Tang", "Clownfish", "Sea Plankton"}));

  world->SetFishCount(5);
  EXPECT_EQ(SaltCounts(), (std::vector<int>{2, 2, 1, 60}));
  EXPECT_EQ(FreshCounts(), (std::vector<int>{3, 2, 40}));
}

TEST_F(WorldFish, HiddenListsKeepTheirCount) {
  Store("Blue Tang", "0");
  Store("Lake Plankton", "0");
  Start();
  EXPECT_FALSE(List("SaltWater/Blue Tang").Visible());
  EXPECT_EQ(SaltCounts(), (std::vector<int>{10, 7, 10, 60}));
  EXPECT_EQ(FreshCounts(), (std::vector<int>{10, 10, 5}));
  // No visible fish list: only the others get their MaxCount.
  for (const char* name : {"Angelfish", "Clownfish"}) List(std::string("SaltWater/") + name).SetVisible(false);
  List("SaltWater/Sea Plankton").SetParticleCount(0);
  TUnderWaterWorld::DistributeFish(20, &Environment("SaltWater"));
  EXPECT_EQ(SaltCounts(), (std::vector<int>{10, 7, 10, 60}));
}

TEST_F(WorldFish, AnIndexBeyondTheLastEnvironmentShowsTheLast) {
  Store("FishTypeIndex", "5");
  Start();
  // Kept as the last one's index, so that it is stored back as one.
  EXPECT_EQ(world->FishTypeIndex(), 1);
  EXPECT_FALSE(Environment("SaltWater").Visible());
  EXPECT_TRUE(Environment("FreshWater").Visible());
  EXPECT_EQ(world->FishTypes, (std::vector<std::string>{"Lake Plankton", "Perch", "Trout"}));
  // A negative index leaves the environments as they are.
  world->SetFishTypeIndex(-1);
  EXPECT_TRUE(Environment("FreshWater").Visible());
  EXPECT_FALSE(Environment("SaltWater").Visible());
  EXPECT_EQ(world->FishTypes.size(), 3u);
  world->SetFishTypeIndex(0);
  EXPECT_TRUE(Environment("SaltWater").Visible());
  EXPECT_FALSE(Environment("FreshWater").Visible());
}

TEST_F(WorldFish, DirectionSortingAndCausticsReachEveryEnvironment) {
  Store("FishDirection", "Right");  // the world's own first value; the scene says Both
  Store("FishCaustic", "0");
  Start();
  for (const char* name : {"SaltWater", "FreshWater"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Environment(name).FishDirection, fdRight);
    EXPECT_TRUE(Environment(name).SortAlpha);
    EXPECT_FALSE(Environment(name).FishCaustic);
  }
  world->SetFishDirection(TUnderWaterWorld::StrToFishDirection("Left"));
  EXPECT_EQ(Environment("FreshWater").FishDirection, fdLeft);
  world->SetFishDirection(TUnderWaterWorld::StrToFishDirection("sideways"));
  EXPECT_EQ(Environment("SaltWater").FishDirection, fdBoth);
  world->SetFishCaustic(true);
  EXPECT_TRUE(Environment("SaltWater").FishCaustic);
}

TEST_F(WorldFish, NoFishStaysNoFishAfterARestart) {
  Start();
  world->SetFishCount(0);
  EXPECT_EQ(SaltCounts(), (std::vector<int>{0, 0, 0, 60}));
  world->SaveOptions();
  // The scene describes 7, 7 and 6; the stored 0 still applies.
  Start();
  EXPECT_EQ(world->FishCount(), 0);
  EXPECT_EQ(SaltCounts(), (std::vector<int>{0, 0, 0, 60}));
}

TEST_F(WorldFish, FishSettingsSurviveARestart) {
  Start();
  world->SetFishTypeIndex(1);
  List("FreshWater/Trout").SetVisible(false);
  world->SetFishDirection(1);
  world->SetFishCount(9);
  world->SaveOptions();
  Start();
  EXPECT_EQ(world->FishTypeIndex(), 1);
  EXPECT_TRUE(Environment("FreshWater").Visible());
  EXPECT_FALSE(List("FreshWater/Trout").Visible());
  EXPECT_TRUE(List("FreshWater/Perch").Visible());
  EXPECT_EQ(Environment("FreshWater").FishDirection, fdLeft);
  EXPECT_EQ(FreshCounts(), (std::vector<int>{9, 7, 40}));
}

}  // namespace
}  // namespace worldtest
