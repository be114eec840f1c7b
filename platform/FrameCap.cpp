#include "platform/FrameCap.h"

#include <algorithm>

namespace platform {

FrameCap::FrameCap(int framesPerSecond) : interval_(1000000u / uint64_t(std::max(1, framesPerSecond))) {}

uint64_t FrameCap::WaitBeforeFrame(uint64_t now) {
  if (!started_ || now >= due_) {
    started_ = true;
    due_ = now + interval_;
    return 0;
  }
  const uint64_t wait = due_ - now;
  due_ += interval_;
  return wait;
}

}  // namespace platform
