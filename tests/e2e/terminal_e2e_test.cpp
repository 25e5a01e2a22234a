// The real program against terminals that misbehave or are used roughly:
// bursts of clicks, old-style mouse reports, unfinished and Alt sequences,
// pastes, keys typed at the too-small notice or while the program ends,
// Ctrl-Z under a job-control parent, hang-ups, crashes, second signals,
// huge sizes, LINES/COLUMNS left in the environment, terminfo entries
// without a size, and NO_COLOR.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "pty_terminal.h"

namespace pentrill::e2e {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kBinary = PENTRILL_BINARY;
constexpr const char* kJobParent = PENTRILL_JOB_PARENT;
constexpr int kBlue = 1;
constexpr int kBrightWhite = 15;
constexpr int kBarRow = 25;
constexpr int kRows = 43;
constexpr int kColumns = 100;
constexpr milliseconds kSettleTime{600};
// Past the program's escape delay (25 ms), with a wide margin: on a busy
// machine the end of a timed sleep can be noticed late.
constexpr milliseconds kPastEscapeDelay{200};
constexpr const char* kMenuPrompt = "Pick the sub element you want to practice (0-9, P, ?)";
constexpr const char* kHelpLine2 =
    "  Welcome the Amateur Radio Extra Exam Practice Program.  This program will help you to prepare";
constexpr const char* kOrderPrompt = "Do you want the questions to be presented [R]andomly or in [S]equence?";
constexpr const char* kStartPrompt = "Start with Question: ";
constexpr const char* kFarewell = "Thanks for playing.  Have a real nice day.";
constexpr const char* kComeBack = "We will come back to this question again.";

::testing::AssertionResult waitForMenu(PtyTerminal& term, milliseconds timeout = kDefaultTimeout) {
  if (auto shown = term.waitForText(20, 20, kMenuPrompt, timeout); !shown) return shown;
  // A frame may arrive in several reads: the top line comes first.
  if (auto shown = term.waitForText(6, 33, "<<< Pentrill >>>", timeout); !shown) return shown;
  if (term.background(20, 20) != kBlue) return ::testing::AssertionFailure() << "menu not on blue";
  return ::testing::AssertionSuccess();
}

std::string runTime(const PtyTerminal& term) { return term.textAt(kBarRow, 50, 18); }

bool textThere(const PtyTerminal& term, int row, int column, std::string_view text) {
  return term.textAt(row, column, cellCount(text)) == text;
}

bool questionShown(const PtyTerminal& term) {
  return term.textAt(kBarRow, 50, 10) == "Run Time: " && term.textAt(2, 2, 13) == "Question ID: " &&
         (term.textAt(kBarRow, 90, 8) == "Peek Off" || term.textAt(kBarRow, 90, 8) == "Peek On ");
}

::testing::AssertionResult waitForQuestion(PtyTerminal& term) {
  if (term.waitFor([&] { return questionShown(term); })) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no question screen:\n" << term.screenDump();
}

::testing::AssertionResult startRandomDrill(PtyTerminal& term) {
  if (auto menu = waitForMenu(term); !menu) return menu;
  term.send("0");
  if (auto order = term.waitForText(21, 15, kOrderPrompt); !order) return order;
  term.send("r");
  return waitForQuestion(term);
}

bool peekOn(const PtyTerminal& term) { return term.textAt(kBarRow, 90, 8) == "Peek On "; }

// Everything the program switched is off again and the pty's modes are
// exactly those the program found.
void expectTerminalRestored(const PtyTerminal& term) {
  EXPECT_FALSE(term.altScreen()) << "still on the alternate screen";
  EXPECT_TRUE(term.cursorVisible()) << "cursor left hidden";
  EXPECT_EQ(term.mouseMode(), 0) << "mouse reporting left on";
  EXPECT_FALSE(term.decMode(2004)) << "bracketed paste left on";
  EXPECT_TRUE(sameTermios(term.initialTermios(), term.currentTermios()))
      << "before: " << describeTermios(term.initialTermios()) << "\nafter:  " << describeTermios(term.currentTermios());
}

// A sanitizer, where the program was built with one, must leave a crash
// signal to the program's own handling.
std::string withoutSanitizerSignalHandling() {
  const char* present = std::getenv("ASAN_OPTIONS");
  std::string options = present != nullptr ? present : "";
  if (!options.empty()) options += ":";
  return "ASAN_OPTIONS=" + options + "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_abort=0";
}

TEST(TerminalEndToEnd, LinesAndColumnsLeftInTheEnvironmentDoNotOverrideTheTerminal) {
  PtyOptions options;
  options.environment = {"LINES=20", "COLUMNS=50"};
  PtyTerminal term(kBinary, options);
  EXPECT_TRUE(waitForMenu(term));
}

// The Linux console's entry, and others, name no size: it comes from the
// terminal (here larger than the screen, so that a made-up 80 x 24 shows).
TEST(TerminalEndToEnd, StartsOnTerminfoEntriesWithoutASize) {
  for (const char* type : {"linux", "cygwin"}) {
    SCOPED_TRACE(type);
    PtyOptions options;
    options.rows = 50;
    options.columns = 120;
    options.environment = {std::string("TERM=") + type, "LINES=20", "COLUMNS=50"};
    PtyTerminal term(kBinary, options);
    ASSERT_TRUE(waitForMenu(term));
    EXPECT_TRUE(term.waitFor([&] { return term.background(50, 120) == kBlue; })) << term.screenDump();
    term.sendCtrlC();
    const std::optional<ExitStatus> status = term.waitExit();
    ASSERT_TRUE(status) << "still running";
    EXPECT_EQ(status->shellStatus(), 130) << status->describe();
    expectTerminalRestored(term);
  }
}

// Keys typed while the terminal is too small for the screen ("b b" at the
// notice) are read and dropped: no answer, no move, nothing left waiting.
TEST(TerminalEndToEnd, KeysTypedAtTheTooSmallNoticeNeitherAnswerNorMoveInAnExam) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(waitForMenu(term));
  term.send("p");
  auto firstQuestion = [&] { return textThere(term, kBarRow, 1, " [ A ][ B ][ C ][ D ]") && textThere(term, 3, 1, "  1. "); };
  ASSERT_TRUE(term.waitFor(firstQuestion)) << term.screenDump();
  term.resize(24, 80);
  ASSERT_TRUE(term.waitForText(1, 1, "Pentrill needs a terminal of 100 x 43; this one is 80 x 24."));
  EXPECT_TRUE(term.waitForText(3, 1, "Or run pentrill --plain, which works at any size."));
  ASSERT_TRUE(term.sendAndWaitUntilRead("b b"));
  term.resize(kRows, kColumns);
  ASSERT_TRUE(term.waitFor(firstQuestion)) << term.screenDump();
  // The answer sheet: entries 1 and 2 without a letter.
  term.send("r");
  ASSERT_TRUE(term.waitForText(30, 1, " Current Test Status: "));
  ASSERT_TRUE(term.waitForText(28, 30, "02."));
  ASSERT_TRUE(term.waitUntilIdle());
  EXPECT_EQ(term.textAt(27, 30, 6), "01.   ") << term.screenDump();
  EXPECT_EQ(term.textAt(28, 30, 6), "02.   ") << term.screenDump();
  EXPECT_TRUE(firstQuestion()) << term.screenDump();
}

