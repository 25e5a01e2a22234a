// The plain face: the whole program as lines, for screen readers and
// braille displays. Every question is written once, in the order it is read
// (its position and identifier, the question, each answer on its own line,
// then the commands); every command is a typed line; nothing is ever drawn
// over, coloured or wrapped. It shows what the flow hands it and decides
// nothing.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "app/app_view.h"
#include "platform/lines.h"
#include "platform/picture_windows.h"
#include "platform/sound.h"
#include "screen/figures.h"
#include "session/hints.h"

namespace pentrill {

// The end of input: the program ends as it does at the menu's Q.
struct EndOfInput {};

class PlainFace : public AppView, DrillView, ExamView {
 public:
  PlainFace(LineChannel& lines, Sound& sound, PictureWindows& windows, Clock& clock)
      : lines_(lines), sound_(sound), windows_(windows), clock_(clock) {}

  // The program.
  void start() override {}
  MenuChoice menu(Session& session) override;
  void showHelp(const Session& session) override;
  void showMessage(const std::vector<std::string>& lines) override;
  MissedChoice showProgress(const StudyReport& report, bool missedOffered) override;
  MissedChoice showMissed(const std::vector<MissedQuestion>& missed) override;
  const PoolEdition* choosePool(const std::vector<PoolOffer>& offers, const PoolEdition& inUse) override;
  void preparingExam() override {}
  DrillView& drillView() override { return *this; }
  ExamView& examView() override { return *this; }
  void farewell() override;

  // The drill.
  void drillStarted(const Drill& drill) override;
  DrillOrder askOrder(const Drill& drill) override;
  std::string askStartNumber(const Drill& drill, bool refused) override;
  void questionAsked(const Drill& drill) override;
  DrillCommand readCommand(const Drill& drill) override;
  void peekChanged(const Drill& drill) override;
  void answerRevealed(const Drill& drill) override;
  void figureAsked(const Drill& drill) override;
  void redrawAsked(const Drill& drill) override { questionAsked(drill); }
  void answeredRight(const Drill& drill) override;
  void answeredWrong(const Drill& drill, char correct) override;
  void questionLeft(const Drill& drill) override;
  bool askAnotherDrill(const Drill& drill) override;

  // The exam.
  void examStarted(const Exam& exam) override;
  void questionShown(const Exam& exam) override;
  ExamInput readCommand(const Exam& exam) override;
  void figureAsked(const Exam& exam) override;
  void reviewAsked(const Exam& exam) override;
  void alert() override { sound_.playAlert(); }
  void commandDone(const Exam&) override {}
  void pastLastQuestion(const Exam& exam) override;
  bool confirmStop(const Exam& exam) override;
  MissedChoice showResults(const Exam& exam, bool missedOffered) override;
  void examLeft(const Exam& exam) override;

 private:
  void write(std::string_view line) { lines_.writeLine(line); }
  std::string read();
  bool askYesNo(std::string_view prompt);
  MissedChoice askMissedChoice(bool missedOffered, std::string_view where);
  void writeQuestion(const AskedQuestion& asked, const PoolEdition& edition);
  void writeLines(std::string_view text);
  void showFigure(const Figure* figure);
  void figureAsked(const PoolEdition& edition, const Question& question);
  bool showHintPicture(const Hints& hints, const HintParts& hint);

  LineChannel& lines_;
  Sound& sound_;
  PictureWindows& windows_;
  Clock& clock_;
  FigureWindow figure_;
  int hintWindow_ = 0;  // the window of the picture a hint names, 0 for none
};

}  // namespace pentrill
