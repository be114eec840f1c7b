// The real clock: CLOCK_MONOTONIC in milliseconds, cut to 32 bits so it
// wraps like the classic multimedia timer; sleeps with nanosleep. Linux
// timers already run at millisecond resolution, so the period requests only
// answer that.
#pragma once

#include "platform/Clock.h"

namespace platform {

class SdlClock : public Clock {
 public:
  uint32_t Milliseconds() override;
  void Sleep(uint32_t milliseconds) override;  // resumes after signals until the time is up
  bool MinimumPeriod(uint32_t& period) override;  // 1 ms
  bool BeginPeriod(uint32_t period) override;     // always succeeds
  void EndPeriod(uint32_t period) override;
};

}  // namespace platform
