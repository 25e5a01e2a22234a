#include "drill/shuffle.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "screen/text.h"

namespace pentrill {

namespace {

constexpr char kMarker = '*';
constexpr std::string_view kAllChoices = "D. All these choices are correct";

bool isAllChoicesAnswer(const std::string& answer) { return answer.compare(0, kAllChoices.size(), kAllChoices) == 0; }

void markCorrectAnswer(Question& question) {
  const std::string& correct = question.field(kCorrect);
  for (int f = kAnswerA; f <= kAnswerD; ++f) {
    std::string& answer = question.field(f);
    if (!answer.empty() && answer.compare(0, 1, correct) == 0) answer += kMarker;
  }
}

// The new letters of the answers in fields 3 to 6: all four drawn, or only
// the first three when D is the pinned "All these choices" answer.
CountedList permutedLetters(Random& random, const Question& question) {
  CountedList letters{"4", "A", "B", "C", "D"};
  CountedList permuted(6);
  if (isAllChoicesAnswer(question.field(kAnswerD))) {
    // Whole strings moved in: GCC 12 at -O3 misreads assigning a literal as an overlapping copy.
    letters[0] = std::string("3");
    permuted[4] = std::string("D");
  }
  randomPermutation(random, letters, permuted);
  return permuted;
}

void relabelAndSort(Question& question, const CountedList& permuted) {
  std::array<std::string, 4> answers;
  for (int i = 0; i < 4; ++i) {
    std::string stripped = question.field(kAnswerA + i);
    if (!stripped.empty()) stripped.erase(0, 1);
    answers[static_cast<size_t>(i)] = permuted[static_cast<size_t>(i + 1)] + stripped;
  }
  std::sort(answers.begin(), answers.end());
  for (int i = 0; i < 4; ++i) question.field(kAnswerA + i) = answers[static_cast<size_t>(i)];
}

void takeMarker(Question& question) {
  for (int f = kAnswerA; f <= kAnswerD; ++f) {
    std::string& answer = question.field(f);
    if (!answer.empty() && answer.back() == kMarker) {
      question.field(kCorrect) = answer.substr(0, 1);
      answer.pop_back();
      return;
    }
  }
}

}  // namespace

void randomPermutation(Random& random, const CountedList& source, CountedList& target) {
  if (source.empty()) return;
  // The count is only trusted as far as the source reaches.
  const long long n = std::clamp<long long>(roundedNumberValue(source[0]), 0, static_cast<long long>(source.size()) - 1);
  const size_t items = static_cast<size_t>(n);
  if (target.size() < items + 1) target.resize(items + 1);
  // Taken slots are tracked apart from the items, so an empty item cannot
  // make the draw loop forever.
  std::vector<bool> taken(items + 1, false);
  for (size_t placed = 1; placed <= items;) {
    const size_t j = static_cast<size_t>(random.drawRandom(1, static_cast<int>(n)));
    if (taken[j]) continue;
    taken[j] = true;
    target[placed++] = source[j];
  }
  target[0] = source[0];
}

void shuffleAnswers(Random& random, QuestionTable& table) {
  const int r = table.workRow();
  if (r < 1 || r > table.lastRow()) return;
  Question& question = table.row(r);
  markCorrectAnswer(question);
  const CountedList permuted = permutedLetters(random, question);
  relabelAndSort(question, permuted);
  takeMarker(question);
}

}  // namespace pentrill
