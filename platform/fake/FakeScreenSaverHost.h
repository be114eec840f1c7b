// Host screen-saver services that only record: tests must never blank,
// suspend or lock the machine they run on.
#pragma once

#include <string>
#include <vector>

#include "platform/ScreenSaverHost.h"

namespace platform {

class FakeScreenSaverHost : public ScreenSaverHost {
 public:
  bool HasPasswordCheck() override { return hasPasswordCheck; }
  // Answers the next entry of `passwordAnswers`, then `true` when they run out.
  bool VerifyPassword(ForeignWindowId foreground) override;
  bool HasPasswordChange() override { return hasPasswordChange; }
  void ChangePassword(const char* provider, ForeignWindowId host) override;
  void SetScreenSaverRunning(bool running) override { runningFlags.push_back(running); }
  bool MonitorOff() override {
    ++monitorOffs;
    return monitorOffResult;
  }
  bool SystemSuspend() override {
    ++suspends;
    return suspendResult;
  }

  bool hasPasswordCheck = false;
  bool hasPasswordChange = false;
  std::vector<bool> passwordAnswers;
  bool monitorOffResult = true;
  bool suspendResult = true;

  struct PasswordChange {
    std::string provider;
    ForeignWindowId host;
  };
  std::vector<ForeignWindowId> passwordChecks;  // foreground window of each check
  std::vector<PasswordChange> passwordChanges;
  std::vector<bool> runningFlags;
  int monitorOffs = 0;
  int suspends = 0;

 private:
  size_t nextAnswer_ = 0;
};

}  // namespace platform
