// The scene module and the world's classes around every test of this
// executable, as the program registers them.
#include <gtest/gtest.h>

#include "scene/SceneClasses.h"
#include "world/WorldClasses.h"

namespace {

class ProgramModule : public ::testing::Environment {
 public:
  void SetUp() override {
    velmora::RegisterSceneClasses();
    velmora::RegisterWorldClasses();
  }
  void TearDown() override { velmora::FreeSceneClasses(); }
};

const ::testing::Environment* const kModule = ::testing::AddGlobalTestEnvironment(new ProgramModule);

}  // namespace
