// Scoring of a practice exam: counts, running and final scores against the
// pass mark, the review panel's sheet and summary, the results screen.
#include "exam/exam_results.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/fakes/memory_console.h"

namespace pentrill {
namespace {

constexpr Question kQuestion{"E1A01", std::nullopt, "Which?", {{"a", "b", "c", "d"}}, 'A'};

// An exam whose correct letter is A for every question.
PracticeExam allA() {
  PracticeExam exam;
  exam.fill(asPublished(kQuestion));
  return exam;
}

// A sheet with `right` questions answered A, then `wrong` answered B, the
// rest empty.
AnswerSheet sheetWith(int right, int wrong) {
  AnswerSheet sheet;
  for (int q = 1; q <= right + wrong; ++q) sheet[static_cast<size_t>(q - 1)] = q <= right ? 'A' : 'B';
  return sheet;
}

std::string padTo(std::string text, size_t width) { return text + std::string(width - text.size(), ' '); }

struct Panel {
  std::string correct, incorrect, score, status;
};

Panel panelFor(MemoryConsole& console, const AnswerSheet& sheet) {
  console.setColours(kBlack, kBrightWhite);
  showReviewPanel(console, true, sheet, allA());
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
    const Panel panel = panelFor(console, sheetWith(c.right, c.wrong));
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
  panelFor(console, sheetWith(2, 10));  // 16.67, ten wrong
  const Panel panel = panelFor(console, sheetWith(3, 9));
  EXPECT_EQ(panel.incorrect, padTo("   Incorrect Answers: 9", 29));
  EXPECT_EQ(panel.score, padTo("  Your Current Score: 25%", 29));
}

TEST(ReviewPanel, SheetInFiveColumnsWrongAnswersRedSkippedNever) {
  MemoryConsole console;
  PracticeExam exam = allA();
  AnswerSheet sheet;
  sheet[0] = 'A';   // question 1: right
  sheet[1] = 'C';   // question 2: wrong
  sheet[9] = 'D';   // question 10: wrong
  sheet[10] = 'A';  // question 11
  sheet[49] = 'B';  // question 50
  console.setColours(kBlack, kBrightWhite);
  showReviewPanel(console, true, sheet, exam);

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
  showReviewPanel(console, true, sheetWith(5, 5), allA());
  showReviewPanel(console, false, sheetWith(5, 5), allA());
  for (int row = 27; row <= 43; ++row) {
    EXPECT_EQ(console.text(row), std::string(100, ' ')) << row;
    EXPECT_EQ(console.grid().cell(row, 100).background, kBrightWhite) << row;
  }
  EXPECT_EQ(console.text(1, 1, 7), "top row");
}

struct Results {
  std::string correct, incorrect, skipped, score, status;
};

Results resultsFor(MemoryConsole& console, const AnswerSheet& sheet) {
  console.typeKeys("x");
  showExamResults(console, sheet, allA());
  return {console.text(19, 39, 70), console.text(20, 39, 70), console.text(21, 39, 70), console.text(22, 39, 70),
          console.text(23, 39, 70)};
}

TEST(ExamResults, CountsScoreAndVerdictOfAllFiftyQuestions) {
  struct Case {
    int right, wrong;
    const char* score;
    const char* status;
  } cases[] = {{37, 10, " 74% ", " Pass"}, {36, 14, " 72% ", " Fail"}, {0, 0, " 0% ", " Fail"},
               {50, 0, " 100% ", " Pass"}, {3, 1, " 6% ", " Fail"}};
  for (const Case& c : cases) {
    MemoryConsole console;
    const Results results = resultsFor(console, sheetWith(c.right, c.wrong));
    const int skipped = 50 - c.right - c.wrong;
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
  EXPECT_EQ(finalScore(counts), 74.0f);
  counts.incorrect = 13;
  EXPECT_EQ(runningScore(counts), 74.0f);
}

}  // namespace
}  // namespace pentrill
