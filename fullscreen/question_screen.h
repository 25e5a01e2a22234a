// The drill's question screen: frame, identifier header, title, the numbered
// question and its answers, and the answer bar on row 25.
#pragma once
#include <string_view>

#include "pool/edition.h"
#include "pool/question.h"
#include "platform/console.h"
#include "fullscreen/answer_bar.h"
#include "fullscreen/question_layout.h"
#include "session/hints.h"

namespace pentrill {


// Draws the whole screen for the question without clearing it first, so rows
// that the screen does not own (27 and below) survive a redraw. The Figure
// label shows when the question has a picture F can draw.
// Every click on the answer bar is recorded in `clicks`.
void drawDrillScreen(Console& console, const PoolEdition& edition, const AskedQuestion& question, int shownNumber,
                     std::string_view drillTitle, bool peekOn, const HintIndex& hintIndex, bool figureLabel,
                     ClickMap<DrillCommand>& clicks);

// Row 2 ("Question ID: " with the id field and, with peek on, the correct
// letter) and the rule on row 3.
void showQuestionHeader(Console& console, std::string_view idField, char correct, bool peekOn);

// "Peek Off" or "Peek On" at row 25, column 90. After "Peek On" the colours
// stay yellow on red.
void showPeekIndicator(Console& console, bool peekOn);

// The answer shown at position 0 to 3 with its label: "B. 50 ohms".
std::string labelledAnswer(const AskedQuestion& question, int position);

// Writes text wrapped at width columns from the cursor, a line per row: the
// first after firstIndent blanks, the others after nextIndent.
void writeWrapped(Console& console, std::string_view text, int width, int firstIndent, int nextIndent);

}  // namespace pentrill
