// The study model: the memory of each question (FSRS-6 with its published
// default parameters), the chance of answering it right with guessing, the
// exact chance of passing an exam drawn from the pool's groups, and the gain
// of studying each question. Pure arithmetic: answers in, numbers out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pentrill::study {

enum class Rating : int { Again = 1, Hard = 2, Good = 3, Easy = 4 };

// What the model remembers of a question after at least one answer.
struct MemoryState {
  double stability = 0;      // days
  double difficulty = 0;     // 1 to 10
  std::int64_t lastAnswer = 0;  // seconds since the Unix epoch, UTC
};

// A question never answered has no state.
using QuestionMemory = std::optional<MemoryState>;

inline constexpr std::int64_t kSecondsPerDay = 86'400;
inline constexpr int kPassMark = 37;  // right answers of 50 that pass

// Right answer, peek off and no hint: Good; anything else: Again.
Rating rateAnswer(bool correct, bool peekOn, bool hintShown);

// Whole days from the last answer to now; 0 when the clock went backwards.
std::int64_t elapsedDays(std::int64_t lastAnswer, std::int64_t now);

// The chance of recalling the question now; 0 for one never answered.
double retrievability(const MemoryState& state, std::int64_t now);
double retrievability(const QuestionMemory& memory, std::int64_t now);

// The state after an answer rated `rating` at `time` (first or later answer).
MemoryState firstAnswer(Rating rating, std::int64_t time);
MemoryState laterAnswer(const MemoryState& state, Rating rating, std::int64_t time);
MemoryState applyAnswer(const QuestionMemory& memory, Rating rating, std::int64_t time);

// Days from the last answer until the question is due again: max(1, round(S)).
std::int64_t dueIntervalDays(const MemoryState& state);
bool isDue(const QuestionMemory& memory, std::int64_t now);

// The chance of a right answer on the exam, guessing one in four when not recalled.
double chanceRight(double retrievability);
double chanceRight(const QuestionMemory& memory, std::int64_t now);

// The distribution of right answers over the groups: entry k is P(sum = k).
std::vector<double> rightAnswerDistribution(std::span<const double> groupChances);

// P(at least passMark right), one independent draw per group.
double chanceOfPassing(std::span<const double> groupChances, int passMark = kPassMark);

// For each group g, P(the other groups give exactly passMark - 1 right): the
// chance that g decides the verdict.
std::vector<double> decidingChances(std::span<const double> groupChances, int passMark = kPassMark);

// How much a right answer to a question would raise the chance of passing.
double studyGain(double decidingChance, double questionChance, std::size_t groupSize);

// Indices of the questions to study, largest gain first, at most `limit`;
// gains within a relative 1e-12 are ties, kept in the given (pool) order.
// Questions with gain 0 are never chosen.
std::vector<std::size_t> studyOrder(std::span<const double> gains, std::size_t limit);

// "41%": whole per cent, "0%" below 0.5 %, "100%" only from 99.5 %.
std::string percentText(double chance);
// "41.3%": one decimal, "0.0%" below 0.05 %, "100.0%" only from 99.95 %.
std::string percentTextOneDecimal(double chance);

}  // namespace pentrill::study
