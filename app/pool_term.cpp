#include "app/pool_term.h"

#include <algorithm>
#include <array>
#include <utility>

namespace pentrill {

std::optional<std::string> expiryNotice(const PoolEdition& edition, CivilDate today) {
  if (today <= edition.lastDay) return std::nullopt;
  std::string notice = "This pool expired on " + dateText(edition.lastDay) + ". ";
  if (const PoolEdition* current = poolInForce(edition.licence, today))
    return notice + "For today's exams start Pentrill with --pool " + std::string(current->name) + ".";
  return notice + "Look for a newer Pentrill with the current pool.";
}

std::optional<std::string> expiryNotice(std::string_view pool, CivilDate today) {
  const PoolEdition* edition = findPoolEdition(pool);
  if (edition == nullptr) return std::nullopt;
  return expiryNotice(*edition, today);
}

const PoolEdition& poolOfClass(LicenceClass licence, CivilDate today) {
  if (const PoolEdition* current = poolInForce(licence, today)) return *current;
  const PoolEdition* chosen = nullptr;
  for (const PoolEdition* edition : poolEditions()) {
    if (edition->licence != licence) continue;
    const bool started = edition->firstDay <= today;
    const bool chosenStarted = chosen != nullptr && chosen->firstDay <= today;
    if (chosen == nullptr || (started && (!chosenStarted || edition->firstDay > chosen->firstDay)) ||
        (!started && !chosenStarted && edition->firstDay < chosen->firstDay))
      chosen = edition;
  }
  return *chosen;
}

std::vector<const PoolEdition*> poolsInListOrder() {
  std::vector<const PoolEdition*> pools(poolEditions().begin(), poolEditions().end());
  std::stable_sort(pools.begin(), pools.end(), [](const PoolEdition* a, const PoolEdition* b) {
    return a->licence != b->licence ? a->licence < b->licence : a->firstDay < b->firstDay;
  });
  return pools;
}

std::string poolLabel(const PoolEdition& edition) {
  return std::string(edition.className) + " (Element " + std::to_string(edition.element) + "), pool " +
         std::string(edition.years);
}

// Counting a pool's questions reads its tables: only when the L screen asks.
std::vector<PoolOffer> poolOffers(CivilDate today) {
  std::vector<PoolOffer> offers;
  for (const PoolEdition* edition : poolsInListOrder()) {
    int questions = 0;
    for (const Subelement& subelement : edition->subelements) questions += static_cast<int>(subelement.questions.size());
    std::string status = today < edition->firstDay ? "in force from " + dateText(edition->firstDay)
                         : today > edition->lastDay ? "expired on " + dateText(edition->lastDay)
                                                    : std::string("in force");
    offers.push_back({edition, questions, std::move(status)});
  }
  return offers;
}

std::string dateText(CivilDate date) {
  return std::string(monthName(date.month)) + " " + std::to_string(date.day) + ", " + std::to_string(date.year);
}

std::string_view monthName(int month) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
      "November", "December"};
  return month >= 1 && month <= 12 ? kMonths[static_cast<size_t>(month - 1)] : std::string_view{};
}

}  // namespace pentrill
