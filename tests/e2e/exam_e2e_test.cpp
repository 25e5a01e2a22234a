// The practice exam with the real program in a 100 x 43 pseudo-terminal: a
// whole exam answered from the keyboard, each question read off the screen
// and looked up in the published pool text to know its correct letter; the
// review panel and the results screen must agree with the answers given.
#include <array>
#include <chrono>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "pty_terminal.h"
#include "x_display.h"

namespace pentrill::e2e {
namespace {

constexpr const char* kBinary = PENTRILL_BINARY;
constexpr const char* kSourceDir = PENTRILL_SOURCE_DIR;
constexpr int kColumns = 100;
constexpr int kBarRow = 25;

constexpr int kBlack = 0;
constexpr int kBlue = 1;
constexpr int kRed = 4;
constexpr int kLightGrey = 7;
constexpr int kBrightWhite = 15;

constexpr const char* kRule = "\u2500";
constexpr const char* kMenuPrompt = "Pick the sub element you want to practice (0-9, P, ?)";
constexpr const char* kPreparing = "One moment please, preparing your test...";
constexpr const char* kBar = " [ A ][ B ][ C ][ D ]   Next  Prev            Review       Stop Exam";
constexpr const char* kLastNotice =
    "This was the last question you can End the exam or go back to a Previous question.";
constexpr const char* kStopPrompt = "Are you sure you want to end the Exam? [Y] or [N]";
constexpr std::array<int, 5> kSheetColumns{30, 41, 51, 61, 71};

// One question of the published pool (UTF-8), answers without their labels.
struct PoolQuestion {
  std::string id;
  char correct = '?';
  std::string text;
  std::array<std::string, 4> answers;
};

// Blanks (and the no-break space) as single blanks, the non-breaking hyphen
// as the hyphen the terminal shows for it, no blanks at the ends.
std::string normalised(std::string_view text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) == "\u00A0") {
      plain += ' ';
      ++i;
    } else if (text.substr(i, 3) == "\u2011") {
      plain += '-';
      i += 2;
    } else {
      plain += text[i];
    }
  }
  std::string out;
  for (char c : plain) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// A pool's published text: per question "E1A01 (A) ...", its text, "A. " to
// "D. " and "~~"; keyed by the normalised question text.
std::multimap<std::string, PoolQuestion> readPool(const std::string& name) {
  std::multimap<std::string, PoolQuestion> pool;
  std::ifstream in(std::string(kSourceDir) + "/pool/data/element4-" + name + ".txt");
  std::vector<std::string> block;
  for (std::string line; std::getline(in, line);) {
    if (line != "~~") {
      if (!line.empty()) block.push_back(line);
      continue;
    }
    if (block.size() == 6) {
      PoolQuestion q;
      q.id = block[0].substr(0, 5);
      q.correct = block[0][7];
      q.text = normalised(block[1]);
      for (size_t a = 0; a < 4; ++a) q.answers[a] = normalised(block[2 + a].substr(3));
      pool.emplace(q.text, q);
    }
    block.clear();
  }
  return pool;
}

// A question as the exam screen shows it: number, text and answers A to D.
struct ScreenQuestion {
  int number = 0;
  std::string text;
  std::array<std::string, 4> answers;
};

