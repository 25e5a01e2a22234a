// Lines on standard input and output, for the plain face: read with the
// terminal's own line editing (the terminal is never switched to raw mode),
// written in UTF-8 where the locale's character set is UTF-8 and in ASCII
// look-alikes elsewhere.
#pragma once
#include <cstdio>

#include "platform/lines.h"

namespace pentrill {

class StdioLines : public LineChannel {
 public:
  StdioLines(std::FILE* in, std::FILE* out, bool utf8) : in_(in), out_(out), utf8_(utf8) {}

  std::optional<std::string> readLine() override;
  void writeLine(std::string_view line) override;

 private:
  std::FILE* in_;
  std::FILE* out_;
  bool utf8_;
};

}  // namespace pentrill
