// The velmora program started as a user starts it, for the command lines
// that end before any window opens: what it prints, where, and its exit
// code.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    std::random_device rd;
    dir_ = std::filesystem::temp_directory_path() / ("velmora-program-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(dir_);
  }
  ~ProgramTest() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::string File(const std::string& name) const { return (dir_ / name).string(); }

  // Runs the program with args (after argv[0]) and dataVariable as
  // VELMORA_DATA, headless and with settings of its own.
  Outcome Run(const std::vector<std::string>& args, const std::string& dataVariable = "") const {
    const std::string out = File("stdout"), err = File("stderr"), config = File("config");
    pid_t child = fork();
    if (child == 0) {
      int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (o < 0 || e < 0) _exit(126);
      dup2(o, 1);
      dup2(e, 2);
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      setenv("XDG_CONFIG_HOME", config.c_str(), 1);
      if (dataVariable.empty()) unsetenv("VELMORA_DATA");
      else setenv("VELMORA_DATA", dataVariable.c_str(), 1);
      std::vector<std::string> all{VELMORA_PROGRAM};
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (std::string& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(VELMORA_PROGRAM, argv.data());
      _exit(127);
    }
    Outcome outcome;
    if (child < 0) return outcome;
    // A program that runs on (a role that opened its window instead of
    // ending) is ended, so that the test fails instead of hanging.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    bool ended = false;
    while (!(ended = waitpid(child, &status, WNOHANG) == child) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!ended) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
    }
    outcome.code = !ended ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = Read(out);
    outcome.err = Read(err) + (ended ? "" : "(still running after 60 s: ended by the test)\n");
    return outcome;
  }

  static std::string Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream text;
    text << f.rdbuf();
    return text.str();
  }

 private:
  std::filesystem::path dir_;
};

TEST_F(ProgramTest, HelpPrintsTheUsageAndSucceeds) {
  for (const char* help : {"--help", "-h"}) {
    Outcome o = Run({help});
    EXPECT_EQ(o.code, 0) << help << "\n" << o.err;
    EXPECT_EQ(o.out.rfind("usage: velmora", 0), 0u) << help << "\n" << o.out;
    EXPECT_NE(o.out.find("--data FILE"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("--help"), std::string::npos) << o.out;
    EXPECT_EQ(o.err, "") << help;
  }
  // Neither help nor the version needs the data, so neither opens it.
  for (const char* ask : {"--help", "--version"}) {
    Outcome withData = Run({"--data", File("missing.rfa"), ask});
    EXPECT_EQ(withData.code, 0) << ask << "\n" << withData.err;
  }
}

TEST_F(ProgramTest, MistakesInTheCommandLineShowTheUsage) {
  Outcome unknown = Run({"--frobnicate"});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_NE(unknown.err.find("Unknown option --frobnicate"), std::string::npos) << unknown.err;
  EXPECT_NE(unknown.err.find("usage: velmora"), std::string::npos) << unknown.err;
  Outcome noFile = Run({"--data"});
  EXPECT_EQ(noFile.code, 2);
  EXPECT_NE(noFile.err.find("option --data needs an archive file name"), std::string::npos) << noFile.err;
  EXPECT_NE(noFile.err.find("usage: velmora"), std::string::npos) << noFile.err;
}

TEST_F(ProgramTest, AnUnreadableArchiveIsReportedWithItsReasonAndNoUsage) {
  const std::string missing = File("missing.rfa");
  // A run that never reads its data would end after a tenth of a second.
  const std::vector<std::string> bench{"--bench", "0.1", "--size", "32x24"};
  std::vector<std::string> withOption{"--data", missing};
  withOption.insert(withOption.end(), bench.begin(), bench.end());
  for (const Outcome& o : {Run(withOption), Run(bench, missing)}) {
    EXPECT_EQ(o.code, 1) << o.err;
    EXPECT_NE(o.err.find("cannot read the scene archive \"" + missing + "\""), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("No such file or directory"), std::string::npos) << o.err;
    EXPECT_EQ(o.err.find("usage:"), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
  }
  const std::string corrupt = File("corrupt.rfa");
  std::ofstream(corrupt) << "not an archive at all";
  Outcome o = Run({"--data", corrupt, "--bench", "0.1", "--size", "32x24"});
  EXPECT_EQ(o.code, 1) << o.err;
  EXPECT_NE(o.err.find("cannot read the scene archive \"" + corrupt + "\": TResourceFileArchive.LoadFromStream error"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(o.err.find("usage:"), std::string::npos) << o.err;
}

}  // namespace