// What is typed while the farewell shows is not left for the shell.
TEST(TerminalEndToEnd, KeysTypedWhileTheProgramEndsNeverReachTheShell) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(waitForMenu(term));
  term.sendEscape();
  ASSERT_TRUE(term.waitForText(21, 28, kFarewell));
  term.send("echo typed\r");
  const std::optional<ExitStatus> status = term.waitExit();
  ASSERT_TRUE(status) << "still running after the farewell";
  EXPECT_EQ(status->shellStatus(), 0) << status->describe();
  EXPECT_EQ(term.unreadInput(), 0) << "keys left for the shell";
}

// 20 KB pasted at the menu, with the menu's own keys and an Esc among it:
// not one of them acts, and the next key typed does.
TEST(TerminalEndToEnd, APasteAtTheMenuDoesNothing) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(waitForMenu(term));
  ASSERT_TRUE(term.decMode(2004)) << "bracketed paste not switched on";
  ASSERT_TRUE(term.waitUntilIdle());
  const ScreenSnapshot menu = term.snapshot();
  std::string pasted;
  while (pasted.size() < 20000) pasted += "psyx 0 P ? 1\r\x1b \x1b[A Stop S\n";
  ASSERT_TRUE(term.sendAndWaitUntilRead("\x1b[200~" + pasted + "\x1b[201~"));
  term.pump(milliseconds{0});
  EXPECT_EQ(term.snapshot(), menu) << menu.differences(term.snapshot());
  term.send("?");
  EXPECT_TRUE(term.waitForText(2, 1, kHelpLine2));
  term.sendCtrlC();
  const std::optional<ExitStatus> status = term.waitExit();
  ASSERT_TRUE(status) << "still running";
  expectTerminalRestored(term);
}

