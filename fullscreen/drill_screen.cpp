#include "fullscreen/drill_screen.h"

#include <algorithm>
#include <cstdint>

#include "fullscreen/question_screen.h"
#include "screen/input.h"
#include "screen/run_clock.h"
#include "screen/text.h"
#include "screen/wrap_text.h"

namespace pentrill {

namespace {

constexpr std::string_view kOrderPrompt = "Do you want the questions to be presented [R]andomly or in [S]equence?";
constexpr std::string_view kStartPrompt = "Start with Question: ";
constexpr std::string_view kCompletedLine = "You have correctly answered all of the questions in this section.";
constexpr std::string_view kAnotherPrompt = "    Would you like to drill on another section? [Y] or [N]o?     ";

constexpr int kHintWrapWidth = 95;
constexpr int kHintFirstRow = 29;
constexpr int kHintLastRow = 43;
constexpr int kHintColumn = 2;

// Milliseconds until the clock's next whole second, when the run time shown
// next changes.
int millisecondsToNextSecond(Clock& clock) {
  return static_cast<int>(1000 - millisecondsOfDay(clock.now()) % 1000);
}

}  // namespace

void showHint(Console& console, PictureWindows& windows, const Hints& hints, std::string_view key,
              int& pictureHandle) {
  const std::optional<HintParts> hint = hints.find(key);
  if (!hint) return;
  if (hint->pictureName) {
    if (const std::optional<HintPicture> picture = hints.pictureOf(*hint)) {
      showHintPictureWindow(windows, picture->bitmap, picture->size.width, picture->size.height, pictureHandle);
    } else if (pictureHandle != 0) {
      windows.closePictureWindow(pictureHandle);
      pictureHandle = 0;
    }
  }
  const std::vector<std::string> lines = wrapText(hint->text, kHintWrapWidth);
  // A 16th line would have no row left; printing it would scroll the screen.
  const size_t count = std::min<size_t>(lines.size(), kHintLastRow - kHintFirstRow + 1);
  for (size_t i = 0; i < count; ++i) writeAt(console, kHintFirstRow + static_cast<int>(i), kHintColumn, lines[i]);
}

DrillOrder FullDrillView::askOrder(const Drill&) {
  Console& console = this->console();
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 21, 15, kOrderPrompt);
  console.rest = {21, 15};
  const Choice order = askChoice(console, kOrderPrompt, -21, 15, "[R]", "[S]");
  console.setColours(kBrightWhite, kBlue);
  return order == Choice::Second ? DrillOrder::Sequence : DrillOrder::Random;
}

// A refused entry is wiped whole, however long it was; the line under the
// bar says which numbers the drill has.
std::string FullDrillView::askStartNumber(const Drill& drill, bool) {
  Console& console = this->console();
  writeAt(console, 23, 35, blanks(kScreenColumns - 34));
  writeAt(console, 24, 1, blanks(kScreenColumns));
  writeAt(console, 25, 15, "Type a number from 1 to " + plainNumberText(drill.size()) + ", then press Enter.");
  writeAt(console, 23, 15, kStartPrompt);
  return readLine(console);
}

// The question's figure, else the picture its hint names: whether F has one
// to draw (the figure is inflated only on F; the hint's picture is read here,
// once per question).
void FullDrillView::findPicture(const Drill& drill) {
  const Session& session = drill.session();
  const Question& question = *drill.question().question;
  const bool hasFigure = figureOf(session.edition(), question) != nullptr;
  hintPicture_ = hasFigure ? std::nullopt : drill.session().hints.picture(question.id);
  pictureLabel_ = hasFigure || hintPicture_;
}

void FullDrillView::draw(const Drill& drill) {
  const Session& session = drill.session();
  drawDrillScreen(console(), session.edition(), drill.question(), drill.shownNumber(), drill.title(), drill.peekOn(),
                  session.hints.index(), pictureLabel_, clicks_);
  console().rest = {kDrillTextRow, 5};
}

void FullDrillView::questionAsked(const Drill& drill) {
  Console& console = this->console();
  console.setColours(kBlack, kBrightWhite);
  closeWindows();
  console.clearScreen();
  if (const Figure* figure = figureOf(drill.session().edition(), *drill.question().question))
    showFigure(platform_.windows, *figure, figure_);
  findPicture(drill);
  draw(drill);
}

// Waits for a key or click that is a drill command, rewriting the run time
// whenever its second changes; a key is answered at once.
DrillCommand FullDrillView::readCommand(const Drill& drill) {
  Console& console = this->console();
  for (;;) {
    std::optional<Key> key;
    while (!key) {
      const std::int64_t elapsed = clockSecondsNow(console, platform_.clock) - drill.started();
      writeAt(console, kAnswerBarRow, 50, "Run Time: " + formatElapsed(elapsed));
      key = waitKey(console, millisecondsToNextSecond(platform_.clock));
    }
    const std::optional<DrillCommand> command =
        key->isMouse() ? clicks_.at(key->row, key->column) : commandForKey<DrillCommand>(kDrillCommands, *key);
    if (command) return *command;
  }
}

void FullDrillView::answerRevealed(const Drill& drill) {
  Console& console = this->console();
  console.setColours(kBlack, kBrightWhite);
  writeAt(console, 27, 2, "The Correct Answer is: ");
  console.setColours(kGreen, kBrightWhite);
  console.write(std::string(1, drill.question().correct));
  console.setColours(kBlack, kBrightWhite);
  showHint(console, platform_.windows, drill.session().hints, drill.question().question->id,
           hintWindow_);
  draw(drill);
  console.rest = {27, 2};
}

// The run clock goes on meanwhile; the key that returns is no answer.
void FullDrillView::figureAsked(const Drill& drill) {
  if (pictureLabel_) {
    if (const Figure* figure = figureOf(drill.session().edition(), *drill.question().question)) {
      showPictureInTerminal(console(), figurePicture(*figure));
    } else if (hintPicture_) {
      showPictureInTerminal(console(), TerminalPicture{hintPicture_->caption, hintPicture_->bitmap});
    }
  }
  draw(drill);
}

void FullDrillView::answeredWrong(const Drill&, char correct) {
  Console& console = this->console();
  platform_.sound.playAlert();
  console.setColours(kBlack, kBrightWhite);
  writeAt(console, 21, 29, "Incorrect Answer, the correct answer is " + std::string(1, correct));
  console.rest = {21, 29};
  console.endLine();
  writeAt(console, 22, 29, "We will come back to this question again.");
  console.endLine();
  writeAt(console, 23, 29, "      Press any key to continue.....     ");
  console.endLine();
  waitKey(console);
}

void FullDrillView::closeWindows() {
  closeFigure(platform_.windows, figure_);
  if (hintWindow_ > 0) {
    closePictureWindow(platform_.windows, hintWindow_);
    hintWindow_ = 0;
  }
}

void FullDrillView::questionLeft(const Drill&) { closeWindows(); }

bool FullDrillView::askAnotherDrill(const Drill&) {
  Console& console = this->console();
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 20, 17, kCompletedLine);
  console.rest = {20, 17};
  console.endLine();
  writeAt(console, 21, 17, kAnotherPrompt);
  console.endLine();
  const Choice answer = askChoice(console, kAnotherPrompt, -21, 17, "[Y]", "[N]");
  console.setColours(kBlack, kBrightWhite);
  return answer == Choice::First;
}

}  // namespace pentrill
