#include "app/program.h"

#include <cmath>

#include "exam/exam_composer.h"

namespace pentrill {

namespace {

int secondsOfDayNow(Clock& clock) { return static_cast<int>(std::lround(secondsSinceMidnight(clock.now()))); }

// R at the menu: the questions of largest gain, asked like a drill, then how
// the chance of passing changed.
void runStudySession(Session& session, AppView& view) {
  const std::optional<study::StudyRecord> record = session.readRecord();
  if (!record) return;
  const std::int64_t now = session.utcNow();
  const double before = record->chanceOfPassing(now);
  const std::vector<std::string> questions = record->studySession(now);
  std::string message;
  if (questions.empty()) {
    message = "There is nothing to study: every question was answered right today.";
  } else {
    Drill drill = drillOfQuestions(session, questions, kStudySessionTitle, AnswerMode::Session);
    runDrill(drill, view.drillView(), false);
    const std::optional<study::StudyRecord> after = session.readRecord();
    message = after ? "Your chance of passing went from " + study::percentText(before) + " to " +
                          study::percentText(after->chanceOfPassing(session.utcNow())) + "."
                    : session.record.offLine();
  }
  view.showMessage({message});
}

// T at the menu: the progress screen until any key.
void showProgress(Session& session, AppView& view) {
  const std::optional<StudyReport> report =
      readStudyReport(session.record.store, session.edition(), session.studyPool(), session.utcNow(),
                      utcOffsetSecondsNow(session.clock));
  if (!report) {
    session.record.turnOff(session.record.store->lastFailure());
    return;
  }
  view.showProgress(*report);
}

// One visit of the menu: the help screen, a study session and the progress
// screen come back to it; returns a drill, the practice exam or the end.
MenuChoice runMenu(Session& session, AppView& view) {
  for (;;) {
    const int startSeconds = secondsOfDayNow(session.clock);
    const MenuChoice choice = view.menu(session);
    switch (choice.command) {
      case MenuCommand::Help:
        view.showHelp(session);
        break;
      case MenuCommand::StudySession:
        runStudySession(session, view);
        break;
      case MenuCommand::Progress:
        showProgress(session, view);
        break;
      case MenuCommand::Drill:
      case MenuCommand::PracticeExam:
      case MenuCommand::Quit:
        session.menuSeconds = secondsOfDayNow(session.clock) - startSeconds;
        return choice;
    }
  }
}

void runPracticeExam(Session& session, AppView& view) {
  view.preparingExam();
  Exam exam(session, composePracticeExam(session.edition(), session.clock, session.random));
  runExam(exam, view.examView());
}

}  // namespace

bool menuCommandOffered(MenuCommand command, const Session& session) {
  const bool needsRecord = command == MenuCommand::StudySession || command == MenuCommand::Progress;
  return !needsRecord || session.record.on();
}

StudyRows studyRows(Session& session) {
  StudyRows rows;
  if (!session.record.kept) return rows;
  if (session.record.on()) {
    if (const std::optional<study::StudyRecord> record = session.readRecord()) {
      const std::int64_t now = session.utcNow();
      rows.chanceLine = studyMenuLine(record->chanceOfPassing(now), record->progress(now));
      return rows;
    }
  }
  rows.recordOff = true;
  return rows;
}

int runProgram(Session& session, AppView& view) {
  view.start();
  for (;;) {
    const MenuChoice choice = runMenu(session, view);
    if (choice.command == MenuCommand::Quit) break;
    if (choice.command == MenuCommand::PracticeExam) {
      runPracticeExam(session, view);
      continue;
    }
    Drill drill = subelementDrill(session, choice.subelement);
    if (runDrill(drill, view.drillView(), true) == DrillEnd::Quit) break;
  }
  view.farewell();
  return 0;
}

}  // namespace pentrill
