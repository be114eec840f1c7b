// An in-memory message queue: tests feed it the input the window system
// would report and see what the program posted and how long it waited.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <vector>

#include "platform/Events.h"

namespace platform {

class FakeEvents : public EventSource {
 public:
  bool Poll(Message& message) override;
  // Records the timeout, then runs onWait (which may queue messages).
  void Wait(uint32_t timeoutMilliseconds) override;
  // Records the message in `posted` and queues it.
  void Post(const Message& message) override;
  bool KeyDown(int32_t virtualKey) override;

  // Queues a message as if the window system had reported it (not recorded
  // as posted).
  void Push(const Message& message) { queue.push_back(message); }
  void Push(MessageKind kind, uint32_t window = 0) {
    Message m;
    m.kind = kind;
    m.window = window;
    queue.push_back(m);
  }
  void SetKeyDown(int32_t virtualKey, bool down);

  std::deque<Message> queue;
  std::function<void(uint32_t)> onWait;

  std::vector<Message> posted;
  std::vector<uint32_t> waits;
  uint32_t polls = 0;

 private:
  std::set<int32_t> keysDown_;
};

}  // namespace platform
