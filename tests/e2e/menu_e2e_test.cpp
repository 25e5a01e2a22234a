// The real program in a 100 x 43 pseudo-terminal: start-up, the main menu,
// the help and farewell screens, the ways out and the terminal left behind.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "pty_terminal.h"

namespace pentrill::e2e {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kBinary = PENTRILL_BINARY;
constexpr const char* kTitle = "Pentrill By Tarvold QQ0QQQ v2021.05.03a";
constexpr int kRows = 43;
constexpr int kColumns = 100;
constexpr int kBlue = 1;
constexpr int kBrightWhite = 15;
// Long enough for a program that wrongly reacts to show it.
constexpr milliseconds kSettleTime{600};

struct Placed {
  int row;
  int column;
  std::string text;  // UTF-8
};

std::string repeat(std::string_view piece, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += piece;
  return result;
}

// The default pool expired on June 30, 2024: from the next local day on the
// menu says so on row 26, in yellow.
bool defaultPoolExpired() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::tuple(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) > std::tuple(2024, 6, 30);
}
constexpr int kExpiryRow = 26;
constexpr int kYellow = 14;
constexpr const char* kExpired =
    "This pool expired on June 30, 2024. For today's exams start Pentrill with --pool 2024-2028.";

const std::vector<Placed>& menuTexts() {
  static const std::vector<Placed> texts = [] {
    std::vector<Placed> placed = {
      // The licence class and pool in use, and the key to another pool.
      {4, 10, "Amateur Extra (Element 4), pool 2020-2024      L. Other pools"},
      {6, 10, "                       <<< Pentrill >>>"},
      {7, 10, repeat("\u2500", 80)},
      {8, 10, "0. SUBELEMENT E0 \u2013 SAFETY - [1 exam question \u2013 1 group]"},
      {9, 10, "1. SUBELEMENT E1 \u2014 COMMISSION RULES [6 Exam Questions \u2014 6 Groups]"},
      {10, 10, "2. SUBELEMENT E2 - OPERATING PROCEDURES [5 Exam Questions - 5 Groups]"},
      {11, 10, "3. SUBELEMENT E3 - RADIO WAVE PROPAGATION [3 Exam Questions - 3 Groups]"},
      {12, 10, "4. SUBELEMENT E4 - AMATEUR PRACTICES [5 Exam Questions - 5 Groups]"},
      {13, 10, "5. SUBELEMENT E5 \u2013 ELECTRICAL PRINCIPLES [4 Exam Questions - 4 Groups]"},
      {14, 10, "6. SUBELEMENT E6 - CIRCUIT COMPONENTS [6 Exam Questions - 6 Groups]"},
      {15, 10, "7. SUBELEMENT E7 - PRACTICAL CIRCUITS [8 Exam Questions - 8 Groups]"},
      {16, 10, "8. SUBELEMENT E8 - SIGNALS AND EMISSIONS [4 Exam Questions - 4 Groups]"},
      {17, 10, "9. SUBELEMENT E9 - ANTENNAS AND TRANSMISSION LINES [8 Exam Questions - 8 Groups]"},
      {18, 10, "P. Practice Test"},
      {20, 10, "          Pick the sub element you want to practice (0-9, P, ?)"},
      // A fresh study record: nothing known, the chance of passing below 0.1%.
      {22, 10, "Chance of passing an exam today: <0.1%   Known: 0 of 620   Due for review: 0"},
      {24, 10, "R. Study session (20 questions that raise your chance most)   T. Progress   W. Mistakes"},
    };
    if (defaultPoolExpired()) placed.push_back({kExpiryRow, 10, kExpired});
    return placed;
  }();
  return texts;
}

// How the dashes are drawn: as they are, or as ASCII under a locale that is
// not UTF-8 (the rule is the terminal's line-drawing character either way).
enum class Dashes { Unicode, Ascii };

std::string withDashes(std::string text, Dashes dashes) {
  if (dashes == Dashes::Ascii)
    for (const char* dash : {"\u2013", "\u2014"})
      for (size_t at = text.find(dash); at != std::string::npos; at = text.find(dash)) text.replace(at, 3, "-");
  return text;
}

