#include "platform/fake/FakeScreenSaverHost.h"

namespace platform {

bool FakeScreenSaverHost::VerifyPassword(ForeignWindowId foreground) {
  passwordChecks.push_back(foreground);
  if (nextAnswer_ < passwordAnswers.size()) return passwordAnswers[nextAnswer_++];
  return true;
}

void FakeScreenSaverHost::ChangePassword(const char* provider, ForeignWindowId host) {
  passwordChanges.push_back({provider ? provider : "", host});
}

}  // namespace platform
