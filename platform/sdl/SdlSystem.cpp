#include "platform/sdl/SdlSystem.h"

#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Service.h"

namespace platform {

namespace {

// Requests to come forward (SIGUSR1 from a second copy), counted by the
// handler and taken between frames.
volatile sig_atomic_t g_raiseRequests = 0;
void CountRaiseRequest(int) { g_raiseRequests = g_raiseRequests + 1; }

// The handler is in place while this process holds any lock; the one that
// was there before comes back with the last lock.
int g_locksHeld = 0;
struct sigaction g_previousAction {};

void ListenForRaise() {
  if (g_locksHeld++ > 0) return;
  struct sigaction action {};
  action.sa_handler = CountRaiseRequest;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGUSR1, &action, &g_previousAction);
}

void StopListeningForRaise() {
  if (--g_locksHeld > 0) return;
  sigaction(SIGUSR1, &g_previousAction, nullptr);
}

class FlockInstanceLock : public InstanceLock {
 public:
  explicit FlockInstanceLock(int fd) : fd_(fd) {}
  ~FlockInstanceLock() override {
    close(fd_);  // closing drops the lock
    StopListeningForRaise();
  }

 private:
  int fd_;
};

std::string NonEmptyEnv(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : std::string();
}

std::string WithoutTrailingSlash(std::string dir) {
  if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

void Warn(const std::string& text) {
  std::fprintf(stderr, "velmora: warning: %s\n", text.c_str());
  std::fflush(stderr);
}

// The program file of a process, empty when it cannot be read.
std::string ProcessProgram(const std::string& pid) {
  std::vector<char> buffer(PATH_MAX + 1);
  ssize_t n = readlink(("/proc/" + pid + "/exe").c_str(), buffer.data(), buffer.size() - 1);
  return n > 0 ? std::string(buffer.data(), size_t(n)) : std::string();
}

}  // namespace

SdlSystem::SdlSystem() {
  // SDL would keep the desktop's screen saver off whenever its video runs;
  // only SetExecutionState(true, ...) should.
  if (!SDL_GetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER)) SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
}

void SdlSystem::SetExecutionState(bool display, bool system) {
  display_ = display;
  system_ = system;
  // SDL reads the hint when its video starts; once it runs, the calls act.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, display ? "0" : "1");
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    if (display)
      SDL_DisableScreenSaver();
    else
      SDL_EnableScreenSaver();
  }
}

std::string SdlSystem::LockFolder() {
  std::string dir = NonEmptyEnv("XDG_RUNTIME_DIR");
  if (!dir.empty()) return WithoutTrailingSlash(dir);
  // A shared temporary folder is anybody's: the locks go into a folder of
  // this user's own there.
  dir = NonEmptyEnv("TMPDIR");
  if (dir.empty()) dir = "/tmp";
  return WithoutTrailingSlash(dir) + "/velmora-" + std::to_string(getuid());
}

std::string SdlSystem::LockFilePath(const std::string& name) {
  std::string file = name;
  for (char& c : file)
    if (c == '/' || c == '\0') c = '_';
  return LockFolder() + "/" + file + ".lock";
}

std::string SdlSystem::LockFolderProblem(const std::string& folder) {
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0) return std::string("cannot be used: ") + std::strerror(errno);
  if (S_ISLNK(st.st_mode)) return "is a symbolic link";
  if (!S_ISDIR(st.st_mode)) return "is not a folder";
  if (st.st_uid != getuid()) return "belongs to user " + std::to_string(st.st_uid);
  if (st.st_mode & (S_IWGRP | S_IWOTH)) return "may be written by other users";
  return std::string();
}

std::unique_ptr<InstanceLock> SdlSystem::CreateInstanceLock(const std::string& name, bool& alreadyRunning) {
  alreadyRunning = false;
  const std::string path = LockFilePath(name), folder = LockFolder();
  if (NonEmptyEnv("XDG_RUNTIME_DIR").empty()) mkdir(folder.c_str(), 0700);  // may exist already
  // Only a folder of this user's own decides whether a copy runs: a file
  // another account put there never turns this one away.
  if (std::string problem = LockFolderProblem(folder); !problem.empty()) {
    Warn("the lock folder \"" + folder + "\" " + problem + "; running without the single-instance lock");
    return nullptr;
  }
  // O_CLOEXEC: programs started later must not inherit (and so keep) the
  // lock. O_NOFOLLOW: the lock file is never a link to elsewhere.
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || st.st_uid != getuid() || !S_ISREG(st.st_mode)) {
    close(fd);
    Warn("the lock file \"" + path + "\" is not this user's own; running without the single-instance lock");
    return nullptr;
  }
  // Listening before the process id is in the file: whoever reads it may
  // send the request at once.
  ListenForRaise();
  int rc;
  do rc = flock(fd, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    alreadyRunning = errno == EWOULDBLOCK;
    close(fd);
    StopListeningForRaise();
    return nullptr;
  }
  const std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) != ssize_t(pid.size())) {
    // The lock holds all the same; only the request to come forward
    // cannot find this copy.
  }
  return std::make_unique<FlockInstanceLock>(fd);
}

bool SdlSystem::RaiseInstance(const std::string& name) {
  if (!LockFolderProblem(LockFolder()).empty()) return false;
  int fd = open(LockFilePath(name).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  struct stat st {};
  char text[32] = {};
  ssize_t n = -1;
  if (fstat(fd, &st) == 0 && st.st_uid == getuid()) n = pread(fd, text, sizeof text - 1, 0);
  close(fd);
  if (n <= 0) return false;
  char* end = nullptr;
  long pid = std::strtol(text, &end, 10);
  if (pid <= 0 || pid == long(getpid()) || (*end != '\n' && *end != '\0')) return false;
  // Only a copy of this very program gets the signal (a process id left in
  // the file from an earlier run may belong to anything by now).
  const std::string program = ProcessProgram(std::to_string(pid));
  if (program.empty() || program != ProcessProgram("self")) return false;
  return kill(pid_t(pid), SIGUSR1) == 0;
}

bool SdlSystem::TakeRaiseRequest() {
  if (g_raiseRequests == 0) return false;
  g_raiseRequests = g_raiseRequests - 1;
  return true;
}

std::string SdlSystem::ExecutablePath() {
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (size_t(n) < buffer.size()) return std::string(buffer.data(), size_t(n));
    buffer.resize(buffer.size() * 2);  // the path was cut off
  }
}

std::string SdlSystem::LongPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return path;
  std::string result(resolved);
  std::free(resolved);
  return result;
}

std::string SdlSystem::Environment(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? std::string(v) : std::string();
}

template <>
System& Service<System>::Default() {
  static SdlSystem system;
  return system;
}

}  // namespace platform
