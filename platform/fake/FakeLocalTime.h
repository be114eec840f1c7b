// A local time that stands still at the moment a test sets, written in a
// locale the test describes: twelve-hour markers, date separator, weekday
// names. Format knows the conversions the clocks use (%H %I %M %S %m %d %a
// %p %y %Y %%) and copies everything else as it stands; a pattern the test
// puts in `texts` gives that text instead, for formatters whose texts are
// not of the forms the clocks expect.
#pragma once

#include <array>
#include <map>
#include <string>

#include "platform/LocalTime.h"

namespace platform {

class FakeLocalTime : public LocalTime {
 public:
  FakeLocalTime() = default;
  // At hour:minute:second of Wednesday 2024-05-08.
  FakeLocalTime(int hour, int minute, int second = 0) { SetTime(hour, minute, second); }

  LocalDateTime Now() override {
    ++readings;
    return now;
  }
  std::size_t Format(const LocalDateTime& time, const char* pattern, char* out, std::size_t size) override;
  std::string_view DateSeparator() override { return dateSeparator; }
  std::string_view ShortDayName(int day) override;

  void SetTime(int hour, int minute, int second = 0);
  void SetDate(int year, int month, int day, int weekday);

  LocalDateTime now{2024, 5, 8, 12, 0, 0, 3};
  // The locale: "%p" before and after noon, the short date's separator,
  // "%a" for Sunday .. Saturday.
  std::string am = "AM";
  std::string pm = "PM";
  std::string dateSeparator = "/";
  std::array<std::string, 7> dayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  // Whole patterns and the texts they give, whatever the moment.
  std::map<std::string, std::string> texts;

  // What the program did.
  int readings = 0;
  int formats = 0;
};

}  // namespace platform
