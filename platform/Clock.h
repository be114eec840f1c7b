// Millisecond clock, sleeping and timer resolution.
#pragma once

#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;

  // Monotonic milliseconds since some fixed point. Wraps around at 2^32;
  // readers take differences in unsigned 32-bit arithmetic.
  virtual uint32_t Milliseconds() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;

  // Timer resolution. MinimumPeriod reports the finest period the timer
  // offers (false when it cannot tell); BeginPeriod asks for a period and
  // EndPeriod gives it back.
  virtual bool MinimumPeriod(uint32_t& period) = 0;
  virtual bool BeginPeriod(uint32_t period) = 0;
  virtual void EndPeriod(uint32_t period) = 0;
};

}  // namespace platform
