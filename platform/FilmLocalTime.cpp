#include "platform/FilmLocalTime.h"

namespace platform {
namespace {

// Days since 1970-01-01 of a day of the Gregorian calendar, and back
// (valid far beyond the years 1..9999 read here).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

int FloorMod(int64_t a, int64_t b) { return int(((a % b) + b) % b); }
int64_t FloorDiv(int64_t a, int64_t b) { return (a - FloorMod(a, b)) / b; }

int DaysInMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

// count digits at text[at...]; -1 when any is not a digit.
int Digits(std::string_view text, size_t at, size_t count) {
  int value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

std::optional<LocalDateTime> ParseLocalDateTime(std::string_view text) {
  // 0123456789012345678
  // YYYY-MM-DDTHH:MM:SS
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != 't') ||
      text[13] != ':' || text[16] != ':')
    return std::nullopt;
  LocalDateTime t;
  t.year = Digits(text, 0, 4);
  t.month = Digits(text, 5, 2);
  t.day = Digits(text, 8, 2);
  t.hour = Digits(text, 11, 2);
  t.minute = Digits(text, 14, 2);
  t.second = Digits(text, 17, 2);
  if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
      t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
    return std::nullopt;
  return AdvanceLocalDateTime(t, 0);
}

LocalDateTime AdvanceLocalDateTime(const LocalDateTime& start, int64_t offsetMilliseconds) {
  const int64_t days = DaysFromCivil(start.year, start.month, start.day);
  const int64_t seconds = days * 86400 + start.hour * 3600 + start.minute * 60 + start.second +
                          FloorDiv(offsetMilliseconds, 1000);
  const int64_t day = FloorDiv(seconds, 86400);
  const int secondOfDay = FloorMod(seconds, 86400);
  LocalDateTime t;
  int64_t year = 0;
  CivilFromDays(day, year, t.month, t.day);
  t.year = int(year);
  t.hour = secondOfDay / 3600;
  t.minute = secondOfDay / 60 % 60;
  t.second = secondOfDay % 60;
  t.weekday = FloorMod(day + 4, 7);  // 1970-01-01 was a Thursday
  return t;
}

}  // namespace platform
