// The command line of the real program: the 2024-2028 pool chosen with
// --pool in a 100 x 43 pseudo-terminal, and --help, --version and wrong
// options, which are answered without a terminal and leave one alone.
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "pty_terminal.h"

namespace pentrill::e2e {
namespace {

constexpr const char* kBinary = PENTRILL_BINARY;
constexpr int kColumns = 100;
constexpr int kCurrentE0Questions = 12;

constexpr const char* kMenuPrompt = "Pick the sub element you want to practice (0-9, P, ?)";
constexpr const char* kOrderPrompt = "Do you want the questions to be presented [R]andomly or in [S]equence?";
constexpr const char* kStartPrompt = "Start with Question: ";
constexpr const char* kCompleted = "You have correctly answered all of the questions in this section.";
constexpr const char* kRule = "\u2500";

std::string threeDigits(int number) {
  const std::string digits = "00" + std::to_string(number);
  return digits.substr(digits.size() - 3);
}

std::string e0Id(int number) { return std::string("E0A") + (number < 10 ? "0" : "") + std::to_string(number); }

PtyOptions withArguments(std::vector<std::string> arguments) {
  PtyOptions options;
  options.arguments = std::move(arguments);
  return options;
}

// Question `number` of the drill completely drawn with peek on: the last
// rule ends the frame, and the correct letter stands after the identifier.
bool peekedQuestionDrawn(const PtyTerminal& term, int number) {
  return term.textAt(4, 5, 5) == threeDigits(number) + ". " && term.textAt(2, 2, 16) == "Question ID: E0A" &&
         term.textAt(25, 90, 8) == "Peek On " && term.cell(26, kColumns).text == kRule &&
         std::string_view("ABCD").find(term.cell(2, 21).text) != std::string_view::npos;
}

TEST(PoolEndToEnd, CurrentPoolDrillsTwelveQuestionsOverE0) {
  PtyTerminal term(kBinary, withArguments({"--pool", "2024-2028"}));
  ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
  const std::string e0Line = "0. SUBELEMENT E0 \u2013 SAFETY - [1 exam question \u2013 1 group]";
  EXPECT_EQ(term.textAt(8, 10, cellCount(e0Line)), e0Line);
  term.send("0");
  ASSERT_TRUE(term.waitForText(21, 15, kOrderPrompt));
  term.send("r");
  const std::string title = "Module: E0 \u2013 SAFETY [12 Questions]";
  ASSERT_TRUE(term.waitForText(2, 98 - cellCount(title), title));
  ASSERT_TRUE(term.waitFor([&] { return term.textAt(4, 5, 5) == "001. "; })) << term.screenDump();
  term.send(" ");  // peek on, to answer every question right

  std::set<std::string> asked;
  for (int number = 1; number <= kCurrentE0Questions; ++number) {
    SCOPED_TRACE("question " + threeDigits(number));
    ASSERT_TRUE(term.waitFor([&] { return peekedQuestionDrawn(term, number); })) << term.screenDump();
    EXPECT_TRUE(asked.insert(term.textAt(2, 15, 5)).second) << term.textAt(2, 15, 5) << " asked twice";
    term.send(term.cell(2, 21).text);
  }
  std::set<std::string> all;
  for (int number = 1; number <= kCurrentE0Questions; ++number) all.insert(e0Id(number));
  EXPECT_EQ(asked, all);
  EXPECT_TRUE(term.waitForText(20, 17, kCompleted));
}

TEST(PoolEndToEnd, CurrentPoolSequenceStartsAtQuestionTwelveAndHelpNamesThePool) {
  PtyTerminal term(kBinary, withArguments({"--pool=2024-2028"}));
  ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
  term.send("?");
  ASSERT_TRUE(term.waitForText(
      20, 1, "  ARRL's 13th edition of the Extra Class study guide.  Questions are from the 2024-2028 Extra"));
  // The rows below may come in a later read.
  EXPECT_TRUE(term.waitForText(21, 1, "  Class question pool, with the errata to February 4, 2026. ")) << term.screenDump();
  term.send("x");
  ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
  term.send("0");
  ASSERT_TRUE(term.waitForText(21, 15, kOrderPrompt));
  term.send("s");
  ASSERT_TRUE(term.waitForText(23, 15, kStartPrompt));
  term.send("12");
  term.sendEnter();
  ASSERT_TRUE(term.waitForText(2, 2, "Question ID: E0A12"));
  EXPECT_TRUE(term.waitForText(4, 5, "012. Where should a shock-absorbing lanyard be attached"));
}

// The default is the 2020-2024 pool, with or without --pool.
TEST(PoolEndToEnd, DefaultPoolStillHasElevenQuestionsInE0) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, {"--pool", "2020-2024"}}) {
    SCOPED_TRACE(arguments.empty() ? "no arguments" : "--pool 2020-2024");
    PtyTerminal term(kBinary, withArguments(arguments));
    ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
    term.send("0");
    ASSERT_TRUE(term.waitForText(21, 15, kOrderPrompt));
    term.send("r");
    const std::string title = "Module: E0 \u2013 SAFETY [11 Questions]";
    EXPECT_TRUE(term.waitForText(2, 98 - cellCount(title), title));
  }
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(PoolEndToEnd, HelpAndVersionWithoutATerminalGoToStandardOutput) {
  for (DetachedInput input : {DetachedInput::DevNull, DetachedInput::Pseudoterminal}) {
    SCOPED_TRACE(input == DetachedInput::DevNull ? "input /dev/null" : "input a tty, output a pipe");
    const DetachedRun help = runDetached(kBinary, input, {"--help"});
    ASSERT_TRUE(help.status) << "still running";
    EXPECT_TRUE(help.status->exited && help.status->code == 0) << help.status->describe();
    EXPECT_EQ(firstLine(help.standardOutput), "Usage: pentrill [--pool NAME] [--record FILE | --no-record]");
    EXPECT_NE(help.standardOutput.find("    technician-2026-2030  Technician, Element 2: "), std::string::npos)
        << help.standardOutput;
    EXPECT_EQ(help.standardError, "");
    EXPECT_EQ(help.terminalOutput, "") << "wrote to the terminal";

    const DetachedRun version = runDetached(kBinary, input, {"--version"});
    ASSERT_TRUE(version.status) << "still running";
    EXPECT_TRUE(version.status->exited && version.status->code == 0) << version.status->describe();
    // The pools as --help lists them.
    const size_t pools = help.standardOutput.find("Question pools on ");
    ASSERT_NE(pools, std::string::npos);
    EXPECT_EQ(version.standardOutput, "Pentrill v2021.05.03a\n" + help.standardOutput.substr(pools));
    EXPECT_EQ(version.standardError, "");
    EXPECT_EQ(version.terminalOutput, "");
  }
}

