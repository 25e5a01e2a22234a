// Reading the published pool text (UTF-8, the pool's own plain-text layout)
// into questions held as the program's Windows-1252 text.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace pool_tables {

// Collects the problems found, each naming the line and the question.
class Diagnostics {
 public:
  explicit Diagnostics(std::string path) : path_(std::move(path)) {}
  // line 0 and an empty id for problems of the whole pool.
  void add(int line, std::string_view id, std::string_view what);
  bool empty() const { return messages_.empty(); }
  const std::vector<std::string>& messages() const { return messages_; }

 private:
  std::string path_;
  std::vector<std::string> messages_;
};

struct SourceQuestion {
  int line = 0;                        // line of the identifier in the text
  std::string id;                      // bare identifier, "E1A01", "T1A01"
  char letter = 0;                     // correct letter as published
  std::string text;                    // Windows-1252
  std::array<std::string, 4> answers;  // Windows-1252, labels "A. " to "D. " kept
};

// The Windows-1252 bytes of a UTF-8 text. Only printable ASCII and the few
// characters the pool uses are accepted; otherwise false, with the reason.
bool toWindows1252(std::string_view utf8, std::string& out, std::string& problem);

// The questions of the text in their published order, each identifier
// starting with the pool's prefix ('E', 'G', 'T'). A block that breaks the
// layout is reported and ends the reading.
std::vector<SourceQuestion> readPool(std::string_view content, char prefix, Diagnostics& diagnostics);

}  // namespace pool_tables
