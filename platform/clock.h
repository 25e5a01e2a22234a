// The local clock: the seam through which the program reads the time.
#pragma once
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

}  // namespace pentrill
