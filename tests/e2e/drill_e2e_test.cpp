// The drill over subelement E0 with the real program in a 100 x 43
// pseudo-terminal: whole drills in both orders, a wrong answer, the run
// clock, clicks on the answer bar and the colours of the question screen.
#include <cctype>
#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "pty_terminal.h"

namespace pentrill::e2e {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kBinary = PENTRILL_BINARY;
constexpr int kColumns = 100;
constexpr int kBarRow = 25;
constexpr int kQuestionCount = 11;  // E0

constexpr int kBlack = 0;
constexpr int kBlue = 1;
constexpr int kRed = 4;
constexpr int kLightGrey = 7;
constexpr int kYellow = 14;
constexpr int kBrightWhite = 15;

constexpr const char* kRule = "\u2500";
constexpr const char* kMenuPrompt = "Pick the sub element you want to practice (0-9, P, ?)";
constexpr const char* kOrderPrompt = "Do you want the questions to be presented [R]andomly or in [S]equence?";
constexpr const char* kStartPrompt = "Start with Question: ";
constexpr const char* kTitle = "Module: E0 \u2013 SAFETY [11 Questions]";
constexpr const char* kCompleted = "You have correctly answered all of the questions in this section.";
constexpr const char* kAnother = "    Would you like to drill on another section? [Y] or [N]o?     ";
constexpr const char* kFarewell = "Thanks for playing.  Have a real nice day.";
constexpr const char* kComeBack = "We will come back to this question again.";
constexpr const char* kPressAnyKey = "      Press any key to continue.....     ";
// Long enough for a program that wrongly reacts to show it.
constexpr milliseconds kSettleTime{600};

// "Question ID: " fills columns 2 to 14, the identifier 15 to 19, then a
// blank and, with peek on, the correct letter.
constexpr int kIdColumn = 15;
constexpr int kPeekLetterColumn = 21;

// The answer bar: the first column of each letter's button (three wide).
constexpr int kButtonColumn[] = {3, 8, 13, 18};
constexpr int kStopFirst = 24;
constexpr int kStopLast = 33;

std::string threeDigits(int number) {
  const std::string digits = "00" + std::to_string(number);
  return digits.substr(digits.size() - 3);
}

std::string e0Id(int row) { return std::string("E0A") + (row < 10 ? "0" : "") + std::to_string(row); }

int buttonColumn(char letter) { return kButtonColumn[letter - 'A']; }

// What the question screen shows once it is completely drawn.
struct ShownQuestion {
  std::string id;          // the five characters after "Question ID: "
  char peekLetter = '\0';  // the letter after the identifier, '\0' with peek off
};

bool isAnswerLetter(const std::string& text) { return text.size() == 1 && text[0] >= 'A' && text[0] <= 'D'; }

// Question `number` with its four answers and the answer bar, and the peek
// label (and letter) as asked.
bool questionDrawn(const PtyTerminal& term, int number, bool peekOn) {
  if (term.textAt(4, 5, 5) != threeDigits(number) + ". ") return false;
  if (term.textAt(2, 2, 16) != "Question ID: E0A") return false;
  bool answerD = false;
  for (int row = 7; row <= 20 && !answerD; ++row) answerD = term.textAt(row, 7, 3) == "D. ";
  if (!answerD || term.textAt(kBarRow, 50, 10) != "Run Time: ") return false;
  for (int row = 21; row <= 23; ++row)
    if (term.rowText(row) != std::string(kColumns, ' ')) return false;  // wrong-answer lines
  // A frame may reach the terminal in several reads; the last rule ends it.
  if (term.cell(26, 2).text != kRule || term.cell(26, kColumns).text != kRule) return false;
  if (peekOn) return term.textAt(kBarRow, 90, 8) == "Peek On " && isAnswerLetter(term.cell(2, kPeekLetterColumn).text);
  return term.textAt(kBarRow, 90, 8) == "Peek Off" && term.textAt(2, kPeekLetterColumn - 1, 2) == "  ";
}

std::optional<ShownQuestion> waitForQuestion(PtyTerminal& term, int number, bool peekOn) {
  if (!term.waitFor([&] { return questionDrawn(term, number, peekOn); })) {
    ADD_FAILURE() << "question " << threeDigits(number) << " with peek " << (peekOn ? "on" : "off")
                  << " not shown:\n"
                  << term.screenDump();
    return std::nullopt;
  }
  ShownQuestion shown;
  shown.id = term.textAt(2, kIdColumn, 5);
  if (peekOn) shown.peekLetter = term.cell(2, kPeekLetterColumn).text[0];
  return shown;
}

::testing::AssertionResult waitForMenu(PtyTerminal& term) {
  if (auto shown = term.waitForText(20, 20, kMenuPrompt); !shown) return shown;
  if (term.background(20, 20) != kBlue) return ::testing::AssertionFailure() << "menu not on blue";
  return ::testing::AssertionSuccess();
}

// From the menu to the first question of an E0 drill in random order.
::testing::AssertionResult startRandomDrill(PtyTerminal& term) {
  if (auto menu = waitForMenu(term); !menu) return menu;
  term.send("0");
  if (auto order = term.waitForText(21, 15, kOrderPrompt); !order) return order;
  term.send("r");
  return ::testing::AssertionSuccess();
}

// From the menu to the first question of an E0 sequence from `start`.
::testing::AssertionResult startSequence(PtyTerminal& term, int start) {
  if (auto menu = waitForMenu(term); !menu) return menu;
  term.send("0");
  if (auto order = term.waitForText(21, 15, kOrderPrompt); !order) return order;
  term.send("S");
  if (auto prompt = term.waitForText(23, 15, kStartPrompt); !prompt) return prompt;
  term.send(std::to_string(start));
  term.sendEnter();
  return ::testing::AssertionSuccess();
}

// Turns peek on with the space bar at question `number`, which waits with
// peek off, and returns what it then shows.
std::optional<ShownQuestion> peekAt(PtyTerminal& term, int number) {
  if (!waitForQuestion(term, number, false)) return std::nullopt;
  term.send(" ");
  return waitForQuestion(term, number, true);
}

// Waits until the check passes; its last failure otherwise. For checks of a
// whole screen, which may reach the terminal in several reads.
::testing::AssertionResult waitUntil(PtyTerminal& term, const std::function<::testing::AssertionResult()>& check) {
  if (term.waitFor([&] { return static_cast<bool>(check()); })) return ::testing::AssertionSuccess();
  return check() << "\nscreen:\n" << term.screenDump();
}

::testing::AssertionResult completionShown(const PtyTerminal& term) {
  if (term.textAt(20, 17, cellCount(kCompleted)) != kCompleted || term.textAt(21, 17, cellCount(kAnother)) != kAnother)
    return ::testing::AssertionFailure() << "no completion screen";
  if (term.foreground(20, 17) != kBrightWhite || term.background(20, 17) != kBlue)
    return ::testing::AssertionFailure() << "completion text not bright white on blue";
  // askChoice highlights the two letters inside the prompt.
  for (int column : {66, 73})
    if (term.foreground(21, column) != kYellow || term.background(21, column) != kRed)
      return ::testing::AssertionFailure() << "letter at row 21 column " << column << " not yellow on red";
  if (term.cell(21, 66).text != "Y" || term.cell(21, 73).text != "N")
    return ::testing::AssertionFailure() << "the choice letters are not at columns 66 and 73";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult waitForCompletion(PtyTerminal& term) {
  return waitUntil(term, [&] { return completionShown(term); });
}

int secondsOf(const std::string& elapsed) {  // "hh:mm:ss"
  return std::stoi(elapsed.substr(0, 2)) * 3600 + std::stoi(elapsed.substr(3, 2)) * 60 + std::stoi(elapsed.substr(6, 2));
}

std::string runTime(const PtyTerminal& term) { return term.textAt(kBarRow, 60, 8); }

bool isElapsedText(const std::string& text) {
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
  for (size_t i : {0, 1, 3, 4, 6, 7})
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

TEST(DrillEndToEnd, RandomOrderWithPeekAnsweredRightToTheEndThenBackToTheMenu) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startRandomDrill(term));
  std::optional<ShownQuestion> shown = peekAt(term, 1);
  ASSERT_TRUE(shown);
  std::set<std::string> asked;
  for (int number = 1; number <= kQuestionCount; ++number) {
    SCOPED_TRACE("question " + threeDigits(number));
    if (number > 1) shown = waitForQuestion(term, number, true);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(asked.insert(shown->id).second) << shown->id << " asked again after a right answer";
    // Lower-case letters answer as well as upper-case ones.
    const char letter = number % 2 == 0 ? static_cast<char>(std::tolower(shown->peekLetter)) : shown->peekLetter;
    term.send(std::string(1, letter));
  }
  std::set<std::string> all;
  for (int row = 1; row <= kQuestionCount; ++row) all.insert(e0Id(row));
  EXPECT_EQ(asked, all);

  ASSERT_TRUE(waitForCompletion(term));
  term.send("y");
  ASSERT_TRUE(waitForMenu(term));

  // Peek stays on from one drill to the next.
  ASSERT_TRUE(startRandomDrill(term));
  ASSERT_TRUE(waitForQuestion(term, 1, true));
  term.send("s");
  EXPECT_TRUE(waitForMenu(term));
}

TEST(DrillEndToEnd, SequenceFromFiveRunsToTheLastQuestionAndNEndsTheProgram) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startSequence(term, 5));
  for (int row = 5; row <= kQuestionCount; ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    const std::optional<ShownQuestion> shown = row == 5 ? peekAt(term, row) : waitForQuestion(term, row, true);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->id, e0Id(row));
    term.send(std::string(1, shown->peekLetter));
  }
  ASSERT_TRUE(waitForCompletion(term));

  const auto pressed = Clock::now();
  term.send("n");
  ASSERT_TRUE(term.waitForText(21, 28, kFarewell));
  const std::optional<ExitStatus> status = term.waitExit();
  const double seconds = std::chrono::duration<double>(Clock::now() - pressed).count();
  ASSERT_TRUE(status) << "still running";
  EXPECT_TRUE(status->exited) << status->describe();
  EXPECT_EQ(status->code, 0);
  EXPECT_GE(seconds, 4.5);
  EXPECT_LE(seconds, 8.0);
}

