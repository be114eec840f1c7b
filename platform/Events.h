// The message queue of the user interface.
//
// Messages are the portable form of what the window system reports. Key
// codes use the classic virtual-key numbering of platform/KeyCodes.h
// (vkShift, vkControl, vkSnapshot, 'A', vkF1, ...), which the rest of the
// program is written against; each backend translates its own key symbols
// into it.
#pragma once

#include <cstdint>

namespace platform {

enum class MessageKind : uint8_t {
  None,
  Quit,           // end the message loop
  Close,          // the user asks to close window `window`
  KeyDown,
  KeyUp,
  SysKeyDown,     // a key pressed with Alt held (or F10)
  SysKeyUp,
  Char,           // text input: `key` holds the character code
  MouseMove,      // x, y: pointer position in the window's client area
  LButtonDown,
  LButtonUp,
  LButtonDblClk,
  MButtonDown,
  MButtonUp,
  MButtonDblClk,
  RButtonDown,
  RButtonUp,
  RButtonDblClk,
  MouseWheel,     // param: wheel steps (signed, as int32)
  Resize,         // x, y: new client width and height
  Paint,
  Activate,       // the program gained the input focus
  Deactivate,
  Minimize,
  Restore,
  PowerBroadcast, // param: event code (0 query-suspend, 1 query-standby, 4 suspend, 5 standby, 6..8 resume)
  SysCommand,     // param: system command (screen saver start, monitor power, close)
  DisplayChange,  // the desktop's mode or monitor layout changed
  User,           // param: free for the program
};

// System commands of SysCommand.
enum : uint32_t {
  scClose = 0xF060,
  scScreenSave = 0xF140,
  scMonitorPower = 0xF170,
};

// Codes of a power broadcast (Message::param).
enum : uint32_t {
  pbtQuerySuspend = 0,
  pbtQueryStandby = 1,
  pbtSuspend = 4,
  pbtStandby = 5,
  pbtResumeCritical = 6,
  pbtResumeSuspend = 7,
  pbtResumeStandby = 8,
};

// Answers of a power broadcast.
enum : int32_t {
  pbTrue = 1,
  pbDenyQuery = 0x424D5144,  // "DQMB"
};

struct Message {
  MessageKind kind = MessageKind::None;
  uint32_t window = 0;  // platform window id; 0 = the program as a whole
  int32_t key = 0;      // virtual-key code (KeyDown/KeyUp/SysKey*; 0 for a key without one) or
                        // character (Char: a Unicode code point)
  int32_t x = 0;
  int32_t y = 0;
  uint32_t param = 0;   // see the kinds; KeyDown/SysKeyDown: 1 for an auto-repeat
  bool shift = false;   // modifier state when the message was made
  bool ctrl = false;
  bool alt = false;
  int32_t result = 0;   // the answer of whoever handled it (power broadcasts)
};

class EventSource {
 public:
  virtual ~EventSource() = default;

  // Takes the next queued message; false when the queue is empty.
  virtual bool Poll(Message& message) = 0;
  // Blocks until a message arrives or the timeout passes.
  virtual void Wait(uint32_t timeoutMilliseconds) = 0;
  // Queues a message (Quit, power broadcasts, messages of the program).
  virtual void Post(const Message& message) = 0;
  // Current modifier-key state (Print Screen with Ctrl or Shift).
  virtual bool KeyDown(int32_t virtualKey) = 0;
};

}  // namespace platform