// Rows 3 to 23 as the exam draws them: the numbered question, then the
// answers "A. " to "D. ", each followed by exactly one empty row, and empty
// rows to 23. Nothing while the rows do not have that shape.
std::optional<ScreenQuestion> readScreenQuestion(const PtyTerminal& term, int number) {
  const std::string blankRow(kColumns, ' ');
  std::vector<std::string> blocks;
  std::string block;
  for (int row = 3; row <= 23; ++row) {
    const std::string text = term.rowText(row);
    if (text != blankRow) {
      if (blocks.size() == 5) return std::nullopt;  // something below the last answer
      block += text + " ";
    } else if (!block.empty()) {
      blocks.push_back(normalised(block));
      block.clear();
    } else if (blocks.size() < 5) {
      return std::nullopt;  // two empty rows inside the question
    }
  }
  if (blocks.size() != 5) return std::nullopt;
  ScreenQuestion shown;
  shown.number = number;
  const std::string prefix = std::to_string(number) + ". ";
  if (term.textAt(3, 1, 2 + cellCount(prefix)) != "  " + prefix) return std::nullopt;
  if (blocks[0].compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  shown.text = blocks[0].substr(prefix.size());
  const char* labels[] = {"A. ", "B. ", "C. ", "D. "};
  for (size_t a = 0; a < 4; ++a) {
    if (blocks[a + 1].compare(0, 3, labels[a]) != 0) return std::nullopt;
    shown.answers[a] = blocks[a + 1].substr(3);
  }
  return shown;
}

// The pool question on the screen and the letter its correct answer has
// there after the shuffle.
struct Identified {
  std::string id;
  char letter = '?';
  std::string figureCaption;  // "Figure 5-1" when the text names "Figure E5-1"
};

std::string figureCaptionOf(const std::string& text) {
  const size_t at = text.find("Figure E");
  return at == std::string::npos ? std::string() : "Figure " + text.substr(at + 8, 3);
}

std::optional<Identified> identify(const std::multimap<std::string, PoolQuestion>& pool, const ScreenQuestion& shown) {
  auto [first, last] = pool.equal_range(shown.text);
  std::multiset<std::string> onScreen(shown.answers.begin(), shown.answers.end());
  for (auto it = first; it != last; ++it) {
    const PoolQuestion& q = it->second;
    if (std::multiset<std::string>(q.answers.begin(), q.answers.end()) != onScreen) continue;
    const std::string& correctText = q.answers[static_cast<size_t>(q.correct - 'A')];
    for (size_t a = 0; a < 4; ++a)
      if (shown.answers[a] == correctText) return Identified{q.id, static_cast<char>('A' + a), figureCaptionOf(q.text)};
  }
  return std::nullopt;
}

bool barShown(const PtyTerminal& term) {
  return term.textAt(kBarRow, 1, cellCount(kBar)) == kBar && term.background(kBarRow, 60) == kLightGrey &&
         term.background(kBarRow, 68) == kLightGrey && term.background(kBarRow, 59) == kBrightWhite;
}

// A frame may reach the terminal in several reads, and the terminal is sent
// only the cells that changed: the number of the next question can stand in
// front of the previous question for a moment. So a question counts as shown
// when it matches the pool and nothing more has arrived for a while.
constexpr std::chrono::milliseconds kQuiet{80};

// Waits for question `number`, whole and matched with the pool, and not one
// of the questions already asked (those are still on the screen at first).
std::optional<Identified> waitForQuestion(PtyTerminal& term, const std::multimap<std::string, PoolQuestion>& pool,
                                          int number, const std::set<std::string>& asked = {}) {
  std::optional<Identified> found;
  auto matched = [&] {
    found.reset();
    if (!barShown(term)) return false;
    std::optional<ScreenQuestion> question = readScreenQuestion(term, number);
    if (question) found = identify(pool, *question);
    return found.has_value() && !asked.contains(found->id);
  };
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (!term.waitFor(matched)) break;
    const size_t before = term.received().size();
    term.settle(kQuiet);
    if (term.received().size() == before && matched()) return found;
  }
  ADD_FAILURE() << "question " << number << " not shown whole, or not in the pool:\n" << term.screenDump();
  return std::nullopt;
}

::testing::AssertionResult startExam(PtyTerminal& term) {
  if (auto menu = term.waitForText(20, 20, kMenuPrompt); !menu) return menu;
  term.send("p");
  return term.waitForText(21, 29, kPreparing);
}

::testing::AssertionResult examFrameLaidOut(const PtyTerminal& term) {
  for (int row : {1, 24, 26}) {
    for (int column = 1; column <= 99; ++column)
      if (term.cell(row, column).text != kRule)
        return ::testing::AssertionFailure() << "no rule at row " << row << " column " << column;
    if (term.cell(row, 100).text != " ") return ::testing::AssertionFailure() << "rule reaches column 100";
  }
  if (term.rowText(2) != std::string(kColumns, ' ')) return ::testing::AssertionFailure() << "row 2 not empty";
  for (int row = 27; row <= 43; ++row)
    if (term.rowText(row) != std::string(kColumns, ' '))
      return ::testing::AssertionFailure() << "row " << row << " not blank";
  for (int row = 1; row <= 43; ++row)
    for (int column = 1; column <= kColumns; ++column) {
      const bool button = row == kBarRow && term.background(row, column) == kLightGrey;
      if (!button && term.background(row, column) != kBrightWhite)
        return ::testing::AssertionFailure() << "row " << row << " column " << column << " not on white";
      if (term.cell(row, column).text != " " && term.foreground(row, column) != kBlack)
        return ::testing::AssertionFailure() << "row " << row << " column " << column << " not black";
    }
  return ::testing::AssertionSuccess();
}

