#include "app/program.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>
#include <optional>
#include <string_view>

#include "app/command_line.h"
#include "app/study_report.h"
#include "drill/drill.h"
#include "exam/practice_exam.h"
#include "app/pool_term.h"
#include "screen/hints.h"
#include "screen/input.h"

namespace pentrill {

namespace {

constexpr int kMenuOriginRow = 6;
constexpr int kMenuOriginColumn = 10;
constexpr int kPracticeExamChoice = 10;
constexpr int kFarewell = -1;

constexpr int kStudyRow = 22;
constexpr int kStudyKeysRow = 24;
constexpr int kExpiryRow = 26;
constexpr int kTodaysPoolRow = 36;  // on the help screen, below its 34 lines

int secondsOfDayNow(Platform& platform) {
  return static_cast<int>(std::lround(secondsSinceMidnight(platform.clock.now())));
}

void setUpConsole(Console& console) {
  console.moveWindow(100, 50);
  console.setTitle(kWindowTitle);
  console.setScreenSize(kScreenRows, kScreenColumns);
  console.setColours(kBrightWhite, kBlue);
  console.setCursorVisible(false);
  setMouseReporting(console, kLeftButton, kMousePressed | kMouseDoubleClick);
  setMouseInput(console, true);
  console.clearScreen();
}

// A pool used past its last day says so under the menu, and names the way to
// the pool in force.
void drawExpiryNotice(Console& console, const PoolEdition& edition, CivilDate today) {
  const std::optional<std::string_view> notice = expiryNotice(edition.name, today);
  if (!notice) return;
  console.setColours(kYellow, kBlue);
  writeAt(console, kExpiryRow, kMenuOriginColumn, *notice);
  console.setColours(kBrightWhite, kBlue);
}

void drawMenu(Console& console, const PoolEdition& edition, CivilDate today) {
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  const int row = kMenuOriginRow;
  const int column = kMenuOriginColumn;
  writeAt(console, row, column, "                       <<< Pentrill >>>");
  writeAt(console, row + 1, column, rule(80));
  for (size_t i = 0; i < edition.menuLines.size(); ++i)
    writeAt(console, row + 2 + static_cast<int>(i), column, edition.menuLines[i]);
  writeAt(console, row + 14, column, "          Pick the sub element you want to practice (0-9, P, ?)");
  drawExpiryNotice(console, edition, today);
}

// Rows 22 and 24 under the menu: the chance of passing and the study keys,
// or why the record is off; nothing with --no-record.
void drawStudyRows(Platform& platform, ProgramState& state) {
  StudyLog& log = state.record;
  if (!log.kept) return;
  Console& console = platform.console;
  console.setColours(kBrightWhite, kBlue);
  if (log.on()) {
    const study::StudyPool pool = studyPoolOf(state.edition);
    if (std::optional<study::StudyRecord> record = readStudyRecord(log, pool, state.edition)) {
      const std::int64_t now = utcSecondsNow(platform.clock);
      writeAt(console, kStudyRow, kMenuOriginColumn, studyMenuLine(record->chanceOfPassing(now), record->progress(now)));
      writeAt(console, kStudyKeysRow, kMenuOriginColumn, kStudyKeysLine);
      return;
    }
  }
  writeAt(console, kStudyRow, kMenuOriginColumn, log.offLine().substr(0, kScreenColumns - kMenuOriginColumn + 1));
}

// The chance of passing now, when the record can be read.
std::optional<double> chanceNow(Platform& platform, ProgramState& state, const study::StudyPool& pool) {
  std::optional<study::StudyRecord> record = readStudyRecord(state.record, pool, state.edition);
  if (!record) return std::nullopt;
  return record->chanceOfPassing(utcSecondsNow(platform.clock));
}

// R at the menu: the questions of largest gain, asked like a drill, then how
// the chance of passing changed.
void runStudySessionFromMenu(Platform& platform, ProgramState& state) {
  const study::StudyPool pool = studyPoolOf(state.edition);
  std::optional<study::StudyRecord> record = readStudyRecord(state.record, pool, state.edition);
  if (!record) return;
  const std::int64_t now = utcSecondsNow(platform.clock);
  const double before = record->chanceOfPassing(now);
  const std::vector<std::string> questions = record->studySession(now);
  Console& console = platform.console;
  std::string message;
  if (questions.empty()) {
    message = "There is nothing to study: every question was answered right today.";
  } else {
    runStudySession(questions, platform, state);
    const std::optional<double> after = chanceNow(platform, state, pool);
    message = after ? "Your chance of passing went from " + study::percentText(before) + " to " +
                          study::percentText(*after) + "."
                    : state.record.offLine();
  }
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 21, std::max(1, (kScreenColumns - static_cast<int>(message.size())) / 2 + 1), message);
  writeAt(console, 23, 37, "Press any key to continue.");
  waitKey(console, 0);
}

// T at the menu: the progress screen until any key.
void showProgress(Platform& platform, ProgramState& state) {
  std::optional<StudyReport> report = readStudyReport(state.record.store, state.edition, utcSecondsNow(platform.clock),
                                                      utcOffsetSecondsNow(platform.clock));
  if (!report) {
    state.record.turnOff(state.record.store->lastFailure());
    return;
  }
  drawProgressScreen(platform.console, *report);
  waitKey(platform.console, 0);
}

// The choice a key or click stands for: 0 to 9 a subelement, 10 the practice
// exam, kFarewell for Esc; nothing for input the menu ignores.
std::optional<int> menuChoice(const Key& key) {
  if (key.isMouse()) {
    if (key.row >= 8 && key.row <= 17) return key.row - 8;
    if (key.row == 18) return kPracticeExamChoice;
    return std::nullopt;
  }
  if (key.is(kEscape)) return kFarewell;
  const char letter = commandLetter(key);
  if (letter >= '0' && letter <= '9') return letter - '0';
  if (letter == 'P') return kPracticeExamChoice;
  return std::nullopt;
}

// One visit of the menu; returns the accepted choice or kFarewell.
int runMenu(Platform& platform, ProgramState& state) {
  for (;;) {
    state.shownNumber = 0;
    const int startSeconds = secondsOfDayNow(platform);
    drawMenu(platform.console, state.edition, localDate(platform.clock.now()));
    drawStudyRows(platform, state);
    for (;;) {
      const Key key = waitKey(platform.console);
      if (key.is('?')) {
        showHelpScreen(platform, state.edition);
        break;  // enter the menu again
      }
      if (state.record.on() && (key.is('R') || key.is('r'))) {
        runStudySessionFromMenu(platform, state);
        break;
      }
      if (state.record.on() && (key.is('T') || key.is('t'))) {
        showProgress(platform, state);
        break;
      }
      if (std::optional<int> choice = menuChoice(key)) {
        state.menuSeconds = secondsOfDayNow(platform) - startSeconds;
        return *choice;
      }
    }
  }
}

// Returns true when the program is to end.
bool dispatch(int choice, Platform& platform, ProgramState& state) {
  state.doneFlags.clear();
  state.drillPool.clear();
  if (choice < kPracticeExamChoice) {
    loadDrillPool(state, choice);
    return runDrill(choice, platform, state);
  }
  Console& console = platform.console;
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 21, 29, "One moment please, preparing your test...");
  runPracticeExam(platform, state);
  return false;
}

}  // namespace

void showHelpScreen(Platform& platform, const PoolEdition& edition) {
  Console& console = platform.console;
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  for (std::string_view line : edition.helpLines) {
    console.write(line);
    console.endLine();
  }
  console.locate(kTodaysPoolRow, 1);
  for (const std::string& line : todaysPoolLines(edition, localDate(platform.clock.now()))) {
    console.write("  " + line);
    console.endLine();
  }
  waitKey(console);
  console.clearScreen();
}

void showFarewellScreen(Platform& platform) {
  Console& console = platform.console;
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 21, 28, "Thanks for playing.  Have a real nice day.");
  console.endLine();
  console.pause(5000);
}

int runProgram(Platform& platform, ProgramState& state) {
  state.hintIndex = loadHintIndex();
  setUpConsole(platform.console);
  for (;;) {
    const int choice = runMenu(platform, state);
    if (choice == kFarewell || dispatch(choice, platform, state)) break;
  }
  showFarewellScreen(platform);
  return 0;
}

}  // namespace pentrill
