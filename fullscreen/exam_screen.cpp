#include "fullscreen/exam_screen.h"

#include <algorithm>
#include <string_view>

#include "fullscreen/question_screen.h"
#include "screen/input.h"
#include "screen/text.h"

namespace pentrill {

namespace {

constexpr int kWrapWidth = 90;
constexpr int kRuleLength = 99;  // from column 1
constexpr int kBarRow = 25;
constexpr int kNoticeRow = 22;
constexpr int kPanelFirstRow = 27;
constexpr int kSheetColumns[] = {30, 41, 51, 61, 71};  // questions 1-10, 11-20, ...
constexpr int kEntriesPerColumn = 10;
// The counts and scores stand left of the sheet; each is padded to here, so
// a shorter value leaves nothing of a longer one behind.
constexpr int kSummaryWidth = kSheetColumns[0] - 1;
// Digits typed to go to a question show here, right of the bar's buttons.
constexpr int kNumberEntryColumn = 88;

constexpr std::string_view kBarText = " [ A ][ B ][ C ][ D ]   Next  Prev            Review       Stop Exam";
constexpr std::string_view kStopPrompt = "Are you sure you want to end the Exam? [Y] or [N]";
constexpr int kStopPromptColumn = 26;
constexpr std::string_view kLastQuestionNotice =
    "This was the last question you can End the exam or go back to a Previous question.";

constexpr BarButton<ExamCommand> kExamBar[] = {
    {3, 5, " A ", kBlack, kLightGrey, ExamCommand::A},
    {8, 10, " B ", kBlack, kLightGrey, ExamCommand::B},
    {13, 15, " C ", kBlack, kLightGrey, ExamCommand::C},
    {18, 20, " D ", kBlack, kLightGrey, ExamCommand::D},
    {25, 28, "Next", kBlack, kLightGrey, ExamCommand::Next},
    {31, 34, "Prev", kBlack, kLightGrey, ExamCommand::Prev},
    {47, 52, "Review", kBlack, kLightGrey, ExamCommand::Review},
    {60, 68, "Stop Exam", kBlack, kLightGrey, ExamCommand::Stop},
    {80, 85, "Figure", kBlack, kLightGrey, ExamCommand::Figure},  // only on a question with a figure
};

bool isDigit(const Key& key) { return key.isCharacter() && key.character >= '0' && key.character <= '9'; }

void blankRow(Console& console, int row) { writeAt(console, row, 1, blanks(kScreenColumns)); }

// A wrapped text from the cursor, then an empty line.
void writeParagraph(Console& console, std::string_view text, int firstIndent, int nextIndent) {
  writeWrapped(console, text, kWrapWidth, firstIndent, nextIndent);
  console.endLine();
}

std::string withoutLeadingBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  return std::string(first == std::string_view::npos ? std::string_view{} : text.substr(first));
}

// "07. B": the question number in two digits, ". " and the letter, five wide.
std::string sheetEntry(int number, std::optional<char> answer) {
  const std::string digits = "00" + plainNumberText(number);
  return (digits.substr(digits.size() - 2) + ". " + (answer ? std::string(1, *answer) : "") + blanks(5)).substr(0, 5);
}

void drawAnswerSheet(Console& console, const Exam& exam, ClickMap<int>& clicks) {
  clicks.clear();
  for (int index = 0; index < exam.size(); ++index) {
    const int row = kPanelFirstRow + index % kEntriesPerColumn;
    const int column = kSheetColumns[std::min<size_t>(static_cast<size_t>(index / kEntriesPerColumn),
                                                      std::size(kSheetColumns) - 1)];
    const ExamItem& item = exam.item(index);
    console.setColours(item.wrong() ? kRed : kBlack, kBrightWhite);
    writeAt(console, row, column, sheetEntry(index + 1, item.answer));
    clicks.add(row, column, column + 4, index + 1);
    console.setColours(kBlack, kBrightWhite);
  }
}

std::string verdict(float score) { return passes(score) ? "Pass" : "Fail"; }

// The number's trailing blanks go; its leading blank (the sign's place) stays.
std::string scoreText(float score) {
  std::string text = singleNumberText(score);
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

void drawSummary(Console& console, const ExamCounts& counts) {
  const float score = runningScore(counts);
  writeAt(console, 27, 1, paddedRight("     Correct Answers:" + singleNumberText(counts.correct), kSummaryWidth));
  writeAt(console, 28, 1, paddedRight("   Incorrect Answers:" + singleNumberText(counts.incorrect), kSummaryWidth));
  writeAt(console, 29, 1, paddedRight("  Your Current Score:" + scoreText(score) + "%", kSummaryWidth));
  console.endLine();
  writeAt(console, 30, 1, paddedRight(" Current Test Status: " + verdict(score), kSummaryWidth));
  console.endLine();
}

}  // namespace

void drawExamBar(Console& console, bool figureLabel, ClickMap<ExamCommand>& clicks) {
  blankRow(console, kBarRow);
  writeAt(console, kBarRow, 1, kBarText);
  clicks.clear();
  for (const BarButton<ExamCommand>& button : kExamBar) {
    clicks.add(kBarRow, button);
    if (button.command != ExamCommand::Figure || figureLabel) drawButton(console, kBarRow, button);
  }
  console.setColours(kBlack, kBrightWhite);
}

void showReviewPanel(Console& console, const Exam& exam, ClickMap<int>& clicks) {
  if (!exam.reviewOn()) {
    clicks.clear();
    for (int row = kPanelFirstRow; row <= kScreenRows; ++row) blankRow(console, row);
    return;
  }
  drawAnswerSheet(console, exam, clicks);
  drawSummary(console, exam.counts());
}

MissedChoice missedChoiceOf(const Key& key, bool missedOffered) {
  if (!missedOffered || !key.isCharacter()) return MissedChoice::Done;
  const char letter = upperLetter(key.character);
  return letter == 'M' ? MissedChoice::List : letter == 'D' ? MissedChoice::Drill : MissedChoice::Done;
}

MissedChoice showExamResults(Console& console, const Exam& exam, bool missedOffered) {
  const ExamCounts counts = exam.counts();
  const float score = finalScore(counts);
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 19, 39, "  Correct Answers:" + singleNumberText(counts.correct));
  writeAt(console, 20, 39, "Incorrect Answers:" + singleNumberText(counts.incorrect));
  writeAt(console, 21, 39, "Skipped Questions:" + singleNumberText(counts.skipped));
  writeAt(console, 22, 39, "       Your Score:" + singleNumberText(score) + "% ");
  writeAt(console, 23, 39, "      Your Status:" + std::string(" ") + verdict(score));
  writeAt(console, 25, 35, "Press any key to end the exam.");
  console.rest = {19, 39};
  console.endLine();
  if (missedOffered) writeAt(console, 27, (kScreenColumns - static_cast<int>(kMissedOffer.size())) / 2 + 1, kMissedOffer);
  return missedChoiceOf(waitKey(console), missedOffered);
}

