#include "fullscreen/full_face.h"

#include <algorithm>
#include <span>

#include "app/command_line.h"
#include "app/pool_term.h"
#include "app/program.h"
#include "screen/calendar.h"
#include "screen/input.h"

namespace pentrill {

namespace {

constexpr int kPoolRow = 4;
constexpr int kMenuOriginRow = 6;
constexpr int kMenuOriginColumn = 10;
constexpr int kStudyRow = 22;
constexpr int kStudyKeysRow = 24;
constexpr int kExpiryRow = 26;
constexpr int kTodaysPoolRow = 36;  // on the help screen, below its 34 lines
constexpr int kMoreKeysRow = 39;
constexpr char kKeysPageKey = '?';
constexpr int kRecordCheckDelayMilliseconds = 20;

// A key as the help names it.
std::string keyName(char key) {
  if (key == ' ') return "Space";
  if (key == kEscape) return "Esc";
  return std::string(1, key);
}

// "    P        practice exam": the table's keys and what they do, the four
// answers on one line.
template <typename Command>
void keyLines(std::span<const CommandInfo<Command>> table, std::vector<std::string>& lines) {
  for (const CommandInfo<Command>& entry : table) {
    if (entry.help.empty() || entry.key == 'B' || entry.key == 'C' || entry.key == 'D') continue;
    const bool answers = entry.key == 'A';
    std::string name = answers ? "A to D" : keyName(entry.key);
    name.resize(10, ' ');
    lines.push_back("    " + name + (answers ? "answer" + std::string(entry.help.substr(8)) : std::string(entry.help)));
  }
}

// The second help page: every key of the menu, the drill and the exam, from
// their command tables.
std::vector<std::string> keysPage() {
  std::vector<std::string> lines = {"", "  Keys", "", "  At the menu:",
                                    "    0 to 9    drill the subelement of that number (or a click on its line)"};
  keyLines<MenuCommand>(kMenuCommands, lines);
  lines.insert(lines.end(), {"", "  In a drill (a click on a button does what its key does):"});
  keyLines<DrillCommand>(kDrillCommands, lines);
  lines.insert(lines.end(), {"", "  In the practice exam (a click on a button does what its key does):"});
  keyLines<ExamCommand>(kExamCommands, lines);
  lines.push_back("    a number and Enter: go to that question (or a click on its entry on the answer sheet)");
  lines.insert(lines.end(), {"", "  After an exam's results, and at T: M lists the questions you missed, D drills them.",
                             "  Ctrl-C ends the program at once; Ctrl-Z suspends it.", "",
                             "  Press any key to return to the menu."});
  return lines;
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

// The menu's command for a key, among those offered now.
std::optional<MenuChoice> menuKeyChoice(const Key& key, const Session& session) {
  if (key.isCharacter() && key.character >= '0' && key.character <= '9')
    return MenuChoice{MenuCommand::Drill, key.character - '0'};
  const std::optional<MenuCommand> command = commandForKey<MenuCommand>(kMenuCommands, key);
  if (!command || !menuCommandOffered(*command, session)) return std::nullopt;
  return MenuChoice{*command};
}

}  // namespace

void FullScreenFace::start() {
  Console& console = platform_.console;
  console.moveWindow(100, 50);
  console.setTitle(kWindowTitle);
  console.setScreenSize(kScreenRows, kScreenColumns);
  console.setColours(kBrightWhite, kBlue);
  console.setCursorVisible(false);
  setMouseReporting(console, kLeftButton, kMousePressed | kMouseDoubleClick);
  setMouseInput(console, true);
  console.clearScreen();
}

// The menu's lines, each a place a click chooses it.
void FullScreenFace::drawMenu(Session& session) {
  Console& console = platform_.console;
  const PoolEdition& edition = session.edition();
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  const int row = kMenuOriginRow;
  const int column = kMenuOriginColumn;
  const std::string pools = poolLabel(edition) + "      ";
  constexpr std::string_view kPoolsLabel = "L. Other pools";
  std::string poolRow = pools;  // appended: GCC 12 at -O3 misreads a + of two strings as an overlapping copy
  poolRow += kPoolsLabel;
  writeAt(console, kPoolRow, column, poolRow);
  writeAt(console, row, column, "                       <<< Pentrill >>>");
  writeAt(console, row + 1, column, rule(80));
  menuClicks_.clear();
  const int poolsColumn = column + static_cast<int>(pools.size());
  menuClicks_.add(kPoolRow, poolsColumn, poolsColumn + static_cast<int>(kPoolsLabel.size()) - 1,
                  MenuChoice{MenuCommand::Pools});
  for (size_t i = 0; i < edition.menuLines.size(); ++i) {
    const int lineRow = row + 2 + static_cast<int>(i);
    writeAt(console, lineRow, column, edition.menuLines[i]);
    const MenuChoice choice = i < kSubelementCount ? MenuChoice{MenuCommand::Drill, static_cast<int>(i)}
                                                   : MenuChoice{MenuCommand::PracticeExam};
    menuClicks_.add(lineRow, 1, kScreenColumns, choice);
  }
  writeAt(console, row + 14, column, "          Pick the sub element you want to practice (0-9, P, ?)");
  console.rest = {row + 14, column + 10};
  drawExpiryNotice(console, edition, localDate(platform_.clock.now()));
}

// Rows 22 and 24 under the menu: the chance of passing and the study keys,
// or why the record is off; nothing with --no-record.
void FullScreenFace::drawStudyRows(Session& session) {
  const StudyRows rows = studyRows(session);
  Console& console = platform_.console;
  console.setColours(kBrightWhite, kBlue);
  if (rows.chanceLine) {
    writeAt(console, kStudyRow, kMenuOriginColumn, *rows.chanceLine);
    writeAt(console, kStudyKeysRow, kMenuOriginColumn, kStudyKeysLine);
  } else if (rows.recordOff) {
    writeAt(console, kStudyRow, kMenuOriginColumn,
            session.record.offLine(kScreenColumns - kMenuOriginColumn + 1));
  }
}

MenuChoice FullScreenFace::menu(Session& session) {
  drawMenu(session);
  drawStudyRows(session);
  // The record's soundness is checked once the first frame is out and no key
  // has come for a moment; a record found damaged is turned off, and the
  // menu says so.
  bool checking = !recordCheckEnded(session.record, false);
  for (;;) {
    const std::optional<Key> waited = waitKey(platform_.console, checking ? kRecordCheckDelayMilliseconds : 0);
    if (!waited) {
      checking = false;
      const bool wasOn = session.record.on();
      recordCheckEnded(session.record, true);
      if (wasOn && !session.record.on()) {
        drawMenu(session);
        drawStudyRows(session);
      }
      continue;
    }
    const Key key = *waited;
    const std::optional<MenuChoice> choice =
        key.isMouse() ? menuClicks_.at(key.row, key.column) : menuKeyChoice(key, session);
    if (choice) return *choice;
  }
}

// The help text, the pool in force, and what else there is; ? turns to
// the page of every key, any other key or click returns to the menu.
void FullScreenFace::showHelp(const Session& session) {
  Console& console = platform_.console;
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  console.rest = {2, 3};
  for (std::string_view line : session.edition().helpLines) {
    console.write(line);
    console.endLine();
  }
  console.locate(kTodaysPoolRow, 1);
  for (const std::string& line : todaysPoolLines(session.edition(), localDate(platform_.clock.now()))) {
    console.write("  " + line);
    console.endLine();
  }
  writeAt(console, kMoreKeysRow, 1,
          "  At the menu: R study session, T progress, W your mistakes, L other pools; F shows a figure.");
  writeAt(console, kMoreKeysRow + 2, 1,
          "  Press ? for the keys of every screen; any other key returns to the menu.");
  if (waitKey(console).is(kKeysPageKey)) {
    console.clearScreen();
    for (const std::string& line : keysPage()) {
      console.write(line);
      console.endLine();
    }
    waitKey(console);
  }
  console.clearScreen();
}

void FullScreenFace::showMessage(const std::vector<std::string>& lines) {
  Console& console = platform_.console;
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  int row = 21;
  console.rest = {row, std::max(1, (kScreenColumns - static_cast<int>(lines.front().size())) / 2 + 1)};
  for (const std::string& line : lines) {
    writeAt(console, row++, std::max(1, (kScreenColumns - static_cast<int>(line.size())) / 2 + 1), line);
  }
  writeAt(console, row + 1, 37, "Press any key to continue.");
  waitKey(console);
}

MissedChoice FullScreenFace::showProgress(const StudyReport& report, bool missedOffered) {
  drawProgressScreen(platform_.console, report);
  if (missedOffered)
    writeAt(platform_.console, 42, 10,
            "M. The questions you missed in the last exam, with the right answers   D. A drill of them");
  return missedChoiceOf(waitKey(platform_.console), missedOffered);
}

void FullScreenFace::farewell() {
  Console& console = platform_.console;
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 21, 28, "Thanks for playing.  Have a real nice day.");
  console.rest = {21, 28};
  console.endLine();
  console.pause(5000);
}

}  // namespace pentrill
