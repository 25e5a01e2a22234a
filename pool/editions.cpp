#include <array>

#include "pool/edition.h"

namespace pentrill {

std::span<const PoolEdition* const> poolEditions() {
  static const std::array<const PoolEdition*, 4> editions{&pool2020To2024(), &poolTechnician2026To2030(),
                                                          &poolGeneral2023To2027(), &pool2024To2028()};
  return editions;
}

const PoolEdition* findPoolEdition(std::string_view name) {
  for (const PoolEdition* edition : poolEditions())
    if (edition->name == name) return edition;
  return nullptr;
}

const PoolEdition* poolInForce(LicenceClass licence, CivilDate day) {
  for (const PoolEdition* edition : poolEditions())
    if (edition->licence == licence && inForce(*edition, day)) return edition;
  return nullptr;
}

}  // namespace pentrill
