// Scoring of a practice exam: counts, running and final scores against the
// pass mark, the review panel's sheet and summary, the results screen.
#include "fullscreen/exam_screen.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/fakes/manual_clock.h"
#include "tests/fakes/memory_console.h"

namespace pentrill {
namespace {

constexpr Question kQuestion{"E1A01", std::nullopt, "Which?", {{"a", "b", "c", "d"}}, 'A'};

// An exam of `size` questions whose right letter is A for every question,
// with the review panel on: `right` questions answered A, then `wrong`
// answered B, the rest empty; more answers given by number.
struct ExamOfA {
  explicit ExamOfA(int right = 0, int wrong = 0, int size = 50)
      : exam(session, std::vector<AskedQuestion>(static_cast<size_t>(size), asPublished(kQuestion))) {
    exam.toggleReview();
    for (int q = 1; q <= right + wrong; ++q) answer(q, q <= right ? 'A' : 'B');
  }
  ExamOfA(const ExamOfA&) = delete;
  ExamOfA& answer(int number, char letter) {
    exam.goTo(number);
    exam.answer(letter);
    return *this;
  }

  ManualClock clock{2026, 12, 9, 12, 0, 0};
  NoFiles files;
  Session session{pool2020To2024(), clock, files};
  Exam exam;
};

std::string padTo(std::string text, size_t width) { return text + std::string(width - text.size(), ' '); }

struct Panel {
  std::string correct, incorrect, score, status;
};

Panel panelFor(MemoryConsole& console, const ExamOfA& sheet) {
  console.setColours(kBlack, kBrightWhite);
  ClickMap<int> clicks;
  showReviewPanel(console, sheet.exam, clicks);
  return {console.text(27, 1, 29), console.text(28, 1, 29), console.text(29, 1, 29), console.text(30, 1, 29)};
}

TEST(ReviewPanel, RunningScoreIsTheShareOfAnsweredQuestionsAgainstThePassMark) {
  struct Case {
    int right, wrong;
    const char* score;
    const char* status;
  } cases[] = {
      {2, 1, " 66.67", "Fail"}, {3, 1, " 75", "Pass"},  {1, 31, " 3.12", "Fail"}, {3, 29, " 9.38", "Fail"},
      {37, 13, " 74", "Pass"},  {36, 14, " 72", "Fail"}, {1, 0, " 100", "Pass"},   {0, 0, " 0", "Fail"},
  };
  for (const Case& c : cases) {
    MemoryConsole console;
    const Panel panel = panelFor(console, ExamOfA(c.right, c.wrong));
    const std::string where = std::to_string(c.right) + " of " + std::to_string(c.right + c.wrong);
    EXPECT_EQ(panel.correct, padTo("     Correct Answers: " + std::to_string(c.right), 29)) << where;
    EXPECT_EQ(panel.incorrect, padTo("   Incorrect Answers: " + std::to_string(c.wrong), 29)) << where;
    EXPECT_EQ(panel.score, padTo("  Your Current Score:" + std::string(c.score) + "%", 29)) << where;
    EXPECT_EQ(panel.status, padTo(" Current Test Status: " + std::string(c.status), 29)) << where;
    EXPECT_EQ(console.cursorRow(), 31);  // the status row ends with a line end
  }
}

// The panel is drawn again after every command without being blanked: a
// shorter value must not leave digits of a longer one behind.
TEST(ReviewPanel, ShorterValuesReplaceLongerOnesCompletely) {
  MemoryConsole console;
  panelFor(console, ExamOfA(2, 10));  // 16.67, ten wrong
  const Panel panel = panelFor(console, ExamOfA(3, 9));
  EXPECT_EQ(panel.incorrect, padTo("   Incorrect Answers: 9", 29));
  EXPECT_EQ(panel.score, padTo("  Your Current Score: 25%", 29));
}

TEST(ReviewPanel, SheetInFiveColumnsWrongAnswersRedSkippedNever) {
  MemoryConsole console;
  ExamOfA sheet;
  sheet.answer(1, 'A').answer(2, 'C').answer(10, 'D').answer(11, 'A').answer(50, 'B');
  console.setColours(kBlack, kBrightWhite);
  ClickMap<int> clicks;
  showReviewPanel(console, sheet.exam, clicks);
  // Each entry is where a click goes to its question.
  EXPECT_EQ(clicks.at(27, 30), 1);
  EXPECT_EQ(clicks.at(36, 34), 10);
  EXPECT_EQ(clicks.at(36, 75), 50);
  EXPECT_EQ(clicks.at(27, 35), std::nullopt);

  EXPECT_EQ(console.text(27, 30, 34), "01. A");
  EXPECT_EQ(console.text(28, 30, 34), "02. C");
  EXPECT_EQ(console.text(29, 30, 34), "03.  ");
  EXPECT_EQ(console.text(36, 30, 34), "10. D");
  EXPECT_EQ(console.text(27, 41, 45), "11. A");
  EXPECT_EQ(console.text(27, 51, 55), "21.  ");
  EXPECT_EQ(console.text(27, 61, 65), "31.  ");
  EXPECT_EQ(console.text(27, 71, 75), "41.  ");
  EXPECT_EQ(console.text(36, 71, 75), "50. B");
  for (int row = 31; row <= 43; ++row) EXPECT_EQ(console.text(row, 1, 29), std::string(29, ' ')) << row;
  for (int row = 37; row <= 43; ++row) EXPECT_EQ(console.text(row), std::string(100, ' ')) << row;

  const ScreenGrid& grid = console.grid();
  auto colourAt = [&](int row, int column) {
    return std::pair{int{grid.cell(row, column).foreground}, int{grid.cell(row, column).background}};
  };
  const std::pair red{int{kRed}, int{kBrightWhite}};
  const std::pair black{int{kBlack}, int{kBrightWhite}};
  for (int column = 30; column <= 34; ++column) {
    EXPECT_EQ(colourAt(27, column), black);  // right
    EXPECT_EQ(colourAt(28, column), red);    // wrong
    EXPECT_EQ(colourAt(29, column), black);  // skipped
    EXPECT_EQ(colourAt(36, column), red);
  }
  EXPECT_EQ(colourAt(36, 71), red);
  EXPECT_EQ(colourAt(27, 41), black);
  EXPECT_EQ(grid.foreground(), kBlack);
  EXPECT_EQ(grid.background(), kBrightWhite);
  EXPECT_EQ(console.text(27, 1, 29), padTo("     Correct Answers: 2", 29));
  EXPECT_EQ(console.text(28, 1, 29), padTo("   Incorrect Answers: 3", 29));
  EXPECT_EQ(console.text(29, 1, 29), padTo("  Your Current Score: 40%", 29));
}

TEST(ReviewPanel, OffBlanksRowsTwentySevenToTheLastWithoutScrolling) {
  MemoryConsole console;
  console.setColours(kBlack, kBrightWhite);
  console.locate(1, 1);
  console.write("top row");
  ExamOfA sheet(5, 5);
  ClickMap<int> clicks;
  showReviewPanel(console, sheet.exam, clicks);
  sheet.exam.toggleReview();
  showReviewPanel(console, sheet.exam, clicks);
  EXPECT_EQ(clicks.at(27, 30), std::nullopt) << "a click on the blank panel goes nowhere";
  for (int row = 27; row <= 43; ++row) {
    EXPECT_EQ(console.text(row), std::string(100, ' ')) << row;
    EXPECT_EQ(console.grid().cell(row, 100).background, kBrightWhite) << row;
  }
  EXPECT_EQ(console.text(1, 1, 7), "top row");
}

struct Results {
  std::string correct, incorrect, skipped, score, status;
};

Results resultsFor(MemoryConsole& console, const ExamOfA& sheet) {
  console.typeKeys("x");
  showExamResults(console, sheet.exam);
  return {console.text(19, 39, 70), console.text(20, 39, 70), console.text(21, 39, 70), console.text(22, 39, 70),
          console.text(23, 39, 70)};
}

TEST(ExamResults, CountsScoreAndVerdictOfAllTheExamsQuestions) {
  struct Case {
    int size, right, wrong;
    const char* score;
    const char* status;
  } cases[] = {{50, 37, 10, " 74% ", " Pass"}, {50, 36, 14, " 72% ", " Fail"}, {50, 0, 0, " 0% ", " Fail"},
               {50, 50, 0, " 100% ", " Pass"}, {50, 3, 1, " 6% ", " Fail"},   {35, 26, 0, " 74.29% ", " Pass"},
               {35, 25, 10, " 71.43% ", " Fail"}, {35, 35, 0, " 100% ", " Pass"}};
  for (const Case& c : cases) {
    MemoryConsole console;
    const Results results = resultsFor(console, ExamOfA(c.right, c.wrong, c.size));
    const int skipped = c.size - c.right - c.wrong;
    const std::string where = std::to_string(c.right) + " right";
    EXPECT_EQ(results.correct, padTo("  Correct Answers: " + std::to_string(c.right), 32)) << where;
    EXPECT_EQ(results.incorrect, padTo("Incorrect Answers: " + std::to_string(c.wrong), 32)) << where;
    EXPECT_EQ(results.skipped, padTo("Skipped Questions: " + std::to_string(skipped), 32)) << where;
    EXPECT_EQ(results.score, padTo("       Your Score:" + std::string(c.score), 32)) << where;
    EXPECT_EQ(results.status, padTo("      Your Status:" + std::string(c.status), 32)) << where;
    EXPECT_EQ(console.text(25, 35, 64), "Press any key to end the exam.");
    EXPECT_EQ(console.waitingSteps(), 0) << "the key was taken";
    for (int row : {1, 19, 43}) {
      EXPECT_EQ(console.grid().cell(row, 58).foreground, kBrightWhite);
      EXPECT_EQ(console.grid().cell(row, 58).background, kBlue);
    }
  }
}

TEST(ExamScore, PassMarkIsASingleValueComparedStrictly) {
  EXPECT_TRUE(passes(74.0f));
  EXPECT_FALSE(passes(72.0f));
  EXPECT_FALSE(passes(73.99f));
  EXPECT_TRUE(passes(74.0f - 0.005f));
  ExamCounts counts;
  counts.correct = 37;
  counts.skipped = 13;
  EXPECT_EQ(finalScore(counts), 74.0f);
  counts.skipped = 0;
  counts.incorrect = 13;
  EXPECT_EQ(runningScore(counts), 74.0f);
}

}  // namespace
}  // namespace pentrill
