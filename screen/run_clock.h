// The run clock: readings of the local date and time in whole seconds since
// 1980-01-01 00:00:00, and the "hh:mm:ss" text of an elapsed time.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/console.h"

namespace pentrill {

// Readings are defined for day counts 0 up to, not including, this number
// after 1980-01-01 (up to 2048-01-20). They are held in 64 bits, so the last
// day's seconds do not overflow.
inline constexpr std::int64_t kClockDays = 24857;

// The reading for a moment; none outside the range.
std::optional<std::int64_t> clockReading(const TimePoint& time);

// The reading for a moment. Outside the range it shows a notice with the
// local date and time at the cursor, waits for a key and gives 0.
std::int64_t clockSeconds(Console& console, const TimePoint& time);

// The reading of the clock now.
std::int64_t clockSecondsNow(Console& console, Clock& clock);

// "hh:mm:ss" for 0 to 359999 seconds, "ERROR" above; a negative difference
// (the clock set back) shows as 00:00:00.
std::string formatElapsed(std::int64_t seconds);

}  // namespace pentrill