// The colour parameters of every SGR sequence sent ("ESC [ ... m").
std::vector<int> colourParameters(const std::string& sent) {
  std::vector<int> found;
  static const std::regex sgr("\x1b\\[([0-9;:]*)m");
  for (auto it = std::sregex_iterator(sent.begin(), sent.end(), sgr); it != std::sregex_iterator(); ++it) {
    std::istringstream parameters((*it)[1].str());
    for (std::string item; std::getline(parameters, item, ';');) {
      const int value = item.empty() ? 0 : std::atoi(item.c_str());
      if ((value >= 30 && value <= 49) || (value >= 90 && value <= 107)) found.push_back(value);
    }
  }
  return found;
}

TEST(TerminalEndToEnd, WithNoColorReverseVideoAndBoldMarkWhatColourWould) {
  PtyOptions options;
  options.environment = {"NO_COLOR=1"};
  PtyTerminal term(kBinary, options);
  ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
  term.send("0");
  ASSERT_TRUE(term.waitForText(21, 15, kOrderPrompt));
  term.send("r");
  ASSERT_TRUE(waitForQuestion(term));
  term.send("h");  // the correct letter, in green
  ASSERT_TRUE(term.waitForText(27, 2, "The Correct Answer is: "));
  ASSERT_TRUE(term.waitFor([&] { return term.cell(27, 25).text != " "; })) << term.screenDump();
  EXPECT_EQ(colourParameters(term.received()), std::vector<int>{});
  const Cell button = term.cell(kBarRow, 4);  // " A ", yellow on red
  EXPECT_EQ(button.text, "A");
  EXPECT_TRUE(button.reverse && button.bold);
  const Cell peek = term.cell(kBarRow, 92);  // "Peek Off", black on light grey
  EXPECT_TRUE(peek.reverse && !peek.bold);
  const Cell text = term.cell(2, 2);  // black on the screen's white
  EXPECT_TRUE(!text.reverse && !text.bold);
  EXPECT_TRUE(term.cell(27, 25).bold);
  EXPECT_EQ(term.cell(27, 25).foreground, -1);
}

// The hidden cursor rests where the screen asks after every frame, the
// clock's too (no screen asks for a place yet: the first cell); the visible
// cursor of a typed line stays where the line is typed.
TEST(TerminalEndToEnd, TheCursorRestsWhereTheScreenAsksAfterEveryFrame) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startRandomDrill(term));
  for (int tick = 0; tick < 2; ++tick) {
    const std::string before = runTime(term);
    ASSERT_TRUE(term.waitFor([&] { return runTime(term) != before; }));
    ASSERT_TRUE(term.waitUntilIdle());
    EXPECT_FALSE(term.cursorVisible());
    // The start of the question, "001. ...", not the clock that just ticked.
    EXPECT_EQ(std::pair(term.cursorRow(), term.cursorColumn()), std::pair(4, 5)) << "after the clock showed " << runTime(term);
  }
  // After a wrong answer: the line that says so.
  term.send(" ");
  ASSERT_TRUE(term.waitFor([&] { return peekOn(term); }));
  term.send(term.cell(2, 21).text == "A" ? "b" : "a");
  ASSERT_TRUE(term.waitForText(21, 29, "Incorrect Answer, the correct answer is "));
  ASSERT_TRUE(term.waitFor([&] { return term.cursorRow() == 21; })) << term.cursorRow();
  EXPECT_EQ(term.cursorColumn(), 29);
  EXPECT_FALSE(term.cursorVisible());
  term.send(" ");
  ASSERT_TRUE(waitForQuestion(term));
  term.send("s");
  ASSERT_TRUE(waitForMenu(term));
  term.send("0");
  ASSERT_TRUE(term.waitForText(21, 15, kOrderPrompt));
  term.send("s");
  ASSERT_TRUE(term.waitForText(23, 15, kStartPrompt));
  term.send("1");
  ASSERT_TRUE(term.waitForText(23, 36, "1"));
  ASSERT_TRUE(term.waitFor([&] { return term.cursorVisible() && term.cursorColumn() == 37; }));
  EXPECT_EQ(term.cursorRow(), 23);
}

