// The host screen-saver services of a Linux desktop.
#pragma once

#include <memory>
#include <string>

#include "platform/Process.h"
#include "platform/ScreenSaverHost.h"

namespace platform {

class SdlScreenSaverHost : public ScreenSaverHost {
 public:
  // displayName: the X display whose monitor MonitorOff switches off; empty
  // means the one in $DISPLAY.
  explicit SdlScreenSaverHost(std::string displayName = "");
  ~SdlScreenSaverHost() override;

  // The screen locker owns the password on Linux: no check, no change.
  bool HasPasswordCheck() override { return false; }
  bool VerifyPassword(ForeignWindowId) override { return true; }
  bool HasPasswordChange() override { return false; }
  void ChangePassword(const char*, ForeignWindowId) override {}
  // Nothing on Linux needs to know; remembered for whoever asks.
  void SetScreenSaverRunning(bool running) override { running_ = running; }
  bool ScreenSaverRunning() const { return running_; }

  // DPMS "off" on the X server, through libXext loaded at run time; false
  // without an X server, without the library or without DPMS.
  bool MonitorOff() override;
  // `systemctl suspend` through the process launcher.
  bool SystemSuspend() override;

 private:
  std::string displayName_;
  bool running_ = false;
  std::unique_ptr<ChildProcess> suspendProcess_;
};

}  // namespace platform
