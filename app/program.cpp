#include "app/program.h"

#include <cmath>
#include <functional>

#include "exam/exam_composer.h"
#include "screen/calendar.h"

namespace pentrill {

namespace {

int secondsOfDayNow(Clock& clock) { return static_cast<int>(std::lround(secondsSinceMidnight(clock.now()))); }

std::string studySessionTitle(int questions) { return countedTitle(kStudySessionTitle, questions); }

std::string mistakesTitle(int questions) {
  return "Your mistakes: " + std::to_string(questions) + (questions == 1 ? " question" : " questions");
}

// R at the menu: the questions of largest gain, asked like a drill, then how
// the chance of passing and the number of questions known changed.
void runStudySession(Session& session, AppView& view) {
  const std::optional<study::StudyRecord> record = session.readRecord();
  if (!record) return;
  const std::int64_t now = session.utcNow();
  const double chanceBefore = record->chanceOfPassing(now);
  const int knownBefore = record->progress(now).known;
  const std::vector<std::string> questions = record->studySession(now);
  if (questions.empty()) {
    view.showMessage({"There is nothing to study: every question was answered right today."});
    return;
  }
  Drill drill = drillOfQuestions(session, questions, studySessionTitle, AnswerMode::Session);
  runDrill(drill, view.drillView(), false);
  const std::optional<study::StudyRecord> after = session.readRecord();
  if (!after) {
    view.showMessage({session.record.offLine()});
    return;
  }
  const std::int64_t later = session.utcNow();
  const study::Progress progress = after->progress(later);
  view.showMessage({"Your chance of passing went from " + study::percentText(chanceBefore) + " to " +
                        study::percentText(after->chanceOfPassing(later)) + ".",
                    "Known: " + std::to_string(progress.known) + " of " + std::to_string(progress.questions) +
                        " (was " + std::to_string(knownBefore) + ")."});
}

// W at the menu: a drill of the questions whose last answer was wrong; one
// answered right leaves the list.
void drillMistakes(Session& session, AppView& view) {
  const std::optional<std::vector<std::string>> mistakes =
      readMistakes(session.record, session.studyPool(), session.edition());
  if (!mistakes) return;
  if (mistakes->empty()) {
    view.showMessage({"You have no mistakes to drill: your last answer to every question was right."});
    return;
  }
  Drill drill = drillOfQuestions(session, *mistakes, mistakesTitle, AnswerMode::Drill);
  if (runDrill(drill, view.drillView(), false) == DrillEnd::Completed)
    view.showMessage({"You answered every one of your mistakes right."});
}

std::string missedTitle(int questions) { return countedTitle(kMissedTitle, questions); }

// M and D where an exam's missed questions are offered: the list, until
// the user goes back to the screen that offered it (shown again by
// `offer`), and a drill of exactly those questions.
void followMissed(Session& session, AppView& view, MissedChoice choice, const std::vector<MissedQuestion>& missed,
                  const std::function<MissedChoice()>& offer) {
  while (choice == MissedChoice::List) {
    choice = view.showMissed(missed);
    if (choice == MissedChoice::Done) choice = offer();
  }
  if (choice != MissedChoice::Drill || missed.empty()) return;
  Drill drill = drillOfQuestions(session, missedIds(missed), missedTitle, AnswerMode::Drill);
  runDrill(drill, view.drillView(), false);
}

// T at the menu: the progress screen until any key; the last exam's missed
// questions are offered there, from the record.
void showProgress(Session& session, AppView& view) {
  const std::optional<StudyReport> report =
      readStudyReport(session.record.store, session.edition(), session.studyPool(), session.utcNow(),
                      utcOffsetSecondsNow(session.clock));
  if (!report) {
    session.record.turnOff(session.record.store->lastFailure());
    return;
  }
  std::vector<MissedQuestion> missed;
  if (report->lastExam)
    if (std::optional<std::vector<MissedQuestion>> read =
            readMissedQuestions(session.record, session.edition(), *report->lastExam))
      missed = std::move(*read);
  auto offer = [&] { return view.showProgress(*report, !missed.empty()); };
  followMissed(session, view, offer(), missed, offer);
}

// L at the menu: another pool for the menu, kept in the record for the next
// start.
void choosePool(Session& session, AppView& view) {
  const PoolEdition* chosen = view.choosePool(poolOffers(localDate(session.clock.now())), session.edition());
  if (chosen == nullptr || chosen == &session.edition()) return;
  session.useEdition(*chosen);
  StudyLog& record = session.record;
  if (record.on() && !record.store->writeSetting(kChosenPoolSetting, chosen->name))
    record.turnOff(record.store->lastFailure());
}

// One visit of the menu: the help screen, a study session and the progress
// screen come back to it; returns a drill, the practice exam or the end.
MenuChoice runMenu(Session& session, AppView& view) {
  for (;;) {
    const int startSeconds = secondsOfDayNow(session.clock);
    const MenuChoice choice = view.menu(session);
    recordCheckEnded(session.record, true);  // nothing is read from, or written to, a damaged record
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
      case MenuCommand::Mistakes:
        drillMistakes(session, view);
        break;
      case MenuCommand::Pools:
        choosePool(session, view);
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
  const MissedChoice choice = runExam(exam, view.examView());
  const std::vector<MissedQuestion> missed = missedQuestions(exam);
  followMissed(session, view, choice, missed, [&] { return view.examView().showResults(exam, true); });
}

}  // namespace

const PoolEdition& startingPool(const PoolEdition* named, RecordStore* record) {
  if (named != nullptr) return *named;
  if (record != nullptr)
    if (const std::optional<std::string> chosen = record->readSetting(kChosenPoolSetting))
      if (const PoolEdition* edition = findPoolEdition(*chosen)) return *edition;
  return *poolEditions().front();
}

bool menuCommandOffered(MenuCommand command, const Session& session) {
  const bool needsRecord = command == MenuCommand::StudySession || command == MenuCommand::Progress ||
                           command == MenuCommand::Mistakes;
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
