// The record logic: memory replayed from the log, study sessions on a
// crafted pool, exams, progress, the chart's days, and the CSV export.
#include "study/study_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "study/record_csv.h"
#include "tests/fakes/memory_record_store.h"

namespace pentrill::study {
namespace {

constexpr std::int64_t kNow = 1'796'825'007;  // 2026-12-09T14:03:27Z
constexpr std::int64_t kDay = kSecondsPerDay;

std::string questionId(std::size_t group, int number) {
  char id[32];
  std::snprintf(id, sizeof id, "E%zu%c%02d", group / 5, static_cast<char>('A' + group % 5), number);
  return id;
}

// 50 groups: 0 to 33 of two questions, 34 to 49 of one, two or three in turn.
struct CraftedPool {
  std::vector<std::vector<std::string>> ids;
  std::vector<std::vector<std::string_view>> views;
  CraftedPool() {
    for (std::size_t g = 0; g < 50; ++g) {
      const int size = g < 34 ? 2 : static_cast<int>((g - 34) % 3) + 1;
      std::vector<std::string> group;
      for (int q = 1; q <= size; ++q) group.push_back(questionId(g, q));
      ids.push_back(group);
    }
    for (const auto& group : ids) views.emplace_back(group.begin(), group.end());
  }
};

RecordedAnswer answer(std::string question, std::int64_t time, bool correct,
                      AnswerMode mode = AnswerMode::Drill, std::optional<std::int64_t> exam = std::nullopt) {
  return {time, "2024-2028", std::move(question), 'B', correct, correct ? 3 : 1, mode, exam};
}

// Right, but after a peek or the hint: rated Again.
RecordedAnswer peeked(std::string question, std::int64_t time) {
  RecordedAnswer given = answer(std::move(question), time, true);
  given.rating = 1;
  return given;
}

// Groups 0 to 33 answered right just now; 34 to 49 never answered.
std::vector<RecordedAnswer> firstGroupsKnown(const CraftedPool& pool, std::int64_t time) {
  std::vector<RecordedAnswer> log;
  for (std::size_t g = 0; g < 34; ++g)
    for (const std::string& id : pool.ids[g]) log.push_back(answer(id, time, true));
  return log;
}

TEST(StudyRecordSession, TakesTheLargestGainsWithTiesInPoolOrder) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  const StudyRecord record = StudyRecord::fromLog(pool, firstGroupsKnown(crafted, kNow));

  // Never-answered groups share one deciding chance: one-question groups
  // first, then two, then three, each size in pool order; cut at 20.
  std::vector<std::string> expected;
  for (int size = 1; size <= 3; ++size)
    for (std::size_t g = 34; g < 50; ++g)
      if (crafted.ids[g].size() == static_cast<std::size_t>(size))
        for (const std::string& id : crafted.ids[g]) expected.push_back(id);
  expected.resize(20);
  EXPECT_EQ(record.studySession(kNow), expected);
}

// The never-answered groups 34 to 49 all decide the verdict alike, so a
// question's gain there depends on its group's size only: questions missed
// today (wrong, or right after a peek) tie with the unseen ones of their size
// and go ahead of them.
TEST(StudyRecordSession, MissedQuestionsGoAheadOfTiedUnseenOnes) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  std::vector<RecordedAnswer> log = firstGroupsKnown(crafted, kNow - 3600);
  log.push_back(answer("E9B01", kNow - 600, false));  // group 46, one question
  log.push_back(peeked("E8D01", kNow - 500));         // group 43, one question
  log.push_back(answer("E8B02", kNow - 400, false));  // group 41, two questions
  log.push_back(answer("E9A02", kNow - 300, false));  // group 45, three questions
  const StudyRecord record = StudyRecord::fromLog(pool, log);
  EXPECT_EQ(record.studySession(kNow),
            (std::vector<std::string>{"E8D01", "E9B01", "E6E01", "E7C01", "E8A01", "E9E01",           // one
                                      "E8B02", "E7A01", "E7A02", "E7D01", "E7D02", "E8B01", "E8E01",  // two
                                      "E8E02", "E9C01", "E9C02",                                      //
                                      "E9A02", "E7B01", "E7B02", "E7B03"}));                          // three
}

