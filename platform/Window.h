// Native windows that OpenGL draws into.
//
// A window stands for the handle and device context of the desktop
// platforms: creating it gives OpenGL a surface, destroying it takes the
// surface (and with it any rendering context made on it) away.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Error.h"

namespace platform {

// Windows::Create of a host window that its host destroyed while it was
// being taken over: the host is done with the module, which ends quietly
// as it does when the window goes later.
class HostWindowGone : public velmora::Error {
 public:
  using velmora::Error::Error;
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// A window made by another program (the host's preview area, an X11
// screen-saver daemon's window), named by its platform id.
using ForeignWindowId = uint64_t;

struct WindowRequest {
  std::string title;
  Rect bounds;
  bool popup = false;     // borderless and top-most (full screen)
  bool visible = true;
  bool resizable = false;
  ForeignWindowId host = 0;  // render into this foreign window instead of a new one
  bool hostIsRoot = false;   // render into the root window of the display
  bool primaryOnly = false;  // full screen on the primary monitor only (where outputs are separate surfaces)
};

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;

  // Messages of this window carry this id (platform::Message::window).
  virtual uint32_t Id() const = 0;
  // The backend's own window object (for the OpenGL driver of the same
  // backend); opaque to everything else.
  virtual void* Handle() const = 0;

  virtual int Width() const = 0;   // client area, pixels
  virtual int Height() const = 0;
  virtual void SetBounds(const Rect& bounds) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void Raise() = 0;        // bring to the front and take the focus
  // A surface of its own on each output it covers, each showing the same
  // picture at the window's size (the layers of a Wayland desktop): a
  // full-screen scene is drawn at that size, not the desktop's.
  virtual bool OutputsApart() const { return false; }
};

class Windows {
 public:
  virtual ~Windows() = default;

  // Throws velmora::Error ("Windows.Create error: ...") when the window
  // cannot be made, HostWindowGone when a host window went meanwhile.
  virtual std::unique_ptr<NativeWindow> Create(const WindowRequest& request) = 0;

  // The client rectangle of a foreign window; false when it does not exist.
  virtual bool ForeignWindowRect(ForeignWindowId id, Rect& rect) = 0;
  // Enables or disables input to a foreign window (the host dialog stays
  // inert while the settings form is open).
  virtual void EnableForeignWindow(ForeignWindowId id, bool enabled) = 0;
  // The window that has the input focus at start, 0 when unknown.
  virtual ForeignWindowId ForegroundWindow() = 0;

  // Makes this run's windows offscreen surfaces (runs that need no screen:
  // film frames, benchmarks): always, or only when no display can be had.
  // Works only before the video system starts; true when the windows will
  // be offscreen.
  virtual bool UseOffscreen(bool onlyWithoutDisplay) {
    (void)onlyWithoutDisplay;
    return false;
  }
  // Whether windows can be shown anywhere: a display is named
  // (WAYLAND_DISPLAY, DISPLAY) or a video system was chosen by name.
  virtual bool DisplayNamed() { return true; }
  // The windows of this run are windows of other programs (X11 ids): the
  // video system that can draw into them is tried first. Before it starts.
  virtual void UseHostWindows() {}
  // The run is a live wallpaper: the root window it asks for stands for the
  // desktop's background (on Wayland the background layer of every
  // output). Before the video system starts.
  virtual void UseWallpaper() {}
};

}  // namespace platform
