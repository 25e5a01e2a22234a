#include "backends/stdio_lines.h"

#include <cerrno>
#include <string>

#include "screen/charset.h"

namespace pentrill {

namespace {

// A typed line is UTF-8 or ASCII; the program's texts are Windows-1252.
std::string windows1252Of(std::string_view typed) {
  std::string text;
  for (size_t i = 0; i < typed.size();) {
    const auto lead = static_cast<unsigned char>(typed[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    char32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length && i + k < typed.size(); ++k)
      codePoint = (codePoint << 6) | (static_cast<unsigned char>(typed[i + k]) & 0x3F);
    text += windows1252Byte(codePoint).value_or('?');
    i += length;
  }
  return text;
}

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
    line += static_cast<char>(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return windows1252Of(line);
}

void StdioLines::writeLine(std::string_view line) {
  std::string bytes = terminalText(line, utf8_);
  bytes += '\n';
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size() || std::fflush(out_) != 0)
    throw OutputFailed{errno != 0 ? errno : EIO};
}

}  // namespace pentrill
