#include "exam/exam_view.h"

namespace pentrill {

namespace {

// Carries out a command that moves or marks; what it did.
Exam::Move carryOut(Exam& exam, const ExamInput& input) {
  switch (input.command) {
    case ExamCommand::Next:
      return exam.next();
    case ExamCommand::Prev:
      return exam.previous();
    case ExamCommand::Review:
      exam.toggleReview();
      return {};
    case ExamCommand::GoTo:
      exam.goTo(input.number);
      return {};
    case ExamCommand::A:
    case ExamCommand::B:
    case ExamCommand::C:
    case ExamCommand::D:
      return exam.answer(answerLetterOf(input.command));
    case ExamCommand::Stop:
    case ExamCommand::Figure:
      break;
  }
  return {};
}

}  // namespace

MissedChoice runExam(Exam& exam, ExamView& view) {
  view.examStarted(exam);
  view.questionShown(exam);
  for (;;) {
    const ExamInput input = view.readCommand(exam);
    if (input.command == ExamCommand::Figure) {
      view.figureAsked(exam);
      continue;
    }
    if (input.command == ExamCommand::Stop && view.confirmStop(exam)) {
      exam.finish();
      const ExamCounts counts = exam.counts();
      const MissedChoice choice = view.showResults(exam, counts.incorrect + counts.skipped > 0);
      view.examLeft(exam);
      return choice;
    }
    const Exam::Move move = carryOut(exam, input);
    if (input.command == ExamCommand::Review) view.reviewAsked(exam);
    if (move.alert) view.alert();
    view.commandDone(exam);
    if (move.pastLast) view.pastLastQuestion(exam);
    view.questionShown(exam);
  }
}

}  // namespace pentrill
