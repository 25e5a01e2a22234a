// The record logic: memory replayed from the log, study sessions on a
// crafted pool, exams, progress, the chart's days, and the CSV export.
#include "study/study_record.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "study/record_csv.h"
#include "tests/fakes/memory_record_store.h"

namespace pentrill::study {
namespace {

constexpr std::int64_t kNow = 1'796'825'007;  // 2026-12-09T14:03:27Z
constexpr std::int64_t kDay = kSecondsPerDay;

std::string questionId(std::size_t group, int number) {
  char id[8];
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

TEST(StudyRecordSession, EveryGainIsTheRiseInTheChanceOfPassing) {
  const CraftedPool crafted;
  const StudyPool pool(crafted.views);
  std::vector<RecordedAnswer> log = firstGroupsKnown(crafted, kNow - 40 * kDay);
  log.push_back(answer(crafted.ids[35][0], kNow - 3 * kDay, false));
  log.push_back(answer(crafted.ids[2][1], kNow - 10 * kDay, true));
  const StudyRecord record = StudyRecord::fromLog(pool, log);
  const std::vector<double> gains = record.gains(kNow);
  const std::vector<double> groups = record.groupChances(kNow);
  const double chance = chanceOfPassing(groups);
  ASSERT_EQ(gains.size(), pool.questionCount());
  for (std::size_t q = 0; q < pool.questionCount(); ++q) {
    std::vector<double> raised = groups;
    const std::size_t group = pool.groupOf(q);
    raised[group] += (1 - chanceRight(record.memory(q), kNow)) / static_cast<double>(pool.groupSize(group));
    EXPECT_NEAR(gains[q], chanceOfPassing(raised) - chance, 1e-12) << pool.question(q);
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
  const auto exam = store.startExam("2024-2028", 990);
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
      answer("E0A02", kNow - 3 * kDay, true),  // S 2.3: due, R < 0.9
      answer("E0B01", kNow - kDay, false),     // due, R < 0.9
      answer("E9E01", kNow - 3600, true),      // known
      answer("E9E01", kNow - 60, false),       // ... then wrong: R still 1 today
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
  EXPECT_EQ(e0.known, 1);
  EXPECT_EQ(e0.due, 2);
  const SubelementProgress& e9 = progress.subelements[9];
  EXPECT_EQ(e9.subelement, '9');
  EXPECT_EQ(e9.seen, 1);
  EXPECT_EQ(e9.known, 1);
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

TEST(StudyRecordExams, LinesSayRightScoreAndVerdictOrUnfinished) {
  MemoryRecordStore store;
  for (int right : {36, 37}) {
    const auto exam = store.startExam("2020-2024", kNow - (40 - right) * kDay);
    ASSERT_TRUE(exam && store.finishExam(*exam, kNow, right));
  }
  ASSERT_TRUE(store.startExam("2020-2024", kNow));  // never finished
  ASSERT_TRUE(store.startExam("2024-2028", kNow));  // the other pool's
  const std::vector<ExamLine> lines = examLines(*store.readLastExams("2020-2024", kShownExams));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].started, kNow);
  EXPECT_FALSE(lines[0].right);
  EXPECT_FALSE(lines[0].passed);
  EXPECT_EQ(lines[1].right, 37);
  EXPECT_EQ(lines[1].score, 74);
  EXPECT_TRUE(lines[1].passed);
  EXPECT_EQ(lines[2].right, 36);
  EXPECT_EQ(lines[2].score, 72);
  EXPECT_FALSE(lines[2].passed);
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
