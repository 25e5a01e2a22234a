#include "tools/pool_tables/pool_checks.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <span>
#include <string>

#include "tools/pool_tables/screen_fit.h"

namespace pool_tables {

namespace {

struct ExpectedQuestion {
  std::string id;
  char letter;
};

std::string twoDigits(int n) { return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)}; }

bool listed(std::span<const std::string_view> ids, std::string_view id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Every identifier of the group list in table order, with its correct letter.
std::vector<ExpectedQuestion> expectedQuestions(const ExpectedPool& pool) {
  std::vector<ExpectedQuestion> all;
  for (const ExpectedGroup& g : pool.groups) {
    size_t letter = 0;
    for (int n = 1; n <= g.lastNumber; ++n) {
      std::string id = std::string(g.name) + twoDigits(n);
      if (listed(pool.absent, id)) continue;
      all.push_back({std::move(id), g.letters[letter++]});
    }
  }
  return all;
}

std::optional<std::string_view> expectedFigure(const ExpectedPool& pool, std::string_view id) {
  for (const ExpectedFigure& f : pool.figures)
    if (f.id == id) return f.figure;
  return std::nullopt;
}

std::string joined(std::span<const std::string_view> ids) {
  std::string text;
  for (std::string_view id : ids) text += (text.empty() ? "" : ", ") + std::string(id);
  return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Identifiers: each expected one present once, nothing else, in table order.
void checkIdentifiers(const std::vector<SourceQuestion>& questions, const ExpectedPool& pool,
                      const std::vector<ExpectedQuestion>& expected, Diagnostics& diagnostics) {
  std::map<std::string, size_t> expectedIndex;
  for (size_t i = 0; i < expected.size(); ++i) expectedIndex[expected[i].id] = i;

  std::map<std::string, int> seenAt;
  bool setsAgree = true;
  for (const SourceQuestion& q : questions) {
    if (!expectedIndex.count(q.id)) {
      diagnostics.add(q.line, q.id,
                      "is not one of the program's questions (" + joined(pool.absent) + " stay out of the " +
                          std::string(pool.name) + " pool)");
      setsAgree = false;
    } else if (seenAt.count(q.id)) {
      diagnostics.add(q.line, q.id, "appears twice (first at line " + std::to_string(seenAt[q.id]) + ")");
      setsAgree = false;
    } else {
      seenAt[q.id] = q.line;
    }
  }
  for (size_t e = 0; e < expected.size(); ++e) {
    if (seenAt.count(expected[e].id)) continue;
    // Point at the question that now stands where the missing one belongs.
    int line = questions.empty() ? 1 : questions.back().line;
    for (const SourceQuestion& q : questions) {
      auto it = expectedIndex.find(q.id);
      if (it != expectedIndex.end() && it->second > e) {
        line = q.line;
        break;
      }
    }
    diagnostics.add(line, expected[e].id, "is missing");
    setsAgree = false;
  }
  if (!setsAgree) return;
  for (size_t i = 0; i < questions.size(); ++i) {
    if (questions[i].id != expected[i].id) {
      diagnostics.add(questions[i].line, questions[i].id, "is out of order: " + expected[i].id + " belongs here");
      return;  // one displaced block would otherwise be reported at every row after it
    }
  }
}

void checkLength(const SourceQuestion& q, std::string_view what, size_t length, int least, int most,
                 Diagnostics& diagnostics) {
  if (length < static_cast<size_t>(least) || length > static_cast<size_t>(most))
    diagnostics.add(q.line, q.id,
                    std::string(what) + " has " + std::to_string(length) + " characters, allowed " +
                        std::to_string(least) + " to " + std::to_string(most));
}

// The longest run of characters without a blank.
size_t longestWord(std::string_view text) {
  size_t longest = 0;
  size_t run = 0;
  for (char c : text) {
    run = c == ' ' ? 0 : run + 1;
    longest = std::max(longest, run);
  }
  return longest;
}

void checkWords(const SourceQuestion& q, std::string_view what, std::string_view text, const TextLimits& limits,
                Diagnostics& diagnostics) {
  if (longestWord(text) > static_cast<size_t>(limits.longestWord))
    diagnostics.add(q.line, q.id,
                    std::string(what) + " has a word of " + std::to_string(longestWord(text)) +
                        " characters, allowed at most " + std::to_string(limits.longestWord));
}

void checkFields(const SourceQuestion& q, char prefix, const TextLimits& limits, Diagnostics& diagnostics) {
  checkLength(q, "field 1 (identifier and figure tag)", idField(q, prefix).size(), 5, kMaxIdFieldLength, diagnostics);
  checkLength(q, "the question text", q.text.size(), limits.minText, limits.maxText, diagnostics);
  checkWords(q, "the question text", q.text, limits, diagnostics);
  if (q.text.find('*') != std::string::npos) diagnostics.add(q.line, q.id, "the question text contains \"*\"");
  for (size_t k = 0; k < q.answers.size(); ++k) {
    const std::string& answer = q.answers[k];
    const std::string label{static_cast<char>('A' + k), '.', ' '};
    const std::string name = "answer " + label.substr(0, 1);
    if (answer.compare(0, label.size(), label) != 0)
      diagnostics.add(q.line, q.id, name + " does not begin with its label \"" + label + "\"");
    checkLength(q, name, answer.size(), limits.minAnswer, limits.maxAnswer, diagnostics);
    checkWords(q, name, answer, limits, diagnostics);
    if (answer.find('*') != std::string::npos) diagnostics.add(q.line, q.id, name + " contains \"*\"");
  }
}

// Texts trimmed, and a double blank only where the pool publishes one.
void checkBlanks(const SourceQuestion& q, const ExpectedPool& pool, Diagnostics& diagnostics) {
  std::vector<std::pair<std::string, std::string_view>> fields{{"the question text", q.text}};
  for (size_t k = 0; k < q.answers.size(); ++k)
    fields.emplace_back(std::string("answer ") + static_cast<char>('A' + k), std::string_view(q.answers[k]).substr(3));
  bool doubleBlank = false;
  for (const auto& [name, text] : fields) {
    if (!text.empty() && (text.front() == ' ' || text.back() == ' '))
      diagnostics.add(q.line, q.id, name + " begins or ends with a blank");
    doubleBlank = doubleBlank || text.find("  ") != std::string_view::npos;
  }
  if (doubleBlank != listed(pool.doubleBlanks, q.id))
    diagnostics.add(q.line, q.id, doubleBlank ? "a text has a double blank, which the pool does not publish"
                                              : "the double blank the pool publishes is gone");
}

void checkAllChoices(const SourceQuestion& q, const ExpectedPool& pool, Diagnostics& diagnostics) {
  const std::string allChoices = "D. " + std::string(kAllChoicesText);
  const bool isAllChoices = q.answers[3] == allChoices;
  const bool expected = listed(pool.allChoices, q.id);
  if (expected && !isAllChoices)
    diagnostics.add(q.line, q.id, "answer D must be \"" + allChoices + "\"");
  if (!expected && isAllChoices)
    diagnostics.add(q.line, q.id, "answer D is \"" + allChoices + "\", which this question must not have");
  for (size_t k = 0; k < 3; ++k)
    if (q.answers[k].find(kAllChoicesText) != std::string::npos)
      diagnostics.add(q.line, q.id, std::string("answer ") + static_cast<char>('A' + k) + " holds \"" +
                                        std::string(kAllChoicesText) + "\", which may stand only in D");
}

void checkFigure(const SourceQuestion& q, const ExpectedPool& pool, Diagnostics& diagnostics) {
  std::vector<std::string> named = figuresNamedIn(q.text, pool.prefix);
  std::optional<std::string_view> expected = expectedFigure(pool, q.id);
  if (named.empty() && expected) {
    diagnostics.add(q.line, q.id, "the text names no figure, but the question carries Figure " + std::string(*expected));
    return;
  }
  for (const std::string& figure : named) {
    if (!expected)
      diagnostics.add(q.line, q.id, "the text names Figure " + figure + ", but the question carries no figure");
    else if (figure != *expected)
      diagnostics.add(q.line, q.id,
                      "the text names Figure " + figure + ", but the question carries Figure " + std::string(*expected));
  }
}

std::string hexByte(unsigned char byte) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 15];
}

