// The drill on the full screen: the order and start prompts, the question
// screen with its answer bar and run clock, the wrong-answer lines, the
// answer and hint, the figure windows and the completion screen.
#pragma once
#include <optional>
#include <string>

#include "drill/drill_view.h"
#include "fullscreen/answer_bar.h"
#include "platform/platform.h"
#include "screen/figures.h"
#include "session/hints.h"

namespace pentrill {

class FullDrillView : public DrillView {
 public:
  explicit FullDrillView(Platform& platform) : platform_(platform) {}

  DrillOrder askOrder(const Drill& drill) override;
  std::string askStartNumber(const Drill& drill, bool refused) override;
  void questionAsked(const Drill& drill) override;
  DrillCommand readCommand(const Drill& drill) override;
  void peekChanged(const Drill& drill) override { draw(drill); }
  void answerRevealed(const Drill& drill) override;
  void figureAsked(const Drill& drill) override;
  void redrawAsked(const Drill& drill) override { draw(drill); }
  void answeredRight(const Drill&) override {}
  void answeredWrong(const Drill& drill, char correct) override;
  void questionLeft(const Drill& drill) override;
  bool askAnotherDrill(const Drill& drill) override;

 private:
  Console& console() { return platform_.console; }
  void draw(const Drill& drill);
  void closeWindows();
  void findPicture(const Drill& drill);

  Platform& platform_;
  ClickMap<DrillCommand> clicks_;
  FigureWindow figure_;   // the question's figure window
  int hintWindow_ = 0;    // the window of the hint's picture, 0 = none
  bool pictureLabel_ = false;  // the question on the screen has a picture F draws
  std::optional<HintPicture> hintPicture_;  // its hint's picture, read once per question
};

// The hint for the key, printed from row 29, column 2, wrapped at 95
// columns, in the current colours; at most 15 lines, so the screen never
// scrolls. A picture it names opens first, replacing the one the handle
// holds. Nothing when the key has no hint.
void showHint(Console& console, PictureWindows& windows, const Hints& hints, std::string_view key,
              int& pictureHandle);

}  // namespace pentrill
