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

// The drill numbers a question with three digits, whatever its number; the
// exam with the number alone, 1 to 50. Both exam widths are tried.
constexpr QuestionArea kAreas[] = {
    {"the drill screen", pentrill::kDrillTextRow, pentrill::kDrillLastTextRow, "000. "},
    {"the exam screen", kExamTextRow, kExamLastTextRow, "1. "},
    {"the exam screen", kExamTextRow, kExamLastTextRow, "50. "},
};

int wrappedLines(std::string_view text) {
  return static_cast<int>(pentrill::wrapText(text, pentrill::kDrillWrapWidth).size());
}

}  // namespace

int lastRowUsed(const SourceQuestion& q, const QuestionArea& area) {
  int row = area.firstRow + wrappedLines(std::string(area.numberPrefix) + q.text) - 1;
  for (const std::string& answer : q.answers) row += 1 + wrappedLines(answer);
  return row;
}

void checkScreenFit(const SourceQuestion& q, Diagnostics& diagnostics) {
  for (const QuestionArea& area : kAreas) {
    const int last = lastRowUsed(q, area);
    if (last > area.lastRow) {
      diagnostics.add(q.line, q.id,
                      "with its answers it reaches row " + std::to_string(last) + " of " + std::string(area.screen) +
                          ", which ends its questions at row " + std::to_string(area.lastRow));
      return;
    }
  }
}

}  // namespace pool_tables