// What the test did with each question.
enum class Action { Right, Wrong, Skip };

Action planFor(int number) {
  if (number % 5 == 0) return Action::Skip;
  if (number % 4 == 0 || number == 1) return Action::Wrong;
  return Action::Right;
}

char wrongLetter(char right) { return right == 'A' ? 'C' : 'A'; }

std::string numberAt(const PtyTerminal& term, int row, int column) {
  std::string text = term.textAt(row, column, 4);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

struct PoolCase {
  const char* name;
  std::vector<std::string> arguments;
  size_t questions;
};

class WholeExam : public ::testing::TestWithParam<PoolCase> {};

INSTANTIATE_TEST_SUITE_P(Pools, WholeExam,
                         ::testing::Values(PoolCase{"2020-2024", {}, 620},
                                           PoolCase{"2024-2028", {"--pool", "2024-2028"}, 599}),
                         [](const auto& info) {
                           return info.param.arguments.empty() ? std::string("default_pool")
                                                               : std::string("pool_2024_2028");
                         });

TEST_P(WholeExam, FromTheKeyboardReviewPanelAndResultsAgreeWithTheAnswers) {
  const auto pool = readPool(GetParam().name);
  ASSERT_EQ(pool.size(), GetParam().questions) << "pool text in " << kSourceDir << "/pool/data";

  PtyOptions options;
  options.arguments = GetParam().arguments;
  PtyTerminal term(kBinary, options);
  ASSERT_TRUE(startExam(term));
  std::set<std::string> ids;
  std::map<char, int> perSubelement;
  std::array<Action, 51> done{};
  int right = 0, wrong = 0;
  for (int number = 1; number <= 50; ++number) {
    SCOPED_TRACE("question " + std::to_string(number));
    const std::optional<Identified> shown = waitForQuestion(term, pool, number, ids);
    ASSERT_TRUE(shown);
    if (number == 1) {
      EXPECT_TRUE(examFrameLaidOut(term)) << term.screenDump();
    }
    ids.insert(shown->id);
    ++perSubelement[shown->id[1]];

    const Action action = planFor(number);
    done[static_cast<size_t>(number)] = action;
    if (action == Action::Skip) {
      term.send(number % 2 ? "N" : "n");
    } else {
      const char letter = action == Action::Right ? shown->letter : wrongLetter(shown->letter);
      (action == Action::Right ? right : wrong) += 1;
      term.send(std::string(1, number % 2 ? letter : static_cast<char>(letter - 'A' + 'a')));
    }
  }
  // Question 50 was skipped with N: the notice, then question 50 again.
  ASSERT_TRUE(term.waitForText(22, 10, kLastNotice));
  ASSERT_TRUE(term.waitForText(kBarRow, 37, "Press any key to continue."));
  term.send("x");
  ASSERT_TRUE(waitForQuestion(term, pool, 50));
  EXPECT_EQ(ids.size(), 50u);
  const std::map<char, int> shares{{'0', 1}, {'1', 6}, {'2', 5}, {'3', 3}, {'4', 5},
                                   {'5', 4}, {'6', 6}, {'7', 8}, {'8', 4}, {'9', 8}};
  EXPECT_EQ(perSubelement, shares);

  // The review panel: wrong answers in red, the counts beside them.
  term.send("r");
  ASSERT_TRUE(term.waitForText(36, 71, "50.  "));
  ASSERT_TRUE(term.waitForText(30, 1, " Current Test Status: "));
  EXPECT_EQ(numberAt(term, 27, 22), " " + std::to_string(right));
  EXPECT_EQ(numberAt(term, 28, 22), " " + std::to_string(wrong));
  int red = 0;
  for (int number = 1; number <= 50; ++number) {
    const int row = 27 + (number - 1) % 10;
    const int column = kSheetColumns[static_cast<size_t>((number - 1) / 10)];
    const bool isRed = term.foreground(row, column) == kRed;
    red += isRed;
    EXPECT_EQ(isRed, done[static_cast<size_t>(number)] == Action::Wrong) << "entry " << number;
    if (done[static_cast<size_t>(number)] == Action::Skip) {
      EXPECT_EQ(term.cell(row, column + 4).text, " ") << "entry " << number;
    }
  }
  EXPECT_EQ(red, wrong);
  EXPECT_TRUE(barShown(term));
  EXPECT_EQ(term.cell(1, 1).text, kRule) << "the screen moved:\n" << term.screenDump();

  // Stop Exam, confirmed: the results.
  term.send("s");
  ASSERT_TRUE(term.waitForText(kBarRow, 26, kStopPrompt));
  term.send("y");
  ASSERT_TRUE(term.waitForText(25, 35, "Press any key to end the exam."));
  const int skipped = 50 - right - wrong;
  const int score = 2 * right;
  EXPECT_EQ(term.textAt(19, 39, 18), "  Correct Answers:");
  EXPECT_EQ(numberAt(term, 19, 57), " " + std::to_string(right));
  EXPECT_EQ(numberAt(term, 20, 57), " " + std::to_string(wrong));
  EXPECT_EQ(numberAt(term, 21, 57), " " + std::to_string(skipped));
  EXPECT_EQ(term.textAt(22, 57, 5), " " + std::to_string(score) + "% ");
  EXPECT_EQ(term.textAt(23, 57, 5), score > 73.99 ? " Pass" : " Fail");
  EXPECT_EQ(term.background(19, 58), kBlue);
  EXPECT_EQ(term.foreground(19, 58), kBrightWhite);
  term.send(" ");
  EXPECT_TRUE(term.waitForText(20, 20, kMenuPrompt));
}

// A click on an entry of the answer sheet goes to that question, and the
// letter chosen for it is marked in the buttons' colours, its other letters
// left as they were.
TEST(ExamEndToEnd, AClickOnTheAnswerSheetGoesToItsQuestionWithTheChosenLetterMarked) {
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startExam(term));
  ASSERT_TRUE(term.waitForText(3, 1, "  1. ")) << term.screenDump();
  term.send("b");
  ASSERT_TRUE(term.waitForText(3, 1, "  2. ")) << term.screenDump();
  term.send("r");
  ASSERT_TRUE(term.waitForText(27, 30, "01. B")) << term.screenDump();
  term.click(27, 33);
  ASSERT_TRUE(term.waitForText(3, 1, "  1. ")) << term.screenDump();
  std::map<std::string, int> letterRows;
  ASSERT_TRUE(term.waitFor([&] {
    letterRows.clear();
    for (int row = 4; row <= 23; ++row)
      for (const char* letter : {"A", "B", "C", "D"})
        if (term.textAt(row, 1, 8) == std::string("     ") + letter + ". ") letterRows[letter] = row;
    return letterRows.size() == 4 && term.foreground(letterRows["B"], 6) == 14;
  })) << term.screenDump();
  EXPECT_EQ(term.background(letterRows["B"], 6), kRed);
  for (const char* letter : {"A", "C", "D"}) {
    EXPECT_EQ(term.foreground(letterRows[letter], 6), kBlack) << letter;
    EXPECT_EQ(term.background(letterRows[letter], 6), kBrightWhite) << letter;
  }
  EXPECT_EQ(term.background(letterRows["B"], 7), kBrightWhite) << "only the letter is marked";
}

