// Scoring of a practice exam: the review panel under the exam screen and the
// results screen, both computed afresh from the answer sheet and the correct
// letters of the exam's rows.
#pragma once
#include <array>
#include <optional>

#include "exam/exam_composer.h"
#include "platform/console.h"

namespace pentrill {

// The letters chosen in a practice exam, question 1 first: 'A' to 'D', none
// while no answer is recorded.
using AnswerSheet = std::array<std::optional<char>, kExamQuestions>;

// A score passes when it is greater than this (37 of 50 pass, 36 fail).
inline constexpr float kPassMark = 73.99f;

// Counts as the program holds them, in single precision.
struct ExamCounts {
  float correct = 0;
  float incorrect = 0;  // answered, and not with the correct letter
  float skipped = 0;    // no answer recorded
};

ExamCounts countAnswers(const AnswerSheet& sheet, const PracticeExam& exam);
// Per cent of the answered questions that are right, to two decimals; 0 while
// none is answered.
float runningScore(const ExamCounts& counts);
// Per cent of all 50 questions that are right, to two decimals.
float finalScore(const ExamCounts& counts);
bool passes(float score);

// With review off, blanks rows 27 to 43. Otherwise draws the answer sheet of
// all 50 questions in five columns at rows 27 to 36 (wrong answers red, never
// a skipped one) and, left of it, the counts, running score and status.
// Called with 0 on 15 in force and leaves it so.
void showReviewPanel(Console& console, bool reviewOn, const AnswerSheet& sheet, const PracticeExam& exam);

// The results screen in white on blue: correct, incorrect and skipped counts,
// the score and the verdict. Returns after any key or click, leaving the
// screen for the caller to repaint.
void showExamResults(Console& console, const AnswerSheet& sheet, const PracticeExam& exam);

}  // namespace pentrill
