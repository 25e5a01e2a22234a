// The drill over one subelement: order choice, the question cycle with its
// commands, and the completion screen.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "drill/drill.h"
#include "drill/shuffle.h"
#include "drill/study_log.h"
#include "screen/answer_bar.h"
#include "screen/command_bar.h"
#include "screen/text.h"
#include "screen/figures.h"
#include "screen/hints.h"
#include "screen/input.h"
#include "screen/question_screen.h"
#include "screen/run_clock.h"

namespace pentrill {

namespace {

constexpr std::string_view kOrderPrompt = "Do you want the questions to be presented [R]andomly or in [S]equence?";
constexpr std::string_view kStartPrompt = "Start with Question: ";
constexpr std::string_view kCompletedLine = "You have correctly answered all of the questions in this section.";
constexpr std::string_view kAnotherPrompt = "    Would you like to drill on another section? [Y] or [N]o?     ";

// The state of one drill; nothing of it outlives the drill.
struct Drill {
  Drill(Platform& p, ProgramState& s) : platform(p), state(s) {}

  Platform& platform;
  ProgramState& state;
  int n = 0;
  int currentRow = 0;
  std::int64_t drillStart = 0;
  std::string drillTitle;
  AnswerMode mode = AnswerMode::Drill;  // how its answers are recorded
  bool pictureLabel = false;            // the question on the screen has a picture F draws
  std::optional<HintPictureFile> hintPicture;  // its hint's picture, read once per question

