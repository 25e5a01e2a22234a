#include "exam/practice_exam.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "drill/study_log.h"
#include "exam/exam_composer.h"
#include "exam/exam_results.h"
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
constexpr std::string_view kCommands = "ABCDNPSR";
constexpr std::string_view kStopPrompt = "Are you sure you want to end the Exam? [Y] or [N]";
constexpr int kStopPromptColumn = 26;
constexpr std::string_view kLastQuestionNotice =
    "This was the last question you can End the exam or go back to a Previous question.";

// The command bar: drawing and click mapping both read this table, so a
// button is clickable exactly where it is drawn.
struct ExamButton {
  int column;
  std::string_view label;
  char command;
  int lastColumn() const { return column + static_cast<int>(label.size()) - 1; }
};
constexpr ExamButton kExamBar[] = {
    {3, " A ", 'A'},   {8, " B ", 'B'},   {13, " C ", 'C'},      {18, " D ", 'D'},
    {25, "Next", 'N'}, {31, "Prev", 'P'}, {47, "Review", 'R'}, {60, "Stop Exam", 'S'},
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
  drawExamBar(console);
  console.setColours(kBlack, kBrightWhite);
  const AskedQuestion& question = exam.question();
  console.locate(3, 1);
  writeParagraph(console, plainNumberText(exam.current) + ". " + withoutLeadingBlanks(question.question->text), 2, 5);
  showQuestionFigure(exam);
  for (int position = 0; position < kAnswerCount; ++position)
    writeParagraph(console, labelledAnswer(question, position), 5, 8);
}

// The letter of the button under a click on the bar row, if any.
std::optional<char> buttonAt(int row, int column) {
  if (row != kBarRow) return std::nullopt;
  for (const ExamButton& button : kExamBar)
    if (column >= button.column && column <= button.lastColumn()) return button.command;
  return std::nullopt;
}

// Waits for a key or click that is one of the exam's commands; everything
// else is ignored without a sound.
char readCommand(Console& console) {
  for (;;) {
    KeyString key = waitKey(console, 0);
    if (isMouseKey(key)) {
      if (std::optional<char> command = buttonAt(mouseRow(console), mouseColumn(console)))
        key = std::string(1, *command);
    }
    key = upperCase(key);
    if (key.size() == 1 && kCommands.find(key[0]) != std::string_view::npos) return key[0];
  }
}

// True when the user confirms; the results are then shown and the figure
// window closed.
bool confirmStop(Exam& exam) {
  Console& console = exam.console();
  console.setColours(kBlack, kBrightWhite);
  blankRow(console, kBarRow);
  writeAt(console, kBarRow, kStopPromptColumn, kStopPrompt);
  const std::string answer = askChoice(console, kStopPrompt, -kBarRow, kStopPromptColumn, "[Y]", "[N]");
  console.setColours(kBlack, kBrightWhite);
  if (answer != "Y") return false;
  recordExamEnd(exam.state.record, exam.recorded, utcSecondsNow(exam.platform.clock),
                static_cast<int>(countAnswers(exam.sheet, exam.table).correct));
  showExamResults(console, exam.sheet, exam.table);
  closeFigure(exam.platform.windows, exam.figure);
  return true;
}

// Carries out one command; false when the exam has ended.
bool carryOut(Exam& exam, char command) {
  switch (command) {
    case 'N':
      if (++exam.current > kExamQuestions) exam.platform.sound.playAlert();
      return true;
    case 'P':
      if (--exam.current < 1) exam.platform.sound.playAlert();
      return true;
    case 'R':
      exam.reviewOn = !exam.reviewOn;
      return true;
    case 'S':
      return !confirmStop(exam);
    default:  // an answer, A to D
      exam.sheet[static_cast<size_t>(exam.current - 1)] = command;
      recordExamAnswer(exam.state.record, exam.recorded, exam.state.edition, exam.question(), command,
                       utcSecondsNow(exam.platform.clock));
      ++exam.current;
      return true;
  }
}

void showLastQuestionNotice(Console& console) {
  writeAt(console, kNoticeRow, 10, kLastQuestionNotice);
  blankRow(console, kBarRow);
  writeAt(console, kBarRow, 37, "Press any key to continue.");
  waitKey(console, 0);
  blankRow(console, kNoticeRow);
  blankRow(console, kBarRow);
}

}  // namespace

void drawExamBar(Console& console) {
  blankRow(console, kBarRow);
  writeAt(console, kBarRow, 1, kBarText);
  console.setColours(kBlack, kLightGrey);
  for (const ExamButton& button : kExamBar) writeAt(console, kBarRow, button.column, button.label);
  console.setColours(kBlack, kBrightWhite);
}


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
    if (!carryOut(exam, readCommand(console))) return;
    showReviewPanel(console, exam.reviewOn, exam.sheet, exam.table);
    if (exam.current > kExamQuestions) showLastQuestionNotice(console);
    exam.current = std::clamp(exam.current, 1, kExamQuestions);
    redrawQuestion(exam);
  }
}

}  // namespace pentrill
