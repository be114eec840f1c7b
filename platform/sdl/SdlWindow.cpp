#include "platform/sdl/SdlWindow.h"

#include <algorithm>

#include <cstdio>
#include <cstring>

#include "core/Error.h"
#include "core/Strings.h"
#include "platform/Service.h"
#include "platform/sdl/WaylandSession.h"
#include "platform/sdl/X11HostWatch.h"
#include "platform/sdl/X11Library.h"
#include "platform/wayland/LayerWindow.h"

namespace platform {

namespace {

std::vector<SdlWindow*>& Registry() {
  static std::vector<SdlWindow*> windows;
  return windows;
}

}  // namespace

bool SdlStartVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  PreferWaylandVideo();
  // The X server may turn away a connection that comes right after another
  // one closed (see X11Connection); a try a moment later is taken.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) SDL_Delay(20);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
  }
  return false;
}

void SdlEnsureVideo(const char* className, const char* operation) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return;
  if (!SdlStartVideo())
    velmora::RaiseError(className, operation, std::string("Video is not available: ") + SDL_GetError());
  // Windows are made with the format the program asks for by default (true
  // colour with alpha, 16-bit depth, double buffered), so that the first
  // context seldom has to make its window again.
  SdlGLAttributes().Apply();
}

namespace {
SdlGLAttributes& RequestedAttributes() {
  static SdlGLAttributes requested;
  return requested;
}
}  // namespace

const SdlGLAttributes& SdlGLAttributes::Requested() { return RequestedAttributes(); }

void SdlGLAttributes::Apply() const {
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, red);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, green);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, blue);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, alpha);
  SDL_GL_SetAttribute(SDL_GL_BUFFER_SIZE, 0);  // the channels say it all
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencil);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accumRed);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accumGreen);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accumBlue);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accumAlpha);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, doubleBuffer);
  RequestedAttributes() = *this;
}

SdlWindow::SdlWindow(const WindowRequest& request) : request_(request) {
  Make();
  Registry().push_back(this);
}

SdlWindow::~SdlWindow() {
  auto& all = Registry();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
  DropSurface();
}

bool SdlWindow::Foreign() const { return request_.host != 0 || request_.hostIsRoot; }

void SdlWindow::Make() {
  attributes_ = SdlGLAttributes::Requested();
  if (Foreign()) {
    MakeForeign();
    return;
  }
  Uint32 flags = SDL_WINDOW_OPENGL;
  // A Wayland window is shown with its first frame (ShowPending), when its
  // format is settled: each window made again for another format would
  // otherwise come and go as a toplevel of its own, and a compositor asked
  // to activate one that went may fall over (sway 1.7 does).
  const char* driver = SDL_GetCurrentVideoDriver();
  wayland_ = driver && std::strcmp(driver, "wayland") == 0;
  showPending_ = request_.visible && wayland_;
  flags |= request_.visible && !showPending_ ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  // A pop-up covers its rectangle above everything and stays off the task
  // bar, like the full-screen window of a screen saver.
  if (request_.popup) flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
  // A Wayland client cannot place its windows: a window over everything is
  // a full-screen one, on the output its place names (a tiling compositor
  // would otherwise put it beside the others).
  if (request_.popup && wayland_) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (request_.resizable) flags |= SDL_WINDOW_RESIZABLE;
  const Rect& b = request_.bounds;
  window_ = SDL_CreateWindow(request_.title.c_str(), b.left, b.top, std::max(1, b.width), std::max(1, b.height), flags);
  if (!window_) velmora::RaiseError("Windows", "Create", std::string("Window is not created: ") + SDL_GetError());
  WatchWaylandConnection(window_);
}

void SdlWindow::ShowPending() {
  framed_ = true;
  if (!showPending_ || !window_) return;
  showPending_ = false;
  SDL_ShowWindow(window_);
  if (raisePending_) SDL_RaiseWindow(window_);
  raisePending_ = false;
}

