#include "platform/fake/FakeLocalTime.h"

#include <cstdio>

namespace platform {

void FakeLocalTime::SetTime(int hour, int minute, int second) {
  now.hour = hour;
  now.minute = minute;
  now.second = second;
}

void FakeLocalTime::SetDate(int year, int month, int day, int weekday) {
  now.year = year;
  now.month = month;
  now.day = day;
  now.weekday = weekday;
}

std::string_view FakeLocalTime::ShortDayName(int day) {
  if (day < 0 || day > 6) return {};
  return dayNames[size_t(day)];
}

std::size_t FakeLocalTime::Format(const LocalDateTime& time, const char* pattern, char* out, std::size_t size) {
  ++formats;
  if (!out || size == 0) return 0;
  std::string text;
  const auto given = texts.find(pattern);
  if (given != texts.end()) text = given->second;
  auto number = [&text](int value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
    text += buffer;
  };
  for (const char* p = pattern; given == texts.end() && *p; ++p) {
    if (*p != '%' || !p[1]) {
      text += *p;
      continue;
    }
    switch (*++p) {
      case 'H': number(time.hour, 2); break;
      case 'I': number(time.hour % 12 == 0 ? 12 : time.hour % 12, 2); break;
      case 'M': number(time.minute, 2); break;
      case 'S': number(time.second, 2); break;
      case 'm': number(time.month, 2); break;
      case 'd': number(time.day, 2); break;
      case 'y': number(time.year % 100, 2); break;
      case 'Y': number(time.year, 4); break;
      case 'a': text += ShortDayName(time.weekday); break;
      case 'p': text += time.hour < 12 ? am : pm; break;
      case '%': text += '%'; break;
      default:
        text += '%';
        text += *p;
    }
  }
  if (text.empty() || text.size() + 1 > size) {
    out[0] = '\0';
    return 0;
  }
  text.copy(out, text.size());
  out[text.size()] = '\0';
  return text.size();
}

}  // namespace platform
