#include "fullscreen/answer_bar.h"

namespace pentrill {

void drawAnswerBar(Console& console, ClickMap<DrillCommand>& clicks) {
  console.setColours(kBlack, kBrightWhite);
  writeAt(console, kAnswerBarRow, 1, kAnswerBarText);
  clicks.clear();
  for (const BarButton<DrillCommand>& button : kAnswerBar) {
    clicks.add(kAnswerBarRow, button);
    if (button.command != DrillCommand::Hint && button.command != DrillCommand::Peek &&
        button.command != DrillCommand::Figure)
      drawButton(console, kAnswerBarRow, button);
  }
  clicks.add(kAnswerBarRow, 1, kScreenColumns, DrillCommand::Redraw);
  console.setColours(kBlack, kBrightWhite);
}

}  // namespace pentrill
