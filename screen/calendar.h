// The program's one calendar: proleptic Gregorian dates and day counts.
#pragma once
#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "pool/civil_date.h"

namespace pentrill {

// Days since 1970-01-01 of a date, and back (H. Hinnant's days_from_civil
// and civil_from_days), exact for every year.
std::int64_t daysFromCivil(const CivilDate& date);
CivilDate civilFromDays(std::int64_t days);

// The local date as "mm-dd-yyyy" and the local time as "hh:mm:ss".
std::string localDateText(const TimePoint& time);
std::string localTimeText(const TimePoint& time);

// The local date of a time.
CivilDate localDate(const TimePoint& time);

}  // namespace pentrill
