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

void setLine(LineList& lines, size_t c, std::string_view line, size_t width) {
  if (lines.size() <= c) lines.resize(c + 1);
  lines[c] = padded(line, width);
  lines[0] = std::to_string(c);
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

void wrapText(std::string_view text, LineList& lines, int width) {
  const size_t columns = static_cast<size_t>(std::max(width, 1));
  if (lines.empty()) lines.resize(1);
  std::string t = trimBlanks(text) + " ";
  if (t.size() <= columns) {
    setLine(lines, 1, t, columns);
    return;
  }
  std::string_view rest = t;
  size_t c = 0;
  while (!rest.empty()) {
    ++c;
    size_t p = breakLength(rest, columns);
    std::string_view line = rest.substr(0, p);
    line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
    setLine(lines, c, line, columns);
    rest.remove_prefix(p);
    if (rest.size() < 2) rest = {};
  }
}

}  // namespace pentrill