// Stopping at once, by clicks: a Stop Exam click declined with a click on
// [N], then confirmed with Y; all fifty skipped.
TEST(ExamEndToEnd, StopByClicksDeclinedThenConfirmed) {
  const auto pool = readPool("2020-2024");
  PtyTerminal term(kBinary);
  ASSERT_TRUE(startExam(term));
  ASSERT_TRUE(waitForQuestion(term, pool, 1));
  term.click(kBarRow, 25);  // Next
  ASSERT_TRUE(waitForQuestion(term, pool, 2));
  term.click(kBarRow, 68);  // the last column of Stop Exam
  ASSERT_TRUE(term.waitForText(kBarRow, 26, kStopPrompt));
  term.click(kBarRow, 75);  // N
  ASSERT_TRUE(waitForQuestion(term, pool, 2));
  term.click(kBarRow, 60);
  ASSERT_TRUE(term.waitForText(kBarRow, 26, kStopPrompt));
  term.click(kBarRow, 66);  // Y
  ASSERT_TRUE(term.waitForText(21, 39, "Skipped Questions: 50"));
  // The rows below may come in a later read.
  EXPECT_TRUE(term.waitForText(22, 39, "       Your Score: 0% "));
  EXPECT_TRUE(term.waitForText(23, 39, "      Your Status: Fail"));
  term.click(5, 5);
  EXPECT_TRUE(term.waitForText(20, 20, kMenuPrompt));
}

