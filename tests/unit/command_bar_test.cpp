// The two command bars on row 25, column by column: what is drawn there and
// what a click there gives, against the layout written out by hand.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "fullscreen/exam_screen.h"
#include "fullscreen/answer_bar.h"
#include "tests/fakes/memory_console.h"

namespace pentrill {
namespace {

// One character per column from column 1: the command a click there gives.
// Drill: '.' redraws; hint and peek labels count as H and P (space toggles
// peek), the figure label as F. Exam: '.' does nothing.
constexpr std::string_view kDrillClicks =
    "..AAA..BBB..CCC..DDD...SSSSSSSSSS....................................FFFFFF...."
    "HHHH......PPPPPPPPPPP";
constexpr std::string_view kExamClicks =
    "..AAA..BBB..CCC..DDD....NNNN..PPPP............RRRRRR.......SSSSSSSSS..........."
    "FFFFFF...............";

char letter(DrillCommand command) {
  switch (command) {
    case DrillCommand::A: return 'A';
    case DrillCommand::B: return 'B';
    case DrillCommand::C: return 'C';
    case DrillCommand::D: return 'D';
    case DrillCommand::Stop: return 'S';
    case DrillCommand::Hint: return 'H';
    case DrillCommand::Peek: return 'P';
    case DrillCommand::Figure: return 'F';
    case DrillCommand::Redraw: return '.';
  }
  return '?';
}

char letter(std::optional<ExamCommand> command) {
  if (!command) return '.';
  constexpr std::string_view kLetters = "ABCDNPRSF";
  return kLetters[static_cast<size_t>(*command)];
}

// The command a click on row 25 gives, as the bar records it when drawn.
DrillCommand answerBarCommand(int column) {
  MemoryConsole console;
  ClickMap<DrillCommand> clicks;
  drawAnswerBar(console, clicks);
  return clicks.at(kAnswerBarRow, column).value();
}
std::optional<ExamCommand> examBarCommand(int column) {
  MemoryConsole console;
  ClickMap<ExamCommand> clicks;
  drawExamBar(console, false, clicks);
  return clicks.at(25, column);
}

TEST(CommandBars, LayoutsCoverTheWholeRow) {
  EXPECT_EQ(kDrillClicks.size(), 100u);
  EXPECT_EQ(kExamClicks.size(), 100u);
}

TEST(AnswerBar, EveryColumnOfRow25GivesTheCommandDrawnThere) {
  for (int column = 1; column <= kScreenColumns; ++column)
    EXPECT_EQ(letter(answerBarCommand(column)), kDrillClicks[static_cast<size_t>(column - 1)]) << column;
}

TEST(AnswerBar, ButtonsAreDrawnInYellowOnRedExactlyWhereTheyAreClicked) {
  MemoryConsole console;
  console.setColours(kBlack, kBrightWhite);
  console.clearScreen();
  ClickMap<DrillCommand> clicks;
  drawAnswerBar(console, clicks);
  EXPECT_EQ(console.text(kAnswerBarRow, 1, 34), " [ A ][ B ][ C ][ D ] [Stop Drill]");
  EXPECT_EQ(console.text(kAnswerBarRow, 35), std::string(66, ' '));
  for (int column = 1; column <= 34; ++column) {
    const Cell& cell = console.grid().cell(kAnswerBarRow, column);
    const bool button = std::string_view("ABCDS").find(kDrillClicks[static_cast<size_t>(column - 1)]) !=
                        std::string_view::npos;
    EXPECT_EQ(cell.foreground, button ? kYellow : kBlack) << column;
    EXPECT_EQ(cell.background, button ? kRed : kBrightWhite) << column;
  }
  EXPECT_EQ(console.grid().foreground(), kBlack);
  EXPECT_EQ(console.grid().background(), kBrightWhite);
}

TEST(AnswerBar, HintPeekAndFigureLabelsLieInsideTheirClickColumns) {
  for (DrillCommand command : {DrillCommand::Hint, DrillCommand::Peek, DrillCommand::Figure}) {
    MemoryConsole console;
    console.clearScreen();
    const BarButton<DrillCommand>& label = answerBarButton(command);
    drawButton(console, kAnswerBarRow, label);
    const int last = label.first + static_cast<int>(label.label.size()) - 1;
    EXPECT_EQ(console.text(kAnswerBarRow, label.first, last), label.label);
    for (int column = label.first; column <= last; ++column)
      EXPECT_EQ(answerBarCommand(column), command) << column;
  }
  EXPECT_EQ(answerBarButton(DrillCommand::Hint).label, "Hint");
  EXPECT_EQ(kHintLabelColumn, 80);
  EXPECT_EQ(kPeekLabelColumn, 90);
  const BarButton<DrillCommand>& figure = answerBarButton(DrillCommand::Figure);
  EXPECT_EQ(figure.label, "Figure");
  EXPECT_EQ(figure.first, 70);
  EXPECT_EQ(figure.foreground, kBlack);
  EXPECT_EQ(figure.background, kLightGrey);
}

TEST(ExamBar, EveryColumnOfRow25GivesTheCommandDrawnThere) {
  for (int column = 1; column <= kScreenColumns; ++column)
    EXPECT_EQ(letter(examBarCommand(column)), kExamClicks[static_cast<size_t>(column - 1)]) << column;
}

TEST(ExamBar, ButtonsAreDrawnBlackOnGreyExactlyWhereTheyAreClicked) {
  MemoryConsole console;
  console.setColours(kBlack, kBrightWhite);
  console.clearScreen();
  const std::string bar = " [ A ][ B ][ C ][ D ]   Next  Prev            Review       Stop Exam";
  for (bool figureLabel : {false, true}) {
    ClickMap<ExamCommand> clicks;
    drawExamBar(console, figureLabel, clicks);
    EXPECT_EQ(console.text(25), bar + std::string(11, ' ') + (figureLabel ? "Figure" : "      ") + std::string(15, ' '));
    for (int column = 1; column <= kScreenColumns; ++column) {
      const Cell& cell = console.grid().cell(25, column);
      const char command = kExamClicks[static_cast<size_t>(column - 1)];
      const bool button = command != '.' && (command != 'F' || figureLabel);
      EXPECT_EQ(cell.foreground, kBlack) << column;
      EXPECT_EQ(cell.background, button ? kLightGrey : kBrightWhite) << column << " label " << figureLabel;
    }
    EXPECT_EQ(console.grid().background(), kBrightWhite);
  }
}

}  // namespace
}  // namespace pentrill
