// A drill: questions asked one at a time until each has been answered
// right or the user stops. The rules live here: which question comes next,
// when a wrong one returns, what is recorded; the faces (full screen, plain
// lines) only show the drill and read the user's commands (drill_view.h).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/record_store.h"
#include "pool/question.h"
#include "session/commands.h"
#include "session/session.h"

namespace pentrill {

// What the user can ask of a drill question.
enum class DrillCommand { A, B, C, D, Stop, Peek, Hint, Figure, Redraw };

inline constexpr CommandInfo<DrillCommand> kDrillCommands[] = {
    {DrillCommand::A, 'A', 'A', "A", "answer A"},
    {DrillCommand::B, 'B', 'B', "B", "answer B"},
    {DrillCommand::C, 'C', 'C', "C", "answer C"},
    {DrillCommand::D, 'D', 'D', "D", "answer D"},
    {DrillCommand::Peek, ' ', 'P', "peek", "peek at the right letter, on or off"},
    {DrillCommand::Hint, 'H', 'H', "hint", "show the right answer and your hint"},
    {DrillCommand::Figure, 'F', 'F', "figure", "show the question's figure"},
    {DrillCommand::Redraw, 'Z', 'R', "repeat", "show the question again"},
    {DrillCommand::Stop, 'S', 'S', "stop", "stop the drill, back to the menu"},
};

// One question of the drill as it was last asked (its answers stay in the
// order they were last shuffled into), and whether it is done.
struct DrillItem {
  AskedQuestion asked;
  bool done = false;
};

class Drill {
 public:
  // A drill over the questions in pool order; answers are recorded with `mode`.
  Drill(Session& session, std::vector<const Question*> questions, std::string title, AnswerMode mode);

  const std::string& title() const { return title_; }
  int size() const { return static_cast<int>(items_.size()); }
  // The run clock's reading when the drill started (whole seconds).
  std::int64_t started() const { return started_; }
  // Whether completing the drill offers another one (a subelement drill).
  bool offersAnother() const { return offersAnother_; }
  void setOffersAnother(bool offers) { offersAnother_ = offers; }

  void chooseOrder(DrillOrder order) { order_ = order; }
  DrillOrder order() const { return order_; }
  // The start of a sequence from a typed line: its first comma-separated
  // item as a number, rounded half to even. The questions before it count as
  // done. False, changing nothing, unless it names a question of the drill.
  bool startAt(std::string_view typed);

  // Every question done.
  bool complete() const;
  // Picks the next question not done and shuffles its answers: in sequence,
  // the next after the last one (from the first not done after the end); at
  // random, any not done, the one just missed included.
  void nextQuestion();

  const AskedQuestion& question() const { return items_[static_cast<std::size_t>(current_)].asked; }
  // The number shown in front of the question: in random order the count of
  // questions shown so far, repeats included; in sequence the pool row.
  int shownNumber() const { return shownNumber_; }
  int doneCount() const;
  const std::vector<DrillItem>& items() const { return items_; }
  const Session& session() const { return *session_; }
  Session& session() { return *session_; }

  bool peekOn() const { return session_->peekOn; }
  void togglePeek() { session_->peekOn = !session_->peekOn; }
  // H: the right answer is shown; a right answer after it counts as unknown.
  void revealAnswer() { answerRevealed_ = true; }

  struct Answered {
    bool right;
    char correct;  // the right letter as shown
  };
  // Records the answer; a right one takes the question out of the drill.
  Answered answer(char shownLetter);

 private:
  void pickRandom();
  void pickInSequence();

  Session* session_;
  std::vector<DrillItem> items_;
  std::string title_;
  AnswerMode mode_;
  std::int64_t started_ = 0;
  bool offersAnother_ = false;
  DrillOrder order_ = DrillOrder::Random;
  int current_ = -1;  // the question asked last, -1 before the first
  int shownNumber_ = 0;
  bool answerRevealed_ = false;  // for the question now asked
};

// A drill over subelement 0 to 9 of the session's edition, titled
// "Module: E0 – SAFETY [11 Questions]".
Drill subelementDrill(Session& session, int subelement);

// A drill over the questions named (identifiers of the session's edition,
// in the order given); `title` makes its title from their number.
Drill drillOfQuestions(Session& session, const std::vector<std::string>& ids,
                       std::string (*title)(int questions), AnswerMode mode);

// "title [n Questions]", as a drill's title counts its questions.
std::string countedTitle(std::string_view title, int questions);

}  // namespace pentrill
