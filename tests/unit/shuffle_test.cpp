#include "session/shuffle.h"

#include <gtest/gtest.h>

#include "pool/edition.h"
#include "fullscreen/question_screen.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace pentrill {
namespace {

constexpr int kRuns = 24000;

constexpr Question kOrdinary{"E9Z99", 0, "Which one?", {{"alpha", "bravo", "charlie", "delta"}}, 'B'};
constexpr Question kAllChoicesWrong{
    "E9Z98", std::nullopt, "Which one?", {{"alpha", "bravo", "charlie", "All these choices are correct"}}, 'C'};
constexpr Question kAllChoicesRight{
    "E9Z97", std::nullopt, "Which one?", {{"alpha", "bravo", "charlie", "All these choices are correct"}}, 'D'};

// Checks that the shown answers are the question's, each once, and that the
// correct letter points at its correct answer.
void expectValidShuffle(const AskedQuestion& asked) {
  const Question& q = *asked.question;
  std::vector<std::string_view> shown;
  for (int p = 0; p < kAnswerCount; ++p) shown.push_back(asked.answer(p));
  std::vector<std::string_view> expected(q.answers.begin(), q.answers.end());
  std::sort(shown.begin(), shown.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(shown, expected);
  ASSERT_GE(asked.correct, 'A');
  ASSERT_LE(asked.correct, 'D');
  EXPECT_EQ(asked.answer(answerPosition(asked.correct)), q.answers[static_cast<size_t>(answerPosition(q.correct))]);
}

std::string orderKey(const AskedQuestion& asked) {
  std::string key;
  for (int p = 0; p < kAnswerCount; ++p) key += asked.answer(p).substr(0, 1);
  return key;
}

TEST(ShuffleAnswers, OrdinaryQuestionReachesAll24OrdersWithCorrectAnswerEvenlySpread) {
  std::set<std::string> orders;
  std::map<char, int> correctPlaces;
  for (int seed = 0; seed < kRuns; ++seed) {
    Random random;
    random.seedRandom(seed * 1.37);
    AskedQuestion asked = asPublished(kOrdinary);
    shuffleAnswers(random, asked);
    expectValidShuffle(asked);
    orders.insert(orderKey(asked));
    ++correctPlaces[asked.correct];
  }
  EXPECT_EQ(orders.size(), 24u);
  // 6000 expected in each place, standard deviation about 67: a 600 margin
  // holds unless the shuffle is biased.
  ASSERT_EQ(correctPlaces.size(), 4u);
  for (const auto& [letter, count] : correctPlaces) EXPECT_NEAR(count, kRuns / 4, 600) << letter;
}

TEST(ShuffleAnswers, AllTheseChoicesStaysDAndTheOthersTakeAllSixOrders) {
  for (const Question* question : {&kAllChoicesWrong, &kAllChoicesRight}) {
    std::set<std::string> orders;
    for (int seed = 0; seed < 600; ++seed) {
      Random random;
      random.seedRandom(seed);
      AskedQuestion asked = asPublished(*question);
      shuffleAnswers(random, asked);
      expectValidShuffle(asked);
      EXPECT_EQ(asked.answer(3), "All these choices are correct");
      if (question->correct == 'D') {
        EXPECT_EQ(asked.correct, 'D');
      }
      orders.insert(orderKey(asked));
    }
    EXPECT_EQ(orders.size(), 6u);
  }
}

TEST(ShuffleAnswers, RepeatedShufflesOfOneQuestionCompose) {
  Random random;
  random.seedRandom(42);
  AskedQuestion asked = asPublished(kOrdinary);
  std::set<std::string> orders;
  for (int i = 0; i < 2000; ++i) {
    shuffleAnswers(random, asked);
    expectValidShuffle(asked);
    orders.insert(orderKey(asked));
  }
  EXPECT_EQ(orders.size(), 24u);
}

// The draws of one shuffle, pinned: with draws 3, 3, 1, 4, 2 (the repeated 3
// is drawn again) the answers at A, B, C and D move to C, A, D and B.
TEST(ShuffleAnswers, EachAnswerMovesToTheLetterDrawnForItsPlace) {
  Random random;
  random.seedRandom(5);
  Random copy = random;
  std::vector<int> draws;
  std::vector<bool> taken(4, false);
  while (draws.size() < 4) {
    const int d = copy.drawRandom(1, 4);
    if (taken[static_cast<size_t>(d - 1)]) continue;
    taken[static_cast<size_t>(d - 1)] = true;
    draws.push_back(d);
  }
  AskedQuestion asked = asPublished(kOrdinary);
  shuffleAnswers(random, asked);
  for (size_t p = 0; p < 4; ++p)
    EXPECT_EQ(asked.answer(draws[p] - 1), kOrdinary.answers[p]) << "the answer first at " << answerLetter(static_cast<int>(p));
  EXPECT_EQ(asked.correct, answerLetter(draws[1] - 1));  // B was correct
  EXPECT_EQ(random.drawRandom(1, 1000), copy.drawRandom(1, 1000));  // no other draw
}

// These values come from the earlier implementation, which shuffled the
// labelled answer texts of a question table in place: a drill's run of
// draws (a random row, then its shuffle, 200 times, each shuffle starting
// from the row's last order) must show the same screens and leave the
// generator where it left it.
TEST(ShuffleAnswers, ADrillsDrawsGiveTheAnswersTheEarlierImplementationGave) {
  struct Case {
    const PoolEdition& (*edition)();
    int subelement;
    std::uint64_t fingerprint;
    int nextDraw;  // drawRandom(1, 1000000) after the run
  };
  const Case cases[] = {
      {&pool2020To2024, 0, 0xdbd646953ce7dcd7ull, 974942}, {&pool2020To2024, 5, 0x6c139bcb387efca6ull, 673403},
      {&pool2020To2024, 9, 0x01f29315db0b048eull, 786163}, {&pool2024To2028, 0, 0xac81c05f13d2ad8full, 286399},
      {&pool2024To2028, 5, 0x0d5c6090ff3fa149ull, 478384}, {&pool2024To2028, 9, 0x3a8732539ea3062aull, 181096},
  };
  for (const Case& c : cases) {
    const PoolEdition& edition = c.edition();
    SCOPED_TRACE(std::string(edition.name) + " E" + std::to_string(c.subelement));
    std::vector<AskedQuestion> pool;
    for (const Question& q : edition.subelements[static_cast<size_t>(c.subelement)].questions)
      pool.push_back(asPublished(q));
    Random random;
    random.seedRandom(1234.5 + c.subelement);
    std::uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](std::string_view text) {
      for (unsigned char byte : text) hash = (hash ^ byte) * 1099511628211ull;
      hash = (hash ^ 0xFF) * 1099511628211ull;
    };
    for (int k = 0; k < 200; ++k) {
      AskedQuestion& asked = pool[static_cast<size_t>(random.drawRandom(1, static_cast<int>(pool.size())) - 1)];
      shuffleAnswers(random, asked);
      add(idField(edition, *asked.question));
      add(asked.question->text);
      for (int p = 0; p < kAnswerCount; ++p) add(labelledAnswer(asked, p));
      add(std::string(1, asked.correct));
    }
    EXPECT_EQ(hash, c.fingerprint);
    EXPECT_EQ(random.drawRandom(1, 1000000), c.nextDraw);
  }
}

TEST(RandomPermutation, SingleItem) {
  Random random;
  random.seedRandom(3);
  EXPECT_EQ(randomPermutation(random, 1), (std::vector<std::size_t>{0}));
  EXPECT_TRUE(randomPermutation(random, 0).empty());
}

TEST(RandomPermutation, FiftyItemsEachExactlyOnce) {
  std::set<std::size_t> firstItems;
  for (int seed = 0; seed < 200; ++seed) {
    Random random;
    random.seedRandom(seed);
    std::vector<std::size_t> order = randomPermutation(random, 50);
    firstItems.insert(order.front());
    std::sort(order.begin(), order.end());
    for (std::size_t i = 0; i < 50; ++i) ASSERT_EQ(order[i], i);
  }
  EXPECT_GT(firstItems.size(), 40u);  // not a fixed order
}

}  // namespace
}  // namespace pentrill
