#include "tests/fakes/manual_clock.h"
#include "screen/run_clock.h"

#include <gtest/gtest.h>

#include "tests/fakes/memory_console.h"

namespace pentrill {
namespace {

std::int64_t reading(std::string date, std::string time) {
  MemoryConsole console;  // no script: a range notice would throw
  return clockSeconds(console, date, time);
}

TEST(DayNumber, KnownDaysAndLeapDays) {
  EXPECT_EQ(dayNumber("01-01-1980"), 2444240);
  EXPECT_EQ(dayNumber("03-01-2000"), dayNumber("02-29-2000") + 1);
  EXPECT_EQ(dayNumber("03-01-1900"), dayNumber("02-28-1900") + 1);  // 1900 had no 29 February
  EXPECT_EQ(dayNumber("01-01-2025") - dayNumber("01-01-2024"), 366);
  EXPECT_EQ(dayNumber("01-01-2024") - dayNumber("12-31-2023"), 1);
}

TEST(ClockSeconds, ReadingsFrom1980) {
  EXPECT_EQ(reading("01-01-1980", "00:00:00"), 0);
  EXPECT_EQ(reading("01-02-1980", "00:00:01"), 86401);
  EXPECT_EQ(reading("12-07-2026", "23:59:59") + 1, reading("12-08-2026", "00:00:00"));
}

TEST(ClockSeconds, TrimsBothTextsInPlace) {
  MemoryConsole console;
  std::string date = " 12-07-2026 ";
  std::string time = " 10:11:12  ";
  EXPECT_EQ(clockSeconds(console, date, time), reading("12-07-2026", "10:11:12"));
  EXPECT_EQ(date, "12-07-2026");
  EXPECT_EQ(time, "10:11:12");
}

TEST(ClockSeconds, LastDaysOfTheRangeDoNotOverflow) {
  // 2048-01-19 03:14:08 is the first second beyond a signed 32-bit count.
  EXPECT_EQ(reading("01-19-2048", "03:14:08"), std::int64_t{2147483648});
  EXPECT_EQ(reading("01-20-2048", "23:59:59"), std::int64_t{24856} * 86400 + 86399);
}

TEST(ClockSeconds, OutsideTheRangeShowsNoticeWaitsForKeyAndGivesZero) {
  for (auto [date, time] : {std::pair{"12-31-1979", "23:59:59"}, std::pair{"01-21-2048", "00:00:00"}}) {
    MemoryConsole console;
    console.typeKeys("x");
    console.locate(5, 3);
    std::string dateText = date;
    std::string timeText = time;
    EXPECT_EQ(clockSeconds(console, dateText, timeText), 0);
    EXPECT_EQ(console.text(5, 3, 21), "Invalid date range!");
    EXPECT_EQ(console.text(6, 1, 16), "Date: " + std::string(date));
    EXPECT_EQ(console.text(7, 1, 14), "Time: " + std::string(time));
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
    ManualClock clock(c.year, c.month, c.day, 23, 59, 59, 500);
    EXPECT_DOUBLE_EQ(clock.now().secondsSinceMidnight, 86399.5);
    clock.advanceMilliseconds(750);
    LocalTime now = clock.now();
    EXPECT_EQ(now.date, c.nextDate);
    EXPECT_EQ(now.time, "00:00:00");
    EXPECT_DOUBLE_EQ(now.secondsSinceMidnight, 0.25);
  }
}

TEST(ManualClock, ReadingAcrossMidnightKeepsCounting) {
  ManualClock clock(2026, 12, 7, 23, 59, 50);
  MemoryConsole console;
  const std::int64_t start = clockSecondsNow(console, clock);
  clock.advanceMilliseconds(20'000);
  EXPECT_EQ(clock.now().time, "00:00:10");
  EXPECT_EQ(formatElapsed(clockSecondsNow(console, clock) - start), "00:00:20");
}

}  // namespace
}  // namespace pentrill