TEST(DrillEndToEnd, WrongAnswerShowsTheCorrectLetterWaitsForAKeyAndAsksAgain) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startSequence(term, kQuestionCount));
  const std::optional<ShownQuestion> shown = peekAt(term, kQuestionCount);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->id, e0Id(kQuestionCount));
  const char wrong = shown->peekLetter == 'A' ? 'B' : 'A';
  term.send(std::string(1, wrong));

  ASSERT_TRUE(term.waitForText(21, 29, std::string("Incorrect Answer, the correct answer is ") + shown->peekLetter));
  ASSERT_TRUE(term.waitForText(22, 29, kComeBack));
  ASSERT_TRUE(term.waitForText(23, 29, kPressAnyKey));
  for (int row = 21; row <= 23; ++row) {
    EXPECT_EQ(term.foreground(row, 29), kBlack) << "row " << row;
    EXPECT_EQ(term.background(row, 29), kBrightWhite) << "row " << row;
  }
  // The lines stay until a key comes.
  term.settle(kSettleTime);
  EXPECT_EQ(term.textAt(22, 29, 41), kComeBack) << term.screenDump();

  // Any key continues; the last row of the sequence is asked again.
  term.send("q");
  ASSERT_TRUE(term.waitFor([&] { return term.textAt(22, 29, 41) != kComeBack; })) << term.screenDump();
  const std::optional<ShownQuestion> again = waitForQuestion(term, kQuestionCount, true);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->id, e0Id(kQuestionCount));
  EXPECT_EQ(term.rowText(21), std::string(kColumns, ' '));
  term.send(std::string(1, again->peekLetter));
  EXPECT_TRUE(waitForCompletion(term));
}

