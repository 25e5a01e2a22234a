#include "exam/practice_exam.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "drill/study_log.h"
#include "exam/exam_composer.h"
#include "exam/exam_results.h"
#include "screen/command_bar.h"
#include "screen/text.h"
#include "screen/figures.h"
#include "screen/input.h"
#include "screen/question_screen.h"

namespace pentrill {

namespace {

constexpr int kWrapWidth = 90;
constexpr int kRuleLength = 99;  // from column 1
constexpr int kBarRow = 25;
constexpr int kNoticeRow = 22;

constexpr std::string_view kBarText = " [ A ][ B ][ C ][ D ]   Next  Prev            Review       Stop Exam";
constexpr std::string_view kStopPrompt = "Are you sure you want to end the Exam? [Y] or [N]";
constexpr int kStopPromptColumn = 26;
constexpr std::string_view kLastQuestionNotice =
    "This was the last question you can End the exam or go back to a Previous question.";

// The keys of the exam's commands; letters in either case.
constexpr CommandKey<ExamCommand> kExamKeys[] = {
    {'A', ExamCommand::A},    {'B', ExamCommand::B},    {'C', ExamCommand::C},      {'D', ExamCommand::D},
    {'N', ExamCommand::Next}, {'P', ExamCommand::Prev}, {'R', ExamCommand::Review}, {'S', ExamCommand::Stop},
    {'F', ExamCommand::Figure},
};

// The command bar: drawing and click mapping both read this table, so a
// button is clickable exactly where it is drawn.
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

// The state of one exam; nothing of it outlives the exam.
struct Exam {
  Exam(Platform& p, ProgramState& s) : platform(p), state(s) {}

  Platform& platform;
  ProgramState& state;
  PracticeExam table;
  AnswerSheet sheet;
  int current = 1;  // the question on the screen, 1 to 50
  bool reviewOn = false;
  FigureWindow figure;
  std::optional<std::int64_t> recorded;  // the exam in the study record

