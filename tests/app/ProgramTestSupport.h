// The velmora program started as a user starts it: a fixture that runs it
// headless (offscreen video, SDL's dummy sound, settings of its own in the
// test's folder) with a command line, and gives back its exit code and
// what it printed.
#pragma once

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

namespace programtest {

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

}  // namespace programtest