// A wrong answer (or a right one after a peek) never raises Known or the
// chance of passing, not even on the day it is given; a right one does.
TEST(StudyRecordSession, OnlyARightAnswerRaisesKnownAndTheChance) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  StudyRecord record = StudyRecord::fromLog(pool, firstGroupsKnown(crafted, kNow - 3600));
  const std::string unseen = crafted.ids[40][0], known = crafted.ids[0][0];
  enum Change { Lower = -1, Same = 0, Higher = 1 };
  const struct {
    const std::string& question;
    Rating rating;
    int knownChange;
    Change chanceChange;
  } steps[] = {
      {unseen, Rating::Again, 0, Same},    {unseen, Rating::Again, 0, Same},  {unseen, Rating::Good, 1, Higher},
      {unseen, Rating::Again, -1, Lower},  {known, Rating::Again, -1, Lower}, {known, Rating::Good, 1, Higher},
      {unseen, Rating::Good, 1, Higher},
  };
  std::int64_t time = kNow - 600;
  for (const auto& step : steps) {
    const std::string what = step.question + " rated " + std::to_string(static_cast<int>(step.rating));
    const int knownBefore = record.progress(time).known;
    const double chanceBefore = record.chanceOfPassing(time);
    record.addAnswer(step.question, step.rating, time);
    EXPECT_EQ(record.progress(time).known - knownBefore, step.knownChange) << what;
    const double chance = record.chanceOfPassing(time);
    const Change change = chance > chanceBefore ? Higher : chance < chanceBefore ? Lower : Same;
    EXPECT_EQ(change, step.chanceChange) << what << ": " << chanceBefore << " -> " << chance;
    time += 60;
  }
}

TEST(StudyRecordSession, EveryGainIsTheRiseInTheChanceOfPassing) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  std::vector<RecordedAnswer> log = firstGroupsKnown(crafted, kNow - 40 * kDay);
  log.push_back(answer(crafted.ids[35][0], kNow - 3 * kDay, false));
  log.push_back(answer(crafted.ids[2][1], kNow - 10 * kDay, true));
  const StudyRecord record = StudyRecord::fromLog(pool, log);
  const std::vector<double> gains = record.gains(kNow);
  const std::vector<double> groups = record.groupChances(kNow);
  const double chance = chanceOfPassing(groups, 37);
  ASSERT_EQ(gains.size(), pool.questionCount());
  for (std::size_t q = 0; q < pool.questionCount(); ++q) {
    std::vector<double> raised = groups;
    const std::size_t group = pool.groupOf(q);
    raised[group] += (1 - chanceRight(record.memory(q), kNow)) / static_cast<double>(pool.groupSize(group));
    EXPECT_NEAR(gains[q], chanceOfPassing(raised, 37) - chance, 1e-12) << pool.question(q);
  }
}

TEST(StudyRecordSession, NothingToStudyWhenPassingIsDecidedWhateverHappens) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  std::vector<RecordedAnswer> log;
  for (const auto& group : crafted.ids)
    for (const std::string& id : group) log.push_back(answer(id, kNow - 60, true));
  const StudyRecord record = StudyRecord::fromLog(pool, log);
  EXPECT_TRUE(record.studySession(kNow).empty());
  EXPECT_EQ(record.chanceOfPassing(kNow), 1.0);
}

TEST(StudyRecordMemory, AddingAnAnswerMatchesReplayingTheLog) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  std::vector<RecordedAnswer> log = {answer("E0A01", kNow - 5 * kDay, true), answer("E0A01", kNow - kDay, false)};
  StudyRecord record = StudyRecord::fromLog(pool, log);
  log.push_back(answer("E0A01", kNow, true));
  record.addAnswer("E0A01", Rating::Good, kNow);
  const StudyRecord replayed = StudyRecord::fromLog(pool, log);
  ASSERT_TRUE(record.memory(0) && replayed.memory(0));
  EXPECT_EQ(record.memory(0)->stability, replayed.memory(0)->stability);
  EXPECT_EQ(record.memory(0)->difficulty, replayed.memory(0)->difficulty);
  // Answers out of time order in the log are replayed in time order.
  std::vector<RecordedAnswer> shuffled = {log[2], log[0], log[1]};
  EXPECT_EQ(StudyRecord::fromLog(pool, shuffled).memory(0)->stability, replayed.memory(0)->stability);
}

