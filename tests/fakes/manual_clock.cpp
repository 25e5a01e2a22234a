#include "tests/fakes/manual_clock.h"

#include "screen/calendar.h"

namespace pentrill {

ManualClock::ManualClock(int year, int month, int day, int hour, int minute, int second, int millisecond,
                         int offsetSeconds)
    : offsetSeconds_(offsetSeconds),
      startUtc_(daysFromCivil({year, month, day}) * kMillisecondsPerDay +
                ((hour * 60LL + minute) * 60 + second - offsetSeconds) * 1000 + millisecond) {}

TimePoint ManualClock::now() { return TimePoint{startUtc_ + elapsed_, offsetSeconds_}; }

}  // namespace pentrill
