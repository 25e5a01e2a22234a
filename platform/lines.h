// Plain lines in and out: the seam of the plain face, which reads what the
// user types a line at a time and writes whole lines, never a control
// sequence. Texts are Windows-1252; the backend converts them.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace pentrill {

class LineChannel {
 public:
  virtual ~LineChannel() = default;
  // The next line typed, without its line end; nothing at the end of input.
  virtual std::optional<std::string> readLine() = 0;
  // Writes the line and a line end, at once. Throws OutputFailed when the
  // output cannot be written.
  virtual void writeLine(std::string_view line) = 0;
};

// Standard output is closed or full: the program ends (status 1).
struct OutputFailed {
  int error;  // errno
};

}  // namespace pentrill