TEST(StudyRecordMemory, OnlyTheLastAnswerOfAnExamToAQuestionCounts) {
  const std::vector<RecordedAnswer> log = {
      answer("E1A01", 1000, false, AnswerMode::Exam, 7), answer("E1A02", 1010, true, AnswerMode::Exam, 7),
      answer("E1A01", 1020, true, AnswerMode::Exam, 7),  answer("E1A01", 1030, false, AnswerMode::Drill),
      answer("E1A01", 1040, false, AnswerMode::Exam, 8),
  };
  const std::vector<RecordedAnswer> counted = countedAnswers(log);
  ASSERT_EQ(counted.size(), 4u);
  EXPECT_EQ(counted[0].time, 1010);
  EXPECT_EQ(counted[1].time, 1020);
  EXPECT_EQ(counted[2].time, 1030);
  EXPECT_EQ(counted[3].time, 1040);

  // The store replaces a changed answer: the log holds the last one only.
  MemoryRecordStore store;
  const auto exam = store.startExam("2024-2028", 990, "");
  ASSERT_TRUE(exam);
  ASSERT_TRUE(store.recordExamAnswer(answer("E1A01", 1000, false, AnswerMode::Exam, *exam)));
  ASSERT_TRUE(store.recordExamAnswer(answer("E1A01", 1020, true, AnswerMode::Exam, *exam)));
  const std::vector<RecordedMemory> memory = *store.readMemory("2024-2028");
  ASSERT_EQ(memory.size(), 1u);
  const MemoryState once = firstAnswer(Rating::Good, 1020);
  EXPECT_EQ(memory[0].stability, once.stability);
  EXPECT_EQ(memory[0].lastAnswer, 1020);
}

TEST(StudyRecordMemory, AClockSetBackCountsTheFutureAnswerAsJustGiven) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  const StudyRecord record = StudyRecord::fromLog(pool, {{answer("E0A01", kNow + 20 * kDay, true)}});
  EXPECT_EQ(retrievability(record.memory(0), kNow), 1.0);
  const Progress progress = record.progress(kNow);
  EXPECT_EQ(progress.known, 1);
  EXPECT_EQ(progress.due, 0);
}

TEST(StudyRecordProgress, CountsSeenKnownAndDuePerSubelement) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  const std::vector<RecordedAnswer> log = {
      answer("E0A01", kNow - 3600, true),      // known, not due
      answer("E0A02", kNow - 3 * kDay, true),  // S 2.3: due, R 0.881 but c 0.911: known
      answer("E0B01", kNow - kDay, false),     // due, missed
      answer("E9E01", kNow - 3600, true),      // known
      answer("E9E01", kNow - 60, false),       // ... then wrong: not known, though R is 1 today
      answer("E5A01", kNow, true),             // known, E5
      answer("E1A01", kNow, true),             // known, E1
  };
  const StudyRecord record = StudyRecord::fromLog(pool, log);
  const Progress progress = record.progress(kNow);
  ASSERT_EQ(progress.subelements.size(), 10u);
  EXPECT_EQ(progress.questions, static_cast<int>(pool.questionCount()));
  const SubelementProgress& e0 = progress.subelements[0];
  EXPECT_EQ(e0.subelement, '0');
  EXPECT_EQ(e0.questions, 10);
  EXPECT_EQ(e0.seen, 3);
  EXPECT_EQ(e0.known, 2);
  EXPECT_EQ(e0.due, 2);
  const SubelementProgress& e9 = progress.subelements[9];
  EXPECT_EQ(e9.subelement, '9');
  EXPECT_EQ(e9.seen, 1);
  EXPECT_EQ(e9.known, 0);
  EXPECT_EQ(progress.seen, 6);
  EXPECT_EQ(progress.known, 4);
  EXPECT_EQ(progress.due, 2);
}

TEST(StudyRecordProgress, IgnoresQuestionsInNoGroup) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  const StudyRecord record = StudyRecord::fromLog(pool, {{answer("E4D99", kNow, true)}});  // withdrawn
  EXPECT_EQ(record.progress(kNow).seen, 0);
  EXPECT_EQ(record.chanceOfPassing(kNow), StudyRecord(pool, {}).chanceOfPassing(kNow));
}

