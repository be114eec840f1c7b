// Message boxes and the mouse cursor.
#pragma once

#include <string>

namespace platform {

enum class MessageIcon { None, Information, Warning, Error };

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A modal message box with an OK button. Without a display, or when
  // boxes are not allowed, the text goes to standard error.
  virtual void MessageBox(const std::string& text, const std::string& caption, MessageIcon icon) = 0;

  // The roles a screen-saver daemon or a host window starts (a module
  // drawing into another program's window) show no box: nobody may look at
  // the host's screen, and a box would hold the run until a click that
  // never comes. Their messages go to standard error instead.
  void SetBoxesAllowed(bool allowed) { boxesAllowed_ = allowed; }
  bool BoxesAllowed() const { return boxesAllowed_; }

  // The counted cursor display call: every show adds one, every hide takes
  // one away; the cursor is visible while the count is not negative.
  // Returns the new count.
  virtual int ShowCursor(bool show) = 0;

 private:
  bool boxesAllowed_ = true;
};

}  // namespace platform
