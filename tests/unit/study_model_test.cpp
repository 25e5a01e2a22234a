// The study model against the reference table, the exact recurrence against
// brute force, and the rules around it (ratings, the clock, ties, texts).
#include "study/study_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace pentrill::study {
namespace {

std::vector<std::string> splitFields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream stream(line);
  while (std::getline(stream, field, separator)) fields.push_back(field);
  if (!line.empty() && line.back() == separator) fields.emplace_back();
  return fields;
}

// Equal to 1e-9, and to a relative 1e-9 for the tiny chances.
void expectClose(double actual, double expected, const std::string& what) {
  EXPECT_NEAR(actual, expected, 1e-9) << what;
  if (expected != 0) {
    EXPECT_NEAR(actual / expected, 1.0, 1e-9) << what;
  }
}

struct ReferenceTable {
  std::vector<std::vector<std::string>> memoryRows;   // case, kind, seconds, rating, S, D, R, c, due
  std::vector<std::vector<std::string>> passingRows;  // case, pass, pivot, p
};

ReferenceTable readReference() {
  std::ifstream file(PENTRILL_STUDY_REFERENCE);
  EXPECT_TRUE(file) << PENTRILL_STUDY_REFERENCE;
  ReferenceTable table;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#' || line.rfind("case\t", 0) == 0) continue;
    std::vector<std::string> fields = splitFields(line, '\t');
    if (fields.size() == 9)
      table.memoryRows.push_back(fields);
    else if (fields.size() == 4)
      table.passingRows.push_back(fields);
    else
      ADD_FAILURE() << "unexpected reference line: " << line;
  }
  return table;
}

TEST(StudyModelReference, MemoryOfEveryHistoryMatchesTheTable) {
  const ReferenceTable table = readReference();
  std::map<std::string, QuestionMemory> states;
  int answers = 0, probes = 0;
  for (const auto& row : table.memoryRows) {
    const std::string what = row[0] + " " + row[1] + " at " + row[2];
    const std::int64_t seconds = std::stoll(row[2]);
    QuestionMemory& state = states[row[0]];
    if (row[1] == "answer") {
      state = applyAnswer(state, static_cast<Rating>(std::stoi(row[3])), seconds);
      expectClose(state->stability, std::stod(row[4]), what + " stability");
      expectClose(state->difficulty, std::stod(row[5]), what + " difficulty");
      EXPECT_EQ(dueIntervalDays(*state), std::stoll(row[8])) << what;
      ++answers;
    } else {
      ASSERT_EQ(row[1], "probe");
      ASSERT_TRUE(state.has_value()) << what;
      expectClose(retrievability(state, seconds), std::stod(row[6]), what + " R");
      expectClose(chanceRight(state, seconds), std::stod(row[7]), what + " c");
      ++probes;
    }
  }
  EXPECT_EQ(states.size(), 12u);
  EXPECT_EQ(answers, 35);
  EXPECT_EQ(probes, 72);
}

// This table's exams are Amateur Extra's: 37 of 50 pass.
TEST(StudyModelReference, ChanceOfPassingAndDecidingChanceMatchTheTable) {
  const ReferenceTable table = readReference();
  ASSERT_EQ(table.passingRows.size(), 10u);
  for (const auto& row : table.passingRows) {
    std::vector<double> chances;
    for (const std::string& value : splitFields(row[3], ',')) chances.push_back(std::stod(value));
    ASSERT_EQ(chances.size(), 50u) << row[0];
    expectClose(chanceOfPassing(chances, 37), std::stod(row[1]), row[0] + " pass");
    expectClose(decidingChances(chances, 37).at(0), std::stod(row[2]), row[0] + " deciding chance of group 1");
  }
}

// Every outcome of a few groups, added up.
struct BruteForce {
  double passing = 0;
  std::vector<double> deciding;
};

