// The host system's screen-saver services.
//
// A screen saver asks its host to check the user's password before it ends,
// offers the host's password-change dialog, tells the host while it runs,
// and may switch the monitor off or put the system to sleep after a while.
// On Linux the password and the running flag belong to the screen locker,
// so the real implementation has none of them: the check counts as passed
// and the change does nothing. Monitor off goes to the X server's DPMS and
// suspend to systemd.
#pragma once

#include "platform/Window.h"

namespace platform {

class ScreenSaverHost {
 public:
  virtual ~ScreenSaverHost() = default;

  // Whether the host has a password check of its own; without one the saver
  // ends on input without asking.
  virtual bool HasPasswordCheck() = 0;
  // The host's password check, owned by the foreground window; true when the
  // user passed it (and always true without a check).
  virtual bool VerifyPassword(ForeignWindowId foreground) = 0;

  // Whether the host offers a password-change dialog.
  virtual bool HasPasswordChange() = 0;
  // Runs the host's password-change dialog for the provider name, owned by
  // the host window; nothing without one.
  virtual void ChangePassword(const char* provider, ForeignWindowId host) = 0;

  // Tells the host whether a screen saver is running.
  virtual void SetScreenSaverRunning(bool running) = 0;

  // Switches the monitor off; false when the display cannot do that.
  virtual bool MonitorOff() = 0;
  // Asks the system to suspend; false when the request could not be made.
  virtual bool SystemSuspend() = 0;
};

}  // namespace platform
