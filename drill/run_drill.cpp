#include "drill/drill_view.h"

namespace pentrill {

namespace {

void chooseOrder(Drill& drill, DrillView& view) {
  drill.chooseOrder(view.askOrder(drill));
  if (drill.order() != DrillOrder::Sequence) return;
  bool refused = false;
  while (!drill.startAt(view.askStartNumber(drill, refused))) refused = true;
}

// Carries out commands on the question asked until it is answered (true)
// or the drill is stopped (false).
bool askQuestion(Drill& drill, DrillView& view) {
  for (;;) {
    const DrillCommand command = view.readCommand(drill);
    switch (command) {
      case DrillCommand::Stop:
        return false;
      case DrillCommand::Peek:
        drill.togglePeek();
        view.peekChanged(drill);
        break;
      case DrillCommand::Hint:
        drill.revealAnswer();
        view.answerRevealed(drill);
        break;
      case DrillCommand::Figure:
        view.figureAsked(drill);
        break;
      case DrillCommand::Redraw:
        view.redrawAsked(drill);
        break;
      case DrillCommand::A:
      case DrillCommand::B:
      case DrillCommand::C:
      case DrillCommand::D: {
        const Drill::Answered answered = drill.answer(answerLetterOf(command));
        if (answered.right) {
          view.answeredRight(drill);
        } else {
          view.answeredWrong(drill, answered.correct);
        }
        return true;
      }
    }
  }
}

}  // namespace

DrillEnd runDrill(Drill& drill, DrillView& view, bool askOrder) {
  view.drillStarted(drill);
  if (askOrder) chooseOrder(drill, view);
  for (;;) {
    if (drill.complete()) {
      if (!drill.offersAnother()) return DrillEnd::Completed;
      return view.askAnotherDrill(drill) ? DrillEnd::Completed : DrillEnd::Quit;
    }
    drill.nextQuestion();
    view.questionAsked(drill);
    const bool answered = askQuestion(drill, view);
    view.questionLeft(drill);
    if (!answered) return DrillEnd::Stopped;
  }
}

}  // namespace pentrill
