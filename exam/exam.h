// A practice exam: one question from each of the edition's groups, answered
// in any order, changed at will, scored when the user ends it. The rules
// live here (moving between the questions, what is recorded, the score);
// the faces show the exam and read the user's commands (exam_view.h).
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pool/question.h"
#include "session/commands.h"
#include "session/session.h"

namespace pentrill {

// What the user can ask of the exam; GoTo goes to a question by its number.
enum class ExamCommand { A, B, C, D, Next, Prev, Review, Stop, Figure, GoTo };

inline constexpr CommandInfo<ExamCommand> kExamCommands[] = {
    {ExamCommand::A, 'A', 'A', "A", "answer A, and go on to the next question"},
    {ExamCommand::B, 'B', 'B', "B", "answer B, and go on"},
    {ExamCommand::C, 'C', 'C', "C", "answer C, and go on"},
    {ExamCommand::D, 'D', 'D', "D", "answer D, and go on"},
    {ExamCommand::Next, 'N', 'N', "next", "next question"},
    {ExamCommand::Prev, 'P', 'P', "previous", "previous question"},
    {ExamCommand::Review, 'R', 'R', "answer sheet", "the answer sheet with the running score"},
    {ExamCommand::Figure, 'F', 'F', "figure", "show the question's figure"},
    {ExamCommand::Stop, 'S', 'S', "stop", "end the exam, after a yes, and see the results"},
};

// A command with the question number it names (GoTo only, from 1).
struct ExamInput {
  ExamCommand command;
  int number = 0;
};

// One question of the exam and the letter chosen for it, if any.
struct ExamItem {
  AskedQuestion asked;
  std::optional<char> answer;

  bool right() const { return answer && *answer == asked.correct; }
  bool wrong() const { return answer && *answer != asked.correct; }
};

// Counts as the exam holds them, in single precision.
struct ExamCounts {
  float correct = 0;
  float incorrect = 0;  // answered, and not with the right letter
  float skipped = 0;    // no answer
};

// Per cent of the answered questions that are right, to two decimals; 0
// while none is answered.
float runningScore(const ExamCounts& counts);
// Per cent of all the exam's questions that are right, to two decimals.
float finalScore(const ExamCounts& counts);
// Greater than kPassPercent.
bool passes(float score);

class Exam {
 public:
  // The composed questions, question 1 first.
  Exam(Session& session, std::vector<AskedQuestion> questions);

  int size() const { return static_cast<int>(items_.size()); }
  // The question shown, from 0.
  int current() const { return current_; }
  const ExamItem& item(int index) const { return items_[static_cast<std::size_t>(index)]; }
  const ExamItem& currentItem() const { return item(current_); }
  std::span<const ExamItem> items() const { return items_; }
  bool reviewOn() const { return reviewOn_; }
  const Session& session() const { return *session_; }

  // What a move did: the alert is due (Next past the last question, Prev
  // before the first), and whether the user went past the last question
  // (the exam then stays on it).
  struct Move {
    bool alert = false;
    bool pastLast = false;
  };
  // Records the letter for the question shown (replacing an earlier one) and
  // goes on to the next.
  Move answer(char letter);
  Move next();
  Move previous();
  void toggleReview() { reviewOn_ = !reviewOn_; }
  // Goes to question `number` (from 1); false, changing nothing, for a number
  // the exam does not have.
  bool goTo(int number);
  // The confirmed end, recorded with the right answers.
  void finish();

  ExamCounts counts() const;

 private:
  Session* session_;
  std::vector<ExamItem> items_;
  int current_ = 0;
  bool reviewOn_ = false;
  std::int64_t started_;
  std::optional<std::int64_t> recorded_;  // the exam in the study record, from its first answer
};

}  // namespace pentrill
