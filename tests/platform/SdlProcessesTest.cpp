#include "platform/sdl/SdlProcesses.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/platform/TempFolder.h"

using platform::ChildProcess;
using platform::ProcessPriority;
using platform::SdlProcesses;
using platform::ShowCommand;
using platform::SpawnRequest;
using platform_test::ReadFile;
using platform_test::ScopedEnv;
using platform_test::TempFolder;
using platform_test::WriteFile;
namespace fs = std::filesystem;

namespace {

SpawnRequest Shell(const std::string& script, const std::string& directory = "") {
  SpawnRequest r;
  r.argv = {"/bin/sh", "-c", script};
  r.directory = directory;
  return r;
}

// Polls until the child ends; -1000 when it is still running after a minute.
int ExitCode(ChildProcess& child) {
  int code = -1000;
  for (int i = 0; i < 6000; ++i) {
    if (!child.Running(code)) return code;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1000;
}

// Waits (a bounded while) until `condition` holds.
template <class F>
bool Eventually(F condition) {
  for (int i = 0; i < 3000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

int ZombieChildren() {
  int zombies = 0;
  DIR* proc = opendir("/proc");
  if (!proc) return 0;
  while (dirent* e = readdir(proc)) {
    std::string stat = ReadFile(std::string("/proc/") + e->d_name + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 4 >= stat.size()) continue;
    char state = stat[close + 2];
    int ppid = std::atoi(stat.c_str() + close + 4);
    if (ppid == getpid() && state == 'Z') ++zombies;
  }
  closedir(proc);
  return zombies;
}

void MakeScript(const fs::path& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body + "\n");
  fs::permissions(path, fs::perms::owner_all);
}

}  // namespace

TEST(SdlProcesses, ChildExitCodeIsReportedAndKept) {
  SdlProcesses processes;
  std::string error;
  auto child = processes.Spawn(Shell("exit 7"), error);
  ASSERT_NE(child, nullptr) << error;
  EXPECT_EQ(ExitCode(*child), 7);
  int again = 0;
  EXPECT_FALSE(child->Running(again));
  EXPECT_EQ(again, 7);

  auto killed = processes.Spawn(Shell("kill -9 $$"), error);
  ASSERT_NE(killed, nullptr) << error;
  EXPECT_EQ(ExitCode(*killed), 128 + 9);
}

TEST(SdlProcesses, ArgumentsPassUnchangedWithoutAShell) {
  TempFolder dir;
  SdlProcesses processes;
  SpawnRequest r;
  // printf is looked up in PATH; the arguments reach it as they are.
  r.argv = {"sh", "-c", "printf '%s|' \"$@\" > \"$0\"", (dir / "args"), "two words", "$HOME", "*", ""};
  std::string error;
  auto child = processes.Spawn(r, error);
  ASSERT_NE(child, nullptr) << error;
  EXPECT_EQ(ExitCode(*child), 0);
  EXPECT_EQ(ReadFile(dir / "args"), "two words|$HOME|*||");
}

TEST(SdlProcesses, WorkingDirectoryIsHonoured) {
  TempFolder dir;
  fs::create_directories(dir.Path() / "work");
  SdlProcesses processes;
  std::string error;
  auto child = processes.Spawn(Shell("pwd -P > out.txt", dir / "work"), error);
  ASSERT_NE(child, nullptr) << error;
  EXPECT_EQ(ExitCode(*child), 0);
  EXPECT_EQ(ReadFile(dir / "work/out.txt"), fs::canonical(dir.Path() / "work").string() + "\n");
}

TEST(SdlProcesses, RelativeProgramIsFoundFromOurDirectoryNotTheChilds) {
  TempFolder dir;
  fs::create_directories(dir.Path() / "bin");
  fs::create_directories(dir.Path() / "work");
  MakeScript(dir.Path() / "bin" / "tool", "pwd -P > where.txt; exit 3");
  fs::path old = fs::current_path();
  fs::current_path(dir.Path());
  SdlProcesses processes;
  SpawnRequest r;
  r.argv = {"bin/tool"};
  r.directory = dir / "work";
  std::string error;
  auto child = processes.Spawn(r, error);
  fs::current_path(old);
  ASSERT_NE(child, nullptr) << error;
  EXPECT_EQ(ExitCode(*child), 3);
  EXPECT_EQ(ReadFile(dir / "work/where.txt"), fs::canonical(dir.Path() / "work").string() + "\n");
}

TEST(SdlProcesses, FailuresToStartAreErrorsNotExitCodes) {
  TempFolder dir;
  SdlProcesses processes;
  std::string error;
  SpawnRequest missing;
  missing.argv = {dir / "no-such-program", "/s"};
  EXPECT_EQ(processes.Spawn(missing, error), nullptr);
  EXPECT_EQ(error, "No such file or directory");

  error.clear();
  SpawnRequest notInPath;
  notInPath.argv = {"velmora-no-such-program-in-path"};
  EXPECT_EQ(processes.Spawn(notInPath, error), nullptr);
  EXPECT_FALSE(error.empty());

  error.clear();
  EXPECT_EQ(processes.Spawn(Shell("exit 0", dir / "no-such-folder"), error), nullptr);
  EXPECT_EQ(error, "No such file or directory");

  error.clear();
  SpawnRequest empty;
  EXPECT_EQ(processes.Spawn(empty, error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST(SdlProcesses, IdlePriorityReachesTheChild) {
  TempFolder dir;
  SdlProcesses processes;
  SpawnRequest r = Shell("for i in $(seq 500); do n=$(nice); [ \"$n\" = 19 ] && break; sleep 0.01; done; "
                         "echo $n > nice.txt",
                         dir.Path().string());
  r.priority = ProcessPriority::Idle;
  std::string error;
  auto child = processes.Spawn(r, error);
  ASSERT_NE(child, nullptr) << error;
  EXPECT_EQ(ExitCode(*child), 0);
  EXPECT_EQ(ReadFile(dir / "nice.txt"), "19\n");
  // A raise without privilege is refused quietly: the child still starts.
  r = Shell("exit 5");
  r.priority = ProcessPriority::RealTime;
  auto raised = processes.Spawn(r, error);
  ASSERT_NE(raised, nullptr) << error;
  EXPECT_EQ(ExitCode(*raised), 5);
}

TEST(SdlProcesses, FreedRunningChildLeavesNoZombie) {
  SdlProcesses processes;
  std::string error;
  auto child = processes.Spawn(Shell("sleep 0.2"), error);
  ASSERT_NE(child, nullptr) << error;
  int code;
  EXPECT_TRUE(child->Running(code));
  child.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(Eventually([] { return ZombieChildren() == 0; }));
}

TEST(SdlProcesses, ShellOpenRunsXdgOpenInTheDirectory) {
  TempFolder dir;
  fs::create_directories(dir.Path() / "bin");
  fs::create_directories(dir.Path() / "home");
  MakeScript(dir.Path() / "bin" / "xdg-open", "echo \"$(pwd -P) $# $1\" > \"" + (dir / "opened.tmp") + "\"; mv \"" +
                                                  (dir / "opened.tmp") + "\" \"" + (dir / "opened") + "\"");
  ScopedEnv path("PATH", ((dir / "bin") + ":/usr/bin:/bin").c_str());
  SdlProcesses processes;
  EXPECT_TRUE(processes.ShellOpen("Help.html", "/ignored", dir / "home", ShowCommand::Show));
  ASSERT_TRUE(Eventually([&] { return fs::exists(dir / "opened"); }));
  EXPECT_EQ(ReadFile(dir / "opened"), fs::canonical(dir.Path() / "home").string() + " 1 Help.html\n");
  EXPECT_TRUE(Eventually([] { return ZombieChildren() == 0; }));

  ScopedEnv nothing("PATH", (dir / "home").c_str());
  EXPECT_FALSE(processes.ShellOpen("Help.html", "", "", ShowCommand::Show));
}
