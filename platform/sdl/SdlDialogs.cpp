#include "platform/sdl/SdlDialogs.h"

#include <SDL.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "core/Strings.h"
#include "platform/Service.h"

namespace platform {

namespace {

bool HeadlessDriver(const char* name) {
  return name && (velmora::SameText(name, "offscreen") || velmora::SameText(name, "dummy") ||
                  velmora::SameText(name, "evdev"));
}

// A box on a driver without screens would either fail or, worse, appear on
// some X display the test run did not ask for and wait there for a click.
bool CanShowBox() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return !HeadlessDriver(SDL_GetCurrentVideoDriver());
  if (HeadlessDriver(std::getenv("SDL_VIDEODRIVER"))) return false;
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

Uint32 BoxFlags(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error: return SDL_MESSAGEBOX_ERROR;
    case MessageIcon::Warning: return SDL_MESSAGEBOX_WARNING;
    case MessageIcon::Information: return SDL_MESSAGEBOX_INFORMATION;
    case MessageIcon::None: break;
  }
  return 0;
}

// The signals that end a run (the daemon's, the session's, Ctrl+C).
constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The box's process group while one is open, and the end signal that came
// meanwhile. Written by the handler.
volatile sig_atomic_t g_boxGroup = 0;
volatile sig_atomic_t g_endSignal = 0;

void CloseBoxOnEndSignal(int signal) {
  g_endSignal = signal;
  if (g_boxGroup > 0) kill(-pid_t(g_boxGroup), SIGKILL);
}

constexpr int kBoxAttempts = 5;
constexpr useconds_t kBoxRetryMicroseconds = 50000;

// In the box's process: its parent gone (SIGKILL), the box goes too.
void EndBoxGroup(int) { kill(0, SIGKILL); }

// The box's process: shows it and tells by its exit code whether it could.
[[noreturn]] void RunBox(pid_t parent, Uint32 flags, const std::string& caption, const std::string& text) {
  for (int signal : kEndSignals) ::signal(signal, SIG_DFL);
  ::signal(SIGTERM, EndBoxGroup);
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (getppid() != parent) _exit(2);
  // The box opens a connection of its own, which an X server may turn away
  // right after another one closed (Xvfb does, now and then); a moment
  // later it is taken.
  for (int attempt = 0; attempt < kBoxAttempts; ++attempt) {
    if (attempt > 0) usleep(kBoxRetryMicroseconds);
    if (SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), nullptr) == 0) _exit(0);
  }
  _exit(1);
}

// Shows the box in a process group of its own and waits for its OK. A box
// is modal and holds the run, but a run told to end (SIGTERM, SIGINT,
// SIGHUP) meanwhile closes it and gets the signal right after, as if it had
// come with no box open; a run killed outright takes its box with it. (SDL
// shows the box from a process of its own, which would otherwise outlive
// the run and stay on the screen.) Returns whether the box was shown.
bool ShowBoxUntilEnd(Uint32 flags, const std::string& caption, const std::string& text) {
  sigset_t ends, previousMask;
  sigemptyset(&ends);
  for (int signal : kEndSignals) sigaddset(&ends, signal);
  sigprocmask(SIG_BLOCK, &ends, &previousMask);
  const pid_t parent = getpid();
  const pid_t box = fork();
  if (box < 0) {
    sigprocmask(SIG_SETMASK, &previousMask, nullptr);
    return false;
  }
  if (box == 0) {
    setpgid(0, 0);
    RunBox(parent, flags, caption, text);
  }
  setpgid(box, box);
  struct sigaction close {}, previous[std::size(kEndSignals)];
  close.sa_handler = CloseBoxOnEndSignal;
  sigemptyset(&close.sa_mask);
  g_endSignal = 0;
  g_boxGroup = box;
  for (size_t i = 0; i < std::size(kEndSignals); ++i) sigaction(kEndSignals[i], &close, &previous[i]);
  sigprocmask(SIG_SETMASK, &previousMask, nullptr);

  int status = 0;
  pid_t waited;
  while ((waited = waitpid(box, &status, 0)) < 0 && errno == EINTR) {
  }
  sigprocmask(SIG_BLOCK, &ends, nullptr);
  g_boxGroup = 0;
  // What is left of the box's group (SDL's own process) goes with it.
  kill(-box, SIGKILL);
  for (size_t i = 0; i < std::size(kEndSignals); ++i) sigaction(kEndSignals[i], &previous[i], nullptr);
  sigprocmask(SIG_SETMASK, &previousMask, nullptr);
  const int endSignal = g_endSignal;
  const bool shown = waited == box && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (endSignal) {
    if (!shown) {
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
      std::fflush(stderr);
    }
    raise(endSignal);
    return true;
  }
  return shown;
}

}  // namespace

void SdlDialogs::MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
  if (BoxesAllowed() && CanShowBox() && ShowBoxUntilEnd(BoxFlags(icon), caption, text)) return;
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

int SdlDialogs::ShowCursor(bool show) {
  cursorCount_ += show ? 1 : -1;
  // Without video SDL only reports an error; the count stays right anyway.
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorCount_;
}

void SdlDialogs::SetCursorShape(CursorShape shape) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  if (shape == CursorShape::Busy) {
    if (!busy_) busy_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    if (busy_) SDL_SetCursor(busy_);
    return;
  }
  SDL_SetCursor(SDL_GetDefaultCursor());
  // SDL frees only cursors it still knows (a video system ended since
  // took this one with it).
  if (busy_) SDL_FreeCursor(busy_);
  busy_ = nullptr;
}

template <>
Dialogs& Service<Dialogs>::Default() {
  static SdlDialogs dialogs;
  return dialogs;
}

}  // namespace platform
