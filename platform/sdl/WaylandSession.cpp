#include "platform/sdl/WaylandSession.h"

#include <SDL_syswm.h>
#include <semaphore.h>
#include <unistd.h>
#include <wayland-client.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstring>
#include <thread>

namespace platform {

namespace {

bool Set(const char* name) {
  const char* value = SDL_getenv(name);
  return value && *value;
}

std::atomic<bool> connectionLost{false};
std::atomic<wl_display*> watchedDisplay{nullptr};

void Say(const char* text) {
  // From a thread or after a signal: write(2) only.
  ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
  (void)ignored;
}

}  // namespace

void PreferWaylandVideo() {
  if (VideoDriverChosen() || !Set("WAYLAND_DISPLAY")) return;
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
}

bool VideoDriverChosen() {
  const char* hint = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  return hint && *hint;
}

bool DisplayNamed() { return VideoDriverChosen() || Set("DISPLAY") || Set("WAYLAND_DISPLAY"); }

void WatchWaylandConnection(SDL_Window* window) {
  static std::atomic<bool> watching{false};
  if (!window || watching.load()) return;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "wayland") != 0) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND || !info.info.wl.display) return;
  if (watching.exchange(true)) return;
  wl_display* display = info.info.wl.display;
  watchedDisplay.store(display);
  // SDL keeps its connection until the process ends, so the thread may ask
  // it for its error as long as it runs. The error is set by the read or
  // write that failed, which SDL's event pump and its waits make often.
  std::thread([display] {
    for (;;) {
      if (wl_display_get_error(display) != 0) EndForLostWaylandConnection();
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }).detach();
}

bool WaylandConnectionLost() {
  wl_display* display = watchedDisplay.load();
  return connectionLost.load() || (display && wl_display_get_error(display) != 0);
}

void EndForLostWaylandConnection() {
  if (!connectionLost.exchange(true)) Say("velmora: the connection to the Wayland compositor was lost\n");
  _exit(1);
}

namespace {

constexpr int kGraceSeconds = 5;
struct sigaction previousTerm {}, previousInt {};
sem_t termination;
std::atomic<int> terminatingSignal{0};

void OnTermination(int signal) {
  const struct sigaction& previous = signal == SIGTERM ? previousTerm : previousInt;
  terminatingSignal.store(signal);
  sem_post(&termination);
  if (previous.sa_handler == SIG_IGN) return;
  if (previous.sa_handler == SIG_DFL) {
    ::signal(signal, SIG_DFL);
    raise(signal);
    return;
  }
  if (previous.sa_flags & SA_SIGINFO) return;  // SDL's handler is a plain one
  previous.sa_handler(signal);
}

}  // namespace

void WatchTermination() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  sem_init(&termination, 0, 0);
  struct sigaction action {};
  action.sa_handler = OnTermination;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, &previousTerm);
  sigaction(SIGINT, &action, &previousInt);
  std::thread([] {
    while (sem_wait(&termination) != 0 && errno == EINTR) {
    }
    std::this_thread::sleep_for(std::chrono::seconds(kGraceSeconds));
    Say("velmora: still running some seconds after being told to end; ending now\n");
    _exit(128 + terminatingSignal.load());
  }).detach();
}

}  // namespace platform
