// The drill's question screen: frame, identifier header, title, the numbered
// question and its answers, and the answer bar on row 25.
#pragma once
#include <string_view>

#include "pool/question_table.h"
#include "platform/console.h"
#include "screen/answer_bar.h"
#include "screen/hints.h"
#include "screen/wrap_text.h"

namespace pentrill {

inline constexpr int kDrillWrapWidth = 90;
// The numbered question and its answers start on this row and must end by
// kDrillLastTextRow: the wrong-answer lines follow from row 21.
inline constexpr int kDrillTextRow = 4;
inline constexpr int kDrillLastTextRow = 20;

// Draws the whole screen for the question without clearing it first, so rows
// that the screen does not own (27 and below) survive a redraw. Uses lines as
// its work list.
void drawDrillScreen(Console& console, const Question& question, int shownNumber, std::string_view drillTitle,
                     int peekOff, const HintIndex& hintIndex, LineList& lines);

// Row 2 ("Question ID: " with the id and, with peek on, the correct letter)
// and the rule on row 3.
void showQuestionHeader(Console& console, std::string_view id, std::string_view correct, int peekOff);

// "Peek Off" (peekOff -1) or "Peek On" (0) at row 25, column 90. After
// "Peek On" the colours stay yellow on red.
void showPeekIndicator(Console& console, int peekOff);

// The identifier key of an id field: everything before its first blank.
std::string_view identifierKey(std::string_view id);

}  // namespace pentrill
