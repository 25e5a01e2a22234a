// Compile-time checks that an edition's screen texts agree with its tables:
// the menu's group counts, the help screen's width and the drill titles'
// room on the question screen.
#pragma once
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "pool/edition.h"

namespace pentrill::edition_checks {

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Groups per subelement on an exam group table: a count item (no "E") opens
// a group, which belongs to the subelement of the identifier after it.
constexpr std::array<int, kSubelementCount> groupsPerSubelement(Items groupTable) {
  std::array<int, kSubelementCount> groups{};
  for (size_t k = 0; k + 1 < groupTable.size(); ++k) {
    const std::string_view item = groupTable[k];
    const std::string_view next = groupTable[k + 1];
    if (item.find('E') == std::string_view::npos && next.size() >= 2 && next[0] == 'E' && isDigit(next[1]))
      ++groups[static_cast<size_t>(next[1] - '0')];
  }
  return groups;
}

// A subelement's menu line, such as "4. SUBELEMENT E4 - AMATEUR PRACTICES
// [5 Exam Questions - 5 Groups]": it starts with the subelement's digit and
// names it, and the two numbers inside the brackets are its group count.
constexpr bool menuLineAgrees(std::string_view line, int subelement, int groups) {
  const char digit = static_cast<char>('0' + subelement);
  constexpr std::string_view kSubelement = ". SUBELEMENT E";
  if (line.size() < kSubelement.size() + 2 || line[0] != digit || line.substr(1, kSubelement.size()) != kSubelement ||
      line[kSubelement.size() + 1] != digit)
    return false;
  const size_t bracket = line.find('[');
  if (bracket == std::string_view::npos || line.back() != ']') return false;
  int numbers = 0;
  for (size_t i = bracket; i < line.size(); ++i) {
    if (!isDigit(line[i]) || isDigit(line[i - 1])) continue;
    int value = 0;
    for (size_t k = i; k < line.size() && isDigit(line[k]); ++k) value = value * 10 + (line[k] - '0');
    if (value != groups) return false;
    ++numbers;
  }
  return numbers == 2;
}

// The ten subelement lines agree with the group table, and "P. Practice
// Test" follows them.
constexpr bool menuAgreesWithGroups(std::span<const std::string_view> menuLines, Items groupTable) {
  if (menuLines.size() != kSubelementCount + 1 || menuLines.back() != "P. Practice Test") return false;
  const std::array<int, kSubelementCount> groups = groupsPerSubelement(groupTable);
  for (int s = 0; s < kSubelementCount; ++s)
    if (!menuLineAgrees(menuLines[static_cast<size_t>(s)], s, groups[static_cast<size_t>(s)])) return false;
  return true;
}

// Help lines shorter than the screen, so that none wraps.
constexpr bool linesFit(std::span<const std::string_view> lines, size_t longest) {
  for (std::string_view line : lines)
    if (line.size() > longest) return false;
  return true;
}

constexpr int digitCount(int n) { return n < 10 ? 1 : 1 + digitCount(n / 10); }

// The drill's title, with " [n Questions]" for the subelement's count, ends
// in column 97 of row 2; it must start right of the longest header
// "Question ID: " + a 17-character id field + peek letter, which ends in
// column 33, with a blank between.
constexpr bool drillTitlesFit(const std::array<std::string_view, kSubelementCount>& titles,
                              const std::array<Items, kSubelementCount>& questionTables) {
  constexpr int kFieldsPerQuestion = 7;
  constexpr int kHeaderEnd = 33;
  for (size_t s = 0; s < titles.size(); ++s) {
    if (questionTables[s].empty()) return false;
    const int questions = static_cast<int>(questionTables[s].size() - 1) / kFieldsPerQuestion;
    const int length = static_cast<int>(titles[s].size()) + 2 + digitCount(questions) + 11;  // " [" n " Questions]"
    const int firstColumn = 100 - length - 2;
    if (titles[s].empty() || firstColumn <= kHeaderEnd + 1) return false;
  }
  return true;
}

}  // namespace pentrill::edition_checks