void FullExamView::showPreparingNotice() {
  Console& console = this->console();
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 21, 29, "One moment please, preparing your test...");
  console.rest = {21, 29};
  noticeShownAt_ = console.steadyMilliseconds();
}

// The menu's notice stays up at least kPreparingNoticeMilliseconds from the
// moment the exam started; keys typed meanwhile stay queued.
void FullExamView::examStarted(const Exam&) {
  Console& console = this->console();
  const std::int64_t shownFor = console.steadyMilliseconds() - noticeShownAt_;
  if (shownFor < kPreparingNoticeMilliseconds) console.pause(static_cast<int>(kPreparingNoticeMilliseconds - shownFor));
  console.setColours(kBlack, kBrightWhite);
  console.setCursorVisible(false);
  setMouseReporting(console, kLeftButton, kMousePressed | kMouseDoubleClick);
  setMouseInput(console, true);
  console.clearScreen();
  typedNumber_.clear();
}

// The whole exam screen above the review panel for the current question.
// Closing and reopening the figure window belongs to every redraw. The
// letter of the answer chosen for the question is marked in the buttons'
// colours.
void FullExamView::questionShown(const Exam& exam) {
  Console& console = this->console();
  console.setColours(kBlack, kBrightWhite);
  closeFigure(platform_.windows, figure_);
  for (int row = 1; row <= 26; ++row) blankRow(console, row);
  for (int row : {1, 24, 26}) writeAt(console, row, 1, rule(kRuleLength));
  const ExamItem& item = exam.currentItem();
  const Figure* figure = figureOf(exam.session().edition(), *item.asked.question);
  drawExamBar(console, figure != nullptr, barClicks_);
  drawNumberEntry();
  console.setColours(kBlack, kBrightWhite);
  console.locate(3, 1);
  console.rest = {3, 3};
  writeParagraph(console, plainNumberText(exam.current() + 1) + ". " + withoutLeadingBlanks(item.asked.question->text),
                 2, 5);
  if (figure) showFigure(platform_.windows, *figure, figure_);
  for (int position = 0; position < kAnswerCount; ++position) {
    const int row = console.cursorRow();
    writeParagraph(console, labelledAnswer(item.asked, position), 5, 8);
    if (item.answer && *item.answer == answerLetter(position)) {
      const int next = console.cursorRow();
      console.setColours(kYellow, kRed);
      writeAt(console, row, 6, std::string(1, answerLetter(position)));
      console.setColours(kBlack, kBrightWhite);
      console.locate(next, 1);
    }
  }
}