// How often each byte beyond printable ASCII stands in the texts, against the
// pool's own characters: one more, one fewer or one foreign is refused.
void checkBytes(const std::vector<SourceQuestion>& questions, const ExpectedPool& pool, Diagnostics& diagnostics) {
  std::map<unsigned char, int> found;
  for (const SourceQuestion& q : questions)
    for (const std::string* text : {&q.text, &q.answers[0], &q.answers[1], &q.answers[2], &q.answers[3]})
      for (char c : *text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E) ++found[byte];
      }
  std::map<unsigned char, int> expected;
  for (const ExpectedByte& e : pool.bytesBeyondAscii) expected[e.byte] = e.count;
  for (const auto& [byte, count] : found)
    if (!expected.count(byte))
      diagnostics.add(0, "", "byte " + hexByte(byte) + " stands " + std::to_string(count) +
                                 " times in the texts, but has no place in this pool");
  for (const auto& [byte, count] : expected)
    if (found[byte] != count)
      diagnostics.add(0, "", "byte " + hexByte(byte) + " stands " + std::to_string(found[byte]) +
                                 " times in the texts, expected " + std::to_string(count));
}

// What the checks above imply, stated where the program's tables need it.
void checkTotals(const std::vector<SourceQuestion>& questions, const ExpectedPool& pool, Diagnostics& diagnostics) {
  std::array<int, 4> letters{};
  std::array<int, 10> perSubelement{};
  for (const SourceQuestion& q : questions) {
    ++letters[static_cast<size_t>(q.letter - 'A')];
    ++perSubelement[static_cast<size_t>(q.id[1] - '0')];
  }
  if (letters != pool.letterTotals) {
    std::string found, wanted;
    for (size_t k = 0; k < 4; ++k) {
      found += std::string(" ") + static_cast<char>('A' + k) + " " + std::to_string(letters[k]);
      wanted += std::string(" ") + static_cast<char>('A' + k) + " " + std::to_string(pool.letterTotals[k]);
    }
    diagnostics.add(0, "", "correct letters total" + found + ", expected" + wanted);
  }
  for (size_t s = 0; s < perSubelement.size(); ++s)
    if (perSubelement[s] > kMaxQuestionsPerTable)
      diagnostics.add(0, "", std::string("subelement ") + pool.prefix + std::to_string(s) + " has " +
                                 std::to_string(perSubelement[s]) + " questions, a table holds at most " +
                                 std::to_string(kMaxQuestionsPerTable));
}

}  // namespace

