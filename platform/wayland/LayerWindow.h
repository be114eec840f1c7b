// Full-screen surfaces on the layers of a Wayland desktop (the layer-shell
// protocol, which sway, Hyprland, river, labwc, Wayfire and KDE Plasma
// offer): one surface per output, anchored to all four edges. Where the
// protocol is missing (GNOME) the overlay is a full-screen xdg-shell window
// on each output instead.
//
// A LayerWindow is a NativeWindow of its own connection to the compositor.
// OpenGL draws through EGL into the surface of the first output it covers;
// each further output gets that picture (read back and drawn again),
// scaled to its size, with every frame. A thread reads the connection: pointer and keyboard input and the
// end of a surface (its output went) become Messages of the program's
// queue (platform::EventSource::Post). The size the compositor gives is
// taken with the next frame. An output plugged in while the window is up
// gets a surface of its own with the next frame, unless the window keeps
// to some of the outputs.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/GLDriver.h"
#include "platform/Window.h"

namespace platform {

enum class DesktopLayer { Background = 0, Overlay = 3 };

class LayerWindow : public NativeWindow {
 public:
  // A window over the outputs that `request.bounds` touches (all of them,
  // later ones too, for an empty rectangle or one over every output; the
  // first for `request.primaryOnly`) on `layer`; the overlay takes the keyboard,
  // the background never does.
  // Where the compositor has no layer shell the overlay is a full-screen
  // window on each output instead (`reason` then says so). nullptr when no
  // compositor can be reached, or it has no layer shell for the background
  // (`reason` says which).
  static std::unique_ptr<LayerWindow> Create(const WindowRequest& request, DesktopLayer layer, std::string& reason);
  ~LayerWindow() override;

  uint32_t Id() const override { return id_; }
  void* Handle() const override { return nullptr; }
  int Width() const override;
  int Height() const override;
  void SetBounds(const Rect&) override {}   // the outputs decide
  void SetVisible(bool) override {}
  void SetTitle(const std::string&) override {}
  void Raise() override {}
  bool OutputsApart() const override { return true; }

  // The OpenGL side, for the backend's driver. MakeCurrent(nullptr)
  // releases this window's context.
  std::vector<GLFormat> Formats();
  GLContext CreateContext(const GLFormat& format);
  bool MakeCurrent(GLContext context);
  void DeleteContext(GLContext context);
  void Swap();
  bool SetSwapInterval(int interval);
  std::string Extensions();

  // The outputs covered, for tests and messages.
  int SurfaceCount() const;

  struct Session;

 private:
  LayerWindow() = default;
  std::shared_ptr<Session> session_;
  uint32_t id_ = 0;
};

}  // namespace platform
