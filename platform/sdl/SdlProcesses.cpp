#include "platform/sdl/SdlProcesses.h"

#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/Service.h"

extern char** environ;

namespace platform {

namespace {

// Waits for a child nobody asks about any more, so it leaves no zombie.
void ReapInBackground(pid_t pid) {
  std::thread([pid] {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

class PosixChild : public ChildProcess {
 public:
  explicit PosixChild(pid_t pid) : pid_(pid) {}
  ~PosixChild() override {
    if (!ended_) ReapInBackground(pid_);
  }

  bool Running(int& exitCode) override {
    if (ended_) {
      exitCode = exitCode_;
      return false;
    }
    int status = 0;
    pid_t rc;
    do rc = waitpid(pid_, &status, WNOHANG);
    while (rc < 0 && errno == EINTR);
    if (rc == 0) return true;
    ended_ = true;
    if (rc < 0)
      exitCode_ = -1;  // already reaped elsewhere: its state is lost
    else if (WIFEXITED(status))
      exitCode_ = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
      exitCode_ = 128 + WTERMSIG(status);
    else
      exitCode_ = -1;
    exitCode = exitCode_;
    return false;
  }

 private:
  pid_t pid_;
  bool ended_ = false;
  int exitCode_ = -1;
};

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// Starts argv in `directory`; 0 or an errno value.
int SpawnArgv(const std::vector<std::string>& argv, const std::string& directory, pid_t& pid) {
  if (argv.empty() || argv[0].empty()) return ENOENT;
  std::string program = argv[0];
  // The child changes its directory before it looks for the program; a
  // relative path names a file seen from here.
  if (!directory.empty() && program.find('/') != std::string::npos && program[0] != '/') {
    std::string cwd = CurrentDirectory();
    if (!cwd.empty()) program = cwd + "/" + program;
  }
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  args.push_back(program.data());
  std::vector<std::string> rest(argv.begin() + 1, argv.end());
  for (std::string& a : rest) args.push_back(a.data());
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attr);
  int rc = 0;
  if (!directory.empty()) rc = posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  if (rc == 0) rc = posix_spawnp(&pid, program.c_str(), &actions, &attr, args.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return rc;
}

}  // namespace

int SdlProcesses::NiceValue(ProcessPriority priority) {
  switch (priority) {
    case ProcessPriority::High: return -5;
    case ProcessPriority::Idle: return 19;
    case ProcessPriority::RealTime: return -10;
    case ProcessPriority::Normal: break;
  }
  return 0;
}

std::unique_ptr<ChildProcess> SdlProcesses::Spawn(const SpawnRequest& request, std::string& error) {
  pid_t pid = 0;
  int rc = SpawnArgv(request.argv, request.directory, pid);
  if (rc != 0) {
    error = std::strerror(rc);
    return nullptr;
  }
  // Without privilege a raise is refused; the child then runs normally.
  setpriority(PRIO_PROCESS, pid, NiceValue(request.priority));
  return std::make_unique<PosixChild>(pid);
}

bool SdlProcesses::SetOwnPriority(ProcessPriority priority) {
  return setpriority(PRIO_PROCESS, 0, NiceValue(priority)) == 0;
}

bool SdlProcesses::ShellOpen(const std::string& file, const std::string&, const std::string& directory,
                             ShowCommand) {
  pid_t pid = 0;
  if (SpawnArgv({"xdg-open", file}, directory, pid) != 0) return false;
  ReapInBackground(pid);
  return true;
}

template <>
Processes& Service<Processes>::Default() {
  static SdlProcesses processes;
  return processes;
}

}  // namespace platform
