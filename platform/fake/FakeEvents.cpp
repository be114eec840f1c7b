#include "platform/fake/FakeEvents.h"

namespace platform {

bool FakeEvents::Poll(Message& message) {
  ++polls;
  if (queue.empty()) return false;
  message = queue.front();
  queue.pop_front();
  return true;
}

void FakeEvents::Wait(uint32_t timeoutMilliseconds) {
  waits.push_back(timeoutMilliseconds);
  if (onWait) onWait(timeoutMilliseconds);
}

void FakeEvents::Post(const Message& message) {
  posted.push_back(message);
  queue.push_back(message);
}

bool FakeEvents::KeyDown(int32_t virtualKey) { return keysDown_.count(virtualKey) != 0; }

void FakeEvents::SetKeyDown(int32_t virtualKey, bool down) {
  if (down)
    keysDown_.insert(virtualKey);
  else
    keysDown_.erase(virtualKey);
}

}  // namespace platform
