#include <array>

#include "pool/edition.h"

namespace pentrill {

std::span<const PoolEdition* const> poolEditions() {
  static const std::array<const PoolEdition*, 2> editions{&pool2020To2024(), &pool2024To2028()};
  return editions;
}

const PoolEdition* findPoolEdition(std::string_view name) {
  for (const PoolEdition* edition : poolEditions())
    if (edition->name == name) return edition;
  return nullptr;
}

}  // namespace pentrill
