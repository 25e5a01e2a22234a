// The run clock: readings of the local date and time in whole seconds since
// 1980-01-01 00:00:00, and the "hh:mm:ss" text of an elapsed time.
#pragma once
#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/console.h"

namespace pentrill {

// Readings are defined for day counts 0 up to, not including, this number
// after 1980-01-01 (up to 2048-01-20). They are held in 64 bits, so the last
// day's seconds do not overflow.
inline constexpr std::int64_t kClockDays = 24857;
inline constexpr std::int64_t kDayNumber1980 = 2444240;

// Julian day number of a "mm-dd-yyyy" date text.
std::int64_t dayNumber(const std::string& date);

// The reading for a date text and a time text ("hh:mm:ss"). Both are trimmed
// of blanks in place. Outside the range it shows a notice at the cursor,
// waits for a key and gives 0.
std::int64_t clockSeconds(Console& console, std::string& date, std::string& time);

// The reading of the clock now.
std::int64_t clockSecondsNow(Console& console, Clock& clock);

// "hh:mm:ss" for 0 to 359999 seconds, "ERROR" above; a negative difference
// (the clock set back) shows as 00:00:00.
std::string formatElapsed(std::int64_t seconds);

}  // namespace pentrill
