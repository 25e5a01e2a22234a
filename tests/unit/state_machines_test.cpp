// The drill and the exam as state machines, without a face: the rules that
// both faces rely on.
#include <gtest/gtest.h>

#include "drill/drill.h"
#include "exam/exam.h"
#include "exam/exam_composer.h"
#include "tests/fakes/manual_clock.h"
#include "tests/fakes/memory_record_store.h"

namespace pentrill {
namespace {

class StateMachines : public ::testing::Test {
 protected:
  StateMachines() {
    session.record.kept = true;
    session.record.store = &store;
  }
  static char otherThan(char letter) { return letter == 'A' ? 'B' : 'A'; }

  ManualClock clock{2026, 12, 9, 9, 0, 0};
  NoFiles files;
  MemoryRecordStore store;
  Session session{pool2020To2024(), clock, files};
};

// A question answered wrongly stays in the drill until it is answered right;
// the drill ends when every question is done, in either order.
TEST_F(StateMachines, ADrillKeepsAMissedQuestionUntilItIsAnsweredRight) {
  for (DrillOrder order : {DrillOrder::Random, DrillOrder::Sequence}) {
    Drill drill = subelementDrill(session, 0);
    drill.chooseOrder(order);
    if (order == DrillOrder::Sequence) {
      EXPECT_FALSE(drill.startAt("0"));
      EXPECT_FALSE(drill.startAt("12"));
      EXPECT_FALSE(drill.startAt("x"));
      ASSERT_TRUE(drill.startAt(" 9 ,1"));
      EXPECT_EQ(drill.doneCount(), 8);
    }
    drill.nextQuestion();
    const std::string missed(drill.question().question->id);
    EXPECT_FALSE(drill.answer(otherThan(drill.question().correct)).right);
    int asked = 1, missedAgain = 0;
    while (!drill.complete()) {
      drill.nextQuestion();
      ++asked;
      if (drill.question().question->id == missed) ++missedAgain;
      EXPECT_TRUE(drill.answer(drill.question().correct).right);
    }
    EXPECT_EQ(missedAgain, 1) << "the missed question comes back once, and is then done";
    EXPECT_EQ(asked, order == DrillOrder::Sequence ? 4 : 12);
    EXPECT_EQ(drill.doneCount(), 11);
  }
  EXPECT_EQ(store.readAllAnswers()->size(), 4u + 12u);
}

TEST_F(StateMachines, AnExamStaysWithinItsQuestionsAndRecordsFromItsFirstAnswer) {
  Exam exam(session, composePracticeExam(session.edition(), clock, session.random));
  ASSERT_EQ(exam.size(), 50);
  EXPECT_TRUE(exam.previous().alert);
  EXPECT_EQ(exam.current(), 0);
  EXPECT_FALSE(exam.goTo(0));
  EXPECT_FALSE(exam.goTo(51));
  ASSERT_TRUE(exam.goTo(50));
  const Exam::Move next = exam.next();
  EXPECT_TRUE(next.alert && next.pastLast);
  EXPECT_TRUE(store.readLastExams("2020-2024", 10)->empty()) << "no answer yet, no exam in the record";

  const Exam::Move answered = exam.answer(exam.currentItem().asked.correct);
  EXPECT_TRUE(answered.pastLast && !answered.alert);
  EXPECT_EQ(exam.current(), 49);
  ASSERT_TRUE(exam.goTo(1));
  EXPECT_FALSE(exam.answer(otherThan(exam.currentItem().asked.correct)).pastLast);
  EXPECT_EQ(exam.current(), 1);
  const ExamCounts counts = exam.counts();
  EXPECT_EQ(counts.correct, 1);
  EXPECT_EQ(counts.incorrect, 1);
  EXPECT_EQ(counts.skipped, 48);
  EXPECT_TRUE(exam.item(0).wrong());
  EXPECT_TRUE(exam.item(49).right());
  exam.finish();
  const std::vector<RecordedExam> exams = store.readLastExams("2020-2024", 10).value();
  ASSERT_EQ(exams.size(), 1u);
  EXPECT_EQ(exams[0].right, 1);
}

}  // namespace
}  // namespace pentrill
