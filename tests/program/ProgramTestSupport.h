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
#include <functional>
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
    return Finish(Start(args, dataVariable));
  }

  // Starts the program as Run does and returns at once with its process id
  // (-1 when it could not be started). env: further variables of its
  // environment ("NAME=value"; "NAME=" alone takes NAME away).
  // tag: a name for its output files, so that several may run at once.
  pid_t Start(const std::vector<std::string>& args, const std::string& dataVariable = "",
              const std::vector<std::string>& env = {}, const std::string& tag = "") const {
    const std::string out = File("stdout" + tag), err = File("stderr" + tag), config = File("config");
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
      for (const std::string& v : env) {
        size_t eq = v.find('=');
        if (eq == std::string::npos) continue;
        if (eq + 1 == v.size()) unsetenv(v.substr(0, eq).c_str());
        else setenv(v.substr(0, eq).c_str(), v.substr(eq + 1).c_str(), 1);
      }
      std::vector<std::string> all{VELMORA_PROGRAM};
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (std::string& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(VELMORA_PROGRAM, argv.data());
      _exit(127);
    }
    return child;
  }

  // Waits for a program Start began to end (at most `limit`: one still
  // running then is ended, so that the test fails instead of hanging) and
  // gives back its exit code (128 + N for signal N) and what it printed.
  Outcome Finish(pid_t child, std::chrono::seconds limit = std::chrono::seconds(60), const std::string& tag = "") const {
    Outcome outcome;
    if (child < 0) return outcome;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    bool ended = false;
    while (!(ended = waitpid(child, &status, WNOHANG) == child) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!ended) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
    }
    outcome.code = !ended ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.out = Read(File("stdout" + tag));
    outcome.err = Read(File("stderr" + tag)) + (ended ? "" : "(still running at the limit: ended by the test)\n");
    return outcome;
  }

  // Polls `done` every 20 ms until it holds or `limit` has passed.
  static bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
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
