#include "platform/sdl/SdlEvents.h"

#include <chrono>

#include "platform/KeyCodes.h"
#include "platform/Service.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl/WaylandSession.h"
#include "platform/sdl/X11HostWatch.h"

namespace platform {

namespace {

void Modifiers(Message& m, Uint16 mod) {
  m.shift = (mod & KMOD_SHIFT) != 0;
  m.ctrl = (mod & KMOD_CTRL) != 0;
  m.alt = (mod & KMOD_ALT) != 0;
}

// Decodes UTF-8 text into code points; a broken sequence gives U+FFFD.
void AppendChars(const char* text, const Message& base, std::deque<Message>& out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    uint32_t cp;
    int extra;
    if (*p < 0x80) {
      cp = *p;
      extra = 0;
    } else if ((*p & 0xE0) == 0xC0) {
      cp = *p & 0x1F;
      extra = 1;
    } else if ((*p & 0xF0) == 0xE0) {
      cp = *p & 0x0F;
      extra = 2;
    } else if ((*p & 0xF8) == 0xF0) {
      cp = *p & 0x07;
      extra = 3;
    } else {
      cp = 0xFFFD;
      extra = 0;
    }
    ++p;
    for (int i = 0; i < extra; ++i) {
      if ((*p & 0xC0) != 0x80) {
        cp = 0xFFFD;
        break;
      }
      cp = (cp << 6) | (*p & 0x3F);
      ++p;
    }
    Message m = base;
    m.kind = MessageKind::Char;
    m.key = int32_t(cp);
    out.push_back(m);
  }
}

}  // namespace

int32_t SdlEvents::VirtualKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return vkF1 + (key - SDLK_F1);
  if (key >= SDLK_F13 && key <= SDLK_F24) return vkF13 + (key - SDLK_F13);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return vkNumpad0 + 1 + (key - SDLK_KP_1);
  switch (key) {
    case SDLK_BACKSPACE: return vkBack;
    case SDLK_TAB: return vkTab;
    case SDLK_CLEAR: return vkClear;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER: return vkReturn;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return vkShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return vkControl;
    case SDLK_LALT:
    case SDLK_RALT: return vkMenu;
    case SDLK_PAUSE: return vkPause;
    case SDLK_CAPSLOCK: return vkCapital;
    case SDLK_ESCAPE: return vkEscape;
    case SDLK_SPACE: return vkSpace;
    case SDLK_PAGEUP: return vkPrior;
    case SDLK_PAGEDOWN: return vkNext;
    case SDLK_END: return vkEnd;
    case SDLK_HOME: return vkHome;
    case SDLK_LEFT: return vkLeft;
    case SDLK_UP: return vkUp;
    case SDLK_RIGHT: return vkRight;
    case SDLK_DOWN: return vkDown;
    case SDLK_SELECT: return vkSelect;
    case SDLK_EXECUTE: return vkExecute;
    case SDLK_PRINTSCREEN: return vkSnapshot;
    case SDLK_INSERT: return vkInsert;
    case SDLK_DELETE: return vkDelete;
    case SDLK_HELP: return vkHelp;
    case SDLK_LGUI: return vkLWin;
    case SDLK_RGUI: return vkRWin;
    case SDLK_APPLICATION:
    case SDLK_MENU: return vkApps;
    case SDLK_SLEEP: return vkSleep;
    case SDLK_KP_0: return vkNumpad0;
    case SDLK_KP_MULTIPLY: return vkMultiply;
    case SDLK_KP_PLUS: return vkAdd;
    case SDLK_KP_COMMA: return vkSeparator;
    case SDLK_KP_MINUS: return vkSubtract;
    case SDLK_KP_PERIOD: return vkDecimal;
    case SDLK_KP_DIVIDE: return vkDivide;
    case SDLK_NUMLOCKCLEAR: return vkNumLock;
    case SDLK_SCROLLLOCK: return vkScroll;
    case SDLK_SEMICOLON: return vkOem1;
    case SDLK_EQUALS:
    case SDLK_PLUS: return vkOemPlus;
    case SDLK_COMMA: return vkOemComma;
    case SDLK_MINUS: return vkOemMinus;
    case SDLK_PERIOD: return vkOemPeriod;
    case SDLK_SLASH: return vkOem2;
    case SDLK_BACKQUOTE: return vkOem3;
    case SDLK_LEFTBRACKET: return vkOem4;
    case SDLK_BACKSLASH: return vkOem5;
    case SDLK_RIGHTBRACKET: return vkOem6;
    case SDLK_QUOTE: return vkOem7;
    case SDLK_LESS: return vkOem102;
    default: return 0;
  }
}

