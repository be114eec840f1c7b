// Message boxes and the mouse cursor.
#pragma once

#include <string>

namespace platform {

enum class MessageIcon { None, Information, Warning, Error };

// The pointer's shape over the program's own windows.
enum class CursorShape { Default, Busy };

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

  // Busy while a long task (loading the scene) keeps the program from
  // answering: the system's wait cursor over the program's own windows;
  // Default puts the ordinary arrow back. Before the video system starts
  // the shape is only remembered.
  virtual void SetCursorShape(CursorShape shape) = 0;

 private:
  bool boxesAllowed_ = true;
};

}  // namespace platform
