#include "platform/sdl/SdlWindow.h"

#include <algorithm>

#include "core/Error.h"
#include "platform/Service.h"

namespace platform {

namespace {

std::vector<SdlWindow*>& Registry() {
  static std::vector<SdlWindow*> windows;
  return windows;
}

}  // namespace

void SdlEnsureVideo(const char* className, const char* operation) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
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
  if (request.host != 0 || request.hostIsRoot)
    velmora::RaiseError("Windows", "Create", "Foreign host windows are not supported by this backend");
  Make();
  Registry().push_back(this);
}

SdlWindow::~SdlWindow() {
  auto& all = Registry();
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
  DropSurface();
}

void SdlWindow::Make() {
  Uint32 flags = SDL_WINDOW_OPENGL;
  flags |= request_.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  if (request_.popup) flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
  if (request_.resizable) flags |= SDL_WINDOW_RESIZABLE;
  const Rect& b = request_.bounds;
  attributes_ = SdlGLAttributes::Requested();
  window_ = SDL_CreateWindow(request_.title.c_str(), b.left, b.top, std::max(1, b.width), std::max(1, b.height), flags);
  if (!window_) velmora::RaiseError("Windows", "Create", std::string("Window is not created: ") + SDL_GetError());
}

void SdlWindow::Recreate() {
  if (window_) {
    // Keep what the user or the program changed since the window was made.
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_GetWindowSize(window_, &w, &h);
    request_.bounds = Rect{x, y, w, h};
    request_.visible = (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0;
  }
  DropSurface();
  Make();
}

void SdlWindow::DropSurface() {
  if (window_) SDL_DestroyWindow(window_);
  window_ = nullptr;
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
  if (!window_) return;
  SDL_SetWindowPosition(window_, bounds.left, bounds.top);
  SDL_SetWindowSize(window_, std::max(1, bounds.width), std::max(1, bounds.height));
}

void SdlWindow::SetVisible(bool visible) {
  request_.visible = visible;
  if (!window_) return;
  if (visible)
    SDL_ShowWindow(window_);
  else
    SDL_HideWindow(window_);
}

void SdlWindow::SetTitle(const std::string& title) {
  request_.title = title;
  if (window_) SDL_SetWindowTitle(window_, title.c_str());
}

void SdlWindow::Raise() {
  if (window_) SDL_RaiseWindow(window_);
}

namespace {

class SdlWindows : public Windows {
 public:
  std::unique_ptr<NativeWindow> Create(const WindowRequest& request) override {
    SdlEnsureVideo("Windows", "Create");
    return std::make_unique<SdlWindow>(request);
  }
  // Foreign windows come with the host-window support of the shell.
  bool ForeignWindowRect(ForeignWindowId, Rect&) override { return false; }
  void EnableForeignWindow(ForeignWindowId, bool) override {}
  ForeignWindowId ForegroundWindow() override { return 0; }
};

}  // namespace

template <>
Windows& Service<Windows>::Default() {
  static SdlWindows windows;
  return windows;
}

}  // namespace platform
