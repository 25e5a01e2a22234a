#include "drill/shuffle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace pentrill {
namespace {

constexpr int kRuns = 24000;

struct Answers {
  std::string a, b, c, d;
  char correct;
};

QuestionTable tableWith(const Answers& answers, int row = 3) {
  QuestionTable table(5);
  Question& q = table.row(row);
  q.field(kId) = "E9Z99 Figure:E9-9";
  q.field(kText) = "Which one?";
  q.field(kAnswerA) = "A. " + answers.a;
  q.field(kAnswerB) = "B. " + answers.b;
  q.field(kAnswerC) = "C. " + answers.c;
  q.field(kAnswerD) = "D. " + answers.d;
  q.field(kCorrect) = std::string(1, answers.correct);
  table.setWorkRow(row);
  return table;
}

const Answers kOrdinary{"alpha", "bravo", "charlie", "delta", 'B'};
const Answers kAllChoicesWrong{"alpha", "bravo", "charlie", "All these choices are correct", 'C'};
const Answers kAllChoicesRight{"alpha", "bravo", "charlie", "All these choices are correct", 'D'};

// The answer texts behind the labels, in field order; checks the labels and
// that no marker is left behind.
std::vector<std::string> textsInOrder(const Question& q) {
  std::vector<std::string> texts;
  const char* labels[] = {"A. ", "B. ", "C. ", "D. "};
  for (int f = kAnswerA; f <= kAnswerD; ++f) {
    const std::string& answer = q.field(f);
    EXPECT_EQ(answer.substr(0, 3), labels[f - kAnswerA]);
    EXPECT_NE(answer.back(), '*');
    texts.push_back(answer.substr(3));
  }
  return texts;
}

// The text that the correct letter points at.
std::string correctText(const Question& q) {
  const std::string& letter = q.field(kCorrect);
  EXPECT_EQ(letter.size(), 1u);
  return q.field(kAnswerA + (letter[0] - 'A')).substr(3);
}

void expectValidShuffle(const Question& q, const Answers& original) {
  std::vector<std::string> texts = textsInOrder(q);
  std::vector<std::string> sorted = texts;
  std::sort(sorted.begin(), sorted.end());
  std::vector<std::string> expected{original.a, original.b, original.c, original.d};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(sorted, expected);
  const std::string& originalCorrect = original.correct == 'A'   ? original.a
                                       : original.correct == 'B' ? original.b
                                       : original.correct == 'C' ? original.c
                                                                 : original.d;
  EXPECT_EQ(correctText(q), originalCorrect);
  EXPECT_EQ(q.field(kId), "E9Z99 Figure:E9-9");
  EXPECT_EQ(q.field(kText), "Which one?");
}

std::string orderKey(const Question& q) {
  std::string key;
  for (const std::string& text : textsInOrder(q)) key += text.substr(0, 1);
  return key;
}

TEST(ShuffleAnswers, OrdinaryQuestionReachesAll24OrdersWithCorrectAnswerEvenlySpread) {
  std::set<std::string> orders;
  std::map<std::string, int> correctPlaces;
  for (int seed = 0; seed < kRuns; ++seed) {
    Random random;
    random.seedRandom(seed * 1.37);
    QuestionTable table = tableWith(kOrdinary);
    shuffleAnswers(random, table);
    expectValidShuffle(table.row(3), kOrdinary);
    orders.insert(orderKey(table.row(3)));
    ++correctPlaces[table.row(3).field(kCorrect)];
  }
  EXPECT_EQ(orders.size(), 24u);
  // 6000 expected in each place, standard deviation about 67: a 600 margin
  // holds unless the shuffle is biased.
  ASSERT_EQ(correctPlaces.size(), 4u);
  for (const auto& [letter, count] : correctPlaces) EXPECT_NEAR(count, kRuns / 4, 600) << letter;
}

TEST(ShuffleAnswers, AllTheseChoicesStaysDAndTheOthersTakeAllSixOrders) {
  for (const Answers& answers : {kAllChoicesWrong, kAllChoicesRight}) {
    std::set<std::string> orders;
    for (int seed = 0; seed < 600; ++seed) {
      Random random;
      random.seedRandom(seed);
      QuestionTable table = tableWith(answers);
      shuffleAnswers(random, table);
      expectValidShuffle(table.row(3), answers);
      EXPECT_EQ(table.row(3).field(kAnswerD), "D. All these choices are correct");
      if (answers.correct == 'D') {
        EXPECT_EQ(table.row(3).field(kCorrect), "D");
      }
      orders.insert(orderKey(table.row(3)));
    }
    EXPECT_EQ(orders.size(), 6u);
  }
}

TEST(ShuffleAnswers, RepeatedShufflesOfOneRowCompose) {
  Random random;
  random.seedRandom(42);
  QuestionTable table = tableWith(kOrdinary, 1);
  std::set<std::string> orders;
  for (int i = 0; i < 2000; ++i) {
    shuffleAnswers(random, table);
    expectValidShuffle(table.row(1), kOrdinary);
    orders.insert(orderKey(table.row(1)));
  }
  EXPECT_EQ(orders.size(), 24u);
}

TEST(ShuffleAnswers, WorksOnlyOnTheNamedRow) {
  QuestionTable table = tableWith(kOrdinary, 2);
  table.row(4) = table.row(2);
  const Question before = table.row(4);
  Random random;
  random.seedRandom(7);
  for (int i = 0; i < 20; ++i) shuffleAnswers(random, table);
  for (int f = 1; f <= kFieldCount; ++f) EXPECT_EQ(table.row(4).field(f), before.field(f));
  table.setWorkRow(0);
  shuffleAnswers(random, table);  // the header row is never shuffled
  table.setWorkRow(99);
  shuffleAnswers(random, table);  // nor a row beyond the table
  EXPECT_EQ(table.workRow(), 99);
}

TEST(RandomPermutation, SingleItem) {
  Random random;
  random.seedRandom(3);
  CountedList source{"1", "only"};
  CountedList target{"x", "y", "keep"};
  randomPermutation(random, source, target);
  EXPECT_EQ(target, (CountedList{"1", "only", "keep"}));
}

TEST(RandomPermutation, FiftyItemsEachExactlyOnceSourceUnchanged) {
  CountedList source{"50"};
  for (int i = 1; i <= 50; ++i) source.push_back("item" + std::to_string(i));
  const CountedList original = source;
  std::set<std::string> firstItems;
  for (int seed = 0; seed < 200; ++seed) {
    Random random;
    random.seedRandom(seed);
    CountedList target(51);
    randomPermutation(random, source, target);
    EXPECT_EQ(source, original);
    EXPECT_EQ(target[0], "50");
    std::multiset<std::string> items(target.begin() + 1, target.end());
    EXPECT_EQ(items, std::multiset<std::string>(original.begin() + 1, original.end()));
    firstItems.insert(target[1]);
  }
  EXPECT_GT(firstItems.size(), 40u);  // not a fixed order
}

TEST(RandomPermutation, ShortTargetGrowsAndEmptyItemsDoNotHang) {
  Random random;
  random.seedRandom(11);
  CountedList source{"3", "", "b", ""};
  CountedList target;
  randomPermutation(random, source, target);
  ASSERT_EQ(target.size(), 4u);
  EXPECT_EQ(std::count(target.begin() + 1, target.end(), ""), 2);
  EXPECT_EQ(std::count(target.begin() + 1, target.end(), "b"), 1);
}

}  // namespace
}  // namespace pentrill
