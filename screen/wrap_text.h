// Line breaking at blanks, used by the drill, the practice exam and the hints.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace pentrill {

// Breaks text (trimmed of blanks at both ends) into lines of exactly width
// characters, padded with blanks, each broken at the last blank that fits.
// A run of non-blank characters too long for a line is cut after width - 1
// characters, so no character is lost.
std::vector<std::string> wrapText(std::string_view text, int width);

}  // namespace pentrill