  Console& console() { return platform.console; }
  const AskedQuestion& question() const { return table[static_cast<size_t>(current - 1)]; }
};

void blankRow(Console& console, int row) { writeAt(console, row, 1, blanks(kScreenColumns)); }

// The menu's notice stays up at least kPreparingNoticeMilliseconds from the
// moment the exam started; keys typed meanwhile stay queued.
void keepNoticeReadable(Console& console, std::int64_t noticeShownAt) {
  const std::int64_t shownFor = console.steadyMilliseconds() - noticeShownAt;
  if (shownFor < kPreparingNoticeMilliseconds)
    console.pause(static_cast<int>(kPreparingNoticeMilliseconds - shownFor));
}

void startScreen(Console& console) {
  console.setColours(kBlack, kBrightWhite);
  console.setCursorVisible(false);
  setMouseReporting(console, kLeftButton, kMousePressed | kMouseDoubleClick);
  setMouseInput(console, true);
  console.clearScreen();
}

void showQuestionFigure(Exam& exam) {
  if (const Figure* figure = figureOf(exam.state.edition, *exam.question().question))
    showFigure(exam.platform.windows, *figure, exam.figure);
}

// A wrapped text from the cursor, then an empty line.
void writeParagraph(Console& console, std::string_view text, int firstIndent, int nextIndent) {
  writeWrapped(console, text, kWrapWidth, firstIndent, nextIndent);
  console.endLine();
}

std::string withoutLeadingBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  return std::string(first == std::string_view::npos ? std::string_view{} : text.substr(first));
}

// The whole exam screen above the review panel for the current question.
// Closing and reopening the figure window belongs to every redraw.
void redrawQuestion(Exam& exam) {
  Console& console = exam.console();
  console.setColours(kBlack, kBrightWhite);
  closeFigure(exam.platform.windows, exam.figure);
  for (int row = 1; row <= 26; ++row) blankRow(console, row);
  for (int row : {1, 24, 26}) writeAt(console, row, 1, rule(kRuleLength));
  const AskedQuestion& question = exam.question();
  drawExamBar(console, figureOf(exam.state.edition, *question.question) != nullptr);
  console.setColours(kBlack, kBrightWhite);
  console.locate(3, 1);
  writeParagraph(console, plainNumberText(exam.current) + ". " + withoutLeadingBlanks(question.question->text), 2, 5);
  showQuestionFigure(exam);
  for (int position = 0; position < kAnswerCount; ++position)
    writeParagraph(console, labelledAnswer(question, position), 5, 8);
}

// A key's command, or the command of the button under a click; nothing for
// other input.
std::optional<ExamCommand> examCommand(const Key& key) {
  if (key.isMouse()) return key.row == kBarRow ? examBarCommand(key.column) : std::nullopt;
  return commandForKey<ExamCommand>(kExamKeys, key);
}

// Waits for a key or click that is one of the exam's commands; everything
// else is ignored without a sound.
ExamCommand readCommand(Console& console) {
  for (;;)
    if (std::optional<ExamCommand> command = examCommand(waitKey(console))) return *command;
}

// True when the user confirms; the results are then shown and the figure
// window closed.
bool confirmStop(Exam& exam) {
  Console& console = exam.console();
  console.setColours(kBlack, kBrightWhite);
  blankRow(console, kBarRow);
  writeAt(console, kBarRow, kStopPromptColumn, kStopPrompt);
  const Choice answer = askChoice(console, kStopPrompt, -kBarRow, kStopPromptColumn, "[Y]", "[N]");
  console.setColours(kBlack, kBrightWhite);
  if (answer != Choice::First) return false;
  recordExamEnd(exam.state.record, exam.recorded, utcSecondsNow(exam.platform.clock),
                static_cast<int>(countAnswers(exam.sheet, exam.table).correct));
  showExamResults(console, exam.sheet, exam.table);
  closeFigure(exam.platform.windows, exam.figure);
  return true;
}

// Carries out one command; false when the exam has ended.
bool carryOut(Exam& exam, ExamCommand command) {
  switch (command) {
    case ExamCommand::Next:
      if (++exam.current > kExamQuestions) exam.platform.sound.playAlert();
      return true;
    case ExamCommand::Prev:
      if (--exam.current < 1) exam.platform.sound.playAlert();
      return true;
    case ExamCommand::Review:
      exam.reviewOn = !exam.reviewOn;
      return true;
    case ExamCommand::Stop:
      return !confirmStop(exam);
    case ExamCommand::Figure:
      return true;  // the main loop shows it
    case ExamCommand::A:
    case ExamCommand::B:
    case ExamCommand::C:
    case ExamCommand::D: {
      const char letter = letterFor<ExamCommand>(kExamKeys, command);
      exam.sheet[static_cast<size_t>(exam.current - 1)] = letter;
      recordExamAnswer(exam.state.record, exam.recorded, exam.state.edition, exam.question(), letter,
                       utcSecondsNow(exam.platform.clock));
      ++exam.current;
      return true;
    }
  }
  return true;
}

void showLastQuestionNotice(Console& console) {
  writeAt(console, kNoticeRow, 10, kLastQuestionNotice);
  blankRow(console, kBarRow);
  writeAt(console, kBarRow, 37, "Press any key to continue.");
  waitKey(console);
  blankRow(console, kNoticeRow);
  blankRow(console, kBarRow);
}

}  // namespace

void drawExamBar(Console& console, bool figureLabel) {
  blankRow(console, kBarRow);
  writeAt(console, kBarRow, 1, kBarText);
  for (const BarButton<ExamCommand>& button : kExamBar)
    if (button.command != ExamCommand::Figure || figureLabel) drawButton(console, kBarRow, button);
  console.setColours(kBlack, kBrightWhite);
}

std::optional<ExamCommand> examBarCommand(int column) { return buttonAt<ExamCommand>(kExamBar, column); }

void runPracticeExam(Platform& platform, ProgramState& state) {
  Console& console = platform.console;
  const std::int64_t noticeShownAt = console.steadyMilliseconds();
  Exam exam(platform, state);
  exam.table = composePracticeExam(state.edition, platform.clock, state.random);
  exam.recorded = recordExamStart(state.record, state.edition, utcSecondsNow(platform.clock));
  keepNoticeReadable(console, noticeShownAt);
  startScreen(console);
  redrawQuestion(exam);
  for (;;) {
    const ExamCommand command = readCommand(console);
    if (command == ExamCommand::Figure) {
      // Over the screen and back: nothing to redraw, and the figure window
      // stays as it is.
      if (const Figure* figure = figureOf(state.edition, *exam.question().question))
        showPictureInTerminal(console, figurePicture(*figure));
      continue;
    }
    if (!carryOut(exam, command)) return;
    showReviewPanel(console, exam.reviewOn, exam.sheet, exam.table);
    if (exam.current > kExamQuestions) showLastQuestionNotice(console);
    exam.current = std::clamp(exam.current, 1, kExamQuestions);
    redrawQuestion(exam);
  }
}

}  // namespace pentrill