SdlEvents::SdlEvents() = default;

// SDL's subsystems stay up: windows may still use them, and SDL counts
// the starts, so one more holder costs nothing.
SdlEvents::~SdlEvents() = default;

void SdlEvents::Start() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (started_) return;
  started_ = true;
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // SDL keeps the desktop's screen saver off while its video runs; here that
  // is the program's choice (System::SetExecutionState), so start allowed.
  if (!SDL_GetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER)) SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SdlStartVideo()) {
    video_ = true;
    events_ = true;
  } else if (SDL_InitSubSystem(SDL_INIT_EVENTS) == 0) {
    events_ = true;
  }
  if (events_) WatchTermination();
  if (events_) {
    Uint32 type = SDL_RegisterEvents(1);
    if (type != Uint32(-1))
      postedType_ = type;
    else
      events_ = false;  // no user event to wake SDL with: keep to our own queue
  }
}

void SdlEvents::Translate(const SDL_Event& e, std::deque<Message>& out) const {
  Message m;
  switch (e.type) {
    case SDL_QUIT:
      // SDL's Wayland video says a lost compositor with a quit: that is no
      // ordinary end.
      if (WaylandConnectionLost()) EndForLostWaylandConnection();
      m.kind = MessageKind::Quit;
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      bool down = e.type == SDL_KEYDOWN;
      m.window = e.key.windowID;
      m.key = VirtualKey(e.key.keysym.sym);
      Modifiers(m, e.key.keysym.mod);
      bool sys = m.alt || m.key == vkMenu || m.key == vkF10;
      if (sys)
        m.kind = down ? MessageKind::SysKeyDown : MessageKind::SysKeyUp;
      else
        m.kind = down ? MessageKind::KeyDown : MessageKind::KeyUp;
      if (down && e.key.repeat) m.param = 1;
      break;
    }
    case SDL_TEXTINPUT: {
      m.window = e.text.windowID;
      Modifiers(m, SDL_GetModState());
      AppendChars(e.text.text, m, out);
      return;
    }
    case SDL_MOUSEMOTION:
      m.kind = MessageKind::MouseMove;
      m.window = e.motion.windowID;
      m.x = e.motion.x;
      m.y = e.motion.y;
      Modifiers(m, SDL_GetModState());
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      bool down = e.type == SDL_MOUSEBUTTONDOWN;
      MessageKind downKind, upKind, dblKind;
      switch (e.button.button) {
        case SDL_BUTTON_LEFT:
          downKind = MessageKind::LButtonDown, upKind = MessageKind::LButtonUp, dblKind = MessageKind::LButtonDblClk;
          break;
        case SDL_BUTTON_MIDDLE:
          downKind = MessageKind::MButtonDown, upKind = MessageKind::MButtonUp, dblKind = MessageKind::MButtonDblClk;
          break;
        case SDL_BUTTON_RIGHT:
          downKind = MessageKind::RButtonDown, upKind = MessageKind::RButtonUp, dblKind = MessageKind::RButtonDblClk;
          break;
        default:
          return;  // side buttons have no message of their own
      }
      m.kind = down ? downKind : upKind;
      m.window = e.button.windowID;
      m.x = e.button.x;
      m.y = e.button.y;
      Modifiers(m, SDL_GetModState());
      out.push_back(m);
      if (down && e.button.clicks >= 2 && e.button.clicks % 2 == 0) {
        m.kind = dblKind;
        out.push_back(m);
      }
      return;
    }
    case SDL_MOUSEWHEEL: {
      int32_t steps = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) steps = -steps;
      if (steps == 0) return;  // sideways only
      m.kind = MessageKind::MouseWheel;
      m.window = e.wheel.windowID;
      m.param = static_cast<uint32_t>(steps);
      if (video_) SDL_GetMouseState(&m.x, &m.y);
      Modifiers(m, SDL_GetModState());
      break;
    }
    case SDL_WINDOWEVENT:
      m.window = e.window.windowID;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: m.kind = MessageKind::Close; break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          m.kind = MessageKind::Resize;
          m.x = e.window.data1;
          m.y = e.window.data2;
          break;
        case SDL_WINDOWEVENT_EXPOSED: m.kind = MessageKind::Paint; break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: m.kind = MessageKind::Activate; break;
        case SDL_WINDOWEVENT_FOCUS_LOST: m.kind = MessageKind::Deactivate; break;
        case SDL_WINDOWEVENT_MINIMIZED: m.kind = MessageKind::Minimize; break;
        case SDL_WINDOWEVENT_RESTORED: m.kind = MessageKind::Restore; break;
        default: return;
      }
      break;
    case SDL_DISPLAYEVENT:
      m.kind = MessageKind::DisplayChange;
      break;
    case SDL_SYSWMEVENT:
      // Only a host window's end matters here; Poll closes its window.
      HostWindowEvent(e);
      return;
    default:
      return;
  }
  out.push_back(m);
}

