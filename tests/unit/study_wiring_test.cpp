// The study record wired into the program: what the drill, the study session
// and the exam write through the record seam, the menu's rows, the command
// line's record options and --stats / --export-record.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"
#include "app/study_report.h"
#include "session/study_log.h"
#include "exam/exam_composer.h"
#include "exam/exam.h"
#include "exam/missed.h"
#include "screen/charset.h"
#include "screen/text.h"
#include "tests/fakes/manual_clock.h"
#include "tests/fakes/memory_console.h"
#include "tests/fakes/memory_record_store.h"
#include "tests/fakes/recording_windows.h"
#include "tests/unit/recorded_run.h"

namespace pentrill {
namespace {

char shownOtherThan(char correct) { return correct == 'A' ? 'B' : 'A'; }

TEST_F(RecordedRun, DrillAnswersCarryThePoolLetterTheRatingAndTheMode) {
  console.typeKeys("s");
  console.typeKeys("1\r");
  std::vector<std::pair<std::string, char>> expected;  // question, pool letter
  // Wrong; right with peek on; right after the hint (peek off); right.
  console.typeLater([&] {
    const AskedQuestion& asked = drillQuestion();
    const char shown = shownOtherThan(asked.correct);
    expected.push_back({std::string(asked.question->id), poolLetter(asked, shown)});
    return std::string(1, static_cast<char>(shown + ('a' - 'A')));
  });
  console.typeKeys(" ");  // past the wrong-answer notice
  console.typeKeys(" ");  // peek on
  console.typeLater([&] {
    const AskedQuestion& asked = drillQuestion();
    expected.push_back({std::string(asked.question->id), asked.question->correct});
    return std::string(1, asked.correct);
  });
  console.typeKeys(" ");  // peek off
  console.typeKeys("H");
  console.typeLater([&] {
    const AskedQuestion& asked = drillQuestion();
    expected.push_back({std::string(asked.question->id), asked.question->correct});
    return std::string(1, asked.correct);
  });
  console.typeLater([&] {
    const AskedQuestion& asked = drillQuestion();
    expected.push_back({std::string(asked.question->id), asked.question->correct});
    return std::string(1, asked.correct);
  });
  console.typeKeys("S");
  EXPECT_FALSE(runSubelementDrill(0));

  const std::vector<RecordedAnswer> recorded = answers();
  ASSERT_EQ(recorded.size(), 4u);
  const bool correct[] = {false, true, true, true};
  const int ratings[] = {1, 1, 1, 3};
  for (size_t i = 0; i < recorded.size(); ++i) {
    EXPECT_EQ(recorded[i].question, expected[i].first) << i;
    EXPECT_EQ(recorded[i].answer, expected[i].second) << i;
    EXPECT_EQ(recorded[i].correct, correct[i]) << i;
    EXPECT_EQ(recorded[i].rating, ratings[i]) << i;
    EXPECT_EQ(recorded[i].mode, AnswerMode::Drill) << i;
    EXPECT_EQ(recorded[i].pool, "2020-2024") << i;
  }
  // The hand-set clock of 2026-12-08 10:00 read as UTC.
  EXPECT_EQ(recorded[0].time, 1'796'724'000);
}

TEST_F(RecordedRun, ShownLettersGoBackToThePoolsLetters) {
  AskedQuestion asked = asPublished(pool2020To2024().subelements[0].questions[0]);
  asked.order = {2, 0, 3, 1};  // shown A is the pool's C, ...
  EXPECT_EQ(poolLetter(asked, 'A'), 'C');
  EXPECT_EQ(poolLetter(asked, 'B'), 'A');
  EXPECT_EQ(poolLetter(asked, 'C'), 'D');
  EXPECT_EQ(poolLetter(asked, 'D'), 'B');
}

TEST_F(RecordedRun, AnExamRecordsItsLastAnswerPerQuestionAndItsRightAnswersAtTheConfirmedEnd) {
  ManualClock sameMoment(2026, 12, 8, 10, 0, 0);
  Random random;
  const std::vector<AskedQuestion> exam = composePracticeExam(session.edition(), sameMoment, random);
  const AskedQuestion& first = exam[0];
  const char wrong = shownOtherThan(first.correct);
  console.typeKeys(std::string(1, wrong));  // question 1 wrong ...
  console.typeKeys("P");
  console.typeKeys(std::string(1, first.correct));  // ... then changed to right
  console.typeKeys(std::string(1, shownOtherThan(exam[1].correct)));  // question 2 wrong
  console.typeKeys("SY");
  console.typeKeys(" ");  // past the results
  runPracticeExam();

  const std::vector<RecordedAnswer> recorded = answers();
  ASSERT_EQ(recorded.size(), 2u);
  EXPECT_EQ(recorded[0].question, first.question->id);
  EXPECT_EQ(recorded[0].answer, first.question->correct);
  EXPECT_TRUE(recorded[0].correct);
  EXPECT_EQ(recorded[1].question, exam[1].question->id);
  EXPECT_EQ(recorded[1].answer, poolLetter(exam[1], shownOtherThan(exam[1].correct)));
  EXPECT_FALSE(recorded[1].correct);
  for (const RecordedAnswer& answer : recorded) {
    EXPECT_EQ(answer.mode, AnswerMode::Exam);
    EXPECT_TRUE(answer.exam.has_value());
  }
  const std::vector<RecordedExam> exams = store.readLastExams("2020-2024", 10).value();
  ASSERT_EQ(exams.size(), 1u);
  EXPECT_EQ(exams[0].right, 1);
  EXPECT_TRUE(exams[0].finished.has_value());
}

TEST_F(RecordedRun, AnExamStoppedWithoutConfirmingStaysUnfinished) {
  console.typeKeys("A");
  console.typeKeys("SN");
  try {
    runPracticeExam();
  } catch (const ScriptExhausted&) {
  }
  const std::vector<RecordedExam> exams = store.readLastExams("2020-2024", 10).value();
  ASSERT_EQ(exams.size(), 1u);
  EXPECT_FALSE(exams[0].right.has_value());
  EXPECT_EQ(answers().size(), 1u);
}

TEST_F(RecordedRun, AnExamEndedBeforeAnyAnswerLeavesNothingInTheRecord) {
  console.typeKeys("NNSY ");
  runPracticeExam();
  EXPECT_TRUE(store.readLastExams("2020-2024", 10).value().empty());
  EXPECT_TRUE(answers().empty());
}

TEST_F(RecordedRun, AFailedWriteTurnsTheRecordOffAndTheMenuSaysWhy) {
  store.failWrites("disk full");
  console.typeKeys("s");
  console.typeKeys("1\r");
  console.typeLater([&] { return std::string(1, drillQuestion().correct); });
  console.typeKeys("S");
  EXPECT_FALSE(runSubelementDrill(0));
  EXPECT_FALSE(session.record.on());

  console.typeLater([&] {
    EXPECT_EQ(console.text(22, 10, 58), "Study record off: /tmp/record.sqlite3 (disk full)");
    EXPECT_EQ(console.text(22, 59), std::string(42, ' '));
    EXPECT_EQ(console.text(24), std::string(100, ' '));
    return std::string("\x1B");
  });
  EXPECT_EQ(runProgram(session, face), 0);
}

TEST(StudyLogOffLine, ALongPathLosesItsBeginningSoThatTheReasonStaysWhole) {
  StudyLog log;
  log.kept = true;
  log.path = "/home/a-candidate-with-a-long-name/.local/state/pentrill/record.sqlite3";
  log.turnOff("written by a newer Pentrill");
  EXPECT_EQ(log.offLine(), "Study record off: " + log.path + " (written by a newer Pentrill)");
  const std::string fitted = log.offLine(91);
  EXPECT_EQ(fitted, "Study record off: ...ame/.local/state/pentrill/record.sqlite3 (written by a newer Pentrill)");
  EXPECT_EQ(fitted.size(), 91u);
  EXPECT_EQ(log.offLine(20), "Study record off:  (");  // no room for the path: cut, never longer
  log.kept = false;
  EXPECT_EQ(log.offLine(91), "");
}

TEST_F(RecordedRun, TheMenuShowsTheChanceKnownAndDueAndTheStudyKeys) {
  // Every question of E0 answered right an hour ago: known, not due.
  for (const Question& question : pool2020To2024().subelements[0].questions)
    ASSERT_TRUE(store.appendAnswer({utcSecondsNow(clock) - 3600, "2020-2024", std::string(question.id),
                                    question.correct, true, 3, AnswerMode::Drill, std::nullopt}));
  console.typeLater([&] {
    EXPECT_EQ(console.text(22, 1, 9), std::string(9, ' '));
    EXPECT_EQ(console.text(22, 10, 86),
              "Chance of passing an exam today: <0.1%   Known: 11 of 620   Due for review: 0");
    EXPECT_EQ(console.text(24, 10, 9 + static_cast<int>(kStudyKeysLine.size())), std::string(kStudyKeysLine));
    for (int column = 1; column <= 100; ++column) {
      EXPECT_EQ(console.grid().cell(22, column).foreground, kBrightWhite);
      EXPECT_EQ(console.grid().cell(22, column).background, kBlue);
    }
    return std::string("\x1B");
  });
  EXPECT_EQ(runProgram(session, face), 0);
}

TEST_F(RecordedRun, WithoutARecordTheRowsUnderTheMenuStayBlank) {
  session.record = StudyLog{};
  console.typeLater([&] {
    EXPECT_EQ(console.text(22), std::string(100, ' '));
    EXPECT_EQ(console.text(24), std::string(100, ' '));
    return std::string("\x1B");
  });
  EXPECT_EQ(runProgram(session, face), 0);
}

// The chance of passing counts each edition's own exam: its groups and its
// pass mark (26 of 35 for Technician and General, 37 of 50 for Extra).
TEST(StudyPoolOf, EachEditionItsGroupsItsQuestionsAndItsPassMark) {
  for (const PoolEdition* edition : poolEditions()) {
    const study::StudyPool pool = studyPoolOf(*edition);
    EXPECT_EQ(pool.groupCount(), static_cast<size_t>(edition->examQuestions())) << edition->name;
    EXPECT_EQ(pool.passMark(), edition->passMark) << edition->name;
    size_t questions = 0;
    for (const Subelement& subelement : edition->subelements) questions += subelement.questions.size();
    EXPECT_EQ(pool.questionCount(), questions) << edition->name;
  }
  EXPECT_EQ(studyPoolOf(poolGeneral2023To2027()).passMark(), 26);
}

TEST_F(RecordedRun, AStudySessionAsksTheQuestionsOfLargestGainAndSaysHowTheChanceChanged) {
  const study::StudyPool pool = studyPoolOf(session.edition());
  const std::vector<std::string> chosen =
      study::StudyRecord::fromLog(pool, {}).studySession(utcSecondsNow(clock));
  ASSERT_EQ(chosen.size(), 20u);
  std::vector<std::string> asked;
  console.typeKeys("R");
  for (int i = 0; i < 20; ++i)
    console.typeLater([&] {
      EXPECT_EQ(console.text(2, 45, 97), "Study Session \x96 Your Chance of Passing [20 Questions]");
      asked.push_back(std::string(drillQuestion().question->id));
      return std::string(1, drillQuestion().correct);
    });
  std::string message;
  console.typeLater([&] {
    message = console.text(21);
    return std::string(" ");
  });
  console.typeKeys("\x1B");  // back at the menu
  EXPECT_EQ(runProgram(session, face), 0);
  std::vector<std::string> sortedAsked = asked, sortedSession = chosen;
  std::sort(sortedAsked.begin(), sortedAsked.end());
  std::sort(sortedSession.begin(), sortedSession.end());
  EXPECT_EQ(sortedAsked, sortedSession);
  EXPECT_NE(message.find("Your chance of passing went from <0.1% to <0.1%."), std::string::npos) << message;
  const std::vector<RecordedAnswer> recorded = answers();
  ASSERT_EQ(recorded.size(), 20u);
  for (const RecordedAnswer& answer : recorded) EXPECT_EQ(answer.mode, AnswerMode::Session);
}

TEST_F(RecordedRun, TheProgressScreenShowsBarsExamsAndTheChanceDayByDay) {
  // Every question answered right an hour ago: all known, the chance today
  // about 100%, on the days before 0%. One exam finished, one left open.
  const std::int64_t now = utcSecondsNow(clock);
  for (const Group* group : session.edition().poolGroups)
    for (const Question& question : group->questions)
      ASSERT_TRUE(store.appendAnswer({now - 3600, "2020-2024", std::string(question.id), question.correct, true, 3,
                                      AnswerMode::Drill, std::nullopt}));
  // Exams list only with an answer: one with none, ended at once, is left out.
  const Question& first = session.edition().subelements[0].questions[0];
  auto examAnswer = [&](std::int64_t exam, std::int64_t time) {
    return store.recordExamAnswer(
        {time, "2020-2024", std::string(first.id), first.correct, true, 3, AnswerMode::Exam, exam});
  };
  const std::optional<std::int64_t> exam = store.startExam("2020-2024", now - 7200, "");
  ASSERT_TRUE(exam && examAnswer(*exam, now - 7100) && store.finishExam(*exam, now - 7000, 40));
  const std::optional<std::int64_t> empty = store.startExam("2020-2024", now - 900, "");
  ASSERT_TRUE(empty && store.finishExam(*empty, now - 899, 0));
  const std::optional<std::int64_t> open = store.startExam("2020-2024", now - 600, "");
  ASSERT_TRUE(open && examAnswer(*open, now - 500));
  console.typeKeys("T");
  ScreenGrid progress;
  console.typeLater([&] {
    progress = console.grid();
    return std::string(" ");
  });
  console.typeKeys("\x1B");
  EXPECT_EQ(runProgram(session, face), 0);

  EXPECT_EQ(progress.text(2, 10, 44), "Your progress in the 2020-2024 pool");
  EXPECT_EQ(progress.text(4, 10, 86),
            "Chance of passing an exam today: 100%   Known: 620 of 620   Due for review: 0");
  EXPECT_EQ(progress.text(7, 10, 11), "E1");
  EXPECT_EQ(progress.text(7, 16, 55), std::string(40, kFullBlockByte));
  EXPECT_EQ(progress.text(7, 58, 81), "   75    75     75     0");
  EXPECT_EQ(progress.text(16, 10, 11), "E0");
  EXPECT_EQ(progress.text(19, 12, 38), "2026-12-08  left unfinished");
  EXPECT_EQ(progress.text(20, 12, 42), "2026-12-08  40 of 50  80%  Pass");
  // Today's column (the last) full to the top, the day before empty.
  for (int row = 31; row <= 38; ++row) {
    EXPECT_EQ(progress.cell(row, 16 + 2 * 29).byte, kFullBlockByte) << row;
    EXPECT_EQ(progress.cell(row, 16 + 2 * 28).byte, ' ') << row;
  }
  EXPECT_EQ(progress.text(39, 16, 25), "2026-11-09");
  EXPECT_EQ(progress.text(39, 65, 74), "2026-12-08");
  for (int row = 1; row <= kScreenRows; ++row)
    for (int column = 1; column <= kScreenColumns; ++column) {
      ASSERT_EQ(progress.cell(row, column).foreground, kBrightWhite) << row << "," << column;
      ASSERT_EQ(progress.cell(row, column).background, kBlue) << row << "," << column;
    }
}

TEST(RecordCharset, BlockBytesShowAsBlocksOrAsciiLookAlikes) {
  EXPECT_EQ(displayCodePoint(kFullBlockByte), U'\u2588');
  EXPECT_EQ(displayCodePoint(kLightShadeByte), U'\u2591');
  EXPECT_EQ(displayCodePoint(kLowerHalfBlockByte), U'\u2584');
  EXPECT_EQ(asciiLookAlike(U'\u2588'), '#');
  EXPECT_EQ(asciiLookAlike(U'\u2591'), ':');
  EXPECT_EQ(asciiLookAlike(U'\u2584'), '_');
}

TEST(RecordCommandLine, RecordOptionsAndTheirConflicts) {
  auto parse = [](std::vector<std::string_view> arguments) { return parseCommandLine(arguments, {2026, 12, 9}); };
  EXPECT_EQ(parse({"--record", "/tmp/r.db"}).recordPath, "/tmp/r.db");
  EXPECT_EQ(parse({"--record=/tmp/r.db"}).recordPath, "/tmp/r.db");
  EXPECT_TRUE(parse({"--no-record"}).noRecord);
  EXPECT_EQ(parse({"--no-record"}).action, CommandLine::Action::Run);
  EXPECT_EQ(parse({"--stats", "--pool", "2024-2028"}).action, CommandLine::Action::ShowStats);
  EXPECT_EQ(parse({"--stats", "--pool", "2024-2028"}).edition, &pool2024To2028());
  EXPECT_EQ(parse({"--export-record"}).action, CommandLine::Action::ExportRecord);
  EXPECT_EQ(parse({"--export-record", "--help"}).action, CommandLine::Action::ExportRecord);
  for (const auto& wrong : {std::vector<std::string_view>{"--record"}, {"--record="}, {"--record", "a", "--record", "b"},
                            {"--no-record", "--record", "a"}, {"--no-record", "--stats"},
                            {"--export-record", "--no-record"}})
    EXPECT_EQ(parse(wrong).action, CommandLine::Action::Refuse) << wrong[0];
}

// A recorded exam's missed questions read back from its questions as the
// record keeps them, whatever blanks part them: a wrong answer and a skipped
// question, numbered and lettered as the exam showed them.
TEST(RecordedExamMissed, ReadBackInTheExamsOrderWithTheLettersShown) {
  MemoryRecordStore store;
  const std::int64_t now = 1'796'724'000;
  const std::string questions = " E0A01:0123 \n E0A02:3210  E0A03:0123";
  const std::optional<std::int64_t> exam = store.startExam("2024-2028", now, questions);
  ASSERT_TRUE(exam);
  ASSERT_TRUE(store.appendAnswer({now + 1, "2024-2028", "E0A01", 'B', true, 3, AnswerMode::Exam, exam}));
  ASSERT_TRUE(store.appendAnswer({now + 2, "2024-2028", "E0A02", 'A', false, 1, AnswerMode::Exam, exam}));
  StudyLog log;
  log.store = &store;
  const std::optional<std::vector<MissedQuestion>> missed =
      readMissedQuestions(log, pool2024To2028(), RecordedExam{*exam, "2024-2028", now, std::nullopt, 1, questions});
  ASSERT_TRUE(missed);
  ASSERT_EQ(missed->size(), 2u);
  EXPECT_EQ((*missed)[0].number, 2);
  EXPECT_EQ((*missed)[0].asked.question->id, "E0A02");
  EXPECT_EQ((*missed)[0].given, 'D');  // the pool's A, shown last
  EXPECT_EQ((*missed)[0].asked.correct, 'C');  // the pool's B, shown third
  EXPECT_EQ((*missed)[1].number, 3);
  EXPECT_EQ((*missed)[1].given, std::nullopt);
}

TEST(RecordCommandLine, StatsAndExportAgreeWithTheRecord) {
  MemoryRecordStore store;
  const std::int64_t now = 1'796'724'000;
  ASSERT_TRUE(store.appendAnswer({now - 60, "2020-2024", "E0A01", 'B', true, 3, AnswerMode::Drill, std::nullopt}));
  ASSERT_TRUE(store.appendAnswer({now - 30, "2024-2028", "E1A01", 'C', false, 1, AnswerMode::Session, std::nullopt}));
  // The export holds the answers of the pool in use only.
  const CommandAnswer exported = answerFromRecord(true, &store, "r", pool2020To2024(), now, 0);
  EXPECT_EQ(exported.status, 0);
  EXPECT_EQ(exported.out,
            "time,pool,question,answer,correct,rating,mode\n"
            "2026-12-08T09:59:00Z,2020-2024,E0A01,B,1,3,drill\n");
  EXPECT_EQ(answerFromRecord(true, &store, "r", pool2024To2028(), now, 0).out,
            "time,pool,question,answer,correct,rating,mode\n"
            "2026-12-08T09:59:30Z,2024-2028,E1A01,C,0,1,session\n");
  const CommandAnswer report = answerFromRecord(false, &store, "r", pool2020To2024(), now, 0);
  EXPECT_EQ(report.status, 0);
  const std::string& stats = report.out;
  EXPECT_NE(stats.find("Chance of passing an exam today: <0.1%\n"), std::string::npos) << stats;
  EXPECT_NE(stats.find("Known: 1 of 620   Seen: 1   Due for review: 0\n"), std::string::npos);
  EXPECT_NE(stats.find("E0                 11      1      1      0\n"), std::string::npos) << stats;
  // A Technician answer: the pool column names its pool, and its report its
  // own subelements.
  ASSERT_TRUE(store.appendAnswer(
      {now - 10, "technician-2026-2030", "T0A01", 'B', true, 3, AnswerMode::Drill, std::nullopt}));
  const std::string technician = answerFromRecord(false, &store, "r", poolTechnician2026To2030(), now, 0).out;
  EXPECT_NE(technician.find("Known: 1 of 409   Seen: 1"), std::string::npos) << technician;
  EXPECT_NE(technician.find("T0                 36      1      1      0\n"), std::string::npos) << technician;
  EXPECT_NE(answerFromRecord(true, &store, "r", poolTechnician2026To2030(), now, 0).out.find(
                "2026-12-08T09:59:50Z,technician-2026-2030,T0A01,B,1,3,drill\n"),
            std::string::npos);
  // With no record yet: the header only, and the report of nothing known.
  const CommandAnswer empty = answerFromRecord(true, nullptr, "r", pool2020To2024(), now, 0);
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out, "time,pool,question,answer,correct,rating,mode\n");
  EXPECT_EQ(exported.err + report.err + empty.err, "");
}

// W drills the questions whose last answer was wrong, whatever came before;
// answered right there, they leave the list.
TEST_F(RecordedRun, WDrillsTheQuestionsLastAnsweredWrongUntilNoneIsLeft) {
  const std::pair<const char*, bool> history[] = {{"E0A01", false}, {"E0A02", true}, {"E0A03", false},
                                                  {"E0A03", true},  {"E0A04", true}, {"E0A04", false}};
  std::int64_t time = utcSecondsNow(clock) - 3600;
  for (const auto& [question, correct] : history)
    ASSERT_TRUE(store.appendAnswer({time++, "2020-2024", question, 'A', correct, correct ? 3 : 1, AnswerMode::Drill,
                                    std::nullopt}));
  std::vector<std::string> asked;
  console.typeKeys("w");
  for (int i = 0; i < 2; ++i)
    console.typeLater([&] {
      EXPECT_EQ(console.text(2, 72, 97), "Your mistakes: 2 questions");
      asked.push_back(std::string(drillQuestion().question->id));
      return std::string(1, drillQuestion().correct);
    });
  console.typeLater([&] {
    EXPECT_NE(console.text(21).find("You answered every one of your mistakes right."), std::string::npos);
    return std::string(" ");
  });
  console.typeKeys("W");
  console.typeLater([&] {
    EXPECT_NE(console.text(21).find("You have no mistakes to drill"), std::string::npos) << console.text(21);
    return std::string(" ");
  });
  console.typeKeys("\x1B");
  EXPECT_EQ(runProgram(session, face), 0);
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked, (std::vector<std::string>{"E0A01", "E0A04"}));
  EXPECT_EQ(answers().size(), 8u);
  EXPECT_EQ(answers().back().mode, AnswerMode::Drill);
}

// "3, E1A04": the entries of the missed list on the screen, added to those
// already seen (a page shown again adds nothing).
void addListed(const MemoryConsole& console, std::vector<std::string>& listed) {
  for (int row = 3; row <= 40; ++row) {
    if (console.text(row, 3, 11) != "Question ") continue;
    const std::string entry = trimBlanks(console.text(row, 12, 30));
    if (std::find(listed.begin(), listed.end(), entry) == listed.end()) listed.push_back(entry);
  }
}

// Reads every page of the missed list (Space turns; on the last page it
// does nothing), then gives `then`.
void readMissedList(MemoryConsole& console, std::vector<std::string>& listed, const std::string& then) {
  for (int page = 0; page < 3; ++page)
    console.typeLater([&console, &listed] {
      addListed(console, listed);
      return std::string(" ");
    });
  console.typeLater([&console, &listed, then] {
    EXPECT_NE(console.text(42).find("D: a drill of these questions"), std::string::npos);
    addListed(console, listed);
    return then;
  });
}

// Three wrong and two skipped answers: M after the results lists exactly
// those five with their right answers; D drills exactly them; after a
// restart the progress screen offers the same list from the record.
TEST_F(RecordedRun, TheMissedQuestionsOfAnExamAreListedDrilledAndKeptForLater) {
  ManualClock sameMoment(2026, 12, 8, 10, 0, 0);
  Random random;
  const std::vector<AskedQuestion> exam = composePracticeExam(session.edition(), sameMoment, random);
  std::vector<std::string> expected, expectedIds;
  console.typeKeys("P");
  for (int q = 1; q <= 50; ++q) {
    const AskedQuestion& asked = exam[static_cast<size_t>(q - 1)];
    const bool wrong = q == 3 || q == 7 || q == 50, skipped = q == 20 || q == 21;
    if (wrong || skipped) {
      expected.push_back(std::to_string(q) + ", " + std::string(asked.question->id));
      expectedIds.emplace_back(asked.question->id);
    }
    console.typeKeys(skipped ? "N" : std::string(1, wrong ? shownOtherThan(asked.correct) : asked.correct));
  }
  console.typeKeys(" ");  // past the last-question notice
  console.typeKeys("SYM");
  std::vector<std::string> listed;
  readMissedList(console, listed, "D");
  std::vector<std::string> drilled;
  for (int i = 0; i < 5; ++i)
    console.typeLater([&] {
      EXPECT_EQ(console.text(2, 57, 97), "Missed in the Practice Exam [5 Questions]");
      drilled.push_back(std::string(drillQuestion().question->id));
      return std::string(1, drillQuestion().correct);
    });
  console.typeKeys("\x1B");
  EXPECT_EQ(runProgram(session, face), 0);
  EXPECT_EQ(listed, expected);
  std::sort(drilled.begin(), drilled.end());
  std::sort(expectedIds.begin(), expectedIds.end());
  EXPECT_EQ(drilled, expectedIds);

  // A restart: a new session on the same record.
  Session restarted(pool2020To2024(), clock, files);
  restarted.record = session.record;
  WatchedFace restartedFace(platform);
  console.typeKeys("TM");
  std::vector<std::string> listedAgain;
  readMissedList(console, listedAgain, "\x1B");
  console.typeKeys(" \x1B");  // the progress screen again, then the menu
  EXPECT_EQ(runProgram(restarted, restartedFace), 0);
  EXPECT_EQ(listedAgain, expected);
}

}  // namespace
}  // namespace pentrill
