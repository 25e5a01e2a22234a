// Hints keyed by question identifier.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace pentrill {

// Entry 0: the number of identifiers that have a hint; entries 1 to that
// number: the identifiers.
using HintIndex = std::vector<std::string>;

// True when one of the index's identifiers equals key exactly (same case).
bool hasHint(std::string_view key, const HintIndex& index);

}  // namespace pentrill
