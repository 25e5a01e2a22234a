#include "backends/system_clock.h"

#include <chrono>
#include <ctime>

namespace pentrill {

// The local offset is the one in force at this moment (summer time included).
TimePoint SystemClock::now() {
  using namespace std::chrono;
  const std::int64_t milliseconds = duration_cast<std::chrono::milliseconds>(system_clock::now().time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000 - (milliseconds % 1000 < 0 ? 1 : 0));
  std::tm local{};
  localtime_r(&seconds, &local);
  return TimePoint{milliseconds, static_cast<std::int32_t>(local.tm_gmtoff)};
}

}  // namespace pentrill