TEST(PoolEndToEnd, WrongCommandLinesGiveOneLineAndTheUsageOnStandardErrorAndExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--bogus"}, {"--pool"}, {"--pool", "2028-2032"}, {"2024-2028"}, {"--pool=2024-2028", "--pool=2020-2024"}};
  for (const std::vector<std::string>& arguments : cases) {
    SCOPED_TRACE(arguments[0]);
    const DetachedRun run = runDetached(kBinary, DetachedInput::Pseudoterminal, arguments);
    ASSERT_TRUE(run.status) << "still running";
    EXPECT_TRUE(run.status->exited && run.status->code == 2) << run.status->describe();
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.terminalOutput, "");
    EXPECT_EQ(firstLine(run.standardError).rfind("pentrill: ", 0), 0u) << run.standardError;
    const std::string rest = run.standardError.substr(run.standardError.find('\n') + 1);
    EXPECT_EQ(firstLine(rest), "Usage: pentrill [--pool NAME] [--record FILE | --no-record]") << run.standardError;
  }
}

// A good --pool still needs a terminal to run in.
TEST(PoolEndToEnd, ChosenPoolWithoutATerminalSaysSoAndExitsWithOne) {
  const DetachedRun run = runDetached(kBinary, DetachedInput::DevNull, {"--pool", "2024-2028"});
  ASSERT_TRUE(run.status) << "still running";
  EXPECT_TRUE(run.status->exited && run.status->code == 1) << run.status->describe();
  EXPECT_EQ(run.standardOutput, "");
  EXPECT_NE(run.standardError.find("interactive terminal"), std::string::npos) << run.standardError;
}

// In a terminal, --help prints its text there and leaves the terminal as it
// found it: no alternate screen, no mouse, no title, the same settings.
TEST(PoolEndToEnd, HelpInATerminalLeavesItsModesAlone) {
  PtyTerminal term(kBinary, withArguments({"--help"}));
  const std::optional<ExitStatus> status = term.waitExit();
  ASSERT_TRUE(status) << "still running";
  EXPECT_TRUE(status->exited && status->code == 0) << status->describe();
  EXPECT_EQ(term.textAt(1, 1, 29), "Usage: pentrill [--pool NAME]");
  EXPECT_FALSE(term.altScreen());
  EXPECT_TRUE(term.cursorVisible());
  EXPECT_EQ(term.mouseMode(), 0);
  EXPECT_EQ(term.titlePushes(), 0);
  EXPECT_EQ(term.received().find('\x1b'), std::string::npos) << "sent a control sequence";
  EXPECT_TRUE(sameTermios(term.initialTermios(), term.currentTermios()))
      << "before: " << describeTermios(term.initialTermios()) << "\nafter:  " << describeTermios(term.currentTermios());
}

