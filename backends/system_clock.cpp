#include "backends/system_clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace pentrill {

LocalTime SystemClock::now() {
  using namespace std::chrono;
  auto since = system_clock::now().time_since_epoch();
  std::time_t seconds = duration_cast<std::chrono::seconds>(since).count();
  int milliseconds = static_cast<int>(duration_cast<std::chrono::milliseconds>(since).count() % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char date[48];
  char time[48];
  std::snprintf(date, sizeof date, "%02d-%02d-%04d", local.tm_mon + 1, local.tm_mday, local.tm_year + 1900);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  double ofDay = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + milliseconds / 1000.0;
  return LocalTime{date, time, ofDay};
}

}  // namespace pentrill
