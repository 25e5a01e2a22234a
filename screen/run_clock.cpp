#include "screen/run_clock.h"

#include <string_view>

#include "screen/text.h"
#include "screen/input.h"

namespace pentrill {

namespace {

// The whole number that a text begins with, 0 if none.
std::int64_t leadingNumber(std::string_view text) { return static_cast<std::int64_t>(numberValue(text)); }

// Characters first to first + count - 1 (from 1), as far as the text reaches.
std::string_view part(std::string_view text, size_t first, size_t count) {
  if (first > text.size()) return {};
  return text.substr(first - 1, count);
}

std::string_view lastCharacters(std::string_view text, size_t count) {
  return text.size() <= count ? text : text.substr(text.size() - count);
}

std::string twoDigits(std::int64_t value) {
  std::string digits = "00" + std::to_string(value);
  return digits.substr(digits.size() - 2);
}

void showRangeNotice(Console& console, const std::string& date, const std::string& time) {
  console.write("Invalid date range!");
  console.endLine();
  console.write("Date: " + date);
  console.endLine();
  console.write("Time: " + time);
  console.endLine();
  waitKey(console);
}

}  // namespace

std::int64_t dayNumber(const std::string& date) {
  std::int64_t month = leadingNumber(part(date, 1, 2));
  std::int64_t day = leadingNumber(part(date, 4, 2));
  std::int64_t year = leadingNumber(lastCharacters(date, 4));
  // Count the year from March, so that February is its last month.
  if (month > 2) {
    month -= 3;
  } else {
    month += 9;
    year -= 1;
  }
  std::int64_t century = year / 100;
  std::int64_t yearInCentury = year % 100;
  return (146097 * century) / 4 + (1461 * yearInCentury) / 4 + (153 * month + 2) / 5 + day + 1721119;
}

std::int64_t clockSeconds(Console& console, std::string& date, std::string& time) {
  date = trimBlanks(date);
  time = trimBlanks(time);
  std::int64_t days = dayNumber(date) - kDayNumber1980;
  std::int64_t secondsOfDay =
      leadingNumber(part(time, 1, 2)) * 3600 + leadingNumber(part(time, 4, 2)) * 60 + leadingNumber(lastCharacters(time, 2));
  if (days >= 0 && days < kClockDays) return days * 86400 + secondsOfDay;
  showRangeNotice(console, date, time);
  return 0;
}

std::int64_t clockSecondsNow(Console& console, Clock& clock) {
  LocalTime now = clock.now();
  return clockSeconds(console, now.date, now.time);
}

std::string formatElapsed(std::int64_t seconds) {
  if (seconds > 359999) return "ERROR";
  if (seconds < 0) seconds = 0;
  std::int64_t hours = seconds / 3600;
  std::int64_t minutes = (seconds - 3600 * hours) / 60;
  std::int64_t rest = seconds - 3600 * hours - 60 * minutes;
  return twoDigits(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(rest);
}

}  // namespace pentrill