TEST(TerminalEndToEnd, AltCombinationsAtTheMenuAreIgnoredAndOnlyALoneEscQuits) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(waitForMenu(term));
  term.settle(kSettleTime);
  const ScreenSnapshot menu = term.snapshot();
  // Apart, so that most often each is decoded alone. Where two run together
  // (a program slow to read) they decode the same: Esc Esc gives Alt+Esc
  // either way, and an Esc drops an unfinished sequence as the delay does.
  for (const char* alt : {"\x1b" "1", "\x1b ", "\x1b\x1b[A", "\x1b\x1b", "\x1b[", "\x1b[<0;10"}) {
    term.send(alt);
    term.settle(milliseconds{100});
  }
  term.settle(kSettleTime);
  EXPECT_TRUE(term.running());
  EXPECT_EQ(term.snapshot(), menu) << menu.differences(term.snapshot());
  term.sendEscape();
  EXPECT_TRUE(term.waitForText(21, 28, kFarewell));
  const std::optional<ExitStatus> status = term.waitExit();
  ASSERT_TRUE(status) << "still running after the farewell";
  EXPECT_EQ(status->shellStatus(), 0) << status->describe();
}

TEST(TerminalEndToEnd, ElevenClicksInOneWriteGiveElevenPeekToggles) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startRandomDrill(term));
  ASSERT_FALSE(peekOn(term));
  // Press and release, eleven times, in one write: the toggles of a lost
  // click would leave peek off.
  std::string burst;
  for (int i = 0; i < 11; ++i) burst += "\x1b[<0;95;25M\x1b[<0;95;25m";
  term.send(burst);
  EXPECT_TRUE(term.waitFor([&] { return peekOn(term); })) << term.screenDump();
  term.settle(kSettleTime);
  EXPECT_TRUE(peekOn(term));
  // Nine more: an odd number again, so peek is off again only if none is lost.
  burst.clear();
  for (int i = 0; i < 9; ++i) burst += "\x1b[<0;99;25M\x1b[<0;99;25m";
  term.send(burst);
  EXPECT_TRUE(term.waitFor([&] { return !peekOn(term); })) << term.screenDump();
}

TEST(TerminalEndToEnd, OldStyleMouseReportsAreClicksAndNeverKeys) {
  PtyOptions options;
  options.oldStyleMouse = true;
  PtyTerminal term(kBinary, options);
  ASSERT_TRUE(waitForMenu(term));
  term.click(8, 40);  // the E0 row
  ASSERT_TRUE(term.waitForText(21, 15, kOrderPrompt));
  term.send("r");
  ASSERT_TRUE(waitForQuestion(term));
  term.settle(kSettleTime);
  const std::string question = term.textAt(2, 2, 20);
  // Column 65 of the bar is no button; its report carries the bytes " a9"
  // and "#a9": read as keys they would toggle peek and answer A.
  term.click(kBarRow, 65);
  term.settle(kSettleTime);
  EXPECT_EQ(term.textAt(2, 2, 20), question);
  EXPECT_FALSE(peekOn(term));
  EXPECT_EQ(term.textAt(22, 29, 41), std::string(41, ' ')) << term.screenDump();
  term.click(kBarRow, 92);  // the peek label
  EXPECT_TRUE(term.waitFor([&] { return peekOn(term); })) << term.screenDump();
  term.click(kBarRow, 92);
  EXPECT_TRUE(term.waitFor([&] { return !peekOn(term); })) << term.screenDump();
}

TEST(TerminalEndToEnd, AnUnfinishedMouseReportNeitherStopsTheClockNorCtrlC) {
  PtyTerminal term("/bin/sh", [] {
    PtyOptions options;
    options.arguments = {"-c", "exec \"$0\"", kBinary};
    return options;
  }());
  ASSERT_TRUE(startRandomDrill(term));
  ASSERT_FALSE(peekOn(term));
  // A blank, then the start of a report, in one write and so in one read:
  // once peek is on, the program holds the unfinished report.
  term.send(" \x1b[<0;10");
  ASSERT_TRUE(term.waitFor([&] { return peekOn(term); })) << term.screenDump();
  const auto heldSince = Clock::now();
  const std::string before = runTime(term);
  EXPECT_TRUE(term.waitFor([&] { return runTime(term) != before; }, milliseconds{5000}))
      << "the run clock stopped at " << before;
  // The escape delay is over and the program waits for input again: it can
  // only have dropped the report, and the next key is a key. (A blank sent
  // sooner could still join the report: it is one of its valid bytes.)
  ASSERT_TRUE(term.waitFor([&] { return Clock::now() - heldSince >= kPastEscapeDelay && term.asleepInPoll(); }))
      << "the program never went back to waiting for input";
  term.send(" ");
  EXPECT_TRUE(term.waitFor([&] { return !peekOn(term); })) << term.screenDump();
  term.send("\x1b[<0;");
  const auto sent = Clock::now();
  term.sendCtrlC();
  const std::optional<ExitStatus> status = term.waitExit(milliseconds{4000});
  ASSERT_TRUE(status) << "still running";
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - sent).count(), 2.0);
  EXPECT_TRUE(status->exited) << status->describe();
  EXPECT_EQ(status->shellStatus(), 130);
  expectTerminalRestored(term);
}

