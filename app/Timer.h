// The program's time base.
//
// TTime holds a millisecond total and its split into days, hours, minutes,
// seconds and milliseconds. TTimerPro measures the time since its Start
// from the platform's millisecond clock; the clock wraps around at 2^32 and
// the timer takes the difference of two readings in wrapping arithmetic, so
// a wrap between two frames costs nothing.
#pragma once

#include <cstdint>

namespace velmora {

class TTime {
 public:
  uint32_t Milliseconds() const { return milliseconds_; }
  // Keeps the split in step with the total.
  void SetMilliseconds(uint32_t value);

  int Day() const { return day_; }
  int Hour() const { return hour_; }
  int Minute() const { return minute_; }
  int Second() const { return second_; }
  int MilliSecond() const { return milliSecond_; }

  // The total in seconds.
  double Seconds() const { return milliseconds_ / 1000.0; }

 private:
  uint32_t milliseconds_ = 0;
  int day_ = 0;
  int hour_ = 0;
  int minute_ = 0;
  int second_ = 0;
  int milliSecond_ = 0;
};

class TTimerPro {
 public:
  // Raises the platform timer's resolution to its finest period (1 ms when
  // the platform cannot tell or refuses).
  TTimerPro();
  // Gives the requested resolution back.
  ~TTimerPro();
  TTimerPro(const TTimerPro&) = delete;
  TTimerPro& operator=(const TTimerPro&) = delete;

  // When not running: takes a clock reading and clears the time.
  void Start();
  bool Running() const { return running_; }

  // Every call reads the clock and adds the (positive) time since the last
  // reading, so every reading advances the time.
  const TTime& GetTime();

  // The period requested from the platform; 0 when no request succeeded.
  uint32_t Period() const { return period_; }

 private:
  TTime time_;
  uint32_t lastReading_ = 0;
  bool running_ = false;
  uint32_t period_ = 0;
};

}  // namespace velmora
