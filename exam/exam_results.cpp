#include "exam/exam_results.h"

#include <optional>
#include <string>
#include <string_view>

#include "screen/text.h"
#include "screen/input.h"

namespace pentrill {

namespace {

constexpr int kPanelFirstRow = 27;
constexpr int kSheetColumns[] = {30, 41, 51, 61, 71};  // questions 1-10, 11-20, ...
constexpr int kEntriesPerColumn = 10;
// The counts and scores stand left of the sheet; each is padded to here, so
// a shorter value leaves nothing of a longer one behind.
constexpr int kSummaryWidth = kSheetColumns[0] - 1;

std::optional<char> answerOf(const AnswerSheet& sheet, int q) { return sheet[static_cast<size_t>(q - 1)]; }
char correctOf(const PracticeExam& exam, int q) { return exam[static_cast<size_t>(q - 1)].correct; }

bool isWrong(std::optional<char> answer, char correct) { return answer && *answer != correct; }

std::string padded(std::string text, int width) {
  if (text.size() < static_cast<size_t>(width)) text += blanks(width - static_cast<int>(text.size()));
  return text;
}

// "07. B": the question number in two digits, ". " and the letter, five wide.
std::string sheetEntry(int q, std::optional<char> answer) {
  const std::string number = "00" + plainNumberText(q);
  return (number.substr(number.size() - 2) + ". " + (answer ? std::string(1, *answer) : "") + blanks(5)).substr(0, 5);
}

void drawAnswerSheet(Console& console, const AnswerSheet& sheet, const PracticeExam& exam) {
  for (int q = 1; q <= kExamQuestions; ++q) {
    const int row = kPanelFirstRow + (q - 1) % kEntriesPerColumn;
    const int column = kSheetColumns[(q - 1) / kEntriesPerColumn];
    const std::optional<char> answer = answerOf(sheet, q);
    console.setColours(isWrong(answer, correctOf(exam, q)) ? kRed : kBlack, kBrightWhite);
    writeAt(console, row, column, sheetEntry(q, answer));
    console.setColours(kBlack, kBrightWhite);
  }
}

std::string verdict(float score) { return passes(score) ? "Pass" : "Fail"; }

// The number's trailing blanks go; its leading blank (the sign's place) stays.
std::string scoreText(float score) {
  std::string text = singleNumberText(score);
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

void drawSummary(Console& console, const ExamCounts& counts) {
  const float score = runningScore(counts);
  writeAt(console, 27, 1, padded("     Correct Answers:" + singleNumberText(counts.correct), kSummaryWidth));
  writeAt(console, 28, 1, padded("   Incorrect Answers:" + singleNumberText(counts.incorrect), kSummaryWidth));
  writeAt(console, 29, 1, padded("  Your Current Score:" + scoreText(score) + "%", kSummaryWidth));
  console.endLine();
  writeAt(console, 30, 1, padded(" Current Test Status: " + verdict(score), kSummaryWidth));
  console.endLine();
}

}  // namespace

ExamCounts countAnswers(const AnswerSheet& sheet, const PracticeExam& exam) {
  ExamCounts counts;
  for (int q = 1; q <= kExamQuestions; ++q) {
    const std::optional<char> answer = answerOf(sheet, q);
    if (!answer) {
      counts.skipped += 1;
    } else if (*answer == correctOf(exam, q)) {
      counts.correct += 1;
    } else {
      counts.incorrect += 1;
    }
  }
  return counts;
}

float runningScore(const ExamCounts& counts) {
  const float answered = counts.correct + counts.incorrect;
  if (answered == 0) return 0;
  return roundToHundredths(100.0f * counts.correct / answered);
}

float finalScore(const ExamCounts& counts) {
  return roundToHundredths(100.0f * counts.correct / static_cast<float>(kExamQuestions));
}

bool passes(float score) { return score > kPassMark; }

void showReviewPanel(Console& console, bool reviewOn, const AnswerSheet& sheet, const PracticeExam& exam) {
  if (!reviewOn) {
    for (int row = kPanelFirstRow; row <= kScreenRows; ++row) writeAt(console, row, 1, blanks(kScreenColumns));
    return;
  }
  drawAnswerSheet(console, sheet, exam);
  drawSummary(console, countAnswers(sheet, exam));
}

void showExamResults(Console& console, const AnswerSheet& sheet, const PracticeExam& exam) {
  const ExamCounts counts = countAnswers(sheet, exam);
  const float score = finalScore(counts);
  console.setColours(kBrightWhite, kBlue);
  console.clearScreen();
  writeAt(console, 19, 39, "  Correct Answers:" + singleNumberText(counts.correct));
  writeAt(console, 20, 39, "Incorrect Answers:" + singleNumberText(counts.incorrect));
  writeAt(console, 21, 39, "Skipped Questions:" + singleNumberText(counts.skipped));
  writeAt(console, 22, 39, "       Your Score:" + singleNumberText(score) + "% ");
  writeAt(console, 23, 39, "      Your Status:" + std::string(" ") + verdict(score));
  writeAt(console, 25, 35, "Press any key to end the exam.");
  console.endLine();
  waitKey(console);
}

}  // namespace pentrill