struct SecondSignalCase {
  const char* name;
  const char* keys;
  int status;
};

void PrintTo(const SecondSignalCase& signalCase, std::ostream* out) { *out << signalCase.name; }

class SecondSignalEndToEnd : public ::testing::TestWithParam<SecondSignalCase> {};

// Two Ctrl-C (or Ctrl-\) 0.5 ms apart: the first decides, the second is
// ignored while the program ends; nothing kills it, nothing dumps core.
TEST_P(SecondSignalEndToEnd, TheFirstSignalDecides) {
  // The second signal may find the program at any step of its shutdown.
  for (useconds_t apart : {0u, 200u, 500u, 1000u, 2000u, 4000u}) {
    SCOPED_TRACE(apart);
    PtyTerminal term(kBinary);
    ASSERT_TRUE(waitForMenu(term));
    term.send(std::string_view(GetParam().keys, 1));
    // Read meanwhile, as a terminal does.
    const auto second = Clock::now() + std::chrono::microseconds(apart);
    while (Clock::now() < second) term.pump(milliseconds{0});
    term.send(std::string_view(GetParam().keys + 1, 1));
    const std::optional<ExitStatus> status = term.waitExit(milliseconds{4000});
    ASSERT_TRUE(status) << "still running";
    EXPECT_TRUE(status->exited) << status->describe();
    EXPECT_EQ(status->shellStatus(), GetParam().status);
    // The modes are back exactly. The restoring bytes themselves can still be
    // lost: a Ctrl-C after the program has given the modes back makes the
    // kernel discard output the terminal has not taken in yet.
    EXPECT_TRUE(sameTermios(term.initialTermios(), term.currentTermios()))
        << "before: " << describeTermios(term.initialTermios())
        << "\nafter:  " << describeTermios(term.currentTermios());
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, SecondSignalEndToEnd,
                         ::testing::Values(SecondSignalCase{"CtrlCTwice", "\x03\x03", 130},
                                           SecondSignalCase{"CtrlBackslashTwice", "\x1c\x1c", 131},
                                           SecondSignalCase{"CtrlCThenCtrlBackslash", "\x03\x1c", 130}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TerminalEndToEnd, ClosingTheTerminalWhileAQuestionWaitsEndsTheProgram) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startRandomDrill(term));
  const auto closed = Clock::now();
  term.hangUp();
  const std::optional<ExitStatus> status = term.waitExit(milliseconds{4000});
  ASSERT_TRUE(status) << "still running after the terminal closed";
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - closed).count(), 2.0);
  EXPECT_EQ(status->shellStatus(), 129) << status->describe();
}

class CrashEndToEnd : public ::testing::TestWithParam<int> {};

TEST_P(CrashEndToEnd, TheTerminalIsRestoredBeforeTheProcessDies) {
  PtyOptions options;
  options.environment = {withoutSanitizerSignalHandling()};
  PtyTerminal term(kBinary, options);
  ASSERT_TRUE(waitForMenu(term));
  ASSERT_TRUE(term.altScreen());
  term.sendSignal(GetParam());
  const std::optional<ExitStatus> status = term.waitExit();
  ASSERT_TRUE(status) << "still running";
  EXPECT_FALSE(status->exited) << status->describe();
  EXPECT_EQ(status->signal, GetParam()) << status->describe();
  expectTerminalRestored(term);
}

INSTANTIATE_TEST_SUITE_P(Signals, CrashEndToEnd, ::testing::Values(SIGSEGV, SIGABRT, SIGBUS, SIGFPE),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

long peakResidentKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmHWM:")) return std::stol(line.substr(6));
  return -1;
}

// A terminal that reports 5000 x 5000 (or a bogus 65535 x 65535) shows the
// menu in its top-left corner at a memory cost bounded by the cap, not by the
// size: without the cap the terminal library alone would want gigabytes.
TEST(TerminalEndToEnd, AHugeTerminalCostsNoMoreThanTheCap) {
  for (int size : {5000, 65535}) {
    SCOPED_TRACE(size);
    PtyOptions options;
    options.reportedRows = size;
    options.reportedColumns = size;
    PtyTerminal term(kBinary, options);
    ASSERT_TRUE(waitForMenu(term));
    term.settle(milliseconds{300});
    const long kilobytes = peakResidentKilobytes(term.pid());
    EXPECT_GT(kilobytes, 0);
    EXPECT_LT(kilobytes, 400 * 1024) << "peak resident memory " << kilobytes << " kB";
    term.sendEscape();
    EXPECT_TRUE(term.waitForText(21, 28, kFarewell));
    const std::optional<ExitStatus> status = term.waitExit();
    ASSERT_TRUE(status) << "still running after the farewell";
    EXPECT_EQ(status->shellStatus(), 0) << status->describe();
  }
}

