// When each pool edition is in force, and what the program says of a pool
// used outside its days: exams of a day are drawn from the one pool of each
// licence class in force on that day.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pool/edition.h"

namespace pentrill {

// The notice the menu shows when the pool has expired on that day: it names
// the carried pool of the same class in force then, or says that a newer
// Pentrill carries it.
std::optional<std::string> expiryNotice(const PoolEdition& edition, CivilDate today);

// The same for the pool with that name; none for a name the program lacks.
std::optional<std::string> expiryNotice(std::string_view pool, CivilDate today);

// The pool that a licence class chooses on that day: the carried pool of the
// class in force, else the newest one that has started, else the first to
// start.
const PoolEdition& poolOfClass(LicenceClass licence, CivilDate today);

// Every carried pool by licence class, Technician first, and within a class
// the oldest first: the order in which --help and the L screen list them.
std::vector<const PoolEdition*> poolsInListOrder();

// "Amateur Extra (Element 4), pool 2020-2024".
std::string poolLabel(const PoolEdition& edition);

// A pool as the L screen offers it.
struct PoolOffer {
  const PoolEdition* edition;
  int questions;       // in the pool
  std::string status;  // "in force", "expired on June 30, 2024", "in force from July 1, 2030"
};
std::vector<PoolOffer> poolOffers(CivilDate today);

// "June 30, 2024".
std::string dateText(CivilDate date);

// "June".
std::string_view monthName(int month);

}  // namespace pentrill