// Digits and Enter go to a question by its number; Backspace takes back a
// digit.
std::optional<ExamInput> FullExamView::numberKey(const Key& key) {
  std::optional<ExamInput> input;
  if (isDigit(key)) {
    if (typedNumber_.size() < 3) typedNumber_ += key.character;
  } else if (key.is(kBackspace)) {
    typedNumber_.pop_back();
  } else {
    input = ExamInput{ExamCommand::GoTo, std::stoi(typedNumber_)};
    typedNumber_.clear();
  }
  drawNumberEntry();
  return input;
}

void FullExamView::drawNumberEntry() {
  Console& console = this->console();
  console.setColours(kBlack, kBrightWhite);
  writeAt(console, kBarRow, kNumberEntryColumn, paddedRight(typedNumber_.empty() ? "" : "Go to " + typedNumber_, 12));
}

// Waits for a key or click that is one of the exam's commands; everything
// else is ignored without a sound. Any other key ends a number being typed.
ExamInput FullExamView::readCommand(const Exam&) {
  for (;;) {
    const Key key = waitKey(console());
    if (key.isMouse()) {
      if (const std::optional<ExamCommand> command = barClicks_.at(key.row, key.column)) return {*command};
      if (const std::optional<int> number = sheetClicks_.at(key.row, key.column))
        return {ExamCommand::GoTo, *number};
      continue;
    }
    if (isDigit(key) || (!typedNumber_.empty() && (key.is(kEnter) || key.is(kBackspace)))) {
      if (const std::optional<ExamInput> input = numberKey(key)) return *input;
      continue;
    }
    if (!typedNumber_.empty()) {
      typedNumber_.clear();
      drawNumberEntry();
    }
    if (const std::optional<ExamCommand> command = commandForKey<ExamCommand>(kExamCommands, key)) return {*command};
  }
}

// Over the screen and back: nothing to redraw, and the figure window stays
// as it is.
void FullExamView::figureAsked(const Exam& exam) {
  if (const Figure* figure = figureOf(exam.session().edition(), *exam.currentItem().asked.question))
    showPictureInTerminal(console(), figurePicture(*figure));
}

void FullExamView::commandDone(const Exam& exam) { showReviewPanel(console(), exam, sheetClicks_); }

void FullExamView::pastLastQuestion(const Exam&) {
  Console& console = this->console();
  writeAt(console, kNoticeRow, 10, kLastQuestionNotice);
  console.rest = {kNoticeRow, 10};
  blankRow(console, kBarRow);
  writeAt(console, kBarRow, 37, "Press any key to continue.");
  waitKey(console);
  blankRow(console, kNoticeRow);
  blankRow(console, kBarRow);
}

bool FullExamView::confirmStop(const Exam&) {
  Console& console = this->console();
  typedNumber_.clear();
  console.setColours(kBlack, kBrightWhite);
  blankRow(console, kBarRow);
  writeAt(console, kBarRow, kStopPromptColumn, kStopPrompt);
  console.rest = {kBarRow, kStopPromptColumn};
  const Choice answer = askChoice(console, kStopPrompt, -kBarRow, kStopPromptColumn, "[Y]", "[N]");
  console.setColours(kBlack, kBrightWhite);
  return answer == Choice::First;
}

MissedChoice FullExamView::showResults(const Exam& exam, bool missedOffered) {
  return showExamResults(console(), exam, missedOffered);
}

void FullExamView::examLeft(const Exam&) { closeFigure(platform_.windows, figure_); }

}  // namespace pentrill
