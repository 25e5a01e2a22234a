// The test terminal itself, checked against small shell programs whose output
// is known, so that a failing end-to-end test points at the program and not at
// the harness.
#include <signal.h>

#include <stdexcept>

#include <gtest/gtest-spi.h>

#include "pty_terminal.h"

namespace pentrill::e2e {
namespace {

PtyOptions shell(const std::string& script, int rows = 43, int columns = 100) {
  PtyOptions options;
  options.rows = rows;
  options.columns = columns;
  options.arguments = {"-c", script};
  return options;
}

std::string repeat(std::string_view piece, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += piece;
  return result;
}

std::string hex(std::string_view bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(PaletteFromAnsi, SwapsRedAndBlueBitsOfTheSixteenColours) {
  const int windowsOfAnsi[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
  for (int ansi = 0; ansi < 16; ++ansi) EXPECT_EQ(paletteFromAnsi(ansi), windowsOfAnsi[ansi]) << "ANSI " << ansi;
  EXPECT_EQ(paletteFromAnsi(-1), -1);
  EXPECT_EQ(paletteFromAnsi(196), 196);
}

TEST(CellCount, CountsCharactersNotBytes) {
  EXPECT_EQ(cellCount(""), 0);
  EXPECT_EQ(cellCount("abc"), 3);
  EXPECT_EQ(cellCount("a\u2013b\u2500"), 4);
}

TEST(PtyTerminal, ShowsTextAtItsPositionInItsColours) {
  PtyTerminal term("/bin/sh", shell("printf '\\033[3;5H\\033[97;44mhi\\033[0m\\033[5;1H\\033[31;47mred\\033[0m a\\342\\200\\223b"
                                    "\\033[7;2H\\033[1;7;32mrv\\033[0m'; sleep 5"));
  ASSERT_TRUE(term.waitForText(5, 5, "a\u2013b"));
  EXPECT_TRUE(term.waitForText(3, 5, "hi", milliseconds{0}));
  EXPECT_EQ(term.cell(3, 5).foreground, 15);  // bright white
  EXPECT_EQ(term.cell(3, 6).background, 1);   // blue
  EXPECT_EQ(term.cell(5, 1).foreground, 4);   // red
  EXPECT_EQ(term.cell(5, 3).background, 7);   // light grey
  EXPECT_EQ(term.cell(5, 4).foreground, -1);  // after the reset: terminal default
  EXPECT_EQ(term.cell(3, 4).text, " ");
  EXPECT_EQ(term.cell(5, 6).text, "\u2013");
  EXPECT_EQ(term.rowText(5), "red a\u2013b" + std::string(93, ' '));
  EXPECT_EQ(term.textAt(3, 4, 4), " hi ");
  // Reverse video shows the colours swapped, as the user sees them.
  EXPECT_EQ(term.cell(7, 2).foreground, -1);
  EXPECT_EQ(term.cell(7, 2).background, 2);
  EXPECT_TRUE(term.cell(7, 2).bold);
  EXPECT_THROW(term.cell(44, 1), std::out_of_range);
  EXPECT_THROW(term.textAt(1, 98, 4), std::out_of_range);
}

TEST(PtyTerminal, WaitForTextFailsWithTheScreenWhenTheTextNeverComes) {
  PtyTerminal term("/bin/sh", shell("printf 'something else'; sleep 5"));
  ASSERT_TRUE(term.waitForText(1, 1, "something"));
  const ::testing::AssertionResult result = term.waitForText(1, 1, "other", milliseconds{200});
  EXPECT_FALSE(result);
  EXPECT_NE(std::string(result.message()).find(" 1|something else"), std::string::npos) << result.message();
}

TEST(PtyTerminal, TracksTitleAlternateScreenCursorMouseAndTitleStack) {
  PtyTerminal term("/bin/sh", shell("printf 'main'; read x;"
                                    "printf '\\033[22;0;0t\\033]2;A title\\007\\033[?1049h\\033[?25l\\033[?1006;1000h';"
                                    "printf '\\033[Halt'; read x;"
                                    "printf '\\033[?1006;1000l\\033[?25h\\033[?1049l\\033[23;0;0t'; read x"));
  ASSERT_TRUE(term.waitForText(1, 1, "main"));
  EXPECT_FALSE(term.altScreen());
  EXPECT_TRUE(term.cursorVisible());
  EXPECT_EQ(term.mouseMode(), 0);
  EXPECT_EQ(term.title(), "");

  term.sendEnter();
  ASSERT_TRUE(term.waitForText(1, 1, "alt "));
  EXPECT_EQ(term.title(), "A title");
  EXPECT_TRUE(term.altScreen());
  EXPECT_FALSE(term.cursorVisible());
  EXPECT_NE(term.mouseMode(), 0);
  EXPECT_TRUE(term.decMode(1006));
  EXPECT_EQ(term.titlePushes(), 1);
  EXPECT_EQ(term.titlePops(), 0);

  const size_t before = term.received().size();
  term.sendEnter();
  // Leaving the alternate screen shows the main screen as it was.
  ASSERT_TRUE(term.waitForText(1, 1, "main"));
  ASSERT_TRUE(term.waitForBytes("\x1b[23;0;0t", before));
  EXPECT_FALSE(term.altScreen());
  EXPECT_TRUE(term.cursorVisible());
  EXPECT_EQ(term.mouseMode(), 0);
  EXPECT_FALSE(term.decMode(1006));
  EXPECT_EQ(term.titlePops(), 1);
  EXPECT_EQ(term.countReceived("\x1b[?1049"), 2u);
  EXPECT_EQ(term.countReceived("\x1b[?1049", before), 1u);
}

TEST(PtyTerminal, ResizeChangesTheScreenAndReachesTheProgram) {
  PtyTerminal term("/bin/sh", shell("trap 'stty size' WINCH; stty size; while :; do sleep 0.05; done", 24, 80));
  ASSERT_TRUE(term.waitForText(1, 1, "24 80"));
  EXPECT_EQ(term.rows(), 24);
  EXPECT_EQ(term.columns(), 80);
  term.resize(43, 100);
  EXPECT_EQ(term.rows(), 43);
  EXPECT_EQ(term.columns(), 100);
  EXPECT_EQ(term.rowText(43).size(), 100u);
  ASSERT_TRUE(term.waitForText(2, 1, "43 100"));
}

TEST(PtyTerminal, ReportsExitStatusAndDeathBySignal) {
  {
    PtyTerminal term("/bin/sh", shell("exit 7"));
    const std::optional<ExitStatus> status = term.waitExit();
    ASSERT_TRUE(status);
    EXPECT_TRUE(status->exited);
    EXPECT_EQ(status->code, 7);
    EXPECT_FALSE(term.running());
  }
  {
    PtyTerminal term("/bin/sh", shell("echo started; exec sleep 30"));
    ASSERT_TRUE(term.waitForText(1, 1, "started"));
    EXPECT_FALSE(term.waitExit(milliseconds{100}));
    term.sendSignal(SIGTERM);
    const std::optional<ExitStatus> status = term.waitExit();
    ASSERT_TRUE(status);
    EXPECT_FALSE(status->exited);
    EXPECT_EQ(status->signal, SIGTERM);
    EXPECT_EQ(status->shellStatus(), 143);
  }
  {
    // Ctrl-C reaches a program in cooked mode as SIGINT from the terminal.
    PtyTerminal term("/bin/sh", shell("echo started; exec sleep 30"));
    ASSERT_TRUE(term.waitForText(1, 1, "started"));
    term.sendCtrlC();
    const std::optional<ExitStatus> status = term.waitExit();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->shellStatus(), 130) << status->describe();
  }
}

// Closing the terminal (what the destructor does with a program still
// running) must wait for a program that takes its time to end, and report
// how it ended by itself: killing it then would break its exit.
TEST(PtyTerminal, ClosingWaitsForTheProgramToEndByItself) {
  {
    PtyTerminal term("/bin/sh", shell("echo started; exec sleep 30"));
    ASSERT_TRUE(term.waitForText(1, 1, "started"));
    EXPECT_EQ(term.closeAndWait().shellStatus(), 128 + SIGHUP);
  }
  {
    // Deaf to the hang-up and slow to end, as a program busy in its exit is.
    PtyTerminal term("/bin/sh", shell("trap '' HUP; echo ending; sleep 1; exit 3"));
    ASSERT_TRUE(term.waitForText(1, 1, "ending"));
    const ExitStatus status = term.closeAndWait();
    EXPECT_TRUE(status.exited) << status.describe();
    EXPECT_EQ(status.code, 3);
    EXPECT_FALSE(term.running());
  }
}

TEST(PtyTerminal, KillsOnlyAProgramStillRunningAfterTheLimitAndFailsTheTest) {
  PtyTerminal term("/bin/sh", shell("trap '' HUP; echo stubborn; exec sleep 30"));
  ASSERT_TRUE(term.waitForText(1, 1, "stubborn"));
  ExitStatus status;
  EXPECT_NONFATAL_FAILURE(status = term.closeAndWait(milliseconds{300}), "did not end within 300 ms");
  EXPECT_FALSE(status.exited);
  EXPECT_EQ(status.signal, SIGKILL);
}

TEST(PtyTerminal, GivesTheProgramAFixedTerminalEnvironment) {
  const std::string script = "echo \"[$TERM][$LANG][${DISPLAY-unset}][$(pwd)][$(env | grep -c ^LANG=)]\"; sleep 5";
  {
    PtyTerminal term("/bin/sh", shell(script));
    EXPECT_TRUE(term.waitForText(1, 1, "[xterm-256color][C.UTF-8][unset][" + term.workingDirectory() + "][1]"));
  }
  {
    PtyOptions options = shell(script);
    options.environment = {"LANG=C"};
    options.workingDirectory = "/";
    PtyTerminal term("/bin/sh", options);
    EXPECT_TRUE(term.waitForText(1, 1, "[xterm-256color][C][unset][/][1]"));
  }
}

TEST(PtyTerminal, AnswersTheCursorPositionQuery) {
  PtyTerminal term("/bin/sh", shell("stty raw -echo; printf '\\033[3;7H\\033[6n'; head -c 6 | od -An -tx1 | tr -d ' \\n';"
                                    "sleep 5"));
  EXPECT_TRUE(term.waitForText(3, 7, hex("\x1b[3;7R")));
}

TEST(PtyTerminal, SendsClicksInTheEncodingTheProgramSwitchedOn) {
  // The program prints the bytes it reads, in hex.
  const std::string readBack = "stty raw -echo; printf 'ready\\r\\n'; head -c %d | od -An -tx1 | tr -d ' \\n'; sleep 5";
  {
    PtyTerminal term("/bin/sh", shell("printf '\\033[?1000h\\033[?1006h'; " + std::string(readBack).replace(
                                                                                   readBack.find("%d"), 2, "74")));
    ASSERT_TRUE(term.waitForText(1, 1, "ready"));
    term.click(5, 17);
    term.click(6, 2, MouseButton::Right);
    term.doubleClick(1, 1);
    // 148 hex digits: the line wraps after 100.
    const std::string expected =
        hex("\x1b[<0;17;5M\x1b[<0;17;5m\x1b[<2;2;6M\x1b[<2;2;6m" + repeat("\x1b[<0;1;1M\x1b[<0;1;1m", 2));
    EXPECT_TRUE(term.waitFor([&] { return (term.rowText(2) + term.rowText(3)).starts_with(expected); }))
        << term.screenDump();
  }
  {
    PtyTerminal term("/bin/sh", shell("printf '\\033[?1000h'; " + std::string(readBack).replace(readBack.find("%d"), 2,
                                                                                                  "12")));
    ASSERT_TRUE(term.waitForText(1, 1, "ready"));
    term.click(2, 3);
    EXPECT_TRUE(term.waitForText(2, 1, hex("\x1b[M #\"\x1b[M##\"")));
  }
  {
    PtyTerminal term("/bin/sh", shell("echo no mouse; sleep 5"));
    ASSERT_TRUE(term.waitForText(1, 1, "no mouse"));
    EXPECT_THROW(term.click(1, 1), std::logic_error);
  }
}

TEST(PtyTerminal, SendsCursorKeysInTheModeTheProgramChose) {
  const std::string readBack = "stty raw -echo; printf 'ready\\r\\n'; head -c 6 | od -An -tx1 | tr -d ' \\n'; sleep 5";
  {
    PtyTerminal term("/bin/sh", shell(readBack));
    ASSERT_TRUE(term.waitForText(1, 1, "ready"));
    term.sendUp();
    term.sendF1();
    EXPECT_TRUE(term.waitForText(2, 1, hex("\x1b[A\x1bOP")));
  }
  {
    PtyTerminal term("/bin/sh", shell("printf '\\033[?1h'; " + readBack));
    ASSERT_TRUE(term.waitForText(1, 1, "ready"));
    term.sendLeft();
    term.sendDown();
    EXPECT_TRUE(term.waitForText(2, 1, hex("\x1bOD\x1bOB")));
  }
}

TEST(PtyTerminal, SeesTheTerminalSettingsBeforeAndAfter) {
  PtyTerminal term("/bin/sh", shell("echo waiting; read x; stty raw -echo; echo changed; sleep 5"));
  ASSERT_TRUE(term.waitForText(1, 1, "waiting"));
  EXPECT_TRUE(sameTermios(term.initialTermios(), term.currentTermios()))
      << describeTermios(term.initialTermios()) << "\n" << describeTermios(term.currentTermios());
  EXPECT_TRUE(term.initialTermios().c_lflag & ICANON);
  term.sendEnter();
  ASSERT_TRUE(term.waitFor([&] { return term.countReceived("changed") > 0; }));
  EXPECT_FALSE(sameTermios(term.initialTermios(), term.currentTermios()));
  EXPECT_FALSE(term.currentTermios().c_lflag & ICANON);
}

TEST(PtyTerminal, SnapshotsAreEqualOnlyWhileNothingChanges) {
  PtyTerminal term("/bin/sh", shell("printf one; read x; printf two; sleep 5"));
  ASSERT_TRUE(term.waitForText(1, 1, "one"));
  const ScreenSnapshot first = term.snapshot();
  term.settle(milliseconds{100});
  EXPECT_EQ(term.snapshot(), first) << first.differences(term.snapshot());
  term.sendEnter();
  ASSERT_TRUE(term.waitForText(2, 1, "two"));
  const ScreenSnapshot second = term.snapshot();
  EXPECT_NE(second, first);
  EXPECT_NE(first.differences(second).find("row 2 column 1"), std::string::npos) << first.differences(second);
}

TEST(RunDetached, CollectsOutputAndStatusWithoutATerminal) {
  const DetachedRun run = runDetached(
      "/bin/sh", DetachedInput::DevNull,
      {"-c", "echo out; echo err >&2; if test -t 0; then echo tty; else echo no tty; fi; exit 3"});
  ASSERT_TRUE(run.status);
  EXPECT_EQ(run.status->shellStatus(), 3);
  EXPECT_EQ(run.standardOutput, "out\nno tty\n");
  EXPECT_EQ(run.standardError, "err\n");
}

TEST(RunDetached, GivesAPseudoTerminalAsStandardInputOnRequest) {
  const DetachedRun run = runDetached(
      "/bin/sh", DetachedInput::Pseudoterminal,
      {"-c", "test -t 0 && echo input is a tty; test -t 1 || echo output is not; printf 'to the terminal' >&0"});
  ASSERT_TRUE(run.status);
  EXPECT_EQ(run.standardOutput, "input is a tty\noutput is not\n");
  EXPECT_EQ(run.terminalOutput, "to the terminal");
}

TEST(RunDetached, KillsAProgramThatDoesNotEndInTime) {
  const DetachedRun run = runDetached("/bin/sh", DetachedInput::DevNull, {"-c", "exec sleep 30"}, milliseconds{300});
  EXPECT_FALSE(run.status);
}

}  // namespace
}  // namespace pentrill::e2e
