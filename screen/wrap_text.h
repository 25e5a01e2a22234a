// Line breaking at blanks, used by the drill, the practice exam and the hints.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace pentrill {

// Entry 0: the number of lines as decimal text; entries 1 to that number: the
// lines. Entries above the count keep whatever they held before.
using LineList = std::vector<std::string>;

// Breaks text (trimmed of blanks at both ends) into lines of exactly width
// characters, padded with blanks, each broken at the last blank that fits.
// A run of non-blank characters too long for a line is cut after width - 1
// characters, so no character is lost. The list grows when it is too short.
void wrapText(std::string_view text, LineList& lines, int width);

}  // namespace pentrill
