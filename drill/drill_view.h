// How a face shows a drill and reads the user's commands, and the one flow
// of a drill that every face runs: the order asked for, the questions asked
// until each is answered right, the user's commands carried out.
#pragma once
#include <string>

#include "drill/drill.h"

namespace pentrill {

class DrillView {
 public:
  virtual ~DrillView() = default;

  // Before anything else of the drill: a face that shows its title on every
  // question has nothing to do here.
  virtual void drillStarted(const Drill& drill) { (void)drill; }
  // Random order or in sequence.
  virtual DrillOrder askOrder(const Drill& drill) = 0;
  // The line typed for the first question of a sequence; `refused` says the
  // last one named no question of the drill.
  virtual std::string askStartNumber(const Drill& drill, bool refused) = 0;

  // A new question is asked (its figure opens, its screen is drawn).
  virtual void questionAsked(const Drill& drill) = 0;
  // The next command for the question; input that is no command is ignored.
  virtual DrillCommand readCommand(const Drill& drill) = 0;
  virtual void peekChanged(const Drill& drill) = 0;
  virtual void answerRevealed(const Drill& drill) = 0;  // H: the right answer and the hint
  virtual void figureAsked(const Drill& drill) = 0;
  virtual void redrawAsked(const Drill& drill) = 0;
  virtual void answeredRight(const Drill& drill) = 0;
  virtual void answeredWrong(const Drill& drill, char correct) = 0;
  // The question is over (answered, or the drill stopped): its windows close.
  virtual void questionLeft(const Drill& drill) = 0;

  // Every question answered right, in a drill that offers another: true for
  // another drill, false to end the program.
  virtual bool askAnotherDrill(const Drill& drill) = 0;
};

enum class DrillEnd {
  Stopped,    // the user stopped it
  Completed,  // every question answered right
  Quit,       // completed, and the user wants no other drill: the program ends
};

// Runs the drill to its end. With `askOrder` the user chooses the order (and
// the start of a sequence); otherwise the questions come at random.
DrillEnd runDrill(Drill& drill, DrillView& view, bool askOrder);

}  // namespace pentrill
