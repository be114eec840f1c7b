#include "platform/sdl/X11Library.h"

#include <dlfcn.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace platform {

X11Library& X11Library::Get() {
  static X11Library library;
  return library;
}

X11Library::X11Library() {
  handle_ = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  if (!handle_) return;
  auto sym = [&](const char* name) { return dlsym(handle_, name); };
  auto open = reinterpret_cast<OpenDisplayFn>(sym("XOpenDisplay"));
  closeDisplay = reinterpret_cast<CloseDisplayFn>(sym("XCloseDisplay"));
  sync = reinterpret_cast<SyncFn>(sym("XSync"));
  setErrorHandler = reinterpret_cast<SetErrorHandlerFn>(sym("XSetErrorHandler"));
  getWindowAttributes = reinterpret_cast<GetWindowAttributesFn>(sym("XGetWindowAttributes"));
  getInputFocus = reinterpret_cast<GetInputFocusFn>(sym("XGetInputFocus"));
  // All or nothing: Loaded() promises every pointer above.
  if (open && closeDisplay && sync && setErrorHandler && getWindowAttributes && getInputFocus) openDisplay = open;
}

X11Library::~X11Library() {
  for (void* h : extra_)
    if (h) dlclose(h);
  if (handle_) dlclose(handle_);
}

void* X11Library::Symbol(const char* name, const char* library) {
  if (!library) return handle_ ? dlsym(handle_, name) : nullptr;
  for (int i = 0; i < 4; ++i) {
    if (extra_[i] && extraNames_[i] == library) return dlsym(extra_[i], name);
  }
  for (int i = 0; i < 4; ++i) {
    if (!extra_[i]) {
      extra_[i] = dlopen(library, RTLD_NOW | RTLD_LOCAL);
      if (!extra_[i]) return nullptr;
      extraNames_[i] = library;
      return dlsym(extra_[i], name);
    }
  }
  return nullptr;
}

namespace {

constexpr int kConnectAttempts = 3;

// One request at a time runs on the UI thread, so a flag will do.
bool g_xError = false;
int RecordXError(Display*, XErrorEvent*) {
  g_xError = true;
  return 0;
}

}  // namespace

X11Connection::X11Connection(const std::string& displayName) {
  X11Library& x = X11Library::Get();
  if (!x.Loaded()) return;
  // An X server may turn a connection away that comes right after another
  // one closed (Xvfb does, now and then); a moment later it is taken.
  for (int attempt = 0; attempt < kConnectAttempts && !display_; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    display_ = x.openDisplay(displayName.empty() ? nullptr : displayName.c_str());
  }
  if (!display_) return;
  previous_ = x.setErrorHandler(RecordXError);
  g_xError = false;
}

X11Connection::~X11Connection() {
  if (!display_) return;
  X11Library& x = X11Library::Get();
  x.sync(display_, False);
  x.setErrorHandler(previous_);
  x.closeDisplay(display_);
}

bool X11Connection::SyncOk() {
  if (!display_) return false;
  X11Library::Get().sync(display_, False);
  bool ok = !g_xError;
  g_xError = false;
  return ok;
}

}  // namespace platform
