#include "tests/fakes/manual_clock.h"
#include "screen/run_clock.h"

#include <gtest/gtest.h>

#include "screen/calendar.h"
#include "tests/fakes/memory_console.h"

namespace pentrill {
namespace {

std::int64_t reading(int year, int month, int day, int hour, int minute, int second, int offsetSeconds = 0) {
  MemoryConsole console;  // no script: a range notice would throw
  return clockSeconds(console, ManualClock(year, month, day, hour, minute, second, 999, offsetSeconds).now());
}

TEST(Calendar, KnownDaysAndLeapDays) {
  EXPECT_EQ(daysFromCivil({1970, 1, 1}), 0);
  EXPECT_EQ(daysFromCivil({1980, 1, 1}), 3652);
  EXPECT_EQ(daysFromCivil({2000, 3, 1}), daysFromCivil({2000, 2, 29}) + 1);
  EXPECT_EQ(daysFromCivil({1900, 3, 1}), daysFromCivil({1900, 2, 28}) + 1);  // 1900 had no 29 February
  EXPECT_EQ(daysFromCivil({2025, 1, 1}) - daysFromCivil({2024, 1, 1}), 366);
  EXPECT_EQ(daysFromCivil({1969, 12, 31}), -1);
  for (std::int64_t days : {-800000LL, -1LL, 0LL, 11016LL, 20429LL, 28855LL, 3000000LL}) {
    const CivilDate date = civilFromDays(days);
    EXPECT_EQ(daysFromCivil(date), days) << days;
  }
}

TEST(ClockSeconds, ReadingsFrom1980InLocalTime) {
  EXPECT_EQ(reading(1980, 1, 1, 0, 0, 0), 0);  // milliseconds do not count
  EXPECT_EQ(reading(1980, 1, 2, 0, 0, 1), 86401);
  EXPECT_EQ(reading(2026, 12, 7, 23, 59, 59) + 1, reading(2026, 12, 8, 0, 0, 0));
  // The same local time reads the same in any time zone.
  EXPECT_EQ(reading(2026, 12, 7, 10, 11, 12, 3600), reading(2026, 12, 7, 10, 11, 12));
  EXPECT_EQ(reading(2026, 12, 7, 10, 11, 12, -5 * 3600), reading(2026, 12, 7, 10, 11, 12));
}

TEST(ClockSeconds, LastDaysOfTheRangeDoNotOverflow) {
  // 2048-01-19 03:14:08 is the first second beyond a signed 32-bit count.
  EXPECT_EQ(reading(2048, 1, 19, 3, 14, 8), std::int64_t{2147483648});
  EXPECT_EQ(reading(2048, 1, 20, 23, 59, 59), std::int64_t{24856} * 86400 + 86399);
}

TEST(ClockSeconds, OutsideTheRangeShowsNoticeWaitsForKeyAndGivesZero) {
  struct Case {
    ManualClock clock;
    const char* date;
    const char* time;
  } cases[] = {
      {ManualClock(1979, 12, 31, 23, 59, 59, 999), "12-31-1979", "23:59:59"},
      {ManualClock(2048, 1, 21, 0, 0, 0), "01-21-2048", "00:00:00"},
      // In UTC still 1980, in local time not yet.
      {ManualClock(1979, 12, 31, 19, 0, 0, 0, -5 * 3600), "12-31-1979", "19:00:00"},
  };
  for (Case& c : cases) {
    MemoryConsole console;
    console.typeKeys("x");
    console.locate(5, 3);
    EXPECT_EQ(clockSecondsNow(console, c.clock), 0);
    EXPECT_EQ(console.text(5, 3, 21), "Invalid date range!");
    EXPECT_EQ(console.text(6, 1, 16), "Date: " + std::string(c.date));
    EXPECT_EQ(console.text(7, 1, 14), "Time: " + std::string(c.time));
    EXPECT_EQ(console.grid().cursorRow(), 8);
    EXPECT_EQ(console.waitingSteps(), 0);  // the key was taken
  }
}

TEST(FormatElapsed, HoursMinutesSecondsAndLimits) {
  EXPECT_EQ(formatElapsed(0), "00:00:00");
  EXPECT_EQ(formatElapsed(3661), "01:01:01");
  EXPECT_EQ(formatElapsed(359999), "99:59:59");
  EXPECT_EQ(formatElapsed(360000), "ERROR");
  EXPECT_EQ(formatElapsed(std::int64_t{5} << 33), "ERROR");
  EXPECT_EQ(formatElapsed(-1), "00:00:00");  // clock set back
}

TEST(ManualClock, CrossesMidnightMonthAndYearEnds) {
  struct Case {
    int year, month, day;
    const char* nextDate;
  } cases[] = {
      {2024, 2, 28, "02-29-2024"}, {2023, 2, 28, "03-01-2023"}, {2000, 2, 29, "03-01-2000"},
      {2100, 2, 28, "03-01-2100"}, {2026, 4, 30, "05-01-2026"}, {2026, 12, 31, "01-01-2027"},
  };
  for (const Case& c : cases) {
    for (int offset : {0, 3600, -9 * 3600 - 1800}) {
      ManualClock clock(c.year, c.month, c.day, 23, 59, 59, 500, offset);
      EXPECT_DOUBLE_EQ(secondsSinceMidnight(clock.now()), 86399.5);
      clock.advanceMilliseconds(750);
      const TimePoint now = clock.now();
      EXPECT_EQ(localDateText(now), c.nextDate) << offset;
      EXPECT_EQ(localTimeText(now), "00:00:00") << offset;
      EXPECT_EQ(millisecondsOfDay(now), 250) << offset;
      EXPECT_EQ(now.localOffsetSeconds, offset);
    }
  }
}

TEST(ManualClock, KeepsUtcAndTheOffsetApart) {
  const TimePoint now = ManualClock(1970, 1, 2, 1, 0, 0, 5, 2 * 3600).now();
  EXPECT_EQ(now.utcMilliseconds, (86400 - 3600) * 1000LL + 5);
  EXPECT_EQ(now.localMilliseconds(), (86400 + 3600) * 1000LL + 5);
  const TimePoint before1970 = ManualClock(1969, 12, 31, 23, 0, 0, 250).now();
  EXPECT_EQ(localDay(before1970), -1);
  EXPECT_EQ(millisecondsOfDay(before1970), 23 * 3600 * 1000LL + 250);
}

TEST(ManualClock, ReadingAcrossMidnightKeepsCounting) {
  ManualClock clock(2026, 12, 7, 23, 59, 50);
  MemoryConsole console;
  const std::int64_t start = clockSecondsNow(console, clock);
  clock.advanceMilliseconds(20'000);
  EXPECT_EQ(localTimeText(clock.now()), "00:00:10");
  EXPECT_EQ(formatElapsed(clockSecondsNow(console, clock) - start), "00:00:20");
}

}  // namespace
}  // namespace pentrill
