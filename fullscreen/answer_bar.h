// The drill's answer bar on row 25: the four answer buttons and Stop Drill,
// the figure, hint and peek labels, and the places a click there counts.
#pragma once
#include <array>
#include <span>

#include "drill/drill.h"
#include "fullscreen/command_bar.h"
#include "platform/console.h"

namespace pentrill {

inline constexpr int kAnswerBarRow = 25;

// The text under the buttons, in 0 on 15.
inline constexpr std::string_view kAnswerBarText = " [ A ][ B ][ C ][ D ] [Stop Drill]";

// The answer buttons and Stop Drill are always drawn; the hint label only
// when the question has a hint (a click there asks for it either way); the
// figure label only when the question has a figure or its hint names a
// picture; the peek label covers 90 to 97 and a click counts up to column 100.
inline constexpr std::array<BarButton<DrillCommand>, 8> kAnswerBar = {{
    {3, 5, " A ", kYellow, kRed, DrillCommand::A},
    {8, 10, " B ", kYellow, kRed, DrillCommand::B},
    {13, 15, " C ", kYellow, kRed, DrillCommand::C},
    {18, 20, " D ", kYellow, kRed, DrillCommand::D},
    {24, 33, "Stop Drill", kYellow, kRed, DrillCommand::Stop},
    {70, 75, "Figure", kBlack, kLightGrey, DrillCommand::Figure},
    {80, 83, "Hint", kBlack, kLightGrey, DrillCommand::Hint},
    {90, 100, "Peek Off", kBlack, kLightGrey, DrillCommand::Peek},
}};

constexpr const BarButton<DrillCommand>& answerBarButton(DrillCommand command) {
  return buttonFor<DrillCommand>(kAnswerBar, command);
}

// The Peek button's label while peek is on (in 14 on 4; the table has it off).
inline constexpr std::string_view kPeekOnLabel = "Peek On";

inline constexpr int kHintLabelColumn = answerBarButton(DrillCommand::Hint).first;
inline constexpr int kPeekLabelColumn = answerBarButton(DrillCommand::Peek).first;

// The bar text and the always-drawn buttons, leaving the colours 0 on 15.
// Every button's columns give its command to a click, the hint's, figure's
// and peek's whether or not their labels are drawn; the rest of the row
// redraws the screen.
void drawAnswerBar(Console& console, ClickMap<DrillCommand>& clicks);

}  // namespace pentrill
