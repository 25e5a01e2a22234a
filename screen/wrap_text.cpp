#include "screen/wrap_text.h"

#include <algorithm>

#include "screen/text.h"

namespace pentrill {

namespace {

std::string padded(std::string_view line, size_t width) {
  std::string result(line.substr(0, width));
  result.resize(width, ' ');
  return result;
}

// Length of the next line's source in t: up to and including the last blank
// among the first width characters; without one, width - 1 characters (at
// least one, so the loop always moves on).
size_t breakLength(std::string_view t, size_t width) {
  size_t blank = t.substr(0, width).rfind(' ');
  if (blank != std::string_view::npos) return blank + 1;
  return std::max<size_t>(width - 1, 1);
}

}  // namespace

std::vector<std::string> wrapText(std::string_view text, int width) {
  const size_t columns = static_cast<size_t>(std::max(width, 1));
  std::string t = trimBlanks(text) + " ";
  if (t.size() <= columns) return {padded(t, columns)};
  std::vector<std::string> lines;
  std::string_view rest = t;
  while (!rest.empty()) {
    size_t p = breakLength(rest, columns);
    std::string_view line = rest.substr(0, p);
    line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
    lines.push_back(padded(line, columns));
    rest.remove_prefix(p);
    if (rest.size() < 2) rest = {};
  }
  return lines;
}

}  // namespace pentrill
