#include "platform/sdl/SdlSystem.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "tests/platform/TempFolder.h"

using platform::SdlSystem;
using platform_test::ScopedEnv;
using platform_test::TempFolder;
namespace fs = std::filesystem;

extern char** environ;

namespace {

// When started as a lock holder, this test program takes the lock named in
// VELMORA_TEST_HOLD_LOCK before main, tells the parent on stdout, and waits
// to be killed.
const char kHoldLock[] = "VELMORA_TEST_HOLD_LOCK";

int HoldLockWhenAsked() {
  const char* name = std::getenv(kHoldLock);
  if (!name) return 0;
  SdlSystem system;
  bool running = false;
  auto lock = system.CreateInstanceLock(name, running);
  const char* answer = lock ? "locked\n" : running ? "running\n" : "failed\n";
  if (write(1, answer, std::strlen(answer)) < 0) _exit(3);
  for (;;) pause();
}

const int holdLock = HoldLockWhenAsked();

// A second copy of this program holding `name`; its first line of output.
struct LockHolder {
  pid_t pid = -1;
  std::string answer;

  explicit LockHolder(const std::string& name) {
    int out[2];
    if (pipe(out) != 0) return;
    ScopedEnv env(kHoldLock, name.c_str());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char arg0[] = "lock-holder";
    char* argv[] = {arg0, nullptr};
    if (posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char c;
    while (pid > 0 && read(out[0], &c, 1) == 1 && c != '\n') answer += c;
    close(out[0]);
  }
  void Kill() {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
  }
  ~LockHolder() { Kill(); }
};

}  // namespace

TEST(SdlSystem, LockFileFollowsRuntimeDirThenTmpdir) {
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", "/run/user/1000/");
    EXPECT_EQ(SdlSystem::LockFilePath("velmoraSemaphore"), "/run/user/1000/velmoraSemaphore.lock");
  }
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", "");
    ScopedEnv tmp("TMPDIR", "/var/tmp");
    EXPECT_EQ(SdlSystem::LockFilePath("a/b"), "/var/tmp/a_b.lock");
  }
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    ScopedEnv tmp("TMPDIR", nullptr);
    EXPECT_EQ(SdlSystem::LockFilePath("Semaphore"), "/tmp/Semaphore.lock");
  }
}

TEST(SdlSystem, InstanceLockExcludesAnotherProcessUntilItDies) {
  TempFolder dir;
  ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().c_str());
  SdlSystem system;

  LockHolder holder("velmoraSemaphore");
  ASSERT_EQ(holder.answer, "locked");
  bool running = false;
  EXPECT_EQ(system.CreateInstanceLock("velmoraSemaphore", running), nullptr);
  EXPECT_TRUE(running);
  // Another name is free.
  EXPECT_NE(system.CreateInstanceLock("otherSemaphore", running), nullptr);
  EXPECT_FALSE(running);

  // A copy that dies without cleaning up leaves its lock file behind, but
  // not its lock.
  holder.Kill();
  EXPECT_TRUE(fs::exists(dir / "velmoraSemaphore.lock"));
  auto lock = system.CreateInstanceLock("velmoraSemaphore", running);
  EXPECT_NE(lock, nullptr);
  EXPECT_FALSE(running);

  // Now this process holds it, and a new copy is turned away.
  LockHolder second("velmoraSemaphore");
  EXPECT_EQ(second.answer, "running");
}

TEST(SdlSystem, InstanceLockIsReleasedWhenFreed) {
  TempFolder dir;
  ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().c_str());
  SdlSystem system;
  bool running = true;
  auto first = system.CreateInstanceLock("s", running);
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(running);
  EXPECT_EQ(system.CreateInstanceLock("s", running), nullptr);
  EXPECT_TRUE(running);
  first.reset();
  EXPECT_NE(system.CreateInstanceLock("s", running), nullptr);
  EXPECT_FALSE(running);
}

TEST(SdlSystem, UnusableLockFolderLetsTheProgramRun) {
  TempFolder dir;
  platform_test::WriteFile(dir / "file", "x");
  ScopedEnv runtime("XDG_RUNTIME_DIR", (dir / "file").c_str());
  SdlSystem system;
  bool running = true;
  EXPECT_EQ(system.CreateInstanceLock("s", running), nullptr);
  EXPECT_FALSE(running);
}

TEST(SdlSystem, PathsAndEnvironment) {
  SdlSystem system;
  std::string exe = system.ExecutablePath();
  EXPECT_EQ(fs::path(exe).filename(), "test_platform");
  EXPECT_TRUE(fs::path(exe).is_absolute());
  EXPECT_TRUE(fs::is_regular_file(exe));

  TempFolder dir;
  fs::create_directories(dir.Path() / "real" / "sub");
  fs::create_symlink(dir.Path() / "real", dir.Path() / "link");
  std::string canonical = fs::canonical(dir.Path() / "real" / "sub").string();
  EXPECT_EQ(system.LongPath(dir / "link/sub"), canonical);
  EXPECT_EQ(system.LongPath(dir / "real/sub/../sub/./"), canonical);
  EXPECT_EQ(system.LongPath(dir / "missing/x"), dir / "missing/x");

  EXPECT_EQ(system.SystemDirectory(), "/usr/lib");
  EXPECT_EQ(system.SystemRootDirectory(), "/");

  ScopedEnv set("VELMORA_TEST_VARIABLE", "some value");
  ScopedEnv unset("VELMORA_TEST_UNSET", nullptr);
  EXPECT_EQ(system.Environment("VELMORA_TEST_VARIABLE"), "some value");
  EXPECT_EQ(system.Environment("VELMORA_TEST_UNSET"), "");
}

TEST(SdlSystem, ExecutionStateIsRemembered) {
  SdlSystem system;
  system.SetExecutionState(true, false);
  EXPECT_TRUE(system.DisplayRequired());
  EXPECT_FALSE(system.SystemRequired());
  system.SetExecutionState(false, true);
  EXPECT_FALSE(system.DisplayRequired());
  EXPECT_TRUE(system.SystemRequired());
}
