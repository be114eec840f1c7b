// SDL windows, as the SDL backend's OpenGL driver sees them.
//
// An SDL window made with SDL_WINDOW_OPENGL gets its surface format from the
// SDL_GL_* attributes in force when it is made, and keeps it. The window is
// therefore the device context in both senses: to draw with another pixel
// format the driver sets the attributes and has the window make its SDL
// window again (Recreate). The NativeWindow object stays the same, but its
// Id() and Handle() change with the new SDL window.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/Window.h"

namespace platform {

// The SDL_GL_* attributes that decide a window's surface format. SDL cannot
// tell the requested values back (while a context is current it reports the
// context's own), so the last set applied is kept here.
struct SdlGLAttributes {
  int red = 8, green = 8, blue = 8, alpha = 8;
  int depth = 16, stencil = 0;
  int accumRed = 0, accumGreen = 0, accumBlue = 0, accumAlpha = 0;
  int doubleBuffer = 1;
  static const SdlGLAttributes& Requested();  // the set last applied
  void Apply() const;                         // makes them SDL's and Requested()
  bool operator==(const SdlGLAttributes&) const = default;
};

class SdlWindow : public NativeWindow {
 public:
  explicit SdlWindow(const WindowRequest& request);
  ~SdlWindow() override;

  uint32_t Id() const override;
  void* Handle() const override { return window_; }
  int Width() const override;
  int Height() const override;
  void SetBounds(const Rect& bounds) override;
  void SetVisible(bool visible) override;
  void SetTitle(const std::string& title) override;
  void Raise() override;

  SDL_Window* Sdl() const { return window_; }
  // The attributes the current SDL window was made with.
  const SdlGLAttributes& Attributes() const { return attributes_; }
  // Makes the SDL window again with the Requested() attributes, keeping
  // title, place, size and visibility. Throws velmora::Error on failure.
  void Recreate();
  // Destroys the SDL window only (Recreate brings it back); while it is gone
  // the window has no surface.
  void DropSurface();
  // Called with each frame: shows a Wayland window held back until its
  // first frame (see Make).
  void ShowPending();

  // Every SdlWindow alive, oldest first.
  static const std::vector<SdlWindow*>& All();

  // A window of another program (request host or root): SDL only draws
  // into it, never moves, sizes, hides or destroys it. Its size follows the
  // host's, and its end (or an error about it) closes this window
  // (X11HostWatch.h).
  bool Foreign() const;
  // The X window drawn into while the surface exists (the root window's id
  // for "-root"); 0 for a window of our own.
  uint64_t HostId() const { return window_ ? hostId_ : 0; }
  // The host window asked for (0 for none or the root), also while no SDL
  // window is made for it.
  uint64_t RequestedHost() const { return request_.host; }

 private:
  void Make();
  void MakeForeign();

  WindowRequest request_;
  SDL_Window* window_ = nullptr;
  SdlGLAttributes attributes_;
  uint64_t hostId_ = 0;
  // The host window was taken over before: one that is gone now went
  // (HostWindowGone), it is no bad id.
  bool hostTaken_ = false;
  bool wayland_ = false;      // made by SDL's Wayland video
  bool framed_ = false;       // a frame was shown: the format is settled
  bool showPending_ = false;  // to be shown with the first frame
  bool raisePending_ = false;
};

// Starts SDL's video subsystem (when it is not running), trying again a
// moment later when the display turns the connection away; false when it
// cannot be had.
bool SdlStartVideo();

// SDL's video subsystem, started on first use (reference counted by SDL).
// Throws velmora::Error naming `className` and `operation` on failure.
void SdlEnsureVideo(const char* className, const char* operation);

}  // namespace platform
