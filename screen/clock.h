// The local clock and the run clock's arithmetic.
#pragma once
#include <cstdint>
#include <string>

namespace pentrill {

// The local date and time as the program reads them.
struct LocalTime {
  std::string date;              // "mm-dd-yyyy"
  std::string time;              // "hh:mm:ss", 24-hour clock
  double secondsSinceMidnight;   // with milliseconds
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime now() = 0;
};

// A clock that stands still until moved; for tests.
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
