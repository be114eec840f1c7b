// The scene module and the world's classes around every test of this
// executable, as the program registers them, and the test classes after.
#include <gtest/gtest.h>

#include "scene/Particles.h"
#include "scene/SceneClasses.h"
#include "tests/scene/VisualTestSupport.h"
#include "tests/world/ClockTestSupport.h"
#include "tests/world/FishTestSupport.h"
#include "tests/world/WorldTestSupport.h"
#include "world/WorldClasses.h"

namespace {

class WorldModule : public ::testing::Environment {
 public:
  void SetUp() override {
    velmora::RegisterSceneClasses();
    velmora::RegisterWorldClasses();
    velmora::RegisterSceneClass<worldtest::TTestLight>("TTestLight");
    velmora::RegisterSceneClass<worldtest::TTestBackground>("TTestBackground");
    velmora::RegisterSceneClass<worldtest::TTestHand>("TTestHand");
    velmora::RegisterSceneClass<velmora::TSceneParticleList>("TTestParticles");
    velmora::RegisterSceneClass<scenetest::TTestSquare>("TTestSquare");
    velmora::RegisterSceneClass<worldtest::TTestFishShape>("TTestFishShape");
  }
  void TearDown() override { velmora::FreeSceneClasses(); }
};

const ::testing::Environment* const kModule = ::testing::AddGlobalTestEnvironment(new WorldModule);

}  // namespace
