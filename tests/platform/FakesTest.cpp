// The fakes stand in for the platform in the other folders' tests; these
// cases pin down the behaviour those tests rely on.
#include <gtest/gtest.h>

#include "core/Error.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeSystem.h"
#include "platform/Service.h"

using namespace platform;

TEST(FakeClock, SleepsMoveTheClockAndReadingsWrap) {
  FakeClock clock(0xFFFFFFF0u);
  uint32_t seen = 0;
  clock.onSleep = [&](uint32_t) { seen = clock.Now(); };
  clock.Sleep(0x20);
  EXPECT_EQ(clock.Milliseconds(), 0x10u);
  EXPECT_EQ(seen, 0x10u) << "onSleep runs after the clock has moved";
  clock.stepPerReading = 5;
  EXPECT_EQ(clock.Milliseconds(), 0x15u);
  EXPECT_EQ(clock.readings, 2u);
  EXPECT_EQ(clock.TotalSlept(), 0x20u);
}

TEST(FakeSettingsStore, FaultsHitOnlyTheirRootAndStepEvenOnOpenKeys) {
  FakeSettingsStore store;
  const std::string path = "Software\\Ostrevin\\Velmora 1";
  store.SetValue(SettingsRoot::LocalMachine, path, "a", "machine");
  EXPECT_EQ(store.OpenKey(SettingsRoot::CurrentUser, path, true), nullptr) << "missing key, read-only";

  auto machine = store.OpenKey(SettingsRoot::LocalMachine, path, false);
  auto user = store.OpenKey(SettingsRoot::CurrentUser, path, false);
  EXPECT_EQ(store.LiveKeys(), 2);
  store.FaultsOf(SettingsRoot::LocalMachine).read = true;
  std::string value;
  EXPECT_THROW(machine->ReadString("a", value), velmora::Error);
  EXPECT_FALSE(user->ReadString("a", value));
  store.FaultsOf(SettingsRoot::LocalMachine).write = true;
  EXPECT_THROW(machine->WriteString("a", "x"), velmora::Error);
  user->WriteString("a", "user");
  EXPECT_EQ(store.Value(SettingsRoot::CurrentUser, path, "a"), "user");
  EXPECT_EQ(store.Value(SettingsRoot::LocalMachine, path, "a"), "machine");
  EXPECT_EQ(store.Writes(), 1);
  store.FaultsOf(SettingsRoot::CurrentUser).open = true;
  EXPECT_THROW(store.OpenKey(SettingsRoot::CurrentUser, path, false), velmora::Error);
  EXPECT_EQ(store.Opens().size(), 4u);

  auto readOnly = store.OpenKey(SettingsRoot::LocalMachine, path, true);
  store.FaultsOf(SettingsRoot::LocalMachine) = {};
  EXPECT_THROW(readOnly->WriteString("a", "x"), velmora::Error);
  machine.reset();
  EXPECT_EQ(store.LiveKeys(), 2);
}

TEST(FakeSystem, LocksHeldHereOrElsewhereReportRunning) {
  FakeSystem system;
  system.otherInstances.insert("velmoraSemaphore");
  bool running = false;
  EXPECT_EQ(system.CreateInstanceLock("velmoraSemaphore", running), nullptr);
  EXPECT_TRUE(running);
  auto lock = system.CreateInstanceLock("Semaphore", running);
  EXPECT_NE(lock, nullptr);
  EXPECT_FALSE(running);
  EXPECT_EQ(system.CreateInstanceLock("Semaphore", running), nullptr);
  EXPECT_TRUE(running);
  lock.reset();
  EXPECT_FALSE(system.LockHeld("Semaphore"));
  EXPECT_NE(system.CreateInstanceLock("Semaphore", running), nullptr);
}

TEST(FakeProcesses, ScriptedChildrenRunThenExitAndFailuresReport) {
  FakeProcesses processes;
  processes.Script({2, 7, false, ""});
  processes.ScriptFailure("No such file or directory");
  processes.Script({0, 0, true, ""});
  SpawnRequest request;
  request.argv = {"companion", "/s"};
  std::string error;
  auto child = processes.Spawn(request, error);
  ASSERT_NE(child, nullptr);
  int code = 0;
  EXPECT_TRUE(child->Running(code));
  EXPECT_TRUE(child->Running(code));
  EXPECT_FALSE(child->Running(code));
  EXPECT_EQ(code, 7);
  EXPECT_EQ(processes.Spawn(request, error), nullptr);
  EXPECT_EQ(error, "No such file or directory");
  auto unreadable = processes.Spawn(request, error);
  EXPECT_FALSE(unreadable->Running(code));
  EXPECT_EQ(code, -1);
  EXPECT_EQ(processes.spawns.size(), 3u);
  ASSERT_EQ(processes.children.size(), 2u);
  EXPECT_EQ(processes.children[0]->polls, 3);
  child.reset();
  EXPECT_TRUE(processes.children[0]->freed);
}

TEST(ScopedService, InstallsAndRestoresTheFake) {
  FakeClock outer(100), inner(200);
  {
    ScopedService<Clock> a(&outer);
    {
      ScopedService<Clock> b(&inner);
      EXPECT_EQ(Get<Clock>().Milliseconds(), 200u);
    }
    EXPECT_EQ(Get<Clock>().Milliseconds(), 100u);
  }
  EXPECT_FALSE(Service<Clock>::Overridden());
}
