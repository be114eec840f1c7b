#include "platform/fake/FakeClock.h"

namespace platform {

uint32_t FakeClock::Milliseconds() {
  ++readings;
  now_ += stepPerReading;
  return now_;
}

void FakeClock::Sleep(uint32_t milliseconds) {
  sleeps.push_back(milliseconds);
  now_ += milliseconds;
  if (onSleep) onSleep(milliseconds);
}

bool FakeClock::MinimumPeriod(uint32_t& period) {
  if (!minimumPeriodAvailable) return false;
  period = minimumPeriod;
  return true;
}

bool FakeClock::BeginPeriod(uint32_t period) {
  begunPeriods.push_back(period);
  return beginPeriodSucceeds;
}

void FakeClock::EndPeriod(uint32_t period) { endedPeriods.push_back(period); }

uint64_t FakeClock::TotalSlept() const {
  uint64_t total = 0;
  for (uint32_t s : sleeps) total += s;
  return total;
}

}  // namespace platform