void SdlWindow::MakeForeign() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0)
    velmora::RaiseError("Windows", "Create",
                        std::string("Host windows need the X11 video system, not ") + (driver ? driver : "none"));
  ForeignWindowId id = request_.host;
  {
    X11Connection x;
    if (!x) velmora::RaiseError("Windows", "Create", "No X display for the host window");
    if (id == 0) {
      id = RootWindow(x.display(), DefaultScreen(x.display()));
    } else {
      // SDL asks the server about the window with Xlib's own error handler,
      // which ends the process for a window that does not exist.
      XWindowAttributes attributes{};
      Status status = X11Library::Get().getWindowAttributes(x.display(), Window(id), &attributes);
      if (!x.SyncOk() || status == 0) {
        if (hostTaken_) {
          // Made again (for another GL format) after the host destroyed the
          // window: no SDL window is left to close, so the event queue
          // learns of the loss here (see SdlEvents::Poll).
          HostWindowWent(id);
          throw HostWindowGone(velmora::ErrorText(
              "Windows", "Create", velmora::Format("Host window 0x%llx went", static_cast<unsigned long long>(id))));
        }
        velmora::RaiseError("Windows", "Create",
                            velmora::Format("Host window 0x%llx does not exist", static_cast<unsigned long long>(id)));
      }
    }
  }
  // SDL draws with OpenGL into a window it did not make only when told so
  // before it takes the window over.
  SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
  // The host may destroy the window while SDL reads its properties: that
  // error marks it lost instead of ending the process.
  ExpectHostWindow(id);
  window_ = SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(id)));
  if (!window_) {
    const bool gone = HostWindowLost(id);
    UnwatchHostWindow(id);
    if (gone)
      throw HostWindowGone(velmora::ErrorText(
          "Windows", "Create", velmora::Format("Host window 0x%llx went", static_cast<unsigned long long>(id))));
    velmora::RaiseError("Windows", "Create",
                        velmora::Format("Host window 0x%llx cannot be used: %s", static_cast<unsigned long long>(id),
                                        SDL_GetError()));
  }
  hostId_ = id;
  hostTaken_ = true;
  WatchHostWindow(window_, id);
}

void SdlWindow::Recreate() {
  if (window_ && !Foreign()) {
    // Keep what the user or the program changed since the window was made.
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_GetWindowSize(window_, &w, &h);
    request_.bounds = Rect{x, y, w, h};
    request_.visible = showPending_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0;
  }
  DropSurface();
  Make();
}

void SdlWindow::DropSurface() {
  // For a host window this lets go of SDL's hold only; the window itself
  // belongs to the host.
  if (window_) SDL_DestroyWindow(window_);
  if (hostId_ != 0) UnwatchHostWindow(hostId_);
  window_ = nullptr;
  hostId_ = 0;
}

const std::vector<SdlWindow*>& SdlWindow::All() { return Registry(); }

uint32_t SdlWindow::Id() const { return window_ ? SDL_GetWindowID(window_) : 0; }

int SdlWindow::Width() const {
  int w = 0, h = 0;
  if (window_) SDL_GetWindowSizeInPixels(window_, &w, &h);
  return w;
}

int SdlWindow::Height() const {
  int w = 0, h = 0;
  if (window_) SDL_GetWindowSizeInPixels(window_, &w, &h);
  return h;
}

void SdlWindow::SetBounds(const Rect& bounds) {
  request_.bounds = bounds;
  // The host decides where and how large its window is.
  if (!window_ || Foreign()) return;
  SDL_SetWindowPosition(window_, bounds.left, bounds.top);
  SDL_SetWindowSize(window_, std::max(1, bounds.width), std::max(1, bounds.height));
}

void SdlWindow::SetVisible(bool visible) {
  request_.visible = visible;
  if (!window_ || Foreign()) return;
  if (showPending_ || (visible && wayland_ && !framed_)) {
    showPending_ = visible;
    return;
  }
  if (visible)
    SDL_ShowWindow(window_);
  else
    SDL_HideWindow(window_);
}

void SdlWindow::SetTitle(const std::string& title) {
  request_.title = title;
  if (window_ && !Foreign()) SDL_SetWindowTitle(window_, title.c_str());
}

