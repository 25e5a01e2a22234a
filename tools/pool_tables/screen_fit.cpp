#include "tools/pool_tables/screen_fit.h"

#include <string>

#include "fullscreen/question_layout.h"
#include "screen/wrap_text.h"

namespace pool_tables {

namespace {

// The exam shows its question from row 3; row 22 carries the notice after
// the last question, so the answers must end by row 21.
constexpr int kExamTextRow = 3;
constexpr int kExamLastTextRow = 21;
constexpr int kMostLines = 3;

int wrappedLines(std::string_view text) {
  return static_cast<int>(pentrill::wrapText(text, pentrill::kDrillWrapWidth).size());
}

// The drill numbers a question with three digits, whatever its number; the
// exam with the number alone, so both its narrowest and widest are tried.
std::vector<QuestionArea> areas(int examQuestions) {
  return {
      {"the drill screen", pentrill::kDrillTextRow, pentrill::kDrillLastTextRow, "000. "},
      {"the exam screen", kExamTextRow, kExamLastTextRow, "1. "},
      {"the exam screen", kExamTextRow, kExamLastTextRow, std::to_string(examQuestions) + ". "},
  };
}

void checkCount(std::string_view what, int found, int expected, Diagnostics& diagnostics) {
  if (found != expected)
    diagnostics.add(0, "", std::to_string(found) + " " + std::string(what) + ", expected " + std::to_string(expected));
}

}  // namespace

int lastRowUsed(const SourceQuestion& q, const QuestionArea& area) {
  int row = area.firstRow + wrappedLines(area.numberPrefix + q.text) - 1;
  for (const std::string& answer : q.answers) row += 1 + wrappedLines(answer);
  return row;
}

void checkScreenFit(const SourceQuestion& q, int examQuestions, Diagnostics& diagnostics) {
  for (const QuestionArea& area : areas(examQuestions)) {
    const int last = lastRowUsed(q, area);
    if (last > area.lastRow) {
      diagnostics.add(q.line, q.id,
                      "with its answers it reaches row " + std::to_string(last) + " of " + std::string(area.screen) +
                          ", which ends its questions at row " + std::to_string(area.lastRow));
      return;
    }
  }
}

void checkLineCounts(const std::vector<SourceQuestion>& questions, const LineCounts& expected,
                     Diagnostics& diagnostics) {
  LineCounts found{};
  for (const SourceQuestion& q : questions) {
    const int bare = wrappedLines(q.text);
    const int numbered = wrappedLines("000. " + q.text);
    if (numbered > kMostLines) diagnostics.add(q.line, q.id, "the question text takes " + std::to_string(numbered) + " lines");
    found.questionsOfThreeLines += bare == kMostLines;
    found.numberedQuestionsOfThreeLines += numbered == kMostLines;
    for (size_t k = 0; k < q.answers.size(); ++k) {
      const int lines = wrappedLines(q.answers[k]);
      if (lines > kMostLines)
        diagnostics.add(q.line, q.id, std::string("answer ") + static_cast<char>('A' + k) + " takes " +
                                          std::to_string(lines) + " lines");
      found.answersOfTwoLines += lines == 2;
      found.answersOfThreeLines += lines == kMostLines;
    }
  }
  checkCount("question texts take three lines", found.questionsOfThreeLines, expected.questionsOfThreeLines,
             diagnostics);
  checkCount("question texts take three lines after the drill's number", found.numberedQuestionsOfThreeLines,
             expected.numberedQuestionsOfThreeLines, diagnostics);
  checkCount("answers take two lines", found.answersOfTwoLines, expected.answersOfTwoLines, diagnostics);
  checkCount("answers take three lines", found.answersOfThreeLines, expected.answersOfThreeLines, diagnostics);
}

}  // namespace pool_tables