TEST(StudyRecordChart, EachDayEndsAtLocalMidnightAndTodayIsNow) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  const int offset = 3600;  // local time UTC+1: midnight is 23:00 UTC
  const std::int64_t localMidnight = (kNow + offset) / kDay * kDay - offset;  // today, in UTC
  std::vector<RecordedAnswer> log = firstGroupsKnown(crafted, localMidnight - 5 * kDay + 600);
  // 00:30 local time two days back is 23:30 UTC the day before: local days decide.
  log.push_back(answer(crafted.ids[40][0], localMidnight - 2 * kDay + 1800, true));
  log.push_back(answer(crafted.ids[41][0], localMidnight - 60, true));  // 23:59 yesterday
  const std::vector<double> chart = dailyChances(pool, log, kNow, offset);
  ASSERT_EQ(chart.size(), 30u);
  const double nothing = StudyRecord(pool, {}).chanceOfPassing(0);
  for (int day = 0; day < 24; ++day) EXPECT_EQ(chart[static_cast<std::size_t>(day)], nothing) << day;
  for (int back = 0; back < 30; ++back) {
    const std::int64_t end = back == 0 ? kNow : localMidnight - (back - 1) * kDay - 1;
    std::vector<RecordedAnswer> upToThen;
    for (const RecordedAnswer& given : log)
      if (given.time <= end) upToThen.push_back(given);
    EXPECT_DOUBLE_EQ(chart[29 - static_cast<std::size_t>(back)],
                     StudyRecord::fromLog(pool, upToThen).chanceOfPassing(end))
        << back << " days back";
  }
  EXPECT_GT(chart[24], nothing);
}

// The progress report reads the log once, as it streams by: the chart's
// memory at the end is the replayed log's, and an answer a clock set back put
// after now still counts today.
TEST(StudyRecordChart, StreamedAnswersEndInTheReplayedMemory) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  std::vector<RecordedAnswer> log = firstGroupsKnown(crafted, kNow - 40 * kDay);
  log.push_back(answer(crafted.ids[0][0], kNow - 3 * kDay, false));
  log.push_back(answer(crafted.ids[45][0], kNow - 2 * kDay, true));
  log.push_back(answer(crafted.ids[46][0], kNow + 3600, true));
  DailyChances chart(pool, kNow, 0);
  for (const RecordedAnswer& given : log) chart.add(given);
  const StudyRecord replayed = StudyRecord::fromLog(pool, log);
  for (std::size_t q = 0; q < pool.questionCount(); ++q) {
    ASSERT_EQ(chart.memory()[q].has_value(), replayed.memory(q).has_value()) << pool.question(q);
    if (!replayed.memory(q)) continue;
    EXPECT_EQ(chart.memory()[q]->stability, replayed.memory(q)->stability) << pool.question(q);
    EXPECT_EQ(chart.memory()[q]->lastAnswer, replayed.memory(q)->lastAnswer) << pool.question(q);
  }
  const std::vector<double> chances = chart.finish();
  ASSERT_EQ(chances.size(), 30u);
  EXPECT_EQ(chances.back(), replayed.chanceOfPassing(kNow));
  EXPECT_EQ(chances, dailyChances(pool, log, kNow, 0));
  EXPECT_LT(chances[26], chances[27]);  // the answer two days back raised it
}

// A pool of `groups` groups of one question each.
struct NumberedPool {
  std::vector<std::vector<std::string>> ids;
  std::vector<std::vector<std::string_view>> views;
  explicit NumberedPool(std::size_t groups, std::size_t perGroup = 1) {
    for (std::size_t g = 0; g < groups; ++g) {
      std::vector<std::string>& group = ids.emplace_back();
      for (std::size_t q = 1; q <= perGroup; ++q) group.push_back(questionId(g, static_cast<int>(q)));
    }
    for (const auto& group : ids) views.emplace_back(group.begin(), group.end());
  }
};

TEST(StudyRecordExams, LinesSayRightScoreAndVerdictByThePoolsSizeOrUnfinished) {
  const struct {
    std::size_t groups;
    int passMark;
    int right;
    int score;
    bool passed;
  } cases[] = {{50, 37, 37, 74, true}, {50, 37, 36, 72, false}, {35, 26, 26, 74, true}, {35, 26, 25, 71, false},
               {35, 26, 35, 100, true}};
  for (const auto& c : cases) {
    const NumberedPool numbered(c.groups);
    const StudyPool pool(numbered.views, c.passMark);
    const std::vector<RecordedExam> exams = {{2, "2020-2024", kNow, {}, {}, {}},
                                             {1, "2020-2024", kNow - kDay, kNow, c.right, {}}};
    const std::vector<ExamLine> lines = examLines(exams, pool);
    const std::string what = std::to_string(c.right) + " of " + std::to_string(c.groups);
    ASSERT_EQ(lines.size(), 2u) << what;
    EXPECT_EQ(lines[0].started, kNow) << what;
    EXPECT_FALSE(lines[0].right) << what;
    EXPECT_FALSE(lines[0].passed) << what;
    EXPECT_EQ(lines[1].right, c.right) << what;
    EXPECT_EQ(lines[1].questions, static_cast<int>(c.groups)) << what;
    EXPECT_EQ(lines[1].score, c.score) << what;
    EXPECT_EQ(lines[1].passed, c.passed) << what;
  }
}

