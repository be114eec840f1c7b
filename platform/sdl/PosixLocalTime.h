// The real local time: the system's clock and time zone (time,
// localtime_r) and the formats of a POSIX locale (strftime_l,
// nl_langinfo_l) in a locale object of its own, so the process-wide C
// locale - and with it the reading of numbers - stays "C".
//
// Lifecycle: made with a locale name ("" = the environment's) -> the
// locale's date separator and weekday names read once -> Now and Format
// any number of times -> freed with its locale object. A name the system
// does not know falls back to the "C" locale.
#pragma once

#include <locale.h>

#include <array>
#include <string>

#include "platform/LocalTime.h"

namespace platform {

class PosixLocalTime : public LocalTime {
 public:
  explicit PosixLocalTime(const char* localeName = "");
  ~PosixLocalTime() override;
  PosixLocalTime(const PosixLocalTime&) = delete;
  PosixLocalTime& operator=(const PosixLocalTime&) = delete;

  LocalDateTime Now() override;
  std::size_t Format(const LocalDateTime& time, const char* pattern, char* out, std::size_t size) override;
  std::string_view DateSeparator() override { return dateSeparator_; }
  std::string_view ShortDayName(int day) override;

  // False when the named locale was unknown and "C" stands in.
  bool LocaleFound() const { return found_; }

 private:
  locale_t locale_ = nullptr;
  bool found_ = false;
  std::string dateSeparator_;
  std::array<std::string, 7> dayNames_;
};

// The text between the first two conversions of a strftime date format
// ("%m/%d/%y" gives "/", "%Y. %m. %d." gives ". "); "/" when the format has
// fewer than two.
std::string DateSeparatorOf(std::string_view dateFormat);

}  // namespace platform
