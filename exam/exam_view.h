// How a face shows a practice exam and reads the user's commands, and the
// one flow of an exam that every face runs.
#pragma once
#include "exam/exam.h"

namespace pentrill {

// What the user asks for once an exam's results are shown (and where its
// missed questions are offered again): nothing more, the list of the
// questions missed, or a drill of them.
enum class MissedChoice { Done, List, Drill };

class ExamView {
 public:
  virtual ~ExamView() = default;

  // The exam is composed and about to begin.
  virtual void examStarted(const Exam& exam) = 0;
  // The question shown now (after every command but Figure).
  virtual void questionShown(const Exam& exam) = 0;
  // The next command; input that is no command is ignored.
  virtual ExamInput readCommand(const Exam& exam) = 0;
  virtual void figureAsked(const Exam& exam) = 0;
  // R: the answer sheet was switched on or off.
  virtual void reviewAsked(const Exam& exam) = 0;
  virtual void alert() = 0;
  // After every command that did not end the exam, before the question is
  // shown again: the answer sheet follows the answers.
  virtual void commandDone(const Exam& exam) = 0;
  // The user went past the last question: a notice, until a key.
  virtual void pastLastQuestion(const Exam& exam) = 0;
  virtual bool confirmStop(const Exam& exam) = 0;
  // After the confirmed end: the results, until a key; with `missedOffered`
  // the keys for the missed questions' list and drill count too.
  virtual MissedChoice showResults(const Exam& exam, bool missedOffered) = 0;
  virtual void examLeft(const Exam& exam) = 0;
};

// Runs the exam until the user confirms its end and has seen the results;
// what the user asked for then.
MissedChoice runExam(Exam& exam, ExamView& view);

}  // namespace pentrill
