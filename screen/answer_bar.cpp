#include "screen/answer_bar.h"

namespace pentrill {

void drawAnswerBar(Console& console) {
  console.setColours(kBlack, kBrightWhite);
  writeAt(console, kAnswerBarRow, 1, kAnswerBarText);
  for (const BarButton<DrillCommand>& button : kAnswerBar)
    if (button.command != DrillCommand::Hint && button.command != DrillCommand::Peek &&
        button.command != DrillCommand::Figure)
      drawButton(console, kAnswerBarRow, button);
  console.setColours(kBlack, kBrightWhite);
}

DrillCommand answerBarCommand(int column) {
  return buttonAt<DrillCommand>(kAnswerBar, column).value_or(DrillCommand::Redraw);
}

}  // namespace pentrill
