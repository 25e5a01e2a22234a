// Compile-time checks that an edition's screen texts agree with its tables:
// the menu's group counts, the help screen's width and the drill titles'
// room on the question screen.
#pragma once
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "pool/edition.h"
#include "pool/question.h"

namespace pentrill::edition_checks {

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Groups per subelement.
constexpr std::array<int, kSubelementCount> groupsPerSubelement(std::span<const Subelement, kSubelementCount> subelements) {
  std::array<int, kSubelementCount> groups{};
  for (size_t s = 0; s < groups.size(); ++s) groups[s] = static_cast<int>(subelements[s].groups.size());
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
constexpr bool menuAgreesWithGroups(std::span<const std::string_view> menuLines,
                                    std::span<const Subelement, kSubelementCount> subelements) {
  if (menuLines.size() != kSubelementCount + 1 || menuLines.back() != "P. Practice Test") return false;
  const std::array<int, kSubelementCount> groups = groupsPerSubelement(subelements);
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
                              std::span<const Subelement, kSubelementCount> subelements) {
  constexpr int kHeaderEnd = 33;
  for (size_t s = 0; s < titles.size(); ++s) {
    if (subelements[s].questions.empty()) return false;
    const int questions = static_cast<int>(subelements[s].questions.size());
    const int length = static_cast<int>(titles[s].size()) + 2 + digitCount(questions) + 11;  // " [" n " Questions]"
    const int firstColumn = 100 - length - 2;
    if (titles[s].empty() || firstColumn <= kHeaderEnd + 1) return false;
  }
  return true;
}

// The figure table has a row per figure the questions name, in the same
// order ("Figure:" and the name), and every question's figure is one of them.
template <typename FigureRow>
constexpr bool figuresAgree(std::span<const std::string_view> figureNames, std::span<const FigureRow> figureTable,
                            std::span<const Subelement, kSubelementCount> subelements) {
  constexpr std::string_view kTag = "Figure:";
  if (figureNames.size() != figureTable.size()) return false;
  for (size_t i = 0; i < figureNames.size(); ++i) {
    const std::string_view reference = figureTable[i].reference;
    if (reference.substr(0, kTag.size()) != kTag || reference.substr(kTag.size()) != figureNames[i]) return false;
  }
  for (const Subelement& subelement : subelements)
    for (const Question& question : subelement.questions)
      if (question.figure && *question.figure >= figureNames.size()) return false;
  return true;
}

// The groups of each subelement cover its questions in order, each question
// in the group its identifier names and the group in its subelement; the
// pool's groups are every group once.
constexpr bool groupsCoverQuestions(std::span<const Subelement, kSubelementCount> subelements,
                                    std::span<const Group* const> poolGroups) {
  size_t groupCount = 0;
  for (size_t s = 0; s < subelements.size(); ++s) {
    const Subelement& subelement = subelements[s];
    const Question* next = subelement.questions.data();
    for (const Group& group : subelement.groups) {
      if (group.id.size() != 3 || group.id[0] != 'E' || group.id[1] != static_cast<char>('0' + s)) return false;
      if (group.questions.empty() || group.questions.data() != next) return false;
      for (const Question& question : group.questions)
        if (question.id.substr(0, 3) != group.id) return false;
      next += group.questions.size();
    }
    if (next != subelement.questions.data() + subelement.questions.size()) return false;
    groupCount += subelement.groups.size();
  }
  if (poolGroups.size() != groupCount) return false;
  for (size_t i = 0; i < poolGroups.size(); ++i)
    for (size_t k = 0; k < i; ++k)
      if (poolGroups[i] == poolGroups[k]) return false;
  return true;
}

}  // namespace pentrill::edition_checks
