// The clock: the seam through which the program reads the time.
#pragma once
#include <cstdint>

namespace pentrill {

inline constexpr std::int64_t kMillisecondsPerDay = 86'400'000;

// A moment: milliseconds since 1970-01-01 00:00:00 UTC, and how far the
// local time is ahead of UTC at that moment.
struct TimePoint {
  std::int64_t utcMilliseconds = 0;
  std::int32_t localOffsetSeconds = 0;

  // The local wall-clock time, counted like the UTC time.
  constexpr std::int64_t localMilliseconds() const { return utcMilliseconds + localOffsetSeconds * 1000LL; }
};

// Whole local days since 1970-01-01, and the milliseconds into the local day.
constexpr std::int64_t localDay(const TimePoint& time) {
  const std::int64_t local = time.localMilliseconds();
  return local / kMillisecondsPerDay - (local % kMillisecondsPerDay < 0 ? 1 : 0);
}
constexpr std::int64_t millisecondsOfDay(const TimePoint& time) {
  return time.localMilliseconds() - localDay(time) * kMillisecondsPerDay;
}
// Seconds since local midnight, to the millisecond: the whole seconds and
// then the fraction added, the sum that seeds the random generator.
constexpr double secondsSinceMidnight(const TimePoint& time) {
  const std::int64_t milliseconds = millisecondsOfDay(time);
  return static_cast<double>(milliseconds / 1000) + static_cast<double>(milliseconds % 1000) / 1000.0;
}

class Clock {
 public:
  virtual ~Clock() = default;
  virtual TimePoint now() = 0;
};

}  // namespace pentrill