TEST(DrillEndToEnd, RunTimeCountsFromTheStartOfTheDrillAndMovesWhileAQuestionWaits) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(waitForMenu(term));
  term.send("0");
  ASSERT_TRUE(term.waitForText(21, 15, kOrderPrompt));
  // The time at the order prompt counts.
  term.settle(milliseconds{1500});
  term.send("r");
  ASSERT_TRUE(waitForQuestion(term, 1, false));
  const std::string first = runTime(term);
  ASSERT_TRUE(isElapsedText(first)) << "\"" << first << "\"";
  EXPECT_GE(secondsOf(first), 1) << first;

  // No key: the clock still moves on.
  ASSERT_TRUE(term.waitFor([&] { return runTime(term) != first; }, milliseconds{5000}))
      << "Run Time stayed at " << first;
  const std::string later = runTime(term);
  ASSERT_TRUE(isElapsedText(later)) << "\"" << later << "\"";
  EXPECT_GT(secondsOf(later), secondsOf(first));
  EXPECT_LE(secondsOf(later), secondsOf(first) + 3);
  EXPECT_EQ(term.foreground(kBarRow, 60), kBlack);
  EXPECT_EQ(term.background(kBarRow, 60), kBrightWhite);
  EXPECT_TRUE(waitForQuestion(term, 1, false)) << "the question changed while waiting";
}