bool SdlEvents::TakePosted(Message& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (posted_.empty()) return false;
  message = posted_.front();
  posted_.pop_front();
  return true;
}

bool SdlEvents::Poll(Message& message) {
  Start();
  for (;;) {
    if (!translated_.empty()) {
      message = translated_.front();
      translated_.pop_front();
      return true;
    }
    SDL_Event e;
    if (!events_ || SDL_PollEvent(&e) == 0) break;
    // Each user event stands for one posted message, in posting order.
    if (e.type == postedType_) {
      if (TakePosted(message)) return true;
      continue;  // its message already went out below
    }
    Translate(e, translated_);
  }
  // A host window that went (its end event, or an error while drawing into
  // it) closes the window drawn into it, as a user closing it would.
  // A window whose host went while it was being made again has no SDL
  // window left to close; nothing can be drawn for that host any more, so
  // the run ends as when its window closes.
  for (uint64_t host : TakeLostHostWindows()) {
    bool unmade = false;
    for (SdlWindow* w : SdlWindow::All()) {
      if (w->Id() == 0 && w->RequestedHost() == host) unmade = true;
      if (w->HostId() != host || w->Id() == 0) continue;
      Message m;
      m.kind = MessageKind::Close;
      m.window = w->Id();
      translated_.push_back(m);
    }
    if (unmade) {
      Message m;
      m.kind = MessageKind::Quit;
      translated_.push_back(m);
    }
  }
  if (!translated_.empty()) {
    message = translated_.front();
    translated_.pop_front();
    return true;
  }
  // Messages whose wake-up event got lost (a full SDL queue) still arrive.
  return TakePosted(message);
}

void SdlEvents::Wait(uint32_t timeoutMilliseconds) {
  Start();
  if (!translated_.empty()) return;
  if (events_) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!posted_.empty()) return;
    }
    SDL_WaitEventTimeout(nullptr, int(timeoutMilliseconds > 0x7FFFFFFFu ? 0x7FFFFFFF : timeoutMilliseconds));
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  postedArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds), [this] { return !posted_.empty(); });
}

void SdlEvents::Post(const Message& message) {
  Start();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back(message);
  }
  postedArrived_.notify_all();
  // Outside the lock: SDL runs its event watchers inside SDL_PushEvent, and
  // one of them may post in turn. A failed push only loses the wake-up.
  if (events_) {
    SDL_Event e{};
    e.type = postedType_;
    SDL_PushEvent(&e);
  }
}

bool SdlEvents::KeyDown(int32_t virtualKey) {
  Start();
  // The state is SDL's as of the last Poll, i.e. that of the message in hand.
  if (!video_) return false;
  SDL_Keymod mod = SDL_GetModState();
  switch (virtualKey) {
    case vkShift: return (mod & KMOD_SHIFT) != 0;
    case vkControl: return (mod & KMOD_CTRL) != 0;
    case vkMenu: return (mod & KMOD_ALT) != 0;
    case vkLShift: return (mod & KMOD_LSHIFT) != 0;
    case vkRShift: return (mod & KMOD_RSHIFT) != 0;
    case vkLControl: return (mod & KMOD_LCTRL) != 0;
    case vkRControl: return (mod & KMOD_RCTRL) != 0;
    case vkLMenu: return (mod & KMOD_LALT) != 0;
    case vkRMenu: return (mod & KMOD_RALT) != 0;
    default: break;
  }
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  for (int sc = 0; sc < count; ++sc)
    if (state[sc] && VirtualKey(SDL_GetKeyFromScancode(SDL_Scancode(sc))) == virtualKey) return true;
  return false;
}

template <>
EventSource& Service<EventSource>::Default() {
  static SdlEvents events;
  return events;
}

}  // namespace platform