  Console& console() { return platform.console; }
  AskedQuestion& question() { return state.drillPool[static_cast<size_t>(currentRow - 1)]; }
};

enum class Outcome { NextQuestion, Stop };

std::string drillTitle(const PoolEdition& edition, int subelement, int n) {
  std::string_view title = subelement >= 0 && subelement < kSubelementCount
                               ? edition.subelementTitles[static_cast<size_t>(subelement)]
                               : std::string_view{};
  return std::string(title) + " [" + plainNumberText(n) + " Questions]";
}

void startDrill(Drill& drill, int subelement) {
  const TimePoint now = drill.platform.clock.now();
  const double secondsOfDay = secondsSinceMidnight(now);
  drill.drillStart = clockSeconds(drill.console(), now);
  drill.state.random.seedRandom(static_cast<double>(drill.drillStart) + secondsOfDay + drill.state.menuSeconds);
  drill.n = static_cast<int>(drill.state.drillPool.size());
  drill.drillTitle = drillTitle(drill.state.edition, subelement, drill.n);
  drill.currentRow = 0;
}

void askOrder(Drill& drill) {
  Console& console = drill.console();
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 21, 15, kOrderPrompt);
  const Choice order = askChoice(console, kOrderPrompt, -21, 15, "[R]", "[S]");
  drill.state.order = order == Choice::Second ? DrillOrder::Sequence : DrillOrder::Random;
  console.setColours(kBrightWhite, kBlue);
}

// The first comma-separated item of the typed line, rounded half to even;
// asked again until it names a question of the pool.
void askStartNumber(Drill& drill) {
  Console& console = drill.console();
  long long start = 0;
  do {
    writeAt(console, 23, 35, "     ");
    writeAt(console, 23, 15, kStartPrompt);
    const std::string line = readLine(console);
    start = roundedNumberValue(trimBlanks(std::string_view(line).substr(0, line.find(','))));
  } while (start < 1 || start > drill.n);
  for (int r = 1; r < start; ++r) drill.state.doneFlags[static_cast<size_t>(r - 1)] = true;
  drill.currentRow = static_cast<int>(start) - 1;
  drill.state.shownNumber = static_cast<int>(start);
}

bool isDone(const Drill& drill, int r) { return drill.state.doneFlags[static_cast<size_t>(r - 1)]; }

int firstRowNotDone(const Drill& drill) {
  for (int r = 1; r <= drill.n; ++r)
    if (!isDone(drill, r)) return r;
  return 0;
}

// Random order: every row still to be asked is equally likely, the one just
// answered wrongly included.
void pickRandomRow(Drill& drill) {
  do {
    drill.currentRow = drill.state.random.drawRandom(1, drill.n);
  } while (isDone(drill, drill.currentRow));
  ++drill.state.shownNumber;
}

// Sequence order: the next row not yet answered correctly; after row n the
// sequence starts again at the first such row, so a wrongly answered
// question comes back and the sequence never steps past row n.
void pickSequenceRow(Drill& drill) {
  int r = drill.currentRow + 1;
  while (r <= drill.n && isDone(drill, r)) ++r;
  drill.currentRow = r <= drill.n ? r : firstRowNotDone(drill);
  drill.state.shownNumber = drill.currentRow;
}

void closePictureWindows(Drill& drill) {
  ProgramState& state = drill.state;
  closeFigure(drill.platform.windows, state.figure);
  if (state.hintWindow > 0) {
    closePictureWindow(drill.platform.windows, state.hintWindow);
    state.hintWindow = 0;
  }
}

void showQuestionFigure(Drill& drill) {
  ProgramState& state = drill.state;
  if (const Figure* figure = figureOf(state.edition, *drill.question().question))
    showFigure(drill.platform.windows, *figure, state.figure);
}

// The question's figure, else the picture its hint names.
std::optional<TerminalPicture> questionPicture(Drill& drill) {
  if (const Figure* figure = figureOf(drill.state.edition, *drill.question().question)) return figurePicture(*figure);
  if (!drill.hintPicture) return std::nullopt;
  return TerminalPicture{drill.hintPicture->caption, drill.hintPicture->bitmap};
}

// Whether F has a picture for the question now on the screen: its figure
// (inflated only on F), else its hint's picture, read here once.
void findQuestionPicture(Drill& drill) {
  const Question& question = *drill.question().question;
  const bool hasFigure = figureOf(drill.state.edition, question) != nullptr;
  drill.hintPicture = hasFigure ? std::nullopt : hintPictureFile(question.id);
  drill.pictureLabel = hasFigure || drill.hintPicture;
}

void drawQuestion(Drill& drill) {
  drawDrillScreen(drill.console(), drill.state.edition, drill.question(), drill.state.shownNumber, drill.drillTitle,
                  drill.state.peekOn, drill.state.hintIndex, drill.pictureLabel);
}

// The keys of the drill's commands; letters in either case.
constexpr CommandKey<DrillCommand> kDrillKeys[] = {
    {'A', DrillCommand::A},    {'B', DrillCommand::B},    {'C', DrillCommand::C},
    {'D', DrillCommand::D},    {'S', DrillCommand::Stop}, {' ', DrillCommand::Peek},
    {'H', DrillCommand::Hint}, {'Z', DrillCommand::Redraw}, {'F', DrillCommand::Figure},
};

// A key's command, or a click's on the answer bar; nothing for other input.
std::optional<DrillCommand> drillCommand(const Key& key) {
  if (key.isMouse()) {
    if (key.row == kAnswerBarRow) return answerBarCommand(key.column);
    return std::nullopt;
  }
  return commandForKey<DrillCommand>(kDrillKeys, key);
}

// Milliseconds until the clock's next whole second, when the run time shown
// next changes.
int millisecondsToNextSecond(Clock& clock) {
  return static_cast<int>(1000 - millisecondsOfDay(clock.now()) % 1000);
}

// Waits for a key or click that is a drill command, rewriting the run time
// whenever its second changes; a key is answered at once.
DrillCommand waitForCommand(Drill& drill) {
  Console& console = drill.console();
  for (;;) {
    std::optional<Key> key;
    while (!key) {
      const std::int64_t elapsed = clockSecondsNow(console, drill.platform.clock) - drill.drillStart;
      writeAt(console, kAnswerBarRow, 50, "Run Time: " + formatElapsed(elapsed));
      key = waitKey(console, millisecondsToNextSecond(drill.platform.clock));
    }
    if (std::optional<DrillCommand> command = drillCommand(*key)) return *command;
  }
}

void showCorrectAnswer(Drill& drill) {
  Console& console = drill.console();
  console.setColours(kBlack, kBrightWhite);
  writeAt(console, 27, 2, "The Correct Answer is: ");
  console.setColours(kGreen, kBrightWhite);
  console.write(std::string(1, drill.question().correct));
  console.setColours(kBlack, kBrightWhite);
  showHint(console, drill.platform.windows, drill.question().question->id, drill.state.hintWindow);
}

void reportWrongAnswer(Drill& drill) {
  Console& console = drill.console();
  drill.platform.sound.playAlert();
  console.setColours(kBlack, kBrightWhite);
  writeAt(console, 21, 29, "Incorrect Answer, the correct answer is " + std::string(1, drill.question().correct));
  console.endLine();
  writeAt(console, 22, 29, "We will come back to this question again.");
  console.endLine();
  writeAt(console, 23, 29, "      Press any key to continue.....     ");
  console.endLine();
  waitKey(console);
}

// Carries out commands on the question on the screen until it is answered
// or the drill is stopped.
Outcome askQuestion(Drill& drill) {
  bool hintShown = false;  // for this question: a right answer after it is an Again
  for (;;) {
    const DrillCommand command = waitForCommand(drill);
    switch (command) {
      case DrillCommand::Stop:
        closePictureWindows(drill);
        return Outcome::Stop;
      case DrillCommand::Peek:
        drill.state.peekOn = !drill.state.peekOn;
        break;
      case DrillCommand::Hint:
        showCorrectAnswer(drill);
        hintShown = true;
        break;
      case DrillCommand::Figure:
        // The run clock goes on meanwhile; the key that returns is no answer.
        if (drill.pictureLabel)
          if (std::optional<TerminalPicture> picture = questionPicture(drill))
            showPictureInTerminal(drill.console(), *picture);
        break;
      case DrillCommand::Redraw:
        break;
      case DrillCommand::A:
      case DrillCommand::B:
      case DrillCommand::C:
      case DrillCommand::D: {
        const char letter = letterFor<DrillCommand>(kDrillKeys, command);
        recordAnswer(drill.state.record, drill.state.edition, drill.question(), letter,
                     study::rateAnswer(letter == drill.question().correct, drill.state.peekOn, hintShown),
                     drill.mode, utcSecondsNow(drill.platform.clock));
        if (letter == drill.question().correct) {
          drill.state.doneFlags[static_cast<size_t>(drill.currentRow - 1)] = true;
        } else {
          reportWrongAnswer(drill);
        }
        return Outcome::NextQuestion;
      }
    }
    drawQuestion(drill);
  }
}

// Returns true when the user declines another drill.
bool showCompletion(Drill& drill) {
  Console& console = drill.console();
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 20, 17, kCompletedLine);
  console.endLine();
  writeAt(console, 21, 17, kAnotherPrompt);
  console.endLine();
  const Choice answer = askChoice(console, kAnotherPrompt, -21, 17, "[Y]", "[N]");
  console.setColours(kBlack, kBrightWhite);
  return answer == Choice::Second;
}

