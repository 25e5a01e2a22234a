// A day of the proleptic Gregorian calendar: the days a pool is in force,
// and the program's calendar (screen/calendar.h).
#pragma once
#include <compare>
#include <cstdint>

namespace pentrill {

struct CivilDate {
  std::int64_t year;
  int month;  // 1 to 12
  int day;    // 1 to 31
  auto operator<=>(const CivilDate&) const = default;
};

}  // namespace pentrill
