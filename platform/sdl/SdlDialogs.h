// Message boxes through SDL, falling back to "caption: text" on standard
// error when there is no display to show them on (no video driver, or a
// driver without screens such as "offscreen" and "dummy", or a failed box).
#pragma once

#include "platform/Dialogs.h"

namespace platform {

class SdlDialogs : public Dialogs {
 public:
  void MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
  int ShowCursor(bool show) override;

 private:
  int cursorCount_ = 0;  // the desktop starts with a visible cursor
};

}  // namespace platform
