// Display modes and monitors.
//
// The program lists the modes of the primary display, switches it into one
// of them for full screen and back to the desktop mode afterwards, and reads
// the monitor layout to place its full-screen window.
//
// How a mode switch reaches the screen
// ------------------------------------
// On the desktop platforms of today a mode is not changed for the whole
// desktop but for a full-screen window. The service therefore splits the
// switch in two:
//
//   1. ChangeMode(mode) chooses the mode. When a full-screen window is
//      attached, the mode is applied to it at once; otherwise the service
//      only remembers it (and answers whether the display offers it).
//   2. AttachFullScreenWindow(window) hands the service the window that
//      covers the screen. When a chosen mode is pending, the window is
//      moved onto the primary display, given that mode and made exclusive
//      full screen. Without a pending mode the window is left as it is (a
//      borderless window over the desktop rectangle: the desktop mode).
//
// RestoreMode() forgets the chosen mode and takes an attached window out of
// exclusive full screen, which gives the desktop its own mode back.
//
// For the window code (the usual order of a switch):
//
//   display control SetMode -> Display::ChangeMode    (mode remembered)
//   after-change event      -> rebuild the window as a full-screen pop-up,
//                              then AttachFullScreenWindow(newWindow)
//   display control Restore -> Display::RestoreMode   (window leaves full screen)
//   after-change event      -> DetachFullScreenWindow(window) before the
//                              window is destroyed, then rebuild it windowed
//
// A window must be detached before it is destroyed: the service keeps the
// pointer, not a copy. Destroying a window that is still in a changed mode
// returns the display to the desktop mode too. A window that makes its
// native window again (a new surface format) is attached again afterwards,
// so that the new native window gets the mode as well; attaching the same
// window twice is allowed.
//
// Where the video system cannot change modes (Wayland, the offscreen and
// dummy drivers) only the desktop mode is listed, and choosing it succeeds
// without any change.
#pragma once

#include <cstdint>

#include "platform/Window.h"

namespace platform {

struct DisplayMode {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bitsPerPixel = 0;
  uint32_t frequency = 0;  // refresh rate in Hz; 0 or 1 = the hardware default (any rate)
};

struct ScreenSize {
  int width = 0;
  int height = 0;
};

class Display {
 public:
  virtual ~Display() = default;

  // Mode number `index` (0, 1, 2, ...) of the primary display; false for
  // the first index past the last mode (and for every negative index).
  virtual bool EnumMode(int index, DisplayMode& mode) = 0;

  // Tests a full-screen change to `mode` without applying it: true when the
  // primary display offers that width, height and depth (and that refresh
  // rate, unless `frequency` is 0 or 1).
  virtual bool TestMode(const DisplayMode& mode) = 0;

  // Chooses `mode` for full screen (see above); false when the display does
  // not offer it or an attached window could not be switched.
  virtual bool ChangeMode(const DisplayMode& mode) = 0;

  // Returns to the desktop mode (see above). Harmless when nothing changed.
  virtual void RestoreMode() = 0;

  // The mode the primary display is in now: width and height of the
  // primary screen, bits per pixel, refresh rate (0 when unknown). All zero
  // when there is no video system.
  virtual DisplayMode CurrentMode() = 0;

  // Monitors in the platform's order; monitor 0 is the primary one.
  virtual int MonitorCount() = 0;
  // Bounds of monitor `index` on the virtual desktop; an empty rectangle for
  // an index out of range.
  virtual Rect MonitorBounds(int index) = 0;
  // The union of all monitors' bounds.
  virtual Rect VirtualDesktop() = 0;
  // The size of the primary screen in its current mode.
  virtual ScreenSize PrimaryScreenSize() = 0;
  // How much larger than at 96 dots per inch the user interface should be
  // drawn on the primary display (1 = 100 %, 2 = 200 %); 1 when unknown.
  virtual float ContentScale() { return 1.0f; }

  // The window that covers the screen in full screen (see above); nullptr
  // is ignored. Attaching another window replaces the previous one.
  virtual void AttachFullScreenWindow(NativeWindow* window) = 0;
  // Forgets `window` when it is the attached one.
  virtual void DetachFullScreenWindow(NativeWindow* window) = 0;
};

}  // namespace platform
