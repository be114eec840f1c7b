// The scene module's start and end around every test of this executable,
// as the program does it: the registry filled, the test probe added.
#include <gtest/gtest.h>

#include "scene/SceneClasses.h"
#include "tests/scene/SceneTestSupport.h"

namespace {

class SceneModule : public ::testing::Environment {
 public:
  void SetUp() override {
    velmora::RegisterSceneClasses();
    velmora::RegisterSceneClass<scenetest::TTestProbe>("TTestProbe");
  }
  void TearDown() override { velmora::FreeSceneClasses(); }
};

const ::testing::Environment* const kModule = ::testing::AddGlobalTestEnvironment(new SceneModule);

}  // namespace