void SdlWindow::Raise() {
  if (showPending_) raisePending_ = true;
  else if (window_ && !Foreign()) SDL_RaiseWindow(window_);
}

namespace {

// Whether the X11 calls below have a display to ask: the X11 video system,
// or none yet with $DISPLAY set.
bool X11Available() {
  const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
  if (driver) return std::strcmp(driver, "x11") == 0;
  const char* display = SDL_getenv("DISPLAY");
  return display && *display;
}

bool wallpaperRun = false;

class SdlWindows : public Windows {
 public:
  std::unique_ptr<NativeWindow> Create(const WindowRequest& request) override {
    SdlEnsureVideo("Windows", "Create");
    const char* driver = SDL_GetCurrentVideoDriver();
    if (wallpaperRun && request.hostIsRoot && driver && std::strcmp(driver, "wayland") == 0) {
      // A Wayland desktop has no root window: the wallpaper goes below the
      // windows on every output instead.
      std::string reason;
      WindowRequest everyOutput = request;
      everyOutput.bounds = Rect{};
      everyOutput.primaryOnly = false;
      if (auto layer = LayerWindow::Create(everyOutput, DesktopLayer::Background, reason)) return layer;
      velmora::RaiseError("Windows", "Create", "No wallpaper on this Wayland desktop: " + reason);
    }
    if (request.popup && driver && std::strcmp(driver, "wayland") == 0) {
      // Above everything on each output it covers: the desktop's overlay
      // layer, where the compositor has one.
      // Without a layer shell it is a full-screen window on each output,
      // which the reason says.
      std::string reason;
      auto layer = LayerWindow::Create(request, DesktopLayer::Overlay, reason);
      static bool said = false;
      if (!said && !reason.empty())
        std::fprintf(stderr, layer ? "velmora: %s\n" : "velmora: %s; a full-screen window instead\n", reason.c_str());
      said = said || !reason.empty();
      if (layer) return layer;
    }
    return std::make_unique<SdlWindow>(request);
  }

  bool ForeignWindowRect(ForeignWindowId id, Rect& rect) override {
    if (id == 0 || !X11Available()) return false;
    X11Connection x;
    if (!x) return false;
    XWindowAttributes attributes{};
    Status status = X11Library::Get().getWindowAttributes(x.display(), Window(id), &attributes);
    if (!x.SyncOk() || status == 0) return false;
    rect = Rect{attributes.x, attributes.y, attributes.width, attributes.height};
    return true;
  }

  // X11 has no disabled state for a window of another program; the host's
  // dialog stays as it is.
  void EnableForeignWindow(ForeignWindowId, bool) override {}

  ForeignWindowId ForegroundWindow() override {
    if (!X11Available()) return 0;
    X11Connection x;
    if (!x) return 0;
    Window focus = 0;
    int revert = 0;
    X11Library::Get().getInputFocus(x.display(), &focus, &revert);
    // None (0) and PointerRoot (1) name no window.
    if (!x.SyncOk() || focus <= 1) return 0;
    return focus;
  }

  bool UseOffscreen(bool onlyWithoutDisplay) override {
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
      const char* driver = SDL_GetCurrentVideoDriver();
      return driver && std::strcmp(driver, "offscreen") == 0;
    }
    if (onlyWithoutDisplay) {
      const char* x11 = SDL_getenv("DISPLAY");
      const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
      if ((x11 && *x11) || (wayland && *wayland)) return false;
    }
    return SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE) == SDL_TRUE;
  }

  bool DisplayNamed() override { return SDL_WasInit(SDL_INIT_VIDEO) || platform::DisplayNamed(); }

  void UseWallpaper() override { wallpaperRun = true; }

  void UseHostWindows() override {
    if (SDL_WasInit(SDL_INIT_VIDEO) || VideoDriverChosen()) return;
    const char* x11 = SDL_getenv("DISPLAY");
    if (x11 && *x11) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  }
};

}  // namespace

template <>
Windows& Service<Windows>::Default() {
  static SdlWindows windows;
  return windows;
}

}  // namespace platform