std::vector<std::string> splitFields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream stream(line);
  while (std::getline(stream, field, separator)) fields.push_back(field);
  return fields;
}

// The reference table of exams of 35 groups (pass mark 26) and of 50 (37):
// the exact arithmetic for every row, and for the rows whose groups are
// known (1) or guessed (0.25) the same numbers from a record whose guessed
// groups hold questions never answered, missed, and right only after a peek.
TEST(StudyRecordReference, ChanceOfPassingFor35And50GroupsMatchesTheTable) {
  std::ifstream file(PENTRILL_SOURCE_DIR "/tests/data/study-model-reference-exams.tsv");
  ASSERT_TRUE(file);
  int rows = 0, records = 0;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#' || line.starts_with("case\t")) continue;
    const std::vector<std::string> row = splitFields(line, '\t');
    ASSERT_EQ(row.size(), 6u) << line;
    const std::string& name = row[0];
    const std::size_t groups = std::stoul(row[1]);
    const int passMark = std::stoi(row[2]);
    const double passing = std::stod(row[3]), deciding = std::stod(row[4]);
    std::vector<double> chances;
    for (const std::string& value : splitFields(row[5], ',')) chances.push_back(std::stod(value));
    ASSERT_EQ(chances.size(), groups) << name;
    ++rows;
    EXPECT_NEAR(chanceOfPassing(chances, passMark) / passing, 1.0, 1e-9) << name;  // relative: some are 1e-13
    EXPECT_NEAR(decidingChances(chances, passMark).at(0), deciding, 1e-9) << name;

    if (!std::all_of(chances.begin(), chances.end(), [](double p) { return p == 1.0 || p == 0.25; })) continue;
    ++records;
    const NumberedPool numbered(groups, 3);
    const StudyPool pool(numbered.views, passMark);
    std::vector<RecordedAnswer> log;
    for (std::size_t g = 0; g < groups; ++g) {
      const std::vector<std::string>& ids = numbered.ids[g];
      if (chances[g] == 1.0) {
        for (const std::string& id : ids) log.push_back(answer(id, kNow - 600, true));
      } else {  // ids[0] never answered
        log.push_back(answer(ids[1], kNow - 600, true));
        log.push_back(answer(ids[1], kNow - 300, false));
        log.push_back(peeked(ids[2], kNow - 300));
      }
    }
    const StudyRecord record = StudyRecord::fromLog(pool, log);
    EXPECT_NEAR(record.chanceOfPassing(kNow) / passing, 1.0, 1e-9) << name;
    for (std::size_t q = 0; q < 3; ++q)
      EXPECT_NEAR(record.gains(kNow)[q], deciding * (1 - chances[0]) / 3, 1e-12) << name << " question " << q;
  }
  EXPECT_EQ(rows, 24);
  EXPECT_EQ(records, 8);
}

TEST(StudyRecordCsv, OneLinePerAnswerInUtc) {
  const std::vector<RecordedAnswer> answers = {
      {kNow, "2024-2028", "E5C10", 'D', true, 3, AnswerMode::Session, std::nullopt},
      {0, "2020-2024", "E1A01", 'A', false, 1, AnswerMode::Exam, 4},
      {kNow + 1, "2020-2024", "E9H11", 'B', true, 1, AnswerMode::Drill, std::nullopt},
  };
  EXPECT_EQ(recordCsv(answers),
            "time,pool,question,answer,correct,rating,mode\n"
            "2026-12-09T14:03:27Z,2024-2028,E5C10,D,1,3,session\n"
            "1970-01-01T00:00:00Z,2020-2024,E1A01,A,0,1,exam\n"
            "2026-12-09T14:03:28Z,2020-2024,E9H11,B,1,1,drill\n");
  for (AnswerMode mode : {AnswerMode::Drill, AnswerMode::Session, AnswerMode::Exam})
    EXPECT_EQ(answerModeFromName(answerModeName(mode)), mode);
  EXPECT_FALSE(answerModeFromName("quiz"));
}

}  // namespace
}  // namespace pentrill::study