BruteForce enumerate(const std::vector<double>& chances, int passMark) {
  const std::size_t groups = chances.size();
  BruteForce result{0, std::vector<double>(groups, 0.0)};
  for (unsigned outcome = 0; outcome < (1u << groups); ++outcome) {
    double probability = 1;
    int right = 0;
    for (std::size_t g = 0; g < groups; ++g) {
      const bool isRight = (outcome >> g) & 1u;
      probability *= isRight ? chances[g] : 1 - chances[g];
      right += isRight;
    }
    if (right >= passMark) result.passing += probability;
    // Group g decides when the others give passMark - 1: sum over its two outcomes.
    for (std::size_t g = 0; g < groups; ++g)
      if (right - static_cast<int>((outcome >> g) & 1u) == passMark - 1) result.deciding[g] += probability;
  }
  return result;
}

TEST(StudyModelRecurrence, AgreesWithEveryOutcomeEnumerated) {
  std::vector<double> chances;
  for (std::size_t groups = 1; groups <= 10; ++groups) {
    chances.push_back(0.25 + 0.07 * static_cast<double>((groups * 7) % 11));
    for (int passMark = 0; passMark <= static_cast<int>(groups) + 1; ++passMark) {
      const BruteForce expected = enumerate(chances, passMark);
      const std::string what = std::to_string(groups) + " groups, pass mark " + std::to_string(passMark);
      EXPECT_NEAR(chanceOfPassing(chances, passMark), expected.passing, 1e-12) << what;
      const std::vector<double> deciding = decidingChances(chances, passMark);
      ASSERT_EQ(deciding.size(), groups);
      for (std::size_t g = 0; g < groups; ++g)
        EXPECT_NEAR(deciding[g], expected.deciding[g], 1e-12) << what << ", group " << g;
    }
  }
}

TEST(StudyModelRecurrence, DistributionSumsToOneAndKnownGroupsShiftIt) {
  const std::vector<double> chances = {1.0, 0.0, 0.5, 1.0};
  const std::vector<double> distribution = rightAnswerDistribution(chances);
  ASSERT_EQ(distribution.size(), 5u);
  EXPECT_DOUBLE_EQ(distribution[0], 0.0);
  EXPECT_DOUBLE_EQ(distribution[1], 0.0);
  EXPECT_DOUBLE_EQ(distribution[2], 0.5);
  EXPECT_DOUBLE_EQ(distribution[3], 0.5);
  EXPECT_DOUBLE_EQ(distribution[4], 0.0);
}

TEST(StudyModelGain, IsTheRiseInTheChanceOfPassingWhenTheQuestionIsKnown) {
  // Group 3 has four questions; knowing one raises its group chance by (1 - c) / 4.
  std::vector<double> chances(50, 0.74);
  chances[3] = 0.6;
  const double questionChance = 0.4;
  const double gain = studyGain(decidingChances(chances, 37)[3], questionChance, 4);
  std::vector<double> raised = chances;
  raised[3] += (1 - questionChance) / 4;
  EXPECT_NEAR(gain, chanceOfPassing(raised, 37) - chanceOfPassing(chances, 37), 1e-12);
  EXPECT_GT(gain, 0);
  EXPECT_EQ(studyGain(0.3, 1.0, 4), 0.0);
}

TEST(StudyModelOrder, LargestGainFirstTiesByRankThenInPoolOrderZeroNever) {
  const double two = 2e-3;
  using enum TieRank;
  const std::vector<double> gains = {1e-3,  two, two * (1 + 4e-13), 0.0, two * (1 - 4e-13), 1.5e-3, two * (1 + 1e-11),
                                     1e-3,  two, 1e-3 * (1 + 2e-13)};
  const std::vector<TieRank> ranks = {Other, Other, Unseen, Missed, Other, Missed, Other, Unseen, Missed, Missed};
  EXPECT_EQ(studyOrder(gains, ranks, 20), (std::vector<std::size_t>{6, 8, 2, 1, 4, 5, 9, 7, 0}));
  EXPECT_EQ(studyOrder(gains, ranks, 3), (std::vector<std::size_t>{6, 8, 2}));
  EXPECT_TRUE(studyOrder(std::vector<double>(5, 0.0), std::vector<TieRank>(5, Missed), 20).empty());
}

TEST(StudyModelRating, OnlyARightAnswerWithoutPeekOrHintIsGood) {
  EXPECT_EQ(rateAnswer(true, false, false), Rating::Good);
  EXPECT_EQ(rateAnswer(true, true, false), Rating::Again);
  EXPECT_EQ(rateAnswer(true, false, true), Rating::Again);
  EXPECT_EQ(rateAnswer(true, true, true), Rating::Again);
  EXPECT_EQ(rateAnswer(false, false, false), Rating::Again);
  EXPECT_EQ(rateAnswer(false, true, true), Rating::Again);
}