std::vector<std::string> figuresNamedIn(std::string_view text, char prefix) {
  constexpr std::string_view kWord = "igure ";  // after "F" or "f"
  std::vector<std::string> figures;
  for (size_t at = text.find(kWord); at != std::string_view::npos; at = text.find(kWord, at + 1)) {
    if (at == 0 || (text[at - 1] != 'F' && text[at - 1] != 'f')) continue;
    size_t i = at + kWord.size();
    if (i >= text.size() || text[i] != prefix) continue;
    std::string figure(1, prefix);
    if (++i < text.size() && isDigit(text[i])) figure += text[i++];
    if (i >= text.size() || (text[i] != '-' && text[i] != '\x1E')) continue;
    const size_t digits = ++i;
    while (i < text.size() && isDigit(text[i])) ++i;
    if (i == digits) continue;
    figure += '-';
    figure.append(text.substr(digits, i - digits));
    figures.push_back(std::move(figure));
  }
  return figures;
}

std::string idField(const SourceQuestion& q, char prefix) {
  std::vector<std::string> figures = figuresNamedIn(q.text, prefix);
  return figures.empty() ? q.id : q.id + " Figure:" + figures.front();
}

void checkPool(const std::vector<SourceQuestion>& questions, const ExpectedPool& pool, Diagnostics& diagnostics) {
  std::vector<ExpectedQuestion> expected = expectedQuestions(pool);
  checkIdentifiers(questions, pool, expected, diagnostics);
  std::map<std::string, char> expectedLetter;
  for (const ExpectedQuestion& e : expected) expectedLetter[e.id] = e.letter;
  for (const SourceQuestion& q : questions) {
    auto letter = expectedLetter.find(q.id);
    if (letter != expectedLetter.end() && letter->second != q.letter)
      diagnostics.add(q.line, q.id,
                      std::string("correct letter is ") + q.letter + ", the group list has " + letter->second);
    checkFields(q, pool.prefix, pool.limits, diagnostics);
    checkBlanks(q, pool, diagnostics);
    checkAllChoices(q, pool, diagnostics);
    checkFigure(q, pool, diagnostics);
    checkScreenFit(q, pool.examQuestions, diagnostics);
  }
  checkBytes(questions, pool, diagnostics);
  checkLineCounts(questions, pool.lines, diagnostics);
  // The totals follow from the checks above; reported only when nothing else is.
  if (diagnostics.empty()) checkTotals(questions, pool, diagnostics);
}

}  // namespace pool_tables
