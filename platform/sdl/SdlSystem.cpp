#include "platform/sdl/SdlSystem.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/Service.h"

namespace platform {

namespace {

class FlockInstanceLock : public InstanceLock {
 public:
  explicit FlockInstanceLock(int fd) : fd_(fd) {}
  ~FlockInstanceLock() override { close(fd_); }  // closing drops the lock

 private:
  int fd_;
};

std::string NonEmptyEnv(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : std::string();
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

std::string SdlSystem::LockFilePath(const std::string& name) {
  std::string dir = NonEmptyEnv("XDG_RUNTIME_DIR");
  if (dir.empty()) dir = NonEmptyEnv("TMPDIR");
  if (dir.empty()) dir = "/tmp";
  if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::string file = name;
  for (char& c : file)
    if (c == '/' || c == '\0') c = '_';
  return dir + "/" + file + ".lock";
}

std::unique_ptr<InstanceLock> SdlSystem::CreateInstanceLock(const std::string& name, bool& alreadyRunning) {
  alreadyRunning = false;
  // O_CLOEXEC: programs started later must not inherit (and so keep) the lock.
  int fd = open(LockFilePath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  int rc;
  do rc = flock(fd, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    alreadyRunning = errno == EWOULDBLOCK;
    close(fd);
    return nullptr;
  }
  return std::make_unique<FlockInstanceLock>(fd);
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
