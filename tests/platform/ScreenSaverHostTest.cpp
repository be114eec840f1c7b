#include <gtest/gtest.h>

#include "platform/Service.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/sdl/SdlScreenSaverHost.h"

using namespace platform;

TEST(SdlScreenSaverHost, SuspendAsksSystemdThroughTheLauncher) {
  FakeProcesses processes;
  ScopedService<Processes> use(&processes);
  SdlScreenSaverHost host;
  EXPECT_TRUE(host.SystemSuspend());
  ASSERT_EQ(processes.spawns.size(), 1u);
  EXPECT_EQ(processes.spawns[0].argv, (std::vector<std::string>{"systemctl", "suspend"}));

  processes.ScriptFailure("No such file or directory");
  EXPECT_FALSE(host.SystemSuspend());
  EXPECT_EQ(processes.spawns.size(), 2u);
}

TEST(SdlScreenSaverHost, PasswordServicesAreLeftToTheScreenLocker) {
  SdlScreenSaverHost host;
  EXPECT_FALSE(host.HasPasswordCheck());
  EXPECT_TRUE(host.VerifyPassword(1234));
  EXPECT_FALSE(host.HasPasswordChange());
  host.ChangePassword("SCRSAVE", 1234);  // a no-op that must not fail
  EXPECT_FALSE(host.ScreenSaverRunning());
  host.SetScreenSaverRunning(true);
  EXPECT_TRUE(host.ScreenSaverRunning());
  host.SetScreenSaverRunning(false);
  EXPECT_FALSE(host.ScreenSaverRunning());
}

TEST(SdlScreenSaverHost, MonitorOffFailsCleanlyWithoutAnXServer) {
  // A display that cannot exist: no connection, so nothing is switched off
  // and the call reports it instead of ending the process.
  SdlScreenSaverHost host("unix:65000");
  EXPECT_FALSE(host.MonitorOff());
}
