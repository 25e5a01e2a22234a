// A clock that stands still until moved; for tests.
#pragma once
#include <cstdint>

#include "platform/clock.h"

namespace pentrill {

class ManualClock : public Clock {
 public:
  // Set to a local date and time; the local time is offsetSeconds ahead of UTC.
  ManualClock(int year, int month, int day, int hour, int minute, int second, int millisecond = 0,
              int offsetSeconds = 0);
  void advanceMilliseconds(std::int64_t milliseconds) { elapsed_ += milliseconds; }
  TimePoint now() override;

 private:
  std::int32_t offsetSeconds_;
  std::int64_t startUtc_;  // milliseconds since 1970-01-01 UTC
  std::int64_t elapsed_ = 0;
};

}  // namespace pentrill
