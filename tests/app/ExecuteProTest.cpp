#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/ExecutePro.h"
#include "app/Toolkit.h"
#include "platform/Service.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeDialogs.h"
#include "platform/fake/FakeEvents.h"
#include "platform/fake/FakeProcesses.h"

using velmora::Application;
using velmora::TExecMode;
using velmora::TExecPriority;
using velmora::TExecutePro;
using velmora::TExecWindowStyle;

namespace fs = std::filesystem;

namespace {

struct Split {
  std::string commandLine, program, parameters, directory;
};

class ExecuteProTest : public ::testing::Test {
 protected:
  void SetUp() override { Application().Reset(); }
  void TearDown() override { Application().Reset(); }

  platform::FakeDialogs dialogs;
  platform::FakeEvents events;
  platform::FakeClock clock;
  platform::ScopedService<platform::Dialogs> s1{&dialogs};
  platform::ScopedService<platform::EventSource> s2{&events};
  platform::ScopedService<platform::Clock> s3{&clock};
};

}  // namespace

TEST_F(ExecuteProTest, CommandLineSplitsIntoProgramParametersAndDirectory) {
  for (const Split& c : std::vector<Split>{
           {"C:\\Prog\\App.EXE /s", "C:\\Prog\\App.EXE", "/s", "C:\\Prog\\"},
           {"C:\\Prog\\App.EXE", "C:\\Prog\\App.EXE", "", "C:\\Prog\\"},
           {"C:\\Program Files\\App.exe -s 5", "C:\\Program Files\\App.exe", "-s 5", "C:\\Program Files\\"},
           {"C:\\Prog\\App.exe C:\\data\\file.txt", "C:\\Prog\\App.exe", "C:\\data\\file.txt", "C:\\Prog\\"},
           {"/opt/velmora/velmora /s", "/opt/velmora/velmora", "/s", "/opt/velmora/"},
           {"/opt/velmora/velmora -p 1234", "/opt/velmora/velmora", "-p 1234", "/opt/velmora/"},
           {"/home/u/My Apps/velmora -s", "/home/u/My Apps/velmora", "-s", "/home/u/My Apps/"},
           {"/bin/sh -c \"exit 3\"", "/bin/sh", "-c \"exit 3\"", "/bin/"},
           {"/bin/sh -c \"cat a.txt\"", "/bin/sh", "-c \"cat a.txt\"", "/bin/"},
           {"\"/opt/My Apps/run me\" -x", "/opt/My Apps/run me", "-x", "/opt/My Apps/"},
           {"velmora -s", "velmora", "-s", ""},
           {"/srv/.hidden x", "/srv/.hidden x", "", "/srv/"},
       }) {
    SCOPED_TRACE(c.commandLine);
    TExecutePro exec(nullptr);
    exec.SetCommandLine(c.commandLine);
    EXPECT_EQ(exec.CommandLine(), c.commandLine);
    EXPECT_EQ(exec.ProgramName(), c.program);
    EXPECT_EQ(exec.Parameters(), c.parameters);
    EXPECT_EQ(exec.DefaultDirectory, c.directory);
  }
  // A directory set before is kept.
  TExecutePro exec(nullptr);
  exec.DefaultDirectory = "/work/";
  exec.SetCommandLine("/opt/velmora/velmora /s");
  EXPECT_EQ(exec.DefaultDirectory, "/work/");
}

TEST_F(ExecuteProTest, ParametersSplitIntoArgumentsRespectingQuotes) {
  using V = std::vector<std::string>;
  EXPECT_EQ(TExecutePro::SplitArguments(""), V{});
  EXPECT_EQ(TExecutePro::SplitArguments("  -s   5 "), (V{"-s", "5"}));
  EXPECT_EQ(TExecutePro::SplitArguments("-c \"exit 3\""), (V{"-c", "exit 3"}));
  EXPECT_EQ(TExecutePro::SplitArguments("a\"b c\"d \"\""), (V{"ab cd", ""}));
  EXPECT_EQ(TExecutePro::SplitArguments("\"unclosed arg"), (V{"unclosed arg"}));
}

TEST_F(ExecuteProTest, ProcessRequestCarriesArgumentsDirectoryPriorityAndShow) {
  platform::FakeProcesses processes;
  platform::ScopedService<platform::Processes> scoped(&processes);
  TExecutePro exec(nullptr);
  exec.Mode = TExecMode::emProcess;
  exec.Priority = TExecPriority::epIdle;
  exec.WindowStyle = TExecWindowStyle::ewShow;
  exec.Wait = false;
  EXPECT_TRUE(exec.Execute("/opt/velmora/velmora -p \"12 34\""));
  ASSERT_EQ(processes.spawns.size(), 1u);
  const platform::SpawnRequest& r = processes.spawns[0];
  EXPECT_EQ(r.argv, (std::vector<std::string>{"/opt/velmora/velmora", "-p", "12 34"}));
  EXPECT_EQ(r.directory, "/opt/velmora/");
  EXPECT_EQ(r.priority, platform::ProcessPriority::Idle);
  EXPECT_EQ(r.show, platform::ShowCommand::Show);
  EXPECT_EQ(processes.children[0]->polls, 0) << "no wait";

  // emAuto: a program file (".exe", or no extension) is a process, a
  // document goes to the desktop's "open", hidden and without parameters.
  TExecutePro autoExec(nullptr);
  autoExec.Wait = false;
  autoExec.Execute("/opt/velmora/velmora -s");
  autoExec.DefaultDirectory.clear();
  autoExec.Execute("C:\\Prog\\App.EXE /s");
  EXPECT_EQ(processes.spawns.size(), 3u);
  autoExec.DefaultDirectory.clear();
  autoExec.Execute("/usr/share/velmora/Help.html extra");
  ASSERT_EQ(processes.shellOpens.size(), 1u);
  EXPECT_EQ(processes.shellOpens[0].file, "/usr/share/velmora/Help.html");
  EXPECT_EQ(processes.shellOpens[0].parameters, "");
  EXPECT_EQ(processes.shellOpens[0].directory, "/usr/share/velmora/");
  EXPECT_EQ(processes.shellOpens[0].show, platform::ShowCommand::Hide);

  // emShell with a program: parameters and the window style go along.
  TExecutePro shell(nullptr);
  shell.Mode = TExecMode::emShell;
  shell.WindowStyle = TExecWindowStyle::ewMaximize;
  shell.Execute("/opt/velmora/velmora -c");
  ASSERT_EQ(processes.shellOpens.size(), 2u);
  EXPECT_EQ(processes.shellOpens[1].parameters, "-c");
  EXPECT_EQ(processes.shellOpens[1].show, platform::ShowCommand::Maximize);
}

