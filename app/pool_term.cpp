#include "app/pool_term.h"

#include <array>

namespace pentrill {

namespace {

constexpr std::array<PoolTerm, 2> kTerms{{
    {"2020-2024", {2020, 7, 1}, {2024, 6, 30},
     "This pool expired on June 30, 2024. For today's exams start Pentrill with --pool 2024-2028."},
    {"2024-2028", {2024, 7, 1}, {2028, 6, 30},
     "This pool expired on June 30, 2028. Look for a newer Pentrill with the current pool."},
}};

}  // namespace

const PoolTerm* poolTerm(std::string_view pool) {
  for (const PoolTerm& term : kTerms)
    if (term.pool == pool) return &term;
  return nullptr;
}

std::optional<std::string_view> expiryNotice(std::string_view pool, CivilDate today) {
  const PoolTerm* term = poolTerm(pool);
  if (term == nullptr || today <= term->lastDay) return std::nullopt;
  return term->expired;
}

const PoolEdition* poolInForce(CivilDate today) {
  for (const PoolEdition* edition : poolEditions()) {
    const PoolTerm* term = poolTerm(edition->name);
    if (term != nullptr && term->firstDay <= today && today <= term->lastDay) return edition;
  }
  return nullptr;
}

std::string_view monthName(int month) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
      "November", "December"};
  return month >= 1 && month <= 12 ? kMonths[static_cast<size_t>(month - 1)] : std::string_view{};
}

}  // namespace pentrill