// The 43 rows of 100 cells that the user must see: the menu texts on blanks.
std::vector<std::string> menuRows(Dashes dashes) {
  std::vector<std::string> rows(kRows + 1, std::string(kColumns, ' '));  // rows[1..43]
  for (const Placed& placed : menuTexts()) {
    const int tail = kColumns - (placed.column - 1) - cellCount(placed.text);
    rows[placed.row] = std::string(placed.column - 1, ' ') + withDashes(placed.text, dashes) + std::string(tail, ' ');
  }
  return rows;
}

// The top-left 100 x 43 cells hold the menu, bright white on blue, nothing else.
::testing::AssertionResult menuShown(const PtyTerminal& term, Dashes dashes = Dashes::Unicode) {
  if (term.rows() < kRows || term.columns() < kColumns) return ::testing::AssertionFailure() << "terminal too small";
  const std::vector<std::string> expected = menuRows(dashes);
  for (int row = 1; row <= kRows; ++row) {
    const std::string actual = term.textAt(row, 1, kColumns);
    if (actual != expected[row])
      return ::testing::AssertionFailure() << "row " << row << "\nexpected \"" << expected[row] << "\"\nfound    \""
                                           << actual << "\"\nscreen:\n"
                                           << term.screenDump();
  }
  for (int row = 1; row <= kRows; ++row) {
    for (int column = 1; column <= kColumns; ++column) {
      const Cell cell = term.cell(row, column);
      const int foreground = row == kExpiryRow ? kYellow : kBrightWhite;
      if (cell.background != kBlue || (cell.text != " " && cell.foreground != foreground))
        return ::testing::AssertionFailure() << "row " << row << " column " << column << " \"" << cell.text << "\" in "
                                             << cell.foreground << " on " << cell.background << ", not "
                                             << foreground << " on 1";
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult waitForMenu(PtyTerminal& term, milliseconds timeout = kDefaultTimeout,
                                       Dashes dashes = Dashes::Unicode) {
  term.waitFor([&] { return static_cast<bool>(menuShown(term, dashes)); }, timeout);
  return menuShown(term, dashes);
}

// The program started through a shell that first writes a line on the
// terminal's main screen, to see that the program gives it back.
constexpr const char* kMainScreenLine = "written before the program";

PtyOptions afterAMainScreenLine(int rows = kRows, int columns = kColumns) {
  PtyOptions options;
  options.rows = rows;
  options.columns = columns;
  options.arguments = {"-c", std::string("printf '") + kMainScreenLine + "\\r\\n'; exec \"$0\"", kBinary};
  return options;
}

// Everything the program switched on is off again, the main screen is back
// with what it showed before, and the pty's settings are as they were.
void expectTerminalRestored(const PtyTerminal& term) {
  EXPECT_FALSE(term.altScreen()) << "still on the alternate screen";
  EXPECT_TRUE(term.cursorVisible()) << "cursor left hidden";
  EXPECT_EQ(term.mouseMode(), 0) << "mouse reporting left on";
  EXPECT_FALSE(term.decMode(1000) || term.decMode(1002) || term.decMode(1003)) << "mouse tracking left on";
  EXPECT_TRUE(sameTermios(term.initialTermios(), term.currentTermios()))
      << "before: " << describeTermios(term.initialTermios()) << "\nafter:  " << describeTermios(term.currentTermios());
  EXPECT_GE(term.titlePushes(), 1) << "the old title was never saved";
  EXPECT_EQ(term.titlePops(), term.titlePushes()) << "the old title was not restored";
  EXPECT_EQ(term.textAt(1, 1, cellCount(kMainScreenLine)), kMainScreenLine) << term.screenDump();
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(MenuEndToEnd, StartsWithTheMenuExactlyInBrightWhiteOnBlue) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(waitForMenu(term));
  EXPECT_EQ(term.title(), kTitle);
  EXPECT_TRUE(term.altScreen());
  EXPECT_FALSE(term.cursorVisible());
  EXPECT_NE(term.mouseMode(), 0) << "mouse reporting is not on";
  // The dashes that differ between the lines, cell by cell.
  EXPECT_EQ(term.cell(8, 27).text, "\u2013");
  EXPECT_EQ(term.cell(8, 36).text, "-");
  EXPECT_EQ(term.cell(8, 55).text, "\u2013");
  EXPECT_EQ(term.cell(9, 27).text, "\u2014");
  EXPECT_EQ(term.cell(9, 64).text, "\u2014");
  EXPECT_EQ(term.cell(13, 27).text, "\u2013");
  EXPECT_EQ(term.cell(13, 69).text, "-");
  EXPECT_EQ(term.cell(7, 9).text, " ");
  EXPECT_EQ(term.cell(7, 10).text, "\u2500");
  EXPECT_EQ(term.cell(7, 89).text, "\u2500");
  EXPECT_EQ(term.cell(7, 90).text, " ");
}

// Under a locale that is not UTF-8 the program follows the locale, as it
// cannot know that the terminal shows UTF-8: the same menu in ASCII, and not
// one byte above 127 sent.
TEST(MenuEndToEnd, ShowsTheSameMenuInAsciiUnderTheCLocale) {
  PtyOptions options;
  options.environment = {"LANG=C", "LC_ALL=C"};
  PtyTerminal term(kBinary, options);
  EXPECT_TRUE(waitForMenu(term, kDefaultTimeout, Dashes::Ascii));
  const std::string& sent = term.received();
  const auto high = std::find_if(sent.begin(), sent.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  EXPECT_EQ(high, sent.end()) << "a byte above 127 at offset " << (high - sent.begin());
}

const char* const kHelpLine2 =
    "  Welcome the Amateur Radio Extra Exam Practice Program.  This program will help you to prepare";
const char* const kHelpLine23 = "                       Tarvold (QQ0QQQ)  email: ";

// A few lines of the help screen, byte for byte, on a blank blue screen.
::testing::AssertionResult helpShown(const PtyTerminal& term) {
  const std::vector<Placed> lines = {
      {1, 1, ""},
      {2, 1, kHelpLine2},
      {5, 1, "  the official ARRL test except in how it selects questions."},
      {12, 1, "  drill on."},
      {20, 1, "  ARRL's 12 edition of the Extra Class study guide.  Questions are from the 2020-2024 Extra"},
      {27, 1, " Square Root is shpwn as SQRT() and the anti-log which in the book is shown as log raised to"},
      {29, 1, " "},
      {34, 1, " If the Hint prompt is showing pressing the H key will Display Hint."},
  };
  for (const Placed& line : lines) {
    const std::string expected = line.text + std::string(kColumns - cellCount(line.text), ' ');
    if (term.rowText(line.row) != expected)
      return ::testing::AssertionFailure() << "help row " << line.row << " is \"" << term.rowText(line.row) << "\"";
  }
  if (term.textAt(23, 1, cellCount(kHelpLine23)) != kHelpLine23)
    return ::testing::AssertionFailure() << "help row 23 is \"" << term.rowText(23) << "\"";
  // Below the 34 lines: which pool is in force today, and that the pool in
  // use has expired.
  const std::string today = term.rowText(36);
  if (!today.starts_with("  Today (") &&
      !today.starts_with("  No Amateur Extra pool that this Pentrill carries is in force today ("))
    return ::testing::AssertionFailure() << "help row 36 is \"" << today << "\"";
  const std::string expired = "  The pool in use, 2020-2024, expired on June 30, 2024.";
  if (defaultPoolExpired() && term.rowText(37) != expired + std::string(kColumns - expired.size(), ' '))
    return ::testing::AssertionFailure() << "help row 37 is \"" << term.rowText(37) << "\"";
  // Then the other keys and the way to the page of every key.
  if (!term.rowText(41).starts_with("  Press ? for the keys of every screen; any other key returns to the menu."))
    return ::testing::AssertionFailure() << "help row 41 is \"" << term.rowText(41) << "\"";
  for (int row = 35; row <= kRows; ++row)
    if (row != 36 && row != 37 && row != 39 && row != 41 && term.rowText(row) != std::string(kColumns, ' '))
      return ::testing::AssertionFailure() << "row " << row << " not blank: \"" << term.rowText(row) << "\"";
  for (int row = 1; row <= kRows; ++row)
    for (int column = 1; column <= kColumns; ++column)
      if (term.background(row, column) != kBlue)
        return ::testing::AssertionFailure() << "row " << row << " column " << column << " not on blue";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult waitForHelp(PtyTerminal& term) {
  term.waitFor([&] { return static_cast<bool>(helpShown(term)); });
  if (auto shown = helpShown(term); !shown) return shown << "\nscreen:\n" << term.screenDump();
  return ::testing::AssertionSuccess();
}

TEST(MenuEndToEnd, HelpScreenAndBackOnAnyKeyOrClick) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(waitForMenu(term));

  term.send("?");
  ASSERT_TRUE(waitForHelp(term));
  term.send("z");
  ASSERT_TRUE(waitForMenu(term));

  term.send("?");
  ASSERT_TRUE(waitForHelp(term));
  term.click(30, 50);
  ASSERT_TRUE(waitForMenu(term));

  // Esc on the help screen is just a key: back to the menu, not the end.
  term.send("?");
  ASSERT_TRUE(waitForHelp(term));
  term.sendEscape();
  ASSERT_TRUE(waitForMenu(term));
  term.settle(kSettleTime);
  EXPECT_TRUE(term.running());
  EXPECT_TRUE(menuShown(term));

  // ? on the help screen turns to the page of every key; any key returns.
  term.send("?");
  ASSERT_TRUE(waitForHelp(term));
  term.send("?");
  ASSERT_TRUE(term.waitForText(2, 1, "  Keys")) << term.screenDump();
  EXPECT_TRUE(term.waitForText(4, 1, "  At the menu:"));
  term.send("x");
  ASSERT_TRUE(waitForMenu(term));
}

TEST(MenuEndToEnd, IgnoredKeysAndClicksLeaveTheScreenUnchanged) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(waitForMenu(term));
  term.settle(kSettleTime);
  const ScreenSnapshot menu = term.snapshot();

  term.send("x");
  term.sendUp();
  term.sendF1();
  term.sendEnter();
  // Keys of other terminals (PuTTY's F1, Home and End; cursor keys in normal
  // mode) that this terminal type does not describe must not read as Esc.
  for (const char* sequence : {"\x1b[11~", "\x1b[1~", "\x1b[4~", "\x1b[25~", "\x1b[A", "\x1b[H"}) term.send(sequence);
  for (int row : {6, 7, 19, 20}) term.click(row, 20);
  term.click(1, 1);
  // Only the left button counts: a right click on a subelement row does nothing.
  term.click(8, 20, MouseButton::Right);
  term.settle(kSettleTime);
  EXPECT_EQ(term.snapshot(), menu) << menu.differences(term.snapshot()) << term.screenDump();
  EXPECT_TRUE(term.running());

  // The program still reads its input.
  term.send("?");
  EXPECT_TRUE(term.waitForText(2, 1, kHelpLine2));
}

constexpr const char* kOrderPrompt = "Do you want the questions to be presented [R]andomly or in [S]equence?";

TEST(MenuEndToEnd, ClickAnywhereOnASubelementRowStartsItsDrill) {
  {
    PtyTerminal term(kBinary);
    ASSERT_TRUE(waitForMenu(term));
    term.click(8, 95);  // right of the text
    EXPECT_TRUE(term.waitForText(21, 15, kOrderPrompt));
  }
  {
    PtyTerminal term(kBinary);
    ASSERT_TRUE(waitForMenu(term));
    term.click(17, 10);
    EXPECT_TRUE(term.waitForText(21, 15, kOrderPrompt));
  }
}

constexpr const char* kPreparing = "One moment please, preparing your test...";

TEST(MenuEndToEnd, RowEighteenAndPReachThePracticeExam) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(waitForMenu(term));
  for (const char* how : {"click", "P", "p"}) {
    SCOPED_TRACE(how);
    if (std::string_view(how) == "click") {
      term.click(18, 80);  // right of "P. Practice Test"
    } else {
      term.send(how);
    }
    // The notice stays on the screen while the exam is prepared.
    ASSERT_TRUE(term.waitForText(21, 29, kPreparing));
    ASSERT_TRUE(term.waitForText(25, 60, "Stop Exam"));
    term.send("s");
    ASSERT_TRUE(term.waitForText(25, 26, "Are you sure you want to end the Exam? [Y] or [N]"));
    term.send("y");
    ASSERT_TRUE(term.waitForText(25, 35, "Press any key to end the exam."));
    term.send(" ");
    ASSERT_TRUE(waitForMenu(term));
  }
}

constexpr const char* kFarewell = "Thanks for playing.  Have a real nice day.";

// The farewell line at row 21, column 28, alone on a blue screen.
::testing::AssertionResult farewellShown(const PtyTerminal& term) {
  for (int row = 1; row <= kRows; ++row) {
    std::string expected(kColumns, ' ');
    if (row == 21) expected.replace(27, std::string(kFarewell).size(), kFarewell);
    if (term.rowText(row) != expected)
      return ::testing::AssertionFailure() << "row " << row << " is \"" << term.rowText(row) << "\"";
    for (int column = 1; column <= kColumns; ++column) {
      const Cell cell = term.cell(row, column);
      if (cell.background != kBlue || (cell.text != " " && cell.foreground != kBrightWhite))
        return ::testing::AssertionFailure() << "row " << row << " column " << column << " not 15 on 1";
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult waitForFarewell(PtyTerminal& term) {
  term.waitFor([&] { return static_cast<bool>(farewellShown(term)); });
  if (auto shown = farewellShown(term); !shown) return shown << "\nscreen:\n" << term.screenDump();
  return ::testing::AssertionSuccess();
}

TEST(MenuEndToEnd, EscShowsTheFarewellForFiveSecondsAndRestoresTheTerminal) {
  PtyTerminal term("/bin/sh", afterAMainScreenLine());
  ASSERT_TRUE(waitForMenu(term));
  const auto pressed = Clock::now();
  term.sendEscape();
  ASSERT_TRUE(waitForFarewell(term));
  // Keys do not cut the pause short.
  term.send("x");
  term.sendEscape();
  const std::optional<ExitStatus> status = term.waitExit();
  const double seconds = secondsSince(pressed);
  ASSERT_TRUE(status);
  EXPECT_TRUE(status->exited) << status->describe();
  EXPECT_EQ(status->code, 0);
  EXPECT_GE(seconds, 4.5);
  EXPECT_LE(seconds, 8.0);
  expectTerminalRestored(term);
}

struct SignalCase {
  const char* name;
  int signal;  // 0: Ctrl-C typed on the terminal
  int status;
};

void PrintTo(const SignalCase& signalCase, std::ostream* out) { *out << signalCase.name; }

class MenuSignalEndToEnd : public ::testing::TestWithParam<SignalCase> {};

TEST_P(MenuSignalEndToEnd, EndsAtOnceWithTheTerminalRestored) {
  PtyTerminal term("/bin/sh", afterAMainScreenLine());
  ASSERT_TRUE(waitForMenu(term));
  const auto sent = Clock::now();
  if (GetParam().signal == 0) {
    term.sendCtrlC();
  } else {
    term.sendSignal(GetParam().signal);
  }
  const std::optional<ExitStatus> status = term.waitExit(milliseconds{4000});
  ASSERT_TRUE(status) << "still running";
  EXPECT_LT(secondsSince(sent), 2.0);
  EXPECT_EQ(status->shellStatus(), GetParam().status) << status->describe();
  expectTerminalRestored(term);
}

INSTANTIATE_TEST_SUITE_P(Signals, MenuSignalEndToEnd,
                         ::testing::Values(SignalCase{"CtrlC", 0, 130}, SignalCase{"Sigterm", SIGTERM, 143},
                                           SignalCase{"Sighup", SIGHUP, 129}),
                         [](const auto& info) { return std::string(info.param.name); });

// The notice of a terminal that is too small: in the top-left, naming the
// size needed and the size there is.
::testing::AssertionResult tooSmallNoticeShown(PtyTerminal& term, int rows, int columns) {
  const std::regex needed("100\\D{1,24}43");
  const std::regex present(std::to_string(columns) + "\\D{1,24}" + std::to_string(rows));
  auto topLeft = [&] {
    std::string text;
    for (int row = 1; row <= 3; ++row) text += term.textAt(row, 1, std::min(term.columns(), 80)) + "\n";
    return text;
  };
  auto shown = [&] {
    const std::string text = topLeft();
    return text[0] != ' ' && std::regex_search(text, needed) && std::regex_search(text, present);
  };
  if (term.waitFor(shown)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no notice naming 100 x 43 and " << columns << " x " << rows
                                       << " in the top-left:\n"
                                       << term.screenDump();
}

TEST(MenuEndToEnd, TooSmallTerminalShowsANoticeUntilItIsLargeEnough) {
  PtyOptions small;
  small.rows = 24;
  small.columns = 80;
  PtyTerminal term(kBinary, small);
  ASSERT_TRUE(tooSmallNoticeShown(term, 24, 80));
  EXPECT_GT(term.countReceived("\x1b[8;43;100t"), 0u) << "the program did not ask the terminal to grow";
  EXPECT_TRUE(term.running());
  term.resize(kRows, kColumns);
  EXPECT_TRUE(waitForMenu(term));
}

TEST(MenuEndToEnd, ResizingNeverLosesTheMenu) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(waitForMenu(term));
  term.resize(30, 90);
  ASSERT_TRUE(tooSmallNoticeShown(term, 30, 90));
  term.resize(kRows, kColumns);
  ASSERT_TRUE(waitForMenu(term));
  // Larger than needed: the menu stays in the top-left 100 x 43 cells.
  term.resize(50, 120);
  term.settle(kSettleTime);
  EXPECT_TRUE(waitForMenu(term));
  // Keys still work after all that.
  term.send("?");
  EXPECT_TRUE(term.waitForText(2, 1, kHelpLine2));
}

TEST(MenuEndToEnd, EscAtTheTooSmallNoticeEndsTheProgram) {
  PtyTerminal term("/bin/sh", afterAMainScreenLine(24, 80));
  ASSERT_TRUE(tooSmallNoticeShown(term, 24, 80));
  term.sendEscape();
  const std::optional<ExitStatus> status = term.waitExit();
  ASSERT_TRUE(status) << "still running";
  EXPECT_EQ(status->shellStatus(), 0) << status->describe();
  expectTerminalRestored(term);
}

TEST(MenuEndToEnd, WithoutATerminalSaysSoOnOneLineAndExitsWithOne) {
  for (DetachedInput input : {DetachedInput::DevNull, DetachedInput::Pseudoterminal}) {
    SCOPED_TRACE(input == DetachedInput::DevNull ? "input /dev/null" : "input a tty, output a pipe");
    const DetachedRun run = runDetached(kBinary, input);
    ASSERT_TRUE(run.status) << "still running";
    EXPECT_TRUE(run.status->exited) << run.status->describe();
    EXPECT_EQ(run.status->code, 1);
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.terminalOutput, "") << "wrote to the terminal";
    ASSERT_FALSE(run.standardError.empty());
    EXPECT_EQ(run.standardError.find('\n'), run.standardError.size() - 1) << "not one line: " << run.standardError;
    EXPECT_NE(run.standardError.find("interactive terminal"), std::string::npos) << run.standardError;
  }
}

}  // namespace
}  // namespace pentrill::e2e
