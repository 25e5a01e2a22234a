#include "drill/program.h"

#include <cmath>
#include <optional>
#include <string_view>

#include "pool/pool.h"
#include "screen/input.h"

namespace pentrill {

namespace {

constexpr int kMenuOriginRow = 6;
constexpr int kMenuOriginColumn = 10;
constexpr int kPracticeExamChoice = 10;
constexpr int kFarewell = -1;

// The menu in Windows-1252: 0x96 is the en dash, 0x97 the em dash.
constexpr std::string_view kMenuLines[] = {
    "0. SUBELEMENT E0 \x96 SAFETY - [1 exam question \x96 1 group]",
    "1. SUBELEMENT E1 \x97 COMMISSION RULES [6 Exam Questions \x97 6 Groups]",
    "2. SUBELEMENT E2 - OPERATING PROCEDURES [5 Exam Questions - 5 Groups]",
    "3. SUBELEMENT E3 - RADIO WAVE PROPAGATION [3 Exam Questions - 3 Groups]",
    "4. SUBELEMENT E4 - AMATEUR PRACTICES [5 Exam Questions - 5 Groups]",
    "5. SUBELEMENT E5 \x96 ELECTRICAL PRINCIPLES [4 Exam Questions - 4 Groups]",
    "6. SUBELEMENT E6 - CIRCUIT COMPONENTS [6 Exam Questions - 6 Groups]",
    "7. SUBELEMENT E7 - PRACTICAL CIRCUITS [8 Exam Questions - 8 Groups]",
    "8. SUBELEMENT E8 - SIGNALS AND EMISSIONS [4 Exam Questions - 4 Groups]",
    "9. SUBELEMENT E9 - ANTENNAS AND TRANSMISSION LINES [8 Exam Questions - 8 Groups]",
    "P. Practice Test",
};

constexpr std::string_view kHelpLines[] = {
    "",
    "  Welcome the Amateur Radio Extra Exam Practice Program.  This program will help you to prepare",
    "  for the Amateur Extra Test.  This program allows you to choose which sub element of the Extra",
    "  test you would like to prepare for.  This practice program is intended to look and act like",
    "  the official ARRL test except in how it selects questions.",
    "",
    "  The program will present questions in a random order from the sub element you choose.  If you",
    "  answer a question incorrectly the program will tell you and then move on to the next randomly",
    "  chosen question.  The test will continue until you have answered all questions correctly or you",
    "  can select to stop the drill at any point.  Once you have completed a sub element by answering",
    "  all the questions correctly you can go back to the main menu and select another sub element to",
    "  drill on.",
    "",
    "  You can use your mouse to select the correct answer in the lower left corner of the screen by",
    "  clicking on A-D.  However I have found it faster to type in the answer from the keyboard.  You",
    "  can toggle the peek feature on or off by tapping the spacebar.",
    "",
    "  I hope you enjoy this program.  If you have any questions, comments, or if you find any errors",
    "  or software bugs please let us know.  All references to pages and figures can be found in the",
    "  ARRL's 12 edition of the Extra Class study guide.  Questions are from the 2020-2024 Extra",
    "  Class question pool as issued February 24, 2020.",
    "",
    "                       Tarvold (QQ0QQQ)  email: ",
    "",
    " A note about the equations:  Where possible I have converted the equations that are presented",
    " in the study guide into formulas as they would appear in Microsoft Excel.  For example:",
    " Square Root is shpwn as SQRT() and the anti-log which in the book is shown as log raised to",
    " the power of -1 is converted into 10^n (10 raised to the power of n).",
    " ",
    " You can use the mouse or the keyboard for input.  The following keys can be used:",
    " A=answer A, B=answer B, C=answer C, D=answer D",
    " S=Stop the drill and select another module,  [Space Bar]=Toggle Peek.  If Peek is on then the",
    " Answer will appear in the top left of the screen next to the question ID.",
    " If the Hint prompt is showing pressing the H key will Display Hint.",
};

int secondsOfDayNow(Platform& platform) {
  return static_cast<int>(std::lround(platform.clock.now().secondsSinceMidnight));
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

void drawMenu(Console& console) {
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  const int row = kMenuOriginRow;
  const int column = kMenuOriginColumn;
  writeAt(console, row, column, "                       <<< Pentrill >>>");
  writeAt(console, row + 1, column, rule(80));
  for (int i = 0; i < static_cast<int>(std::size(kMenuLines)); ++i) writeAt(console, row + 2 + i, column, kMenuLines[i]);
  writeAt(console, row + 14, column, "          Pick the sub element you want to practice (0-9, P, ?)");
}

// The choice a key or click stands for: 0 to 9 a subelement, 10 the practice
// exam, kFarewell for Esc; nothing for input the menu ignores.
std::optional<int> menuChoice(Console& console, const KeyString& key) {
  if (key == std::string(1, kEscape)) return kFarewell;
  if (isMouseKey(key)) {
    const int row = mouseRow(console);
    if (row >= 8 && row <= 17) return row - 8;
    if (row == 18) return kPracticeExamChoice;
    return std::nullopt;
  }
  if (key.size() == 1 && key[0] >= '0' && key[0] <= '9') return key[0] - '0';
  if (key == "P" || key == "p") return kPracticeExamChoice;
  return std::nullopt;
}

// One visit of the menu; returns the accepted choice or kFarewell.
int runMenu(Platform& platform, ProgramState& state) {
  for (;;) {
    state.shownNumber = 0;
    const int startSeconds = secondsOfDayNow(platform);
    drawMenu(platform.console);
    for (;;) {
      const KeyString key = waitKey(platform.console, 0);
      if (key == "?") {
        showHelpScreen(platform);
        break;  // enter the menu again
      }
      if (std::optional<int> choice = menuChoice(platform.console, key)) {
        state.menuSeconds = secondsOfDayNow(platform) - startSeconds;
        return *choice;
      }
    }
  }
}

// Returns true when the program is to end.
bool dispatch(int choice, Platform& platform, ProgramState& state) {
  state.doneFlags.fill(0);
  state.drillPool.clear();
  if (choice < kPracticeExamChoice) {
    loadSubelementPool(choice, state.drillPool);
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

void showHelpScreen(Platform& platform) {
  Console& console = platform.console;
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  for (std::string_view line : kHelpLines) {
    console.write(line);
    console.endLine();
  }
  waitKey(console, 0);
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
  setUpConsole(platform.console);
  for (;;) {
    const int choice = runMenu(platform, state);
    if (choice == kFarewell || dispatch(choice, platform, state)) break;
  }
  showFarewellScreen(platform);
  return 0;
}

}  // namespace pentrill
