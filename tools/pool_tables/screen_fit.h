// Whether a question, wrapped the way the program wraps it, fits the rows
// that the drill screen and the exam screen give its text and answers, and
// how many lines its texts take.
#pragma once
#include <string_view>
#include <vector>

#include "tools/pool_tables/expected_pool.h"
#include "tools/pool_tables/pool_source.h"

namespace pool_tables {

// The rows a screen gives a question: its first row and the last row that
// its last answer line may take, and the number written before the text.
struct QuestionArea {
  std::string_view screen;  // "the drill screen"
  int firstRow;
  int lastRow;
  std::string numberPrefix;  // "000. "
};

// The last row that the question takes in the area: the numbered text, then
// each answer after an empty line.
int lastRowUsed(const SourceQuestion& q, const QuestionArea& area);

// Reports a question that runs past the last row of any area it can be shown
// in: the drill's, and the exam's with its numbers 1 to examQuestions.
void checkScreenFit(const SourceQuestion& q, int examQuestions, Diagnostics& diagnostics);

// Reports a text of more than three lines, and counts of texts of three
// lines (answers: of two and of three) other than the pool's.
void checkLineCounts(const std::vector<SourceQuestion>& questions, const LineCounts& expected,
                     Diagnostics& diagnostics);

}  // namespace pool_tables