TEST(TerminalEndToEnd, AroundTheScreenALargerTerminalShowsTheScreensBackground) {
  PtyOptions options;
  options.rows = 50;
  options.columns = 130;
  PtyTerminal term(kBinary, options);
  ASSERT_TRUE(waitForMenu(term));
  for (const auto& [row, column] : std::vector<std::pair<int, int>>{{1, 101}, {30, 130}, {44, 1}, {50, 130}}) {
    const int r = row, c = column;
    EXPECT_TRUE(term.waitFor([&] { return term.background(r, c) == kBlue; })) << r << "," << c;
  }
  term.send("0");
  ASSERT_TRUE(term.waitForText(21, 15, kOrderPrompt));
  term.send("r");
  ASSERT_TRUE(waitForQuestion(term));
  for (const auto& [row, column] : std::vector<std::pair<int, int>>{{1, 101}, {50, 130}}) {
    const int r = row, c = column;
    EXPECT_TRUE(term.waitFor([&] { return term.background(r, c) == kBrightWhite; })) << r << "," << c;
  }
}

// The drill's clock goes on once a second while the question waits, and a
// key does not wait for the next second: its answer is on the screen while
// the clock still shows the second in which it was typed.
TEST(TerminalEndToEnd, TheRunClockTicksEverySecondAndAKeyIsAnsweredAtOnce) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startRandomDrill(term));
  auto seconds = [&] {
    const std::string text = runTime(term);  // "Run Time: hh:mm:ss"
    return std::stoi(text.substr(10, 2)) * 3600 + std::stoi(text.substr(13, 2)) * 60 + std::stoi(text.substr(16, 2));
  };
  std::vector<int> seen{seconds()};
  const auto until = Clock::now() + milliseconds{3500};
  while (Clock::now() < until) {
    term.pump(milliseconds{20});
    if (seconds() != seen.back()) seen.push_back(seconds());
  }
  ASSERT_GE(seen.size(), 3u) << "the clock did not tick";
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_EQ(seen[i], seen[i - 1] + 1) << "a second was skipped";

  bool atOnce = false;
  for (int attempt = 0; attempt < 3 && !atOnce; ++attempt) {
    const int tick = seconds();
    ASSERT_TRUE(term.waitFor([&] { return seconds() != tick; }, milliseconds{3000}));
    const int typedIn = seconds();
    const bool wasOn = peekOn(term);
    term.send(" ");
    ASSERT_TRUE(term.waitFor([&] { return peekOn(term) != wasOn; })) << term.screenDump();
    atOnce = seconds() == typedIn;
  }
  EXPECT_TRUE(atOnce) << "the key was answered only when the clock next ticked";
}

// The job-control parent's exit status when it had to kill its job.
constexpr int kJobKilled = 3;

// The job-control parent's reports and commands.
class JobParent {
 public:
  explicit JobParent(int continueAfterMilliseconds, PtyOptions options = {}) {
    int reports[2];
    int commands[2];
    if (pipe(reports) != 0 || pipe(commands) != 0) throw std::runtime_error("pipe");
    fcntl(reports[0], F_SETFD, FD_CLOEXEC);
    fcntl(commands[1], F_SETFD, FD_CLOEXEC);
    options.arguments = {std::to_string(reports[1]), std::to_string(commands[0]),
                         std::to_string(continueAfterMilliseconds), kBinary};
    term_ = std::make_unique<PtyTerminal>(kJobParent, options);
    close(reports[1]);
    close(commands[0]);
    reports_ = reports[0];
    commands_ = commands[1];
  }
  // A parent the test has not seen end gets the hang-up of its terminal, and
  // passes it on to the job; the terminal waits for it to end by itself.
  ~JobParent() {
    if (term_->running()) {
      const ExitStatus status = term_->closeAndWait();
      EXPECT_NE(status.shellStatus(), kJobKilled) << "the job did not end after its terminal closed";
    }
    term_.reset();
    close(reports_);
    close(commands_);
  }

