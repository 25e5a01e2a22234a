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
  Rating lastRating = Rating::Again;  // of the last answer
};

// A question never answered has no state.
using QuestionMemory = std::optional<MemoryState>;

inline constexpr std::int64_t kSecondsPerDay = 86'400;
// A question is known when the chance of answering it right is at least this.
inline constexpr double kKnownChance = 0.9;

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
// The same for a question now: a guess (0.25) while it was never answered or
// its last answer was rated Again, as a question just missed is not known
// (its R alone would stay 1 for the rest of the day). Hard and Easy, never
// given by the program, count as recalled, as they do in FSRS.
double chanceRight(const QuestionMemory& memory, std::int64_t now);
// Last answered right and the chance of a right answer at least kKnownChance.
bool isKnown(const QuestionMemory& memory, std::int64_t now);

// The distribution of right answers over the groups: entry k is P(sum = k).
std::vector<double> rightAnswerDistribution(std::span<const double> groupChances);

// P(at least passMark right), one independent draw per group.
double chanceOfPassing(std::span<const double> groupChances, int passMark);

// For each group g, P(the other groups give exactly passMark - 1 right): the
// chance that g decides the verdict.
std::vector<double> decidingChances(std::span<const double> groupChances, int passMark);

// How much a right answer to a question would raise the chance of passing.
double studyGain(double decidingChance, double questionChance, std::size_t groupSize);

// Where a question goes among questions of the same gain: those last
// answered Again first, then those never answered, then the rest.
enum class TieRank : int { Missed = 0, Unseen = 1, Other = 2 };
TieRank tieRank(const QuestionMemory& memory);

// Indices of the questions to study, largest gain first, at most `limit`;
// gains within a relative 1e-12 are ties, taken by rank, then in the given
// (pool) order. Questions with gain 0 are never chosen. `ranks` has one
// entry per gain.
std::vector<std::size_t> studyOrder(std::span<const double> gains, std::span<const TieRank> ranks,
                                    std::size_t limit);

// "41%": whole per cent from 1 % ("100%" only from 99.5 %); below that one
// decimal, "0.3%", so that a little study never reads as nothing; "<0.1%"
// for what would round to "0.0%". What would round to "1.0%" (0.95 % and up)
// is "1%".
std::string percentText(double chance);
// "41.3%": one decimal, "<0.1%" below 0.05 % (as the menu says it), "100.0%"
// only from 99.95 %.
std::string percentTextOneDecimal(double chance);

}  // namespace pentrill::study
