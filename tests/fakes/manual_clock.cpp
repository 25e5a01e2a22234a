#include "tests/fakes/manual_clock.h"

#include <cstdio>

namespace pentrill {

namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's
// days_from_civil), exact for every year.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

CivilDate civilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  return {yearOfEra + era * 400 + (month <= 2), month, day};
}

std::int64_t floorDivide(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

ManualClock::ManualClock(int year, int month, int day, int hour, int minute, int second, int millisecond)
    : start_(daysFromCivil(year, month, day) * kMillisecondsPerDay +
             ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond) {}

LocalTime ManualClock::now() {
  const std::int64_t total = start_ + elapsed_;
  const std::int64_t days = floorDivide(total, kMillisecondsPerDay);
  const std::int64_t ofDay = total - days * kMillisecondsPerDay;
  const CivilDate date = civilFromDays(days);
  const std::int64_t seconds = ofDay / 1000;
  char dateText[40];
  char timeText[40];
  std::snprintf(dateText, sizeof dateText, "%02d-%02d-%04lld", date.month, date.day,
                static_cast<long long>(date.year));
  std::snprintf(timeText, sizeof timeText, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return LocalTime{dateText, timeText, static_cast<double>(ofDay) / 1000.0};
}

}  // namespace pentrill
