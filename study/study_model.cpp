#include "study/study_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <utility>

namespace pentrill::study {

namespace {

// FSRS-6 default parameters w0 ... w20.
constexpr std::array<double, 21> w = {0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                                      0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                                      1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
constexpr double kMinimumStability = 0.001;
constexpr double kGuessChance = 0.25;

double decay() { return -w[20]; }
double factor() { return std::pow(0.9, 1.0 / decay()) - 1.0; }

double clampDifficulty(double difficulty) { return std::clamp(difficulty, 1.0, 10.0); }

double initialDifficulty(int grade) { return w[4] - std::exp(w[5] * (grade - 1)) + 1.0; }

double retrievabilityAfter(double days, double stability) {
  return std::pow(1.0 + factor() * days / stability, decay());
}

double nextDifficulty(double difficulty, int grade) {
  const double delta = -w[6] * (grade - 3);
  const double damped = difficulty + (10.0 - difficulty) * delta / 9.0;
  return clampDifficulty(w[7] * initialDifficulty(4) + (1.0 - w[7]) * damped);
}

double sameDayStability(double stability, int grade) {
  double increase = std::exp(w[17] * (grade - 3 + w[18])) * std::pow(stability, -w[19]);
  if (grade >= 3) increase = std::max(increase, 1.0);
  return stability * increase;
}

double forgotStability(const MemoryState& state, double recall) {
  const double longTerm = w[11] * std::pow(state.difficulty, -w[12]) *
                          (std::pow(state.stability + 1.0, w[13]) - 1.0) * std::exp((1.0 - recall) * w[14]);
  return std::min(longTerm, state.stability / std::exp(w[17] * w[18]));
}

double recalledStability(const MemoryState& state, double recall, int grade) {
  const double hard = grade == 2 ? w[15] : 1.0;
  const double easy = grade == 4 ? w[16] : 1.0;
  return state.stability * (1.0 + std::exp(w[8]) * (11.0 - state.difficulty) * std::pow(state.stability, -w[9]) *
                                      (std::exp((1.0 - recall) * w[10]) - 1.0) * hard * easy);
}

bool nearlyEqual(double a, double b) {
  return std::fabs(a - b) <= 1e-12 * std::max(std::fabs(a), std::fabs(b));
}

// One more group in a distribution of right answers.
void addGroup(std::vector<double>& distribution, double chance) {
  distribution.push_back(0.0);
  for (std::size_t k = distribution.size() - 1; k > 0; --k)
    distribution[k] = distribution[k] * (1.0 - chance) + distribution[k - 1] * chance;
  distribution[0] *= 1.0 - chance;
}

}  // namespace

Rating rateAnswer(bool correct, bool peekOn, bool hintShown) {
  return correct && !peekOn && !hintShown ? Rating::Good : Rating::Again;
}

std::int64_t elapsedDays(std::int64_t lastAnswer, std::int64_t now) {
  return now <= lastAnswer ? 0 : (now - lastAnswer) / kSecondsPerDay;
}

double retrievability(const MemoryState& state, std::int64_t now) {
  return retrievabilityAfter(static_cast<double>(elapsedDays(state.lastAnswer, now)), state.stability);
}

double retrievability(const QuestionMemory& memory, std::int64_t now) {
  return memory ? retrievability(*memory, now) : 0.0;
}

MemoryState firstAnswer(Rating rating, std::int64_t time) {
  const int grade = static_cast<int>(rating);
  return {std::max(w[grade - 1], kMinimumStability), clampDifficulty(initialDifficulty(grade)), time, rating};
}

MemoryState laterAnswer(const MemoryState& state, Rating rating, std::int64_t time) {
  const int grade = static_cast<int>(rating);
  const std::int64_t days = elapsedDays(state.lastAnswer, time);
  double stability;
  if (days < 1) {
    stability = sameDayStability(state.stability, grade);
  } else {
    const double recall = retrievabilityAfter(static_cast<double>(days), state.stability);
    stability = grade == 1 ? forgotStability(state, recall) : recalledStability(state, recall, grade);
  }
  return {std::max(stability, kMinimumStability), nextDifficulty(state.difficulty, grade), time, rating};
}

MemoryState applyAnswer(const QuestionMemory& memory, Rating rating, std::int64_t time) {
  return memory ? laterAnswer(*memory, rating, time) : firstAnswer(rating, time);
}

std::int64_t dueIntervalDays(const MemoryState& state) {
  return std::max<std::int64_t>(1, std::llround(state.stability));
}

bool isDue(const QuestionMemory& memory, std::int64_t now) {
  return memory && elapsedDays(memory->lastAnswer, now) >= dueIntervalDays(*memory);
}

double chanceRight(double recall) { return kGuessChance + (1.0 - kGuessChance) * recall; }

double chanceRight(const QuestionMemory& memory, std::int64_t now) {
  if (!memory || memory->lastRating == Rating::Again) return kGuessChance;
  return chanceRight(retrievability(*memory, now));
}

bool isKnown(const QuestionMemory& memory, std::int64_t now) { return chanceRight(memory, now) >= kKnownChance; }

std::vector<double> rightAnswerDistribution(std::span<const double> groupChances) {
  std::vector<double> distribution{1.0};
  distribution.reserve(groupChances.size() + 1);
  for (double chance : groupChances) addGroup(distribution, chance);
  return distribution;
}

double chanceOfPassing(std::span<const double> groupChances, int passMark) {
  const std::vector<double> distribution = rightAnswerDistribution(groupChances);
  const std::size_t from = static_cast<std::size_t>(std::max(passMark, 0));
  if (from >= distribution.size()) return 0.0;
  return std::accumulate(distribution.begin() + static_cast<std::ptrdiff_t>(from), distribution.end(), 0.0);
}

// The distributions of the groups before g and of those after g, convolved at
// passMark - 1: every group in O(groups x passMark).
std::vector<double> decidingChances(std::span<const double> groupChances, int passMark) {
  const std::size_t groups = groupChances.size();
  std::vector<double> result(groups, 0.0);
  if (passMark < 1 || static_cast<std::size_t>(passMark) > groups) return result;
  const std::size_t target = static_cast<std::size_t>(passMark - 1);

  // suffix[g] is the distribution of groups g .. end.
  std::vector<std::vector<double>> suffix(groups + 1);
  suffix[groups] = {1.0};
  for (std::size_t g = groups; g-- > 0;) {
    suffix[g] = suffix[g + 1];
    addGroup(suffix[g], groupChances[g]);
  }
  std::vector<double> prefix{1.0};
  for (std::size_t g = 0; g < groups; ++g) {
    const std::vector<double>& after = suffix[g + 1];
    double sum = 0.0;
    for (std::size_t before = 0; before <= target && before < prefix.size(); ++before) {
      const std::size_t rest = target - before;
      if (rest < after.size()) sum += prefix[before] * after[rest];
    }
    result[g] = sum;
    addGroup(prefix, groupChances[g]);
  }
  return result;
}

double studyGain(double decidingChance, double questionChance, std::size_t groupSize) {
  return groupSize == 0 ? 0.0 : decidingChance * (1.0 - questionChance) / static_cast<double>(groupSize);
}

TieRank tieRank(const QuestionMemory& memory) {
  if (!memory) return TieRank::Unseen;
  return memory->lastRating == Rating::Again ? TieRank::Missed : TieRank::Other;
}

std::vector<std::size_t> studyOrder(std::span<const double> gains, std::span<const TieRank> ranks,
                                    std::size_t limit) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < gains.size(); ++i)
    if (gains[i] > 0.0) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return gains[a] > gains[b]; });
  // Runs of gains within 1e-12 of the run's largest are ties: by rank, then
  // in pool order.
  const auto byRankThenIndex = [&](std::size_t a, std::size_t b) {
    return std::pair(ranks[a], a) < std::pair(ranks[b], b);
  };
  for (std::size_t start = 0; start < order.size();) {
    std::size_t end = start + 1;
    while (end < order.size() && nearlyEqual(gains[order[start]], gains[order[end]])) ++end;
    std::sort(order.begin() + static_cast<std::ptrdiff_t>(start), order.begin() + static_cast<std::ptrdiff_t>(end),
              byRankThenIndex);
    start = end;
  }
  if (order.size() > limit) order.resize(limit);
  return order;
}

std::string percentText(double chance) {
  if (chance >= 0.995) return "100%";
  const long tenths = std::lround(chance * 1000.0);
  if (tenths >= 10) return std::to_string(std::max(1L, std::lround(chance * 100.0))) + "%";
  if (tenths <= 0) return "<0.1%";
  return "0." + std::to_string(tenths) + "%";
}

std::string percentTextOneDecimal(double chance) {
  if (chance < 0.0005) return "<0.1%";
  if (chance >= 0.9995) return "100.0%";
  const long tenths = std::lround(chance * 1000.0);
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

}  // namespace pentrill::study
