// The film's local time: a moment read from the command line, advanced by
// the film's own time, formatted in the locale of the time it wraps.
#include <gtest/gtest.h>

#include "platform/FilmLocalTime.h"
#include "platform/Service.h"
#include "platform/fake/FakeLocalTime.h"

using platform::LocalDateTime;

namespace {

void ExpectMoment(const LocalDateTime& t, int year, int month, int day, int hour, int minute, int second,
                  int weekday) {
  EXPECT_EQ(t.year, year);
  EXPECT_EQ(t.month, month);
  EXPECT_EQ(t.day, day);
  EXPECT_EQ(t.hour, hour);
  EXPECT_EQ(t.minute, minute);
  EXPECT_EQ(t.second, second);
  EXPECT_EQ(t.weekday, weekday);
}

}  // namespace

TEST(ParseLocalDateTime, ReadsAMomentThatExistsWithItsWeekday) {
  auto t = platform::ParseLocalDateTime("2024-05-08T10:09:30");
  ASSERT_TRUE(t);
  ExpectMoment(*t, 2024, 5, 8, 10, 9, 30, 3);  // a Wednesday
  ASSERT_TRUE(platform::ParseLocalDateTime("2024-02-29T23:59:59"));
  ExpectMoment(*platform::ParseLocalDateTime("2000-02-29T00:00:00"), 2000, 2, 29, 0, 0, 0, 2);
  ExpectMoment(*platform::ParseLocalDateTime("1970-01-01T00:00:00"), 1970, 1, 1, 0, 0, 0, 4);

  for (const char* bad : {"", "2024-05-08", "2024-05-08 10:09:30", "2024-05-08T10:09", "2024-05-08T10:09:30Z",
                          "2024-13-01T00:00:00", "2024-00-01T00:00:00", "2023-02-29T00:00:00", "1900-02-29T00:00:00",
                          "2024-04-31T00:00:00", "2024-05-08T24:00:00", "2024-05-08T10:60:00",
                          "2024-05-08T10:09:60", "0000-01-01T00:00:00", "2024-5-08T10:09:30", "2024-05-08T1a:09:30",
                          "+024-05-08T10:09:30"})
    EXPECT_FALSE(platform::ParseLocalDateTime(bad)) << bad;
}

TEST(AdvanceLocalDateTime, CarriesOverMinutesDaysMonthsAndYears) {
  const LocalDateTime start = *platform::ParseLocalDateTime("2023-12-31T23:59:58");
  ExpectMoment(platform::AdvanceLocalDateTime(start, 0), 2023, 12, 31, 23, 59, 58, 0);
  // Whole seconds only: 1.999 s is one second on.
  ExpectMoment(platform::AdvanceLocalDateTime(start, 1999), 2023, 12, 31, 23, 59, 59, 0);
  ExpectMoment(platform::AdvanceLocalDateTime(start, 2000), 2024, 1, 1, 0, 0, 0, 1);
  ExpectMoment(platform::AdvanceLocalDateTime(start, 2000 + 59LL * 86400000), 2024, 2, 29, 0, 0, 0, 4);
  ExpectMoment(platform::AdvanceLocalDateTime(start, -1), 2023, 12, 31, 23, 59, 57, 0);
}

TEST(FilmLocalTime, ShowsItsMomentPlusTheOffsetInTheWrappedLocale) {
  platform::FakeLocalTime locale;
  locale.dateSeparator = ".";
  locale.dayNames[3] = "Mi";
  platform::FilmLocalTime film(locale, *platform::ParseLocalDateTime("2024-05-08T10:09:30"));
  platform::ScopedService<platform::LocalTime> use(&film);
  platform::LocalTime& local = platform::Get<platform::LocalTime>();
  ExpectMoment(local.Now(), 2024, 5, 8, 10, 9, 30, 3);
  film.SetOffset(90500);  // a film 90.5 s on
  EXPECT_EQ(film.Offset(), 90500);
  ExpectMoment(local.Now(), 2024, 5, 8, 10, 11, 0, 3);
  // Reading the moment never asks the wall clock (the wrapped time).
  EXPECT_EQ(locale.readings, 0);
  EXPECT_EQ(local.DateSeparator(), ".");
  EXPECT_EQ(local.ShortDayName(3), "Mi");
  char text[16];
  EXPECT_EQ(local.Format(local.Now(), "%H:%M:%S", text, sizeof text), 8u);
  EXPECT_STREQ(text, "10:11:00");
  EXPECT_EQ(locale.formats, 1);
}
