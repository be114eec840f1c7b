#include "platform/sdl/SdlSystem.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
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
  // "raise:NAME": ask the holder of NAME to come forward instead.
  if (std::strncmp(name, "raise:", 6) == 0) {
    const char* answer = system.RaiseInstance(name + 6) ? "raised\n" : "not raised\n";
    if (write(1, answer, std::strlen(answer)) < 0) _exit(3);
    _exit(0);
  }
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
  // In a shared temporary folder, a folder of this user's own.
  const std::string own = "/velmora-" + std::to_string(getuid());
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", "");
    ScopedEnv tmp("TMPDIR", "/var/tmp");
    EXPECT_EQ(SdlSystem::LockFilePath("a/b"), "/var/tmp" + own + "/a_b.lock");
  }
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    ScopedEnv tmp("TMPDIR", nullptr);
    EXPECT_EQ(SdlSystem::LockFilePath("Semaphore"), "/tmp" + own + "/Semaphore.lock");
  }
}

// Without XDG_RUNTIME_DIR: the lock folder in the shared temporary folder
// is made for this user alone, and whatever another account put into the
// shared folder never keeps Velmora from running.
TEST(SdlSystem, AnotherAccountsFilesNeverDecideWhetherACopyRuns) {
  TempFolder tmp;
  fs::permissions(tmp.Path(), fs::perms::all | fs::perms::sticky_bit);  // like /tmp
  ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  ScopedEnv tmpdir("TMPDIR", tmp.Path().c_str());
  const fs::path own = tmp / ("velmora-" + std::to_string(getuid()));
  SdlSystem system;

  // Another account's lock file where the lock used to lie, open to all
  // and held.
  const fs::path shared = tmp / "velmoraSemaphore.lock";
  platform_test::WriteFile(shared, "");
  fs::permissions(shared, fs::perms::all);
  ASSERT_EQ(chown(shared.c_str(), 4321, 4321) == 0, getuid() == 0) << "only root can stage another account";
  int held = open(shared.c_str(), O_RDWR);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
  bool running = true;
  auto lock = system.CreateInstanceLock("velmoraSemaphore", running);
  EXPECT_NE(lock, nullptr);
  EXPECT_FALSE(running);
  close(held);
  struct stat st {};
  ASSERT_EQ(lstat(own.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_uid, getuid());
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  // The holder's process id is in the file, for a second copy's request.
  EXPECT_EQ(platform_test::ReadFile(own / "velmoraSemaphore.lock"), std::to_string(getpid()) + "\n");
  lock.reset();

  // A folder of that name that is not this user's own to decide with: a
  // link, one writable by all, another account's. Velmora runs without
  // the lock and says so.
  const fs::path elsewhere = tmp / "elsewhere";
  fs::create_directories(elsewhere);
  fs::remove_all(own);
  fs::create_directory_symlink(elsewhere, own);
  for (const char* kind : {"a link", "writable by all", "another account's"}) {
    SCOPED_TRACE(kind);
    if (std::string(kind) == "writable by all") {
      fs::remove(own);
      fs::create_directory(own);
      fs::permissions(own, fs::perms::all);
    } else if (std::string(kind) == "another account's") {
      fs::permissions(own, fs::perms::owner_all);
      if (getuid() != 0 || chown(own.c_str(), 4321, 4321) != 0) continue;
    }
    // Another account's lock file inside, held.
    const fs::path planted = own / "velmoraSemaphore.lock";
    platform_test::WriteFile(planted, "1\n");
    int fd = open(planted.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    testing::internal::CaptureStderr();
    running = true;
    EXPECT_EQ(system.CreateInstanceLock("velmoraSemaphore", running), nullptr);
    EXPECT_FALSE(running) << "another account's file decided";
    EXPECT_FALSE(system.RaiseInstance("velmoraSemaphore"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("velmora: warning: the lock folder \"" + own.string() + "\""), std::string::npos) << err;
    EXPECT_NE(err.find("running without the single-instance lock"), std::string::npos) << err;
    close(fd);
    fs::remove(planted);
  }
}

// A second copy asks the holder to come forward: the holder gets the
// request (and lives on), the asker learns it reached it.
TEST(SdlSystem, ASecondCopysRequestReachesTheHolder) {
  TempFolder dir;
  ScopedEnv runtime("XDG_RUNTIME_DIR", dir.Path().c_str());
  SdlSystem system;
  EXPECT_FALSE(system.RaiseInstance("velmoraSemaphore")) << "nobody holds it";
  bool running = false;
  auto lock = system.CreateInstanceLock("velmoraSemaphore", running);
  ASSERT_NE(lock, nullptr);
  EXPECT_FALSE(system.TakeRaiseRequest());
  // This process is the holder; the request comes from a child copy.
  LockHolder asker("raise:velmoraSemaphore");
  EXPECT_EQ(asker.answer, "raised");
  bool got = false;
  for (int i = 0; i < 3000 && !got; ++i) {
    got = system.TakeRaiseRequest();
    if (!got) usleep(1000);
  }
  EXPECT_TRUE(got);
  EXPECT_FALSE(system.TakeRaiseRequest()) << "one request, taken once";
  lock.reset();
  // Without a lock the process no longer listens: the signal's default
  // comes back.
  struct sigaction now {};
  sigaction(SIGUSR1, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
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