  PtyTerminal& term() { return *term_; }

  // After its "ended" report the parent exits with the job's status; it is
  // waited for, never killed in the middle of its own exit, and the
  // terminal has then read everything the job wrote.
  void expectParentExit(int shellStatus) {
    const std::optional<ExitStatus> status = term_->waitExit();
    ASSERT_TRUE(status) << "the job-control parent is still running";
    EXPECT_EQ(status->shellStatus(), shellStatus) << status->describe();
  }

  // The next report line, reading the terminal meanwhile so that the program
  // never blocks on its output.
  std::string nextReport(milliseconds timeout = kDefaultTimeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      if (std::optional<std::string> line = takeLine(pending_)) return *line;
      if (Clock::now() >= deadline) return "(no report)";
      pollfd watched{reports_, POLLIN, 0};
      if (poll(&watched, 1, 10) > 0) {
        char buffer[256];
        const ssize_t count = read(reports_, buffer, sizeof buffer);
        if (count <= 0) return "(parent gone)";
        pending_.append(buffer, static_cast<size_t>(count));
      }
      term_->pump(milliseconds{0});
    }
  }

  void continueJob() { ASSERT_EQ(write(commands_, "c", 1), 1); }
  // Continues the job, and from now on the parent continues every stop
  // itself, 10 ms after it.
  void continueJobAndLaterStopsFast() { ASSERT_EQ(write(commands_, "f", 1), 1); }

 private:
  std::unique_ptr<PtyTerminal> term_;
  int reports_ = -1;
  int commands_ = -1;
  std::string pending_;
};

// Ctrl-Z, the terminal as found while stopped, fg, the screen repainted.
void suspendAndResume(JobParent& job, const std::function<bool()>& screenBack) {
  PtyTerminal& term = job.term();
  term.send("\x1a");
  EXPECT_EQ(job.nextReport(), "stopped same");
  EXPECT_TRUE(term.waitFor([&] {
    return !term.altScreen() && term.cursorVisible() && term.mouseMode() == 0 && !term.decMode(2004);
  })) << "alternate screen " << term.altScreen() << ", cursor " << term.cursorVisible() << ", mouse "
      << term.mouseMode() << ", bracketed paste " << term.decMode(2004);
  job.continueJob();
  EXPECT_EQ(job.nextReport(), "continued");
  EXPECT_TRUE(term.waitFor(screenBack)) << term.screenDump();
  EXPECT_TRUE(term.altScreen());
}

struct SuspendPlace {
  const char* name;
  int rows;
  // Brings the program there; returns whether its screen is fully shown.
  std::function<std::function<bool()>(PtyTerminal&)> reach;
};

std::vector<SuspendPlace> suspendPlaces() {
  return {
      {"Menu", 43,
       [](PtyTerminal& term) -> std::function<bool()> {
         EXPECT_TRUE(waitForMenu(term));
         return [&term] { return textThere(term, 20, 20, kMenuPrompt) && textThere(term, 6, 33, "<<< Pentrill >>>"); };
       }},
      {"Help", 43,
       [](PtyTerminal& term) -> std::function<bool()> {
         EXPECT_TRUE(waitForMenu(term));
         term.send("?");
         EXPECT_TRUE(term.waitForText(2, 1, kHelpLine2));
         return [&term] { return textThere(term, 2, 1, kHelpLine2); };
       }},
      {"StartNumberPrompt", 43,
       [](PtyTerminal& term) -> std::function<bool()> {
         EXPECT_TRUE(waitForMenu(term));
         term.send("0");
         EXPECT_TRUE(term.waitForText(21, 15, kOrderPrompt));
         term.send("s");
         EXPECT_TRUE(term.waitForText(23, 15, kStartPrompt));
         return [&term] { return textThere(term, 23, 15, kStartPrompt) && textThere(term, 21, 15, kOrderPrompt); };
       }},
      {"WrongAnswerPause", 43,
       [](PtyTerminal& term) -> std::function<bool()> {
         EXPECT_TRUE(startRandomDrill(term));
         term.send(" ");
         EXPECT_TRUE(term.waitFor([&] { return peekOn(term); }));
         const char correct = term.cell(2, 21).text[0];
         term.send(correct == 'A' ? "b" : "a");
         EXPECT_TRUE(term.waitForText(22, 29, kComeBack));
         return [&term] { return textThere(term, 22, 29, kComeBack) && questionShown(term); };
       }},
      {"DrillQuestion", 43,
       [](PtyTerminal& term) -> std::function<bool()> {
         EXPECT_TRUE(startRandomDrill(term));
         return [&term] { return questionShown(term); };
       }},
      // The figure drawn inside the terminal comes back after fg, drawn again.
      {"FigureInTheTerminal", 43,
       [](PtyTerminal& term) -> std::function<bool()> {
         EXPECT_TRUE(waitForMenu(term));
         term.send("5");
         EXPECT_TRUE(term.waitForText(21, 15, kOrderPrompt));
         term.send("s");
         EXPECT_TRUE(term.waitForText(23, 15, kStartPrompt));
         term.send("38\r");  // E5C10, a question of Figure 5-1
         EXPECT_TRUE(term.waitForText(25, 70, "Figure"));
         term.send("f");
         EXPECT_TRUE(term.waitForText(43, 31, "Press any key to return to the question."));
         return [&term] {
           return textThere(term, 43, 31, "Press any key to return to the question.") &&
                  textThere(term, 42, 46, "Figure 5-1") && term.cell(20, 50).text != " ";
         };
       }},
      {"TooSmallNotice", 24,
       [](PtyTerminal& term) -> std::function<bool()> {
         EXPECT_TRUE(term.waitForText(1, 1, "Pentrill needs a terminal"));
         return [&term] { return textThere(term, 1, 1, "Pentrill needs a terminal"); };
       }},
  };
}

