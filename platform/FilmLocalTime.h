// The local time of a film: a fixed starting moment advanced by the film's
// own time, not by the wall clock, so that two recordings of the same film
// show the same clocks. Formatting and the locale's names come from the
// local time it wraps (the real one for a run).
//
//   FilmLocalTime film(Get<LocalTime>(), *ParseLocalDateTime("2024-05-08T12:00:00"));
//   ScopedService<LocalTime> use(&film);
//   film.SetOffset(frame * 1000 / rate);
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/LocalTime.h"

namespace platform {

// Reads YYYY-MM-DDTHH:MM:SS (a day that exists, hours 0..23, minutes and
// seconds 0..59) and fills in the weekday; nothing for any other text.
std::optional<LocalDateTime> ParseLocalDateTime(std::string_view text);

// The moment offsetMilliseconds after start (whole seconds; the calendar
// of the Gregorian rules, no time zone changes in between).
LocalDateTime AdvanceLocalDateTime(const LocalDateTime& start, int64_t offsetMilliseconds);

class FilmLocalTime : public LocalTime {
 public:
  FilmLocalTime(LocalTime& locale, const LocalDateTime& start) : locale_(locale), start_(start) {}

  // The film's own time since its start.
  void SetOffset(int64_t milliseconds) { offset_ = milliseconds; }
  int64_t Offset() const { return offset_; }

  LocalDateTime Now() override { return AdvanceLocalDateTime(start_, offset_); }
  std::size_t Format(const LocalDateTime& time, const char* pattern, char* out, std::size_t size) override {
    return locale_.Format(time, pattern, out, size);
  }
  std::string_view DateSeparator() override { return locale_.DateSeparator(); }
  std::string_view ShortDayName(int day) override { return locale_.ShortDayName(day); }

 private:
  LocalTime& locale_;
  LocalDateTime start_;
  int64_t offset_ = 0;
};

}  // namespace platform