bool peekLabelIs(const PtyTerminal& term, bool on) {
  if (on)
    return term.textAt(kBarRow, 90, 8) == "Peek On " && term.foreground(kBarRow, 90) == kYellow &&
           term.background(kBarRow, 90) == kRed && term.background(kBarRow, 97) == kBrightWhite;
  return term.textAt(kBarRow, 90, 8) == "Peek Off" && term.foreground(kBarRow, 90) == kBlack &&
         term.background(kBarRow, 90) == kLightGrey && term.background(kBarRow, 97) == kLightGrey;
}

// Rows 4 to 20: the numbered question and its answers in their order.
std::string questionAndAnswers(const PtyTerminal& term) {
  std::string text;
  for (int row = 4; row <= 20; ++row) text += term.rowText(row) + "\n";
  return text;
}

TEST(DrillEndToEnd, ClicksOnTheAnswerBarPeekAnswerAndStop) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startRandomDrill(term));
  std::optional<ShownQuestion> shown = waitForQuestion(term, 1, false);
  ASSERT_TRUE(shown);
  EXPECT_TRUE(peekLabelIs(term, false));
  const std::string asked = questionAndAnswers(term);

  // The peek label's click area runs from column 90 to the edge.
  // The question and its answer order stay as they are.
  struct PeekClick {
    int column;
    bool peekOn;  // after the click
  };
  for (const PeekClick click : {PeekClick{95, true}, PeekClick{100, false}, PeekClick{90, true}}) {
    SCOPED_TRACE("click at column " + std::to_string(click.column));
    const bool peekOn = click.peekOn;
    term.click(kBarRow, click.column);
    ASSERT_TRUE(term.waitFor([&] { return peekLabelIs(term, peekOn); })) << term.screenDump();
    shown = waitForQuestion(term, 1, peekOn);
    ASSERT_TRUE(shown);
    EXPECT_EQ(questionAndAnswers(term), asked);
  }

  // Between two buttons and off the bar: no answer.
  term.click(kBarRow, 6);
  term.click(10, buttonColumn(shown->peekLetter));
  term.settle(kSettleTime);
  ASSERT_TRUE(waitForQuestion(term, 1, true)) << "a click off the buttons answered";
  EXPECT_EQ(term.textAt(2, kIdColumn, 5), shown->id);

  // The correct button, at its first column, then at its last one.
  term.click(kBarRow, buttonColumn(shown->peekLetter));
  shown = waitForQuestion(term, 2, true);
  ASSERT_TRUE(shown);
  term.click(kBarRow, buttonColumn(shown->peekLetter) + 2);
  ASSERT_TRUE(waitForQuestion(term, 3, true));

  term.click(kBarRow, kStopLast);
  EXPECT_TRUE(waitForMenu(term));
  ASSERT_TRUE(startRandomDrill(term));
  ASSERT_TRUE(waitForQuestion(term, 1, true));
  term.click(kBarRow, kStopFirst);
  EXPECT_TRUE(waitForMenu(term));
}

