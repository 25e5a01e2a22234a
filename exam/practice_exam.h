// The 50-question practice exam: the exam screen with its command bar,
// answering and moving between the questions, the review panel toggle, the
// last-question notice and the Stop Exam confirmation.
#pragma once
#include <optional>

#include "drill/program_state.h"
#include "platform/console.h"
#include "platform/platform.h"

namespace pentrill {

// How long the menu's "One moment please, preparing your test..." stays up
// at least, so that it can be read however fast the exam is composed.
inline constexpr int kPreparingNoticeMilliseconds = 500;

// Composes an exam and runs it until the user confirms Stop Exam and has
// seen the results; then returns (to the menu).
void runPracticeExam(Platform& platform, ProgramState& state);

// What the user can ask of the exam screen.
enum class ExamCommand { A, B, C, D, Next, Prev, Review, Stop, Figure };

// The command bar on row 25: the bar text in the colours in force with its
// eight buttons in black on grey over it, and the Figure label when the
// question has a figure; leaves 0 on 15.
void drawExamBar(Console& console, bool figureLabel = false);

// The command of a click on row 25: the button under the column, if any.
std::optional<ExamCommand> examBarCommand(int column);

}  // namespace pentrill
