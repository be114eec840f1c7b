// The message queue on SDL.
//
// SDL's events and video subsystems start on the first call (video when a
// display can be had; otherwise only events, and then only posted messages
// come out and Wait just waits for one). SDL events become Messages:
// - keys: classic virtual-key codes (VirtualKey below); with Alt held, or
//   for Alt and F10 themselves, SysKeyDown/SysKeyUp; an auto-repeated
//   KeyDown has param 1. Keys without a code give key 0.
// - text input: one Char per character (its Unicode code point).
// - mouse: MouseMove with client coordinates; L/M/R button down and up; a
//   press that SDL counts as the second (fourth, ...) click gives the
//   DblClk kind right after its Down; the wheel gives MouseWheel with the
//   signed steps in param (positive away from the user) and the pointer in
//   x, y.
// - windows: close -> Close, size changed -> Resize (x, y = client width and
//   height), exposed -> Paint, focus gained/lost -> Activate/Deactivate,
//   minimized -> Minimize, restored -> Restore; display changes ->
//   DisplayChange; SDL_QUIT (also SIGINT/SIGTERM) -> Quit. SDL's own quit
//   on closing the last window is switched off: closing is the program's
//   decision.
// Post is safe from any thread: the message is queued here and an SDL user
// event wakes a waiting Wait.
#pragma once

#include <SDL.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/Events.h"

namespace platform {

class SdlEvents : public EventSource {
 public:
  SdlEvents();
  ~SdlEvents() override;

  bool Poll(Message& message) override;
  void Wait(uint32_t timeoutMilliseconds) override;
  void Post(const Message& message) override;
  bool KeyDown(int32_t virtualKey) override;

  // Translates one SDL event; appends zero, one or two messages.
  void Translate(const SDL_Event& event, std::deque<Message>& out) const;

  // The virtual-key code of an SDL key (0 when it has none).
  static int32_t VirtualKey(SDL_Keycode key);

  // The SDL event type that carries posted messages (0 until started).
  uint32_t PostedEventType() const { return postedType_; }
  bool HasVideo() const { return video_; }

 private:
  void Start();
  bool TakePosted(Message& message);

  std::mutex mutex_;  // guards posted_ and the start-up
  std::condition_variable postedArrived_;
  std::deque<Message> posted_;
  std::deque<Message> translated_;  // UI thread only
  bool started_ = false;
  bool events_ = false;  // SDL's event queue is available
  bool video_ = false;
  uint32_t postedType_ = 0;
};

}  // namespace platform
