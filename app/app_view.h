// The program's flow from the menu, the same for every face: what the user
// can ask at the menu, and how a face shows the menu and the screens that
// come back to it. The drill and the exam have views of their own.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/pool_term.h"
#include "app/study_report.h"
#include "drill/drill_view.h"
#include "exam/exam_view.h"
#include "exam/missed.h"
#include "session/commands.h"
#include "session/session.h"

namespace pentrill {

enum class MenuCommand { Drill, PracticeExam, StudySession, Progress, Mistakes, Pools, Help, Quit };

// The menu's commands besides the digits 0 to 9 of the drills. R, T and W
// count only while the study record is on.
inline constexpr CommandInfo<MenuCommand> kMenuCommands[] = {
    {MenuCommand::PracticeExam, 'P', 'P', "practice exam", "practice exam"},
    {MenuCommand::StudySession, 'R', 'R', "study session",
     "study session: the 20 questions that raise your chance of passing most"},
    {MenuCommand::Progress, 'T', 'T', "progress", "progress: the chance of passing and what you know"},
    {MenuCommand::Mistakes, 'W', 'W', "your mistakes", "a drill of the questions whose last answer was wrong"},
    {MenuCommand::Pools, 'L', 'L', "other pools", "the licence class and question pool to study"},
    {MenuCommand::Help, '?', '?', "help", "help"},
    {MenuCommand::Quit, kEscape, 'Q', "quit", "quit"},
};

// Whether the command can be given now.
bool menuCommandOffered(MenuCommand command, const Session& session);

struct MenuChoice {
  MenuCommand command;
  int subelement = 0;  // Drill: 0 to 9
};

// The menu's rows about the study record: the chance of passing and what
// is known, or why the record is off; none with --no-record.
struct StudyRows {
  std::optional<std::string> chanceLine;  // "Chance of passing an exam today: 41%   Known: ..."
  bool recordOff = false;                 // the record was wanted and is off (StudyLog::offLine says why)
};
StudyRows studyRows(Session& session);

class AppView {
 public:
  virtual ~AppView() = default;

  // Before the first menu: the screen set up.
  virtual void start() = 0;
  // The menu until the user gives one of its commands.
  virtual MenuChoice menu(Session& session) = 0;
  virtual void showHelp(const Session& session) = 0;
  // Lines shown until a key: the end of a study session.
  virtual void showMessage(const std::vector<std::string>& lines) = 0;
  // The progress screen until a key; with `missedOffered` the keys for the
  // last exam's missed questions count too.
  virtual MissedChoice showProgress(const StudyReport& report, bool missedOffered) = 0;
  // The missed questions with their right answers, a page at a time, until
  // the user goes back (Done) or asks for a drill of them.
  virtual MissedChoice showMissed(const std::vector<MissedQuestion>& missed) = 0;
  // The pools the program carries, until the user chooses one (returned) or
  // goes back (null).
  virtual const PoolEdition* choosePool(const std::vector<PoolOffer>& offers, const PoolEdition& inUse) = 0;
  // Shown while the exam is composed.
  virtual void preparingExam() = 0;
  virtual DrillView& drillView() = 0;
  virtual ExamView& examView() = 0;
  // The end of the program.
  virtual void farewell() = 0;
};

// Shows the menu again and again and carries out what the user asks, until
// the user quits; returns the process exit status.
int runProgram(Session& session, AppView& view);

// The name under which the record keeps the pool chosen on the L screen.
inline constexpr std::string_view kChosenPoolSetting = "pool";

// The pool to start with: the one --pool named, else the one last chosen on
// the L screen (kept in the record), else 2020-2024.
const PoolEdition& startingPool(const PoolEdition* named, RecordStore* record);

}  // namespace pentrill