TEST_F(ExecuteProTest, WaitServesTheQueueUntilTheChildEnds) {
  platform::FakeProcesses processes;
  platform::ScopedService<platform::Processes> scoped(&processes);
  platform::FakeProcesses::ChildScript script;
  script.runningPolls = 3;
  script.exitCode = 7;
  processes.Script(script);
  int served = 0;
  Application().RegisterWindow(1, [&](platform::Message&) { ++served; });
  clock.onSleep = [&](uint32_t) { events.Push(platform::MessageKind::Paint, 1); };
  events.Push(platform::MessageKind::Paint, 1);
  TExecutePro exec(nullptr);
  exec.Mode = TExecMode::emProcess;
  EXPECT_TRUE(exec.Execute("/bin/child"));
  EXPECT_EQ(exec.ExitCode(), 7);
  EXPECT_EQ(processes.children[0]->polls, 4);
  EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{100, 100, 100}));
  EXPECT_EQ(served, 3) << "messages handled between the polls";
}

TEST_F(ExecuteProTest, TerminatingTheApplicationEndsTheWait) {
  platform::FakeProcesses processes;
  platform::ScopedService<platform::Processes> scoped(&processes);
  platform::FakeProcesses::ChildScript script;
  script.runningPolls = 1000000;  // never ends by itself
  processes.Script(script);
  platform::Message quit;
  quit.kind = platform::MessageKind::Quit;
  events.Push(quit);
  TExecutePro exec(nullptr);
  exec.Mode = TExecMode::emProcess;
  exec.Execute("/bin/forever");
  EXPECT_TRUE(Application().Terminated());
  EXPECT_EQ(processes.children[0]->polls, 2);
  EXPECT_EQ(exec.ExitCode(), -1);
}

TEST_F(ExecuteProTest, FailedStartShowsTheErrorAndGoesOn) {
  platform::FakeProcesses processes;
  platform::ScopedService<platform::Processes> scoped(&processes);
  processes.ScriptFailure("No such file or directory");
  Application().Title = "Velmora";
  TExecutePro exec(nullptr);
  exec.Mode = TExecMode::emProcess;
  EXPECT_FALSE(exec.Execute("/opt/gone/velmora -s"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "TExecutePro.ProcessExecute error:  CommandLine: /opt/gone/velmora -s DefaultDirectory: /opt/gone/ "
            "Message: No such file or directory");
  EXPECT_EQ(dialogs.messages[0].caption, "Velmora");
  EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Error);

  // The system's text is cut at 512 characters.
  processes.ScriptFailure(std::string(600, 'e'));
  exec.Execute("/opt/gone/velmora -s");
  ASSERT_EQ(dialogs.messages.size(), 2u);
  const std::string& text = dialogs.messages[1].text;
  EXPECT_EQ(text.size() - text.find("Message: ") - 9, 512u);
}

TEST_F(ExecuteProTest, RealChildIsWaitedForInItsDirectory) {
  fs::path dir = fs::temp_directory_path() /
                 ("velmora-appcore-exec-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
  fs::remove_all(dir);
  fs::create_directories(dir);
  // The real process service and clock.
  platform::ScopedService<platform::Clock> realClock(&platform::Service<platform::Clock>::Default());
  TExecutePro exec(nullptr);
  exec.Mode = TExecMode::emProcess;
  exec.DefaultDirectory = dir.string() + "/";
  EXPECT_TRUE(exec.Execute("/bin/sh -c \"pwd > where.txt; exit 3\""));
  EXPECT_EQ(exec.ExitCode(), 3);
  std::string where;
  std::getline(std::ifstream(dir / "where.txt"), where);
  EXPECT_EQ(fs::canonical(where), fs::canonical(dir));

  // A program that does not exist is a failure, not a child.
  EXPECT_FALSE(exec.Execute((dir / "missing-program").string() + " -s"));
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text.rfind("TExecutePro.ProcessExecute error:  CommandLine: ", 0), 0u);
  EXPECT_NE(dialogs.messages[0].text.find(" Message: "), std::string::npos);
  EXPECT_GT(dialogs.messages[0].text.size(), dialogs.messages[0].text.find(" Message: ") + 10) << "a system text";
  fs::remove_all(dir);
}