// Everything outside the bar's buttons and label is black on bright white.
bool barHighlight(int column) {
  for (int first : kButtonColumn)
    if (column >= first && column <= first + 2) return true;
  return (column >= kStopFirst && column <= kStopLast) || (column >= 90 && column <= 97);
}

// Rules, title, bar and colours of a question waiting with peek off.
::testing::AssertionResult questionScreenLaidOut(const PtyTerminal& term) {
  auto at = [](int row, int column) {
    return ::testing::AssertionFailure() << "row " << row << " column " << column << ": ";
  };
  for (int row : {1, 3, 24, 26}) {
    if (term.cell(row, 1).text != " ") return at(row, 1) << "not blank before the rule";
    for (int column = 2; column <= kColumns; ++column)
      if (term.cell(row, column).text != kRule) return at(row, column) << "not the rule";
  }
  const int titleLength = cellCount(kTitle);
  if (term.textAt(2, 97 - titleLength + 1, titleLength) != kTitle || term.textAt(2, 98, 3) != "   ")
    return at(2, 97) << "the title does not end here: \"" << term.rowText(2) << "\"";
  if (term.textAt(kBarRow, 1, 34) != " [ A ][ B ][ C ][ D ] [Stop Drill]")
    return at(kBarRow, 1) << "\"" << term.rowText(kBarRow) << "\"";
  for (int row = 27; row <= 43; ++row)
    if (term.rowText(row) != std::string(kColumns, ' ')) return at(row, 1) << "not blank";

  for (int row = 1; row <= 43; ++row) {
    for (int column = 1; column <= kColumns; ++column) {
      const Cell cell = term.cell(row, column);
      int foreground = kBlack;
      int background = kBrightWhite;
      if (row == kBarRow && barHighlight(column)) {
        foreground = column >= 90 ? kBlack : kYellow;
        background = column >= 90 ? kLightGrey : kRed;
      }
      if (cell.background != background || (cell.text != " " && cell.foreground != foreground))
        return at(row, column) << "\"" << cell.text << "\" in " << cell.foreground << " on " << cell.background
                               << ", expected " << foreground << " on " << background;
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(DrillEndToEnd, QuestionScreenColoursRulesAndTitle) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startRandomDrill(term));
  ASSERT_TRUE(waitForQuestion(term, 1, false));
  EXPECT_TRUE(waitUntil(term, [&] { return questionScreenLaidOut(term); }));
}

// PuTTY and many terminals announce themselves as plain "xterm": eight
// colours, and cursor keys that this description writes differently.
TEST(DrillEndToEnd, EightColourTerminalKeepsLabelsVisibleAndForeignKeysAnswerNothing) {
  PtyOptions options;
  options.environment = {"TERM=xterm"};
  PtyTerminal term(kBinary, options);
  ASSERT_TRUE(startRandomDrill(term));
  ASSERT_TRUE(waitForQuestion(term, 1, false));
  // Bright white falls back to light grey there; the label must not vanish into it.
  EXPECT_NE(term.background(kBarRow, 90), term.background(kBarRow, 60)) << term.screenDump();
  EXPECT_NE(term.foreground(kBarRow, 90), term.background(kBarRow, 90));

  const std::string before = questionAndAnswers(term);
  for (const char* sequence : {"\x1b[D", "\x1b[A", "\x1b[H", "\x1b[11~", "\x1bOq"}) term.send(sequence);
  term.settle(milliseconds{600});
  EXPECT_TRUE(questionDrawn(term, 1, false)) << term.screenDump();
  EXPECT_EQ(questionAndAnswers(term), before);
  EXPECT_TRUE(term.running());
}

}  // namespace
}  // namespace pentrill::e2e
