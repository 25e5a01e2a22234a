#include "tools/pool_tables/pool_source.h"

#include <cstdio>
#include <optional>

namespace pool_tables {

void Diagnostics::add(int line, std::string_view id, std::string_view what) {
  std::string message = path_ + ":" + (line > 0 ? std::to_string(line) + ":" : "") + " ";
  if (!id.empty()) message += "question " + std::string(id) + ": ";
  messages_.push_back(message + std::string(what));
}

namespace {

// The characters outside ASCII that the pool uses, and their bytes.
struct Mapping {
  char32_t code;
  unsigned char byte;
};
constexpr Mapping kMappings[] = {
    {U'\u2019', 0x92},  // right single quotation mark
    {U'\u201C', 0x93},  // left double quotation mark
    {U'\u201D', 0x94},  // right double quotation mark
    {U'\u2013', 0x96},  // en dash
    {U'\u00A0', 0xA0},  // no-break space
    {U'\u2011', 0x1E},  // non-breaking hyphen: the word processor's own code
    {U'\u00B2', 0xB2},  // superscript two
};

std::optional<unsigned char> windows1252Byte(char32_t code) {
  if (code >= 0x20 && code <= 0x7E) return static_cast<unsigned char>(code);
  for (const Mapping& m : kMappings)
    if (m.code == code) return m.byte;
  return std::nullopt;
}

// Decodes one UTF-8 sequence at text[i], advancing i; nullopt when malformed.
std::optional<char32_t> decodeUtf8(std::string_view text, size_t& i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
  if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) return std::nullopt;
  char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char next = byte(i + static_cast<size_t>(k));
    if ((next & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (next & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[extra] || code > 0x10FFFF) return std::nullopt;  // overlong or too large
  i += static_cast<size_t>(extra) + 1;
  return code;
}

std::string codePointName(char32_t code) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(code));
  return buffer;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isIdentifier(std::string_view s, char prefix) {
  return s.size() == 5 && s[0] == prefix && isDigit(s[1]) && s[2] >= 'A' && s[2] <= 'H' && isDigit(s[3]) &&
         isDigit(s[4]);
}

std::vector<std::string_view> splitLines(std::string_view content) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    lines.push_back(content.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// "E1A01 (A) [97.305, 97.307(b)]": identifier, correct letter, and an
// optional rule reference, which the program does not keep.
bool readHeader(std::string_view line, char prefix, SourceQuestion& q, std::string& problem) {
  q.id = std::string(line.substr(0, 5));
  if (!isIdentifier(q.id, prefix)) {
    q.id.clear();
    problem = std::string("expected an identifier such as ") + prefix + "1A01 at the start of a question, found \"" +
              std::string(line) + "\"";
    return false;
  }
  std::string_view rest = line.substr(5);
  if (rest.size() < 4 || rest.substr(0, 2) != " (" || rest[3] != ')') {
    problem = "expected the correct letter in parentheses after the identifier";
    return false;
  }
  q.letter = rest[2];
  if (q.letter < 'A' || q.letter > 'D') {
    problem = std::string("correct letter \"") + q.letter + "\" is not A to D";
    return false;
  }
  rest = rest.substr(4);
  if (!rest.empty() && (rest.substr(0, 2) != " [" || rest.back() != ']')) {
    problem = "unexpected text after the correct letter: \"" + std::string(rest) + "\"";
    return false;
  }
  return true;
}

// Lines 2 to 6 of a block: the question text and the four answers.
void readBody(const std::vector<std::string_view>& lines, size_t first, SourceQuestion& q,
              Diagnostics& diagnostics) {
  for (size_t k = 0; k < 5; ++k) {
    std::string& target = k == 0 ? q.text : q.answers[k - 1];
    std::string problem;
    if (!toWindows1252(lines[first + k], target, problem))
      diagnostics.add(static_cast<int>(first + k + 1), q.id, problem);
  }
}

}  // namespace

bool toWindows1252(std::string_view utf8, std::string& out, std::string& problem) {
  out.clear();
  for (size_t i = 0; i < utf8.size();) {
    std::optional<char32_t> code = decodeUtf8(utf8, i);
    if (!code) {
      problem = "malformed UTF-8 at byte " + std::to_string(i + 1) + " of the line";
      return false;
    }
    std::optional<unsigned char> byte = windows1252Byte(*code);
    if (!byte) {
      problem = "character " + codePointName(*code) + " has no place in the program's text";
      return false;
    }
    out += static_cast<char>(*byte);
  }
  return true;
}

std::vector<SourceQuestion> readPool(std::string_view content, char prefix, Diagnostics& diagnostics) {
  constexpr size_t kBlockLines = 7;  // header, text, four answers, "~~"
  std::vector<std::string_view> lines = splitLines(content);
  std::vector<SourceQuestion> questions;
  size_t i = 0;
  while (i < lines.size()) {
    if (lines[i].empty()) {
      ++i;
      continue;
    }
    SourceQuestion q;
    q.line = static_cast<int>(i + 1);
    std::string problem;
    if (!readHeader(lines[i], prefix, q, problem)) {
      diagnostics.add(q.line, q.id, problem);
      return questions;
    }
    if (i + kBlockLines > lines.size() || lines[i + kBlockLines - 1] != "~~") {
      diagnostics.add(q.line, q.id, "a question block is its identifier line, the text, four answers and \"~~\"");
      return questions;
    }
    // Kept even when a line failed to convert, so that the failure is not
    // reported a second time as a missing question.
    readBody(lines, i + 1, q, diagnostics);
    i += kBlockLines;
    if (i < lines.size() && !lines[i].empty()) {
      diagnostics.add(static_cast<int>(i + 1), q.id, "expected an empty line after the block");
      return questions;
    }
    questions.push_back(std::move(q));
  }
  return questions;
}

}  // namespace pool_tables
