// The display component: lists the primary display's modes, groups the
// acceptable ones by colour depth for the settings dialog, keeps the chosen
// full-screen mode, and switches the display into it and back.
//
// Linking an application to the display (what the OpenGL application does):
//
//   display->OnFilterMode   = [app](int depth, int width, int height, bool& accept) {...};
//   display->OnBeforeChange = [app](void* sender) {...};  // read the display options
//   display->OnAfterChange  = [app](void* sender) {...};  // rebuild the window
//
// The sender of both notifications is the TCustomDisplayControl*.
//
// Switching: SetFullScreen(true) (or SetMode) hides the cursor (the counted
// platform::Dialogs ShowCursor), fires OnBeforeChange, asks the platform
// display for the mode and fires OnAfterChange; FullScreen() then tells
// whether it worked. The real mode change is applied to the full-screen
// window once the window is attached to the platform display
// (platform/Display.h). SetFullScreen(false) shows the cursor and returns to
// the desktop mode with the same two events.
// While the component is loading (or in design mode) SetFullScreen only
// records the wish; Loaded performs it.
#pragma once

#include <string>
#include <vector>

#include "app/Component.h"
#include "app/ScreenMode.h"
#include "app/VideoModes.h"
#include "core/Event.h"

namespace velmora {

// (colour depth, width, height, var accept)
using TFilterModeEvent = TEvent<int, int, int, bool&>;

class TCustomDisplayControl : public TComponent {
 public:
  explicit TCustomDisplayControl(TComponent* owner);
  // Leaves full screen first (outside design mode).
  ~TCustomDisplayControl() override;

  void Loaded() override;

  TVideoModesList& VideoModes() { return videoModes_; }
  const TColorDepthModes& ColorDepthModes() const { return colorDepthModes_; }

  bool FullScreen() const { return fullScreen_; }
  void SetFullScreen(bool value);

  // Full screen in (width, height, depth), corrected to a mode the display
  // offers; the desktop's mode when DesktopOnly. True when the switch worked.
  virtual bool SetMode(int width, int height, int depth);
  // Back to the desktop mode.
  virtual void RestoreMode();

  // Lists the modes again and regroups those OnFilterMode accepts.
  void Enumerate();

  // The desktop's mode, refreshed from the platform.
  TScreenMode& GetDesktopMode();
  // The desktop's size at 16 bits, refreshed.
  TScreenMode& GetDefaultMode();
  // The mode a switch uses: the refreshed desktop mode when DesktopOnly,
  // otherwise the chosen full-screen mode.
  TScreenMode& FullScreenMode();
  // Copies into the chosen full-screen mode (which validates it).
  void SetFullScreenMode(const TScreenMode& mode);

  // For the settings dialog.
  void GetColorDepthNames(std::vector<std::string>& list);
  // Sizes of the depth of FullScreenMode(); the list is left alone when
  // that depth is not offered.
  void GetScreenSizes(std::vector<std::string>& list);
  int ColorDepthIndex();
  int ScreenSizeIndex();

  bool EnumOnLoad = false;
  // "Desktop Resolution": full screen keeps the desktop mode.
  bool DesktopOnly = false;

  TNotifyEvent OnAfterChange;
  TNotifyEvent OnBeforeChange;
  TFilterModeEvent OnFilterMode;

 private:
  TVideoModesList videoModes_;
  TColorDepthModes colorDepthModes_;
  TScreenMode desktopMode_;
  TScreenMode defaultMode_;
  TFullScreenMode fullScreenMode_;
  bool fullScreen_ = false;
};

class TCustomGLDisplay : public TCustomDisplayControl {
 public:
  explicit TCustomGLDisplay(TComponent* owner) : TCustomDisplayControl(owner) { EnumOnLoad = true; }
};

// The display placed on the settings form.
class TGLDisplay : public TCustomGLDisplay {
 public:
  explicit TGLDisplay(TComponent* owner) : TCustomGLDisplay(owner) {}
};

}  // namespace velmora