void PrintTo(const SuspendPlace& place, std::ostream* out) { *out << place.name; }

class SuspendEndToEnd : public ::testing::TestWithParam<SuspendPlace> {};

// Ctrl-Z / fg cycles at each place, two watched closely and ten with a
// parent that continues the job within 10 ms; then the program ends: the
// modes it found are back exactly.
TEST_P(SuspendEndToEnd, StopsWithTheTerminalRestoredAndComesBackRepainted) {
  PtyOptions options;
  options.rows = GetParam().rows;
  options.columns = GetParam().rows == 43 ? 100 : 80;
  JobParent job(0, options);
  PtyTerminal& term = job.term();
  const std::function<bool()> screenBack = GetParam().reach(term);
  for (int cycle = 0; cycle < 2; ++cycle) {
    SCOPED_TRACE(cycle);
    suspendAndResume(job, screenBack);
  }
  term.send("\x1a");
  ASSERT_EQ(job.nextReport(), "stopped same");
  job.continueJobAndLaterStopsFast();
  ASSERT_EQ(job.nextReport(), "continued");
  for (int cycle = 0; cycle < 10; ++cycle) {
    term.send("\x1a");
    ASSERT_EQ(job.nextReport(), "stopped same") << "fast cycle " << cycle;
    ASSERT_EQ(job.nextReport(), "continued") << "fast cycle " << cycle;
  }
  EXPECT_TRUE(term.waitFor(screenBack)) << term.screenDump();
  term.sendCtrlC();
  EXPECT_EQ(job.nextReport(), "ended 130 same");
  job.expectParentExit(130);
  expectTerminalRestored(term);
}

INSTANTIATE_TEST_SUITE_P(Places, SuspendEndToEnd, ::testing::ValuesIn(suspendPlaces()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TerminalEndToEnd, ThirtyFastSuspendCyclesThenEscLeaveTheModesAsFound) {
  JobParent job(10);  // the parent continues the job 10 ms after it stops
  PtyTerminal& term = job.term();
  ASSERT_TRUE(waitForMenu(term));
  for (int cycle = 0; cycle < 30; ++cycle) {
    term.send("\x1a");
    ASSERT_EQ(job.nextReport(), "stopped same") << "cycle " << cycle;
    ASSERT_EQ(job.nextReport(), "continued") << "cycle " << cycle;
  }
  ASSERT_TRUE(waitForMenu(term));
  term.sendEscape();
  EXPECT_TRUE(term.waitForText(21, 28, kFarewell));
  EXPECT_EQ(job.nextReport(), "ended 0 same");
  job.expectParentExit(0);
  expectTerminalRestored(term);
}

// The terminal closes while the program is stopped: the parent, as a shell
// does, continues it with the hang-up, and the program ends by itself.
TEST(TerminalEndToEnd, ClosingTheTerminalOfAStoppedProgramEndsIt) {
  JobParent job(0);
  PtyTerminal& term = job.term();
  ASSERT_TRUE(waitForMenu(term));
  term.send("\x1a");
  ASSERT_EQ(job.nextReport(), "stopped same");
  term.hangUp();
  EXPECT_EQ(job.nextReport(), "ended 129 after the hang-up");
  job.expectParentExit(129);
}

}  // namespace
}  // namespace pentrill::e2e
