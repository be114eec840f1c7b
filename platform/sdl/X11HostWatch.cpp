#include "platform/sdl/X11HostWatch.h"

#include <SDL_syswm.h>

#include <algorithm>

#include "platform/sdl/X11Library.h"

namespace platform {

namespace {

// Error codes of the GLX extension, from its first error code.
enum : int { kGlxBadDrawable = 2, kGlxBadCurrentWindow = 5, kGlxBadWindow = 12 };

struct Watch {
  std::vector<uint64_t> hosts;     // watched host windows
  std::vector<uint64_t> lost;      // lost, not yet taken
  bool anyLost = false;            // errors are quiet from then on
  XErrorHandler previous = nullptr;
  bool installed = false;
  int glxFirstError = -1;          // the GLX extension's first error code
};

Watch& State() {
  static Watch watch;
  return watch;
}

bool Watched(uint64_t id) {
  const auto& hosts = State().hosts;
  return std::find(hosts.begin(), hosts.end(), id) != hosts.end();
}

void MarkLost(uint64_t id) {
  Watch& w = State();
  w.anyLost = true;
  if (std::find(w.lost.begin(), w.lost.end(), id) == w.lost.end()) w.lost.push_back(id);
}

// Errors that say a drawable is not there (any more).
bool GoneError(const XErrorEvent& e) {
  if (e.error_code == BadWindow || e.error_code == BadDrawable) return true;
  const int glx = State().glxFirstError;
  if (glx < 0) return false;
  const int code = int(e.error_code) - glx;
  return code == kGlxBadDrawable || code == kGlxBadCurrentWindow || code == kGlxBadWindow;
}

int QuietHostErrors(Display* display, XErrorEvent* e) {
  Watch& w = State();
  if (e && Watched(e->resourceid) && GoneError(*e)) {
    MarkLost(e->resourceid);
    return 0;
  }
  // After a host went, the drawing that follows fails in many ways.
  if (w.anyLost) return 0;
  return w.previous ? w.previous(display, e) : 0;
}

void InstallHandler() {
  Watch& w = State();
  if (w.installed) return;
  X11Library& x = X11Library::Get();
  if (!x.Loaded()) return;
  w.previous = x.setErrorHandler(QuietHostErrors);
  w.installed = true;
}

// The GLX errors' codes, asked once on the connection that draws.
void LearnGlxErrors(Display* display) {
  Watch& w = State();
  if (w.glxFirstError >= 0) return;
  using QueryExtensionFn = Bool (*)(Display*, const char*, int*, int*, int*);
  if (auto query = reinterpret_cast<QueryExtensionFn>(X11Library::Get().Symbol("XQueryExtension"))) {
    int opcode = 0, event = 0, error = 0;
    if (query(display, "GLX", &opcode, &event, &error)) w.glxFirstError = error;
  }
}

}  // namespace

void ExpectHostWindow(uint64_t host) {
  InstallHandler();
  if (!Watched(host)) State().hosts.push_back(host);
}

void HostWindowWent(uint64_t host) { MarkLost(host); }

bool HostWindowLost(uint64_t host) {
  const auto& lost = State().lost;
  return std::find(lost.begin(), lost.end(), host) != lost.end();
}

void WatchHostWindow(SDL_Window* window, uint64_t host) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  X11Library& x = X11Library::Get();
  using SelectInputFn = int (*)(Display*, Window, long);
  auto selectInput = reinterpret_cast<SelectInputFn>(x.Symbol("XSelectInput"));
  if (!x.Loaded() || !selectInput) return;
  Display* display = info.info.x11.display;
  LearnGlxErrors(display);
  ExpectHostWindow(host);
  // Structure events only: the pointer and keyboard events of a host window
  // may belong to one client alone (the daemon's), and a second one asking
  // for them would fail.
  selectInput(display, Window(host), StructureNotifyMask);
  x.sync(display, False);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

void UnwatchHostWindow(uint64_t host) {
  auto& hosts = State().hosts;
  hosts.erase(std::remove(hosts.begin(), hosts.end(), host), hosts.end());
}

bool HostWindowEvent(const SDL_Event& event) {
  if (event.type != SDL_SYSWMEVENT || !event.syswm.msg || event.syswm.msg->subsystem != SDL_SYSWM_X11) return false;
  const XEvent& x = event.syswm.msg->msg.x11.event;
  if (x.type != DestroyNotify || !Watched(x.xdestroywindow.window)) return false;
  MarkLost(x.xdestroywindow.window);
  return true;
}

std::vector<uint64_t> TakeLostHostWindows() {
  std::vector<uint64_t> lost;
  lost.swap(State().lost);
  return lost;
}

}  // namespace platform
