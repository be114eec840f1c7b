// The local time of the system and its locales: the date separator found in
// a locale's date format, weekday names and strftime texts of the C locale
// and of another one where the system has it, the fall-back for an unknown
// locale, buffers too small for a text.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/sdl/PosixLocalTime.h"

namespace {

using platform::DateSeparatorOf;
using platform::LocalDateTime;
using platform::PosixLocalTime;

std::string Text(PosixLocalTime& local, const LocalDateTime& t, const char* pattern) {
  char out[64];
  return std::string(out, local.Format(t, pattern, out, sizeof out));
}

LocalDateTime At(int hour, int minute, int weekday = 3) {
  LocalDateTime t{2024, 5, 8, hour, minute, 0, weekday};
  return t;
}

TEST(DateSeparatorOf, TheTextBetweenTheFirstTwoFields) {
  EXPECT_EQ(DateSeparatorOf("%m/%d/%y"), "/");
  EXPECT_EQ(DateSeparatorOf("%d.%m.%Y"), ".");
  EXPECT_EQ(DateSeparatorOf("%Y. %m. %d."), ". ");
  EXPECT_EQ(DateSeparatorOf("%Y-%m-%d"), "-");
  EXPECT_EQ(DateSeparatorOf("%-d/%-m/%Y"), "/");   // flags
  EXPECT_EQ(DateSeparatorOf("%Od|%Om|%EY"), "|");  // modifiers
  EXPECT_EQ(DateSeparatorOf("%d%%%m"), "%");
  EXPECT_EQ(DateSeparatorOf("%F"), "/");  // one field: the default
  EXPECT_EQ(DateSeparatorOf(""), "/");
  EXPECT_EQ(DateSeparatorOf("%"), "/");
}

TEST(PosixLocalTime, TheCLocale) {
  PosixLocalTime local("C");
  EXPECT_TRUE(local.LocaleFound());
  EXPECT_EQ(local.DateSeparator(), "/");
  const char* names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  for (int day = 0; day < 7; ++day) EXPECT_EQ(local.ShortDayName(day), names[day]);
  EXPECT_EQ(local.ShortDayName(7), "");
  EXPECT_EQ(local.ShortDayName(-1), "");
  EXPECT_EQ(Text(local, At(9, 5), "%H:%M"), "09:05");
  EXPECT_EQ(Text(local, At(21, 5), "%p%I:%M"), "PM09:05");
  EXPECT_EQ(Text(local, At(0, 15), "%p%I"), "AM12");
  EXPECT_EQ(Text(local, At(9, 5), "%m/%d %a"), "05/08 Wed");
}

TEST(PosixLocalTime, TextsThatDoNotFitGiveNothing) {
  PosixLocalTime local("C");
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(local.Format(At(9, 5), "%H:%M", out, sizeof out), 0u);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(local.Format(At(9, 5), "%H", out, 0), 0u);
  EXPECT_EQ(local.Format(At(9, 5), "", out, sizeof out), 0u);
}

TEST(PosixLocalTime, AnUnknownLocaleFallsBackToC) {
  PosixLocalTime local("xx_NOWHERE.UTF-8");
  EXPECT_FALSE(local.LocaleFound());
  EXPECT_EQ(local.DateSeparator(), "/");
  EXPECT_EQ(local.ShortDayName(1), "Mon");
  EXPECT_EQ(Text(local, At(13, 0), "%p"), "PM");
}

TEST(PosixLocalTime, AnotherLocalesNamesAndSeparator) {
  PosixLocalTime local("de_DE.UTF-8");
  if (!local.LocaleFound()) GTEST_SKIP() << "the system has no de_DE.UTF-8 locale";
  EXPECT_EQ(local.DateSeparator(), ".");
  EXPECT_EQ(local.ShortDayName(0), "So");
  EXPECT_EQ(local.ShortDayName(3), "Mi");
  EXPECT_EQ(Text(local, At(21, 5), "%H:%M"), "21:05");
  EXPECT_EQ(Text(local, At(21, 5), "%p"), "");  // no am/pm texts
}

TEST(PosixLocalTime, NowIsTheLocalTimeOfTheSystem) {
  PosixLocalTime local("C");
  const std::time_t before = std::time(nullptr);
  const LocalDateTime now = local.Now();
  const std::time_t after = std::time(nullptr);
  std::tm t{};
  bool matched = false;
  for (std::time_t at = before; at <= after && !matched; ++at) {
    localtime_r(&at, &t);
    matched = now.year == t.tm_year + 1900 && now.month == t.tm_mon + 1 && now.day == t.tm_mday &&
              now.hour == t.tm_hour && now.minute == t.tm_min && now.second == t.tm_sec && now.weekday == t.tm_wday;
  }
  EXPECT_TRUE(matched);
}

}  // namespace