constexpr const char* kTechnicianLine = "Technician (Element 2), pool 2026-2030";
constexpr const char* kGeneralLine = "General (Element 3), pool 2023-2027";

// L chooses the pool: the menu is drawn again for it, and the next start
// without --pool opens it; --pool wins for its run; without a record the
// program starts with 2020-2024.
TEST(PoolEndToEnd, ThePoolChosenWithLIsTheNextStartsPool) {
  TemporaryFolder folder;  // where the program keeps its record
  ASSERT_FALSE(folder.path.empty());
  PtyOptions options;
  options.workingDirectory = folder.path;
  {
    PtyTerminal term(kBinary, options);
    ASSERT_TRUE(term.waitForText(4, 10, "Amateur Extra (Element 4), pool 2020-2024")) << term.screenDump();
    term.send("l");
    ASSERT_TRUE(term.waitForText(2, 3, "Choose the licence class and question pool to study"));
    int generalRow = 0;  // the list may come after the title
    ASSERT_TRUE(term.waitFor([&] {
      for (int row = 6; row <= 9; ++row)
        if (term.textAt(row, 7, 19) == "General (Element 3)") generalRow = row;
      return generalRow > 0;
    })) << term.screenDump();
    term.click(generalRow, 50);
    ASSERT_TRUE(term.waitForText(4, 10, kGeneralLine)) << term.screenDump();
    EXPECT_TRUE(term.waitForText(9, 10, "1. SUBELEMENT G1 "));
    EXPECT_TRUE(term.waitForText(20, 20, kMenuPrompt));
  }
  {
    PtyTerminal term(kBinary, options);
    EXPECT_TRUE(term.waitForText(4, 10, kGeneralLine)) << term.screenDump();
    const size_t label = term.textAt(4, 1, 100).find("L. Other pools");  // a click on it is L
    ASSERT_NE(label, std::string::npos);
    term.click(4, static_cast<int>(label) + 4);
    ASSERT_TRUE(term.waitForText(2, 3, "Choose the licence class and question pool to study"));
    term.send("1");  // Technician, first in the list
    EXPECT_TRUE(term.waitForText(4, 10, kTechnicianLine)) << term.screenDump();
  }
  PtyOptions named = options;
  named.arguments = {"--pool", "extra"};
  {
    PtyTerminal term(kBinary, named);
    EXPECT_TRUE(term.waitForText(4, 10, "Amateur Extra (Element 4), pool 2024-2028")) << term.screenDump();
  }
  {
    PtyTerminal term(kBinary, options);
    EXPECT_TRUE(term.waitForText(4, 10, kTechnicianLine)) << "--pool changed the kept choice\n" << term.screenDump();
  }
  PtyOptions unrecorded = options;
  unrecorded.arguments = {"--no-record"};
  {
    PtyTerminal term(kBinary, unrecorded);
    EXPECT_TRUE(term.waitForText(4, 10, "Amateur Extra (Element 4), pool 2020-2024")) << term.screenDump();
  }
}

// A General exam's answer sheet: 35 entries, ten a column, none in the
// fifth column that 50 questions need.
TEST(PoolEndToEnd, AGeneralExamsAnswerSheetHasItsThirtyFiveEntries) {
  PtyTerminal term(kBinary, withArguments({"--pool", "general", "--no-record"}));
  ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
  term.send("p");
  ASSERT_TRUE(term.waitFor([&] { return term.textAt(3, 1, 5) == "  1. "; })) << term.screenDump();
  term.send("a");
  ASSERT_TRUE(term.waitFor([&] { return term.textAt(3, 1, 5) == "  2. "; })) << term.screenDump();
  term.send("r");
  ASSERT_TRUE(term.waitForText(36, 51, "30.  ")) << term.screenDump();
  ASSERT_TRUE(term.waitUntilIdle());
  EXPECT_EQ(term.textAt(27, 30, 5), "01. A");
  EXPECT_EQ(term.textAt(28, 30, 5), "02.  ");
  EXPECT_EQ(term.textAt(27, 61, 5), "31.  ");
  EXPECT_EQ(term.textAt(31, 61, 5), "35.  ");
  EXPECT_EQ(term.textAt(32, 61, 5), "     ");
  for (int row = 27; row <= 36; ++row) EXPECT_EQ(term.textAt(row, 71, 5), "     ") << row;
  // The last question is 35: Next from there sounds the alert and says so.
  term.send("35\r");
  ASSERT_TRUE(term.waitFor([&] { return term.textAt(3, 1, 6) == "  35. "; })) << term.screenDump();
  term.send("n");
  EXPECT_TRUE(term.waitForText(22, 10, "This was the last question you can End the exam or go back to a Previous question."));
}

}  // namespace
}  // namespace pentrill::e2e
