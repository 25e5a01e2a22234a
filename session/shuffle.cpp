#include "session/shuffle.h"

#include <string_view>

namespace pentrill {

namespace {

constexpr std::string_view kAllChoices = "All these choices are correct";

bool isPinnedAllChoices(const AskedQuestion& question) {
  return question.answer(kAnswerCount - 1).substr(0, kAllChoices.size()) == kAllChoices;
}

}  // namespace

std::vector<std::size_t> randomPermutation(Random& random, std::size_t n) {
  std::vector<std::size_t> order;
  order.reserve(n);
  std::vector<bool> taken(n, false);
  while (order.size() < n) {
    const auto item = static_cast<std::size_t>(random.drawRandom(1, static_cast<int>(n)) - 1);
    if (taken[item]) continue;
    taken[item] = true;
    order.push_back(item);
  }
  return order;
}

// The answer now at position p moves to position moved[p].
void shuffleAnswers(Random& random, AskedQuestion& question) {
  const std::size_t drawn = isPinnedAllChoices(question) ? kAnswerCount - 1 : kAnswerCount;
  std::vector<std::size_t> moved = randomPermutation(random, drawn);
  if (drawn < kAnswerCount) moved.push_back(kAnswerCount - 1);
  AskedQuestion shuffled = question;
  for (std::size_t p = 0; p < kAnswerCount; ++p) shuffled.order[moved[p]] = question.order[p];
  shuffled.correct = answerLetter(static_cast<int>(moved[static_cast<std::size_t>(answerPosition(question.correct))]));
  question = shuffled;
}

}  // namespace pentrill
