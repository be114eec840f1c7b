// Xlib, loaded at run time for the few things SDL does not offer: the root
// window, foreign windows' sizes, the input focus, DPMS. Loading by name
// keeps the program running (without those) where there is no X11 at all.
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace platform {

class X11Library {
 public:
  // The process-wide instance; Loaded() tells whether libX11 was found.
  static X11Library& Get();

  bool Loaded() const { return openDisplay != nullptr; }

  using OpenDisplayFn = Display* (*)(const char*);
  using CloseDisplayFn = int (*)(Display*);
  using SyncFn = int (*)(Display*, Bool);
  using SetErrorHandlerFn = XErrorHandler (*)(XErrorHandler);
  using GetWindowAttributesFn = Status (*)(Display*, Window, XWindowAttributes*);
  using GetInputFocusFn = int (*)(Display*, Window*, int*);

  OpenDisplayFn openDisplay = nullptr;
  CloseDisplayFn closeDisplay = nullptr;
  SyncFn sync = nullptr;
  SetErrorHandlerFn setErrorHandler = nullptr;
  GetWindowAttributesFn getWindowAttributes = nullptr;
  GetInputFocusFn getInputFocus = nullptr;

  // Looks a further function up in libX11 or, when `library` names it,
  // another X library ("libXext.so.6"); nullptr when missing.
  void* Symbol(const char* name, const char* library = nullptr);

 private:
  X11Library();
  ~X11Library();
  void* handle_ = nullptr;
  void* extra_[4] = {};
  std::string extraNames_[4];
};

// A connection to an X display for the length of one request, with Xlib's
// fatal error handler replaced: a protocol error (a window that does not
// exist) only sets failed().
class X11Connection {
 public:
  // displayName empty: $DISPLAY.
  explicit X11Connection(const std::string& displayName = "");
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  Display* display() const { return display_; }
  explicit operator bool() const { return display_ != nullptr; }
  // Waits for the server's answers; true when none of them was an error.
  bool SyncOk();

 private:
  Display* display_ = nullptr;
  XErrorHandler previous_ = nullptr;
};

}  // namespace platform
