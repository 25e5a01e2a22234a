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
#include "screen/calendar.h"
#include "screen/hints.h"
#include "screen/input.h"

namespace pentrill {

namespace {

constexpr int kMenuOriginRow = 6;
constexpr int kMenuOriginColumn = 10;
// What the user asks for at the menu.
struct MenuCommand {
  enum class Kind { Drill, PracticeExam, Help, StudySession, Progress, Farewell };
  Kind kind;
  int subelement = 0;  // for a drill: 0 to 9
};

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
  const std::optional<std::string> notice = expiryNotice(edition.name, today);
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
    if (std::optional<study::StudyRecord> record = readStudyRecord(log, state.studyPool(), state.edition)) {
      const std::int64_t now = utcSecondsNow(platform.clock);
      writeAt(console, kStudyRow, kMenuOriginColumn, studyMenuLine(record->chanceOfPassing(now), record->progress(now)));
      writeAt(console, kStudyKeysRow, kMenuOriginColumn, kStudyKeysLine);
      return;
    }
  }
  writeAt(console, kStudyRow, kMenuOriginColumn, log.offLine(kScreenColumns - kMenuOriginColumn + 1));
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
  const study::StudyPool& pool = state.studyPool();
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
  std::optional<StudyReport> report =
      readStudyReport(state.record.store, state.edition, state.studyPool(), utcSecondsNow(platform.clock),
                      utcOffsetSecondsNow(platform.clock));
  if (!report) {
    state.record.turnOff(state.record.store->lastFailure());
    return;
  }
  drawProgressScreen(platform.console, *report);
  waitKey(platform.console, 0);
}

// The command a key or click stands for; nothing for input the menu
// ignores. R and T count only while the study record is on.
std::optional<MenuCommand> menuCommand(const Key& key, bool recordOn) {
  using Kind = MenuCommand::Kind;
  if (key.isMouse()) {
    if (key.row >= 8 && key.row <= 17) return MenuCommand{Kind::Drill, key.row - 8};
    if (key.row == 18) return MenuCommand{Kind::PracticeExam};
    return std::nullopt;
  }
  if (key.is(kEscape)) return MenuCommand{Kind::Farewell};
  if (key.is('?')) return MenuCommand{Kind::Help};
  const char letter = commandLetter(key);
  if (letter >= '0' && letter <= '9') return MenuCommand{Kind::Drill, letter - '0'};
  if (letter == 'P') return MenuCommand{Kind::PracticeExam};
  if (recordOn && letter == 'R') return MenuCommand{Kind::StudySession};
  if (recordOn && letter == 'T') return MenuCommand{Kind::Progress};
  return std::nullopt;
}

// One visit of the menu: the help screen, a study session and the progress
// screen come back to it; returns a drill, the practice exam or the farewell.
MenuCommand runMenu(Platform& platform, ProgramState& state) {
  using Kind = MenuCommand::Kind;
  for (;;) {
    state.shownNumber = 0;
    const int startSeconds = secondsOfDayNow(platform);
    drawMenu(platform.console, state.edition, localDate(platform.clock.now()));
    drawStudyRows(platform, state);
    std::optional<MenuCommand> command;
    while (!(command = menuCommand(waitKey(platform.console), state.record.on()))) {
    }
    switch (command->kind) {
      case Kind::Help:
        showHelpScreen(platform, state.edition);
        break;
      case Kind::StudySession:
        runStudySessionFromMenu(platform, state);
        break;
      case Kind::Progress:
        showProgress(platform, state);
        break;
      case Kind::Drill:
      case Kind::PracticeExam:
      case Kind::Farewell:
        state.menuSeconds = secondsOfDayNow(platform) - startSeconds;
        return *command;
    }
  }
}

// A drill or the practice exam; true when the program is to end.
bool dispatch(const MenuCommand& command, Platform& platform, ProgramState& state) {
  state.doneFlags.clear();
  state.drillPool.clear();
  if (command.kind == MenuCommand::Kind::Drill) {
    loadDrillPool(state, command.subelement);
    return runDrill(command.subelement, platform, state);
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
    const MenuCommand command = runMenu(platform, state);
    if (command.kind == MenuCommand::Kind::Farewell || dispatch(command, platform, state)) break;
  }
  showFarewellScreen(platform);
  return 0;
}

}  // namespace pentrill
