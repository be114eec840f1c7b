#include "platform/sdl/PosixLocalTime.h"

#include <langinfo.h>

#include <cctype>
#include <ctime>

#include "platform/Service.h"

namespace platform {

namespace {

// Index just past the conversion that begins at text[i] ("%"): flags,
// width and the E and O modifiers, then the conversion character.
size_t ConversionEnd(std::string_view text, size_t i) {
  ++i;
  while (i < text.size() && (text[i] == '-' || text[i] == '_' || text[i] == '0' || text[i] == '^' || text[i] == '#' ||
                             std::isdigit(static_cast<unsigned char>(text[i]))))
    ++i;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'O')) ++i;
  return i < text.size() ? i + 1 : i;
}

}  // namespace

std::string DateSeparatorOf(std::string_view dateFormat) {
  // The separator is the literal text after the first conversion, up to
  // the next one ("%%" is a literal percent sign).
  std::string separator;
  bool afterFirst = false;
  for (size_t i = 0; i < dateFormat.size();) {
    if (dateFormat[i] == '%' && i + 1 < dateFormat.size() && dateFormat[i + 1] == '%') {
      if (afterFirst) separator += '%';
      i += 2;
    } else if (dateFormat[i] == '%') {
      if (afterFirst) return separator;
      afterFirst = true;
      i = ConversionEnd(dateFormat, i);
    } else {
      if (afterFirst) separator += dateFormat[i];
      ++i;
    }
  }
  return "/";
}

PosixLocalTime::PosixLocalTime(const char* localeName) {
  locale_ = newlocale(LC_TIME_MASK, localeName ? localeName : "", static_cast<locale_t>(nullptr));
  found_ = locale_ != nullptr;
  if (!locale_) locale_ = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
  dateSeparator_ = locale_ ? DateSeparatorOf(nl_langinfo_l(D_FMT, locale_)) : "/";
  for (int day = 0; day < 7; ++day) {
    LocalDateTime t;
    t.weekday = day;
    char name[64];
    dayNames_[size_t(day)] = std::string(name, Format(t, "%a", name, sizeof name));
  }
}

PosixLocalTime::~PosixLocalTime() {
  if (locale_) freelocale(locale_);
}

LocalDateTime PosixLocalTime::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  LocalDateTime d;
  d.year = t.tm_year + 1900;
  d.month = t.tm_mon + 1;
  d.day = t.tm_mday;
  d.hour = t.tm_hour;
  d.minute = t.tm_min;
  d.second = t.tm_sec;
  d.weekday = t.tm_wday;
  return d;
}

size_t PosixLocalTime::Format(const LocalDateTime& time, const char* pattern, char* out, size_t size) {
  if (!out || size == 0) return 0;
  out[0] = '\0';
  std::tm t{};
  t.tm_year = time.year - 1900;
  t.tm_mon = time.month - 1;
  t.tm_mday = time.day;
  t.tm_hour = time.hour;
  t.tm_min = time.minute;
  t.tm_sec = time.second;
  t.tm_wday = time.weekday;
  t.tm_isdst = -1;
  const size_t n = locale_ ? strftime_l(out, size, pattern, &t, locale_) : std::strftime(out, size, pattern, &t);
  if (n == 0) out[0] = '\0';
  return n;
}

std::string_view PosixLocalTime::ShortDayName(int day) {
  if (day < 0 || day > 6) return {};
  return dayNames_[size_t(day)];
}

template <>
LocalTime& Service<LocalTime>::Default() {
  static PosixLocalTime localTime;
  return localTime;
}

}  // namespace platform
