#include "screen/run_clock.h"

#include "screen/calendar.h"
#include "screen/input.h"

namespace pentrill {

namespace {

const std::int64_t kDay1980 = daysFromCivil({1980, 1, 1});

std::string twoDigits(std::int64_t value) {
  std::string digits = "00" + std::to_string(value);
  return digits.substr(digits.size() - 2);
}

void showRangeNotice(Console& console, const TimePoint& time) {
  console.write("Invalid date range!");
  console.endLine();
  console.write("Date: " + localDateText(time));
  console.endLine();
  console.write("Time: " + localTimeText(time));
  console.endLine();
  waitKey(console);
}

}  // namespace

std::optional<std::int64_t> clockReading(const TimePoint& time) {
  const std::int64_t days = localDay(time) - kDay1980;
  if (days < 0 || days >= kClockDays) return std::nullopt;
  return days * 86400 + millisecondsOfDay(time) / 1000;
}

std::int64_t clockSeconds(Console& console, const TimePoint& time) {
  if (const std::optional<std::int64_t> reading = clockReading(time)) return *reading;
  showRangeNotice(console, time);
  return 0;
}

std::int64_t clockSecondsNow(Console& console, Clock& clock) { return clockSeconds(console, clock.now()); }

std::string formatElapsed(std::int64_t seconds) {
  if (seconds > 359999) return "ERROR";
  if (seconds < 0) seconds = 0;
  std::int64_t hours = seconds / 3600;
  std::int64_t minutes = (seconds - 3600 * hours) / 60;
  std::int64_t rest = seconds - 3600 * hours - 60 * minutes;
  return twoDigits(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(rest);
}

}  // namespace pentrill
