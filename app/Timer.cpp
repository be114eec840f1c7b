#include "app/Timer.h"

#include "platform/Clock.h"
#include "platform/Service.h"

namespace velmora {

void TTime::SetMilliseconds(uint32_t value) {
  milliseconds_ = value;
  uint32_t rest = value;
  day_ = static_cast<int>(rest / 86400000u);
  rest %= 86400000u;
  hour_ = static_cast<int>(rest / 3600000u);
  rest %= 3600000u;
  minute_ = static_cast<int>(rest / 60000u);
  rest %= 60000u;
  second_ = static_cast<int>(rest / 1000u);
  milliSecond_ = static_cast<int>(rest % 1000u);
}

TTimerPro::TTimerPro() {
  platform::Clock& clock = platform::Get<platform::Clock>();
  uint32_t minimum = 0;
  if (clock.MinimumPeriod(minimum)) {
    uint32_t period = minimum < 1 ? 1 : minimum;
    if (clock.BeginPeriod(period)) {
      period_ = period;
      return;
    }
  }
  if (clock.BeginPeriod(1)) period_ = 1;
}

TTimerPro::~TTimerPro() {
  // Only a period that was granted is given back.
  if (period_ != 0) platform::Get<platform::Clock>().EndPeriod(period_);
}

void TTimerPro::Start() {
  if (running_) return;
  lastReading_ = platform::Get<platform::Clock>().Milliseconds();
  time_.SetMilliseconds(0);
  running_ = true;
}

const TTime& TTimerPro::GetTime() {
  if (running_) {
    uint32_t reading = platform::Get<platform::Clock>().Milliseconds();
    // Wrapping difference taken as signed: a reading from before the last
    // one (a clock that stepped back) adds nothing.
    int32_t delta = static_cast<int32_t>(reading - lastReading_);
    if (delta > 0) time_.SetMilliseconds(time_.Milliseconds() + static_cast<uint32_t>(delta));
    lastReading_ = reading;
  }
  return time_;
}

}  // namespace velmora
