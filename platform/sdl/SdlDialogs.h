// Message boxes through SDL, falling back to "caption: text" on standard
// error when there is no display to show them on (no video driver, or a
// driver without screens such as "offscreen" and "dummy", or a failed box).
#pragma once

#include "platform/Dialogs.h"

struct SDL_Cursor;

namespace platform {

class SdlDialogs : public Dialogs {
 public:
  void MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
  int ShowCursor(bool show) override;
  // SDL_SYSTEM_CURSOR_WAIT, made for each busy spell and freed after it; a
  // driver without system cursors (offscreen) keeps its own.
  void SetCursorShape(CursorShape shape) override;

 private:
  int cursorCount_ = 0;  // the desktop starts with a visible cursor
  SDL_Cursor* busy_ = nullptr;
};

}  // namespace platform
