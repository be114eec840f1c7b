// A clock that only moves when told to (or when the program sleeps), so the
// frame timing of the application can be tested to the millisecond,
// wrap-around at 2^32 included.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Clock.h"

namespace platform {

class FakeClock : public Clock {
 public:
  explicit FakeClock(uint32_t start = 0) : now_(start) {}

  // Every reading first moves the clock by `stepPerReading` (0: it stands
  // still between readings), then returns the time.
  uint32_t Milliseconds() override;
  // Records the sleep, moves the clock by its length, then runs onSleep.
  void Sleep(uint32_t milliseconds) override;
  bool MinimumPeriod(uint32_t& period) override;
  bool BeginPeriod(uint32_t period) override;
  void EndPeriod(uint32_t period) override;

  void Advance(uint32_t milliseconds) { now_ += milliseconds; }  // wraps like the real clock
  void Set(uint32_t milliseconds) { now_ = milliseconds; }
  uint32_t Now() const { return now_; }
  // Sum of all recorded sleeps (64 bits, so long runs do not wrap).
  uint64_t TotalSlept() const;

  // Scripted answers.
  uint32_t stepPerReading = 0;
  bool minimumPeriodAvailable = true;  // false: MinimumPeriod fails
  uint32_t minimumPeriod = 1;
  bool beginPeriodSucceeds = true;
  // Runs after each sleep with its length (lets a test act "during" a wait).
  std::function<void(uint32_t)> onSleep;

  // What the program did.
  uint32_t readings = 0;
  std::vector<uint32_t> sleeps;
  std::vector<uint32_t> begunPeriods;  // every BeginPeriod request, failed ones included
  std::vector<uint32_t> endedPeriods;

 private:
  uint32_t now_;
};

}  // namespace platform
