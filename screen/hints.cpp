#include "screen/hints.h"

#include <algorithm>

#include "pool/text.h"

namespace pentrill {

bool hasHint(std::string_view key, const HintIndex& index) {
  if (index.empty()) return false;
  // The count is only trusted as far as the list reaches.
  long long last = std::min<long long>(roundedNumberValue(index[0]), static_cast<long long>(index.size()) - 1);
  for (long long i = 1; i <= last; ++i)
    if (index[static_cast<size_t>(i)] == key) return true;
  return false;
}

}  // namespace pentrill