// Asks the questions not done in the drill's order until all are done (true)
// or the user stops (false).
bool askUntilDone(Drill& drill, DrillOrder order) {
  Console& console = drill.console();
  for (;;) {
    console.setColours(kBlack, kBrightWhite);
    closePictureWindows(drill);
    console.clearScreen();
    if (firstRowNotDone(drill) == 0) return true;
    if (order == DrillOrder::Sequence) {
      pickSequenceRow(drill);
    } else {
      pickRandomRow(drill);
    }
    showQuestionFigure(drill);
    findQuestionPicture(drill);
    shuffleAnswers(drill.state.random, drill.question());
    drawQuestion(drill);
    if (askQuestion(drill) == Outcome::Stop) return false;
  }
}

const Question* findQuestion(const PoolEdition& edition, std::string_view id) {
  for (const Subelement& subelement : edition.subelements)
    for (const Question& question : subelement.questions)
      if (question.id == id) return &question;
  return nullptr;
}

}  // namespace

bool runDrill(int subelement, Platform& platform, ProgramState& state) {
  Drill drill(platform, state);
  startDrill(drill, subelement);
  askOrder(drill);
  if (state.order == DrillOrder::Sequence) askStartNumber(drill);
  if (!askUntilDone(drill, state.order)) return false;
  return showCompletion(drill);
}

bool runStudySession(const std::vector<std::string>& questions, Platform& platform, ProgramState& state) {
  state.drillPool.clear();
  for (const std::string& id : questions)
    if (const Question* question = findQuestion(state.edition, id)) state.drillPool.push_back(asPublished(*question));
  state.doneFlags.assign(state.drillPool.size(), false);
  Drill drill(platform, state);
  startDrill(drill, -1);
  drill.mode = AnswerMode::Session;
  drill.drillTitle = "Study Session \x96 Your Chance of Passing [" +
                     plainNumberText(drill.n) + " Questions]";
  const bool finished = askUntilDone(drill, DrillOrder::Random);
  closePictureWindows(drill);
  state.drillPool.clear();
  state.doneFlags.clear();
  return finished;
}

}  // namespace pentrill
