#include "backends/stdio_lines.h"

#include <cerrno>
#include <string>

#include "screen/charset.h"

namespace pentrill {

namespace {

// No command is longer: a longer line keeps its start, and endless input
// without a line end costs no memory.
constexpr size_t kLineLimit = 4096;

}  // namespace

std::optional<std::string> StdioLines::readLine() {
  std::string line;
  for (;;) {
    const int c = std::fgetc(in_);
    if (c == EOF) {
      if (line.empty()) return std::nullopt;
      break;
    }
    if (c == '\n') break;
    if (line.size() < kLineLimit) line += static_cast<char>(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  // A typed line is UTF-8, or already in a single-byte character set.
  return isValidUtf8(line) ? windows1252FromUtf8(line) : line;
}

void StdioLines::writeLine(std::string_view line) {
  std::string bytes = terminalText(line, utf8_);
  bytes += '\n';
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size() || std::fflush(out_) != 0)
    throw OutputFailed{errno != 0 ? errno : EIO};
}

}  // namespace pentrill
