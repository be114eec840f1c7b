// At most so many frames a second: the wait before each frame is shown.
// A frame that comes late is shown at once and the next one is due a
// whole interval after it (no catching up with a burst of frames).
#pragma once

#include <cstdint>

namespace platform {

class FrameCap {
 public:
  explicit FrameCap(int framesPerSecond);

  // Microseconds to wait at `nowMicroseconds` before the next frame is
  // shown; the frame counts as shown when that wait is over.
  uint64_t WaitBeforeFrame(uint64_t nowMicroseconds);

  uint64_t Interval() const { return interval_; }

 private:
  uint64_t interval_;
  uint64_t due_ = 0;
  bool started_ = false;
};

}  // namespace platform