// Under a display of its own: the question with a figure opens its window
// captioned with the figure's name, every command closes it and the redraw
// opens a new one, and a question without a figure leaves none open. An
// exam has a figure question in about 93 of 100 exams; without one the
// exam is stopped and another taken.
TEST(ExamEndToEnd, FigureWindowFollowsTheQuestionOnTheScreen) {
  using namespace std::chrono_literals;
  XvfbDisplay display;
  if (!display.installed()) GTEST_SKIP() << "no picture-window tests: " << display.whyNot();
  ASSERT_TRUE(display.available()) << display.whyNot();
  const auto pool = readPool("2020-2024");
  PtyOptions options;
  options.environment = {"DISPLAY=" + display.name(), "SDL_AUDIODRIVER=dummy"};
  PtyTerminal term(kBinary, options);
  const auto windowsOfTheProgram = [&](const std::string& title) {
    return [&, title](const XWindowInfo& window) { return window.pid == term.pid() && window.title == title; };
  };

  std::optional<Identified> figureQuestion;
  int number = 1;
  for (int exam = 1; exam <= 5 && !figureQuestion; ++exam) {
    ASSERT_TRUE(startExam(term));
    std::set<std::string> asked;
    for (number = 1; number <= 50; ++number) {
      std::optional<Identified> shown = waitForQuestion(term, pool, number, asked);
      ASSERT_TRUE(shown);
      asked.insert(shown->id);
      if (!shown->figureCaption.empty()) {
        figureQuestion = shown;
        break;
      }
      term.send("n");
    }
    if (!figureQuestion) {
      ASSERT_TRUE(term.waitForText(22, 10, kLastNotice));
      term.send(" s");
      ASSERT_TRUE(term.waitForText(kBarRow, 26, kStopPrompt));
      term.send("y ");
      ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
    }
  }
  ASSERT_TRUE(figureQuestion) << "five exams without a figure question";
  const std::string caption = figureQuestion->figureCaption;
  SCOPED_TRACE(figureQuestion->id + " at question " + std::to_string(number));

  std::optional<XWindowInfo> first = display.waitForWindow(windowsOfTheProgram(caption), 20000ms);
  ASSERT_TRUE(first) << "no window \"" << caption << "\"";
  EXPECT_EQ(first->x, 1000);
  EXPECT_EQ(first->y, 100);
  EXPECT_EQ(first->width, 640);

  // Review redraws the same question: its window is closed and opened anew.
  term.send("r");
  ASSERT_TRUE(term.waitForText(27, 30, "01. "));
  std::optional<XWindowInfo> second = display.waitForWindow(
      [&](const XWindowInfo& window) { return windowsOfTheProgram(caption)(window) && window.id != first->id; },
      20000ms);
  ASSERT_TRUE(second) << "the redraw opened no new window";
  EXPECT_TRUE(display.waitForNoWindow([&](const XWindowInfo& window) { return window.id == first->id; }, 5000ms));

  // The next question closes it (and opens its own window if it has one).
  if (number < 50) {
    term.send("n");
    const std::optional<Identified> next = waitForQuestion(term, pool, number + 1);
    ASSERT_TRUE(next);
    EXPECT_TRUE(display.waitForNoWindow([&](const XWindowInfo& window) { return window.id == second->id; }, 5000ms));
    if (next->figureCaption.empty()) {
      term.settle(500ms);
      EXPECT_TRUE(display.waitForNoWindow(windowsOfTheProgram(caption), 100ms)) << "a window without a figure";
    }
  }

  // Stopping the exam closes it once the results have been seen.
  term.send("s");
  ASSERT_TRUE(term.waitForText(kBarRow, 26, kStopPrompt));
  term.send("y");
  ASSERT_TRUE(term.waitForText(25, 35, "Press any key to end the exam."));
  term.send(" ");
  ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
  EXPECT_TRUE(display.waitForNoWindow(windowsOfTheProgram(caption), 5000ms)) << "the figure outlived the exam";
}

}  // namespace
}  // namespace pentrill::e2e
