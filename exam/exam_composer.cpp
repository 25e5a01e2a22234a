#include "exam/exam_composer.h"

#include <cstddef>

#include "session/shuffle.h"

namespace pentrill {

namespace {

// One question per group, each drawn from 1 to the group's size, in the
// pool's group order.
std::vector<const Question*> drawOnePerGroup(const PoolEdition& edition, Random& random) {
  std::vector<const Question*> chosen;
  chosen.reserve(edition.poolGroups.size());
  for (const Group* group : edition.poolGroups) {
    const int drawn = random.drawRandom(1, static_cast<int>(group->questions.size()));
    chosen.push_back(&group->questions[static_cast<std::size_t>(drawn - 1)]);
  }
  return chosen;
}

}  // namespace

std::vector<AskedQuestion> composePracticeExam(const PoolEdition& edition, Clock& clock, Random& random) {
  random.seedRandom(secondsSinceMidnight(clock.now()));
  const std::vector<const Question*> chosen = drawOnePerGroup(edition, random);
  const std::vector<std::size_t> order = randomPermutation(random, chosen.size());
  std::vector<AskedQuestion> exam;
  exam.reserve(chosen.size());
  for (std::size_t place : order) exam.push_back(asPublished(*chosen.at(place)));
  for (AskedQuestion& question : exam) shuffleAnswers(random, question);
  return exam;
}

}  // namespace pentrill
