// When each pool edition is in force: the exams of a day are drawn from the
// one pool in force on that day, and a pool past its last day has expired.
#pragma once
#include <optional>
#include <string_view>

#include "pool/edition.h"
#include "screen/calendar.h"

namespace pentrill {

struct PoolTerm {
  std::string_view pool;      // "2020-2024"
  CivilDate firstDay;         // the first day its exams are drawn from it
  CivilDate lastDay;          // the last such day
  std::string_view expired;   // the menu's notice once the last day has passed
};

// The term of the edition with that name; null for a name the program lacks.
const PoolTerm* poolTerm(std::string_view pool);

// The notice the menu shows when the pool has expired on that day.
std::optional<std::string_view> expiryNotice(std::string_view pool, CivilDate today);

// The edition in force on that day, among those the program carries; null
// when none is (before the first or after the last).
const PoolEdition* poolInForce(CivilDate today);

// "June 30, 2024".
std::string_view monthName(int month);

}  // namespace pentrill