TEST(StudyModelClock, AnAnswerInTheFutureCountsAsNoTimeElapsed) {
  const std::int64_t last = 1'800'000'000;
  EXPECT_EQ(elapsedDays(last, last - 5 * kSecondsPerDay), 0);
  EXPECT_EQ(elapsedDays(last, last + kSecondsPerDay - 1), 0);
  EXPECT_EQ(elapsedDays(last, last + 3 * kSecondsPerDay), 3);

  const MemoryState state = firstAnswer(Rating::Good, last);
  EXPECT_EQ(retrievability(state, last - 40 * kSecondsPerDay), 1.0);
  EXPECT_FALSE(isDue(state, last - 40 * kSecondsPerDay));
  // An answer given "before" the last one takes the same-day rule.
  const MemoryState earlier = laterAnswer(state, Rating::Again, last - 10 * kSecondsPerDay);
  const MemoryState sameDay = laterAnswer(state, Rating::Again, last + 60);
  EXPECT_DOUBLE_EQ(earlier.stability, sameDay.stability);
  EXPECT_DOUBLE_EQ(earlier.difficulty, sameDay.difficulty);
}

TEST(StudyModelMemory, NeverAnsweredIsAGuessAndNeverDue) {
  const QuestionMemory never;
  EXPECT_EQ(retrievability(never, 1'800'000'000), 0.0);
  EXPECT_EQ(chanceRight(never, 1'800'000'000), 0.25);
  EXPECT_FALSE(isDue(never, 1'800'000'000));
  const MemoryState good = firstAnswer(Rating::Good, 0);  // S = 2.3065: due after 2 days
  EXPECT_FALSE(isDue(good, 2 * kSecondsPerDay - 1));
  EXPECT_TRUE(isDue(good, 2 * kSecondsPerDay));
}

TEST(StudyModelMemory, StabilityAndDifficultyStayInTheirBounds) {
  QuestionMemory state;
  for (int i = 0; i < 40; ++i) state = applyAnswer(state, Rating::Again, i * 60);
  EXPECT_GE(state->stability, 0.001);
  EXPECT_LE(state->difficulty, 10.0);
  for (int i = 0; i < 40; ++i) state = applyAnswer(state, Rating::Easy, (i + 1) * 400 * kSecondsPerDay);
  EXPECT_GE(state->difficulty, 1.0);
}

TEST(StudyModelText, WholePerCentAndOneDecimalWithTheirEdges) {
  EXPECT_EQ(percentText(0.0), "<0.1%");
  EXPECT_EQ(percentText(5e-13), "<0.1%");
  EXPECT_EQ(percentText(0.000499), "<0.1%");
  EXPECT_EQ(percentText(0.00051), "0.1%");
  EXPECT_EQ(percentText(0.003), "0.3%");
  EXPECT_EQ(percentText(0.00949), "0.9%");
  EXPECT_EQ(percentText(0.0095), "1%");
  EXPECT_EQ(percentText(0.0149), "1%");
  EXPECT_EQ(percentText(0.015), "2%");
  EXPECT_EQ(percentText(0.413), "41%");
  EXPECT_EQ(percentText(0.4151), "42%");
  EXPECT_EQ(percentText(0.99499), "99%");
  EXPECT_EQ(percentText(0.995), "100%");
  EXPECT_EQ(percentText(1.0), "100%");

  EXPECT_EQ(percentTextOneDecimal(5e-13), "<0.1%");
  EXPECT_EQ(percentTextOneDecimal(0.000499), "<0.1%");
  EXPECT_EQ(percentTextOneDecimal(0.00051), "0.1%");
  EXPECT_EQ(percentTextOneDecimal(0.05), "5.0%");
  EXPECT_EQ(percentTextOneDecimal(0.4129), "41.3%");
  EXPECT_EQ(percentTextOneDecimal(0.99949), "99.9%");
  EXPECT_EQ(percentTextOneDecimal(0.9995), "100.0%");
}

}  // namespace
}  // namespace pentrill::study
