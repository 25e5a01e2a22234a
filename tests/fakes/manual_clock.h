// A clock that stands still until moved; for tests.
#pragma once
#include <cstdint>

#include "platform/clock.h"

namespace pentrill {

class ManualClock : public Clock {
 public:
  ManualClock(int year, int month, int day, int hour, int minute, int second, int millisecond = 0);
  void advanceMilliseconds(std::int64_t milliseconds) { elapsed_ += milliseconds; }
  LocalTime now() override;

 private:
  std::int64_t start_;    // milliseconds since 1970-01-01, wall clock, no time zone
  std::int64_t elapsed_ = 0;
};

}  // namespace pentrill
