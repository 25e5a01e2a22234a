// Compile-time checks that an edition's rows and screen texts agree: the
// groups cover the questions, the menu's group counts, the drill titles'
// room on the question screen, the help screen's width and the figure table.
// They read the rows by index only (no pointer comparisons), so that they
// stay constant expressions under every sanitizer.
#pragma once
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "pool/question.h"
#include "pool/question_rows.h"

namespace pentrill::edition_checks {

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Groups per subelement, index = the subelement's digit.
constexpr std::array<int, kSubelementCount> groupsPerSubelement(const QuestionRows& rows) {
  std::array<int, kSubelementCount> groups{};
  for (const GroupRow& group : rows.groups) ++groups[static_cast<std::size_t>(rows.subelementOf(group))];
  return groups;
}

// Questions per subelement, index = the subelement's digit.
constexpr std::array<int, kSubelementCount> questionsPerSubelement(const QuestionRows& rows) {
  std::array<int, kSubelementCount> questions{};
  for (const GroupRow& group : rows.groups) questions[static_cast<std::size_t>(rows.subelementOf(group))] += group.size;
  return questions;
}

// Where the subelement of a pool stands in the pool's order: 1 to 9 first, then 0.
constexpr int poolOrder(int subelement) { return subelement == 0 ? kSubelementCount : subelement; }

// The groups cover the questions in order, each question in the group its
// identifier names; every group's identifier has the pool's letter and a
// subelement's groups stand side by side, the subelements in the pool's
// order, each with at least one group, no group twice.
constexpr bool groupsCoverQuestions(const QuestionRows& rows, char prefix) {
  std::size_t next = 0;
  int lastOrder = 0;
  for (std::size_t g = 0; g < rows.groups.size(); ++g) {
    const GroupRow& group = rows.groups[g];
    if (group.first != next || group.size == 0 || next + group.size > rows.questionCount()) return false;
    const std::string_view id = rows.groupId(group);
    if (id[0] != prefix || !isDigit(id[1]) || id[2] < 'A' || id[2] > 'Z') return false;
    for (std::size_t q = group.first; q < next + group.size; ++q)
      if (rows.id(q).size() != 5 || rows.id(q).substr(0, 3) != id) return false;
    const int order = poolOrder(id[1] - '0');
    if (order < lastOrder || (g > 0 && id <= rows.groupId(rows.groups[g - 1]) && order == lastOrder)) return false;
    lastOrder = order;
    next += group.size;
  }
  if (next != rows.questionCount()) return false;
  for (int groups : groupsPerSubelement(rows))
    if (groups == 0) return false;
  return true;
}

// A subelement's menu line, such as "4. SUBELEMENT E4 - AMATEUR PRACTICES
// [5 Exam Questions - 5 Groups]": it starts with the subelement's digit and
// names it with the pool's letter, and the two numbers inside the brackets
// are its group count.
constexpr bool menuLineAgrees(std::string_view line, char prefix, int subelement, int groups) {
  const char digit = static_cast<char>('0' + subelement);
  constexpr std::string_view kSubelement = ". SUBELEMENT ";
  if (line.size() < kSubelement.size() + 3 || line[0] != digit || line.substr(1, kSubelement.size()) != kSubelement ||
      line[kSubelement.size() + 1] != prefix || line[kSubelement.size() + 2] != digit)
    return false;
  const std::size_t bracket = line.find('[');
  if (bracket == std::string_view::npos || line.back() != ']') return false;
  int numbers = 0;
  for (std::size_t i = bracket; i < line.size(); ++i) {
    if (!isDigit(line[i]) || isDigit(line[i - 1])) continue;
    int value = 0;
    for (std::size_t k = i; k < line.size() && isDigit(line[k]); ++k) value = value * 10 + (line[k] - '0');
    if (value != groups) return false;
    ++numbers;
  }
  return numbers == 2;
}

// The ten subelement lines agree with the groups, and "P. Practice Test"
// follows them.
constexpr bool menuAgreesWithGroups(std::span<const std::string_view> menuLines, const QuestionRows& rows,
                                    char prefix) {
  if (menuLines.size() != kSubelementCount + 1 || menuLines.back() != "P. Practice Test") return false;
  const std::array<int, kSubelementCount> groups = groupsPerSubelement(rows);
  for (int s = 0; s < kSubelementCount; ++s)
    if (!menuLineAgrees(menuLines[static_cast<std::size_t>(s)], prefix, s, groups[static_cast<std::size_t>(s)]))
      return false;
  return true;
}

// Help lines shorter than the screen, so that none wraps.
constexpr bool linesFit(std::span<const std::string_view> lines, std::size_t longest) {
  for (std::string_view line : lines)
    if (line.size() > longest) return false;
  return true;
}

constexpr int digitCount(int n) { return n < 10 ? 1 : 1 + digitCount(n / 10); }

// The id field's length ("T6C02 Figure:T-1") of a question, given the names
// of the pool's figures ("T-1").
constexpr int idFieldLength(const QuestionRows& rows, std::size_t q, std::span<const std::string_view> figureNames) {
  const std::uint8_t figure = rows.marks[q].figure;
  const int tag = figure == kNoFigure ? 0 : 8 + static_cast<int>(figureNames[figure].size());  // " Figure:" and the name
  return static_cast<int>(rows.id(q).size()) + tag;
}

// The drill's title names its subelement ("Module: T1 - ...") and, with
// " [n Questions]" for the subelement's count, ends in column 97 of row 2;
// it must start right of the header "Question ID: " + the longest id field
// of the subelement + a blank and the peek letter, with a blank between.
constexpr bool drillTitlesFit(const std::array<std::string_view, kSubelementCount>& titles, const QuestionRows& rows,
                              char prefix, std::span<const std::string_view> figureNames) {
  constexpr std::string_view kModule = "Module: ";
  std::array<int, kSubelementCount> longestId{};
  for (const GroupRow& group : rows.groups)
    for (std::size_t q = group.first; q < static_cast<std::size_t>(group.first + group.size); ++q) {
      int& longest = longestId[static_cast<std::size_t>(rows.subelementOf(group))];
      if (idFieldLength(rows, q, figureNames) > longest) longest = idFieldLength(rows, q, figureNames);
    }
  const std::array<int, kSubelementCount> questions = questionsPerSubelement(rows);
  for (std::size_t s = 0; s < titles.size(); ++s) {
    const std::string_view title = titles[s];
    if (title.substr(0, kModule.size()) != kModule || title.size() < kModule.size() + 2 ||
        title[kModule.size()] != prefix || title[kModule.size() + 1] != static_cast<char>('0' + s))
      return false;
    const int length = static_cast<int>(title.size()) + 2 + digitCount(questions[s]) + 11;  // " [" n " Questions]"
    const int firstColumn = 100 - length - 2;
    const int headerEnd = 2 + 13 + longestId[s] + 2 - 1;  // "Question ID: " from column 2, then " X"
    if (firstColumn <= headerEnd + 1) return false;
  }
  return true;
}

// The figure table has a row per figure the questions name, in the same
// order ("Figure:" and the name), and every question's figure is one of them.
template <typename FigureRow>
constexpr bool figuresAgree(std::span<const std::string_view> figureNames, std::span<const FigureRow> figureTable,
                            const QuestionRows& rows) {
  constexpr std::string_view kTag = "Figure:";
  if (figureNames.size() != figureTable.size()) return false;
  for (std::size_t i = 0; i < figureNames.size(); ++i) {
    const std::string_view reference = figureTable[i].reference;
    if (reference.substr(0, kTag.size()) != kTag || reference.substr(kTag.size()) != figureNames[i]) return false;
  }
  for (const QuestionMarks& marks : rows.marks)
    if (marks.figure != kNoFigure && marks.figure >= figureNames.size()) return false;
  return true;
}

}  // namespace pentrill::edition_checks
