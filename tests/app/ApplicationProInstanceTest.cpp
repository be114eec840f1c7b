// Single instance across two real processes: a child copy of this test
// program holds the lock of an application object, and a second object in
// the test then ends silently. The child ends without any clean-up, as a
// crashed copy would, and leaves nothing that blocks the next start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/GraphicApplicationPro.h"
#include "app/Form.h"
#include "app/Toolkit.h"
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/Service.h"
#include "platform/fake/FakeDialogs.h"
#include "platform/fake/FakeEvents.h"
#include "platform/fake/FakeSystem.h"

namespace fs = std::filesystem;
using velmora::Application;

namespace {

// Fake paths, real locks.
class RealLockSystem : public platform::FakeSystem {
 public:
  std::unique_ptr<platform::InstanceLock> CreateInstanceLock(const std::string& name, bool& alreadyRunning) override {
    return platform::Service<platform::System>::Default().CreateInstanceLock(name, alreadyRunning);
  }
};

std::string Argument(const std::string& prefix) {
  for (const std::string& a : ::testing::internal::GetArgvs())
    if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
  return {};
}

bool WaitFor(const std::function<bool()>& condition, uint32_t milliseconds) {
  platform::Clock& clock = platform::Service<platform::Clock>::Default();
  for (uint32_t waited = 0; waited < milliseconds; waited += 20) {
    if (condition()) return true;
    clock.Sleep(20);
  }
  return condition();
}

// Makes an application object for the program "/opt/velmora/<name>".
velmora::TCustomGraphicApplicationPro* MakeApp(velmora::TForm& form, RealLockSystem& system, const std::string& name) {
  system.executablePath = "/opt/velmora/" + name;
  auto* app = new velmora::TCustomGraphicApplicationPro(&form);
  app->Title = "Velmora";
  velmora::TComponent::BeginLoadingAll(&form);
  velmora::TComponent::EndLoadingAll(&form);
  return app;
}

}  // namespace

// Run only as the child of the test below.
TEST(ApplicationProInstanceHelper, DISABLED_HoldLock) {
  std::string name = Argument("--velmora-lock-app=");
  std::string ready = Argument("--velmora-ready=");
  std::string stop = Argument("--velmora-stop=");
  if (name.empty() || ready.empty() || stop.empty()) GTEST_SKIP() << "only as a child of SingleInstanceAcrossProcesses";
  RealLockSystem system;
  platform::ScopedService<platform::System> scoped(&system);
  velmora::TForm form(nullptr);
  MakeApp(form, system, name);
  if (Application().Terminated()) std::_Exit(2);
  std::ofstream(ready) << "locked";
  WaitFor([&] { return fs::exists(stop); }, 30000);
  // No destructors, no unlocking: like a crash.
  std::_Exit(0);
}

TEST(ApplicationProInstanceTest, SingleInstanceAcrossProcesses) {
  std::random_device random;
  const std::string token = std::to_string(random()) + std::to_string(random());
  const std::string name = "velmora-instance-test-" + token;
  fs::path dir = fs::temp_directory_path() / ("velmora-appcore-instance-" + token);
  fs::create_directories(dir);
  const fs::path ready = dir / "ready", stop = dir / "stop";

  platform::Processes& processes = platform::Service<platform::Processes>::Default();
  platform::SpawnRequest request;
  request.argv = {platform::Service<platform::System>::Default().ExecutablePath(),
                  "--gtest_filter=ApplicationProInstanceHelper.DISABLED_HoldLock",
                  "--gtest_also_run_disabled_tests",
                  "--velmora-lock-app=" + name,
                  "--velmora-ready=" + ready.string(),
                  "--velmora-stop=" + stop.string()};
  std::string error;
  std::unique_ptr<platform::ChildProcess> child = processes.Spawn(request, error);
  ASSERT_TRUE(child) << error;
  int exitCode = -1;
  ASSERT_TRUE(WaitFor([&] { return fs::exists(ready) || !child->Running(exitCode); }, 20000));
  ASSERT_TRUE(fs::exists(ready)) << "the child could not take the lock, exit code " << exitCode;

  platform::FakeDialogs dialogs;
  platform::FakeEvents events;
  RealLockSystem system;
  platform::ScopedService<platform::Dialogs> s1(&dialogs);
  platform::ScopedService<platform::EventSource> s2(&events);
  platform::ScopedService<platform::System> s3(&system);
  Application().Reset();
  {
    velmora::TForm form(nullptr);
    int shown = 0;
    form.OnShow = [&](void*) { ++shown; };
    auto* app = MakeApp(form, system, name);
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(Application().ShowMainForm);
    EXPECT_EQ(app->Semaphore(), nullptr);
    Application().Run();  // returns at once
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(dialogs.messages.empty()) << "the second copy ends silently";
  }

  // The holder ends without clean-up; its lock goes with it.
  std::ofstream(stop) << "stop";
  ASSERT_TRUE(WaitFor([&] { return !child->Running(exitCode); }, 20000));
  EXPECT_EQ(exitCode, 0);
  Application().Reset();
  {
    velmora::TForm form(nullptr);
    auto* app = MakeApp(form, system, name);
    EXPECT_FALSE(Application().Terminated());
    EXPECT_TRUE(Application().ShowMainForm);
    EXPECT_NE(app->Semaphore(), nullptr);
  }
  Application().Reset();
  fs::remove_all(dir);
}
