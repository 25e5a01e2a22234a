// Whether a question, wrapped the way the program wraps it, fits the rows
// that the drill screen and the exam screen give its text and answers.
#pragma once
#include <string_view>

#include "tools/pool_tables/pool_source.h"

namespace pool_tables {

// The rows a screen gives a question: its first row and the last row that
// its last answer line may take, and the number written before the text.
struct QuestionArea {
  std::string_view screen;  // "the drill screen"
  int firstRow;
  int lastRow;
  std::string_view numberPrefix;  // "000. "
};

// The last row that the question takes in the area: the numbered text, then
// each answer after an empty line.
int lastRowUsed(const SourceQuestion& q, const QuestionArea& area);

// Reports a question that runs past the last row of any area it can be shown in.
void checkScreenFit(const SourceQuestion& q, Diagnostics& diagnostics);

}  // namespace pool_tables
