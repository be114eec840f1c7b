// The local date and time and the locale's ways of writing them: what the
// clocks of the scene show.
//
// Now() reads the wall clock in the local time zone. Format writes a moment
// with strftime patterns of the locale's time category ("%H:%M", "%a",
// ...) into a caller's buffer, so a clock can format every frame without
// allocating. DateSeparator is what the locale's short date puts between
// its first two fields ("/" in the C locale, "." in German, ". " in
// Hungarian); ShortDayName the locale's abbreviated weekday names, index 0
// Sunday, as "%a" writes them.
//
// The real service (platform/sdl/PosixLocalTime.h) takes the locale of the
// environment (LC_ALL, LC_TIME, LANG) once, when it is made; the fake
// (platform/fake/FakeLocalTime.h) shows a fixed moment in a locale the test
// describes.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// A moment of the local calendar.
struct LocalDateTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  int second = 0;   // 0..60 (a leap second)
  int weekday = 6;  // 0 Sunday .. 6 Saturday
};

class LocalTime {
 public:
  virtual ~LocalTime() = default;

  virtual LocalDateTime Now() = 0;
  // The text of pattern for time, NUL-terminated in out (size bytes).
  // Returns its length; 0 when it is empty or does not fit (out then holds
  // an empty text).
  virtual std::size_t Format(const LocalDateTime& time, const char* pattern, char* out, std::size_t size) = 0;
  virtual std::string_view DateSeparator() = 0;
  // day 0..6 (Sunday first); empty outside that range.
  virtual std::string_view ShortDayName(int day) = 0;
};

}  // namespace platform
