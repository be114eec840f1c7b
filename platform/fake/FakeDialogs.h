// Message boxes and the cursor count, recorded instead of shown.
#pragma once

#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace platform {

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  // Whether it would have been a box (false: standard error only).
  bool box = true;
};

class FakeDialogs : public Dialogs {
 public:
  void MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
  int ShowCursor(bool show) override;
  void SetCursorShape(CursorShape shape) override;

  bool CursorVisible() const { return cursorCount >= 0; }

  std::vector<ShownMessage> messages;
  int cursorCount = 0;            // starts at 0 (visible), as on the desktop
  std::vector<bool> cursorCalls;  // true = show, false = hide
  CursorShape cursorShape = CursorShape::Default;
  std::vector<CursorShape> cursorShapes;  // every shape set, in order
};

}  // namespace platform
