#include "platform/fake/FakeDialogs.h"

namespace platform {

void FakeDialogs::MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
  messages.push_back({text, caption, icon, BoxesAllowed()});
}

int FakeDialogs::ShowCursor(bool show) {
  cursorCalls.push_back(show);
  cursorCount += show ? 1 : -1;
  return cursorCount;
}

void FakeDialogs::SetCursorShape(CursorShape shape) {
  cursorShapes.push_back(shape);
  cursorShape = shape;
}

}  // namespace platform
