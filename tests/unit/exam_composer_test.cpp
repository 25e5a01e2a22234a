// Composition of practice exams over many clock readings, for every pool
// edition: one question per group, the groups' shares per subelement, random
// order, whole questions with their answers shuffled; and the same draws
// giving the same exams as before the pool was typed.
#include "tests/fakes/manual_clock.h"
#include "exam/exam_composer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fullscreen/question_screen.h"

namespace pentrill {
namespace {

constexpr int kCompositions = 1000;
constexpr std::string_view kAllChoices = "All these choices are correct";

// The group (from 0, in the pool's order) of every question, read from the
// edition's groups independently of the composer.
std::map<const Question*, int> groupsOf(const PoolEdition& edition) {
  std::map<const Question*, int> groups;
  for (size_t g = 0; g < edition.poolGroups.size(); ++g)
    for (const Question& q : edition.poolGroups[g]->questions) groups[&q] = static_cast<int>(g);
  return groups;
}

std::vector<AskedQuestion> composeAt(const PoolEdition& edition, int millisecond, int second = 0, int hour = 15) {
  ManualClock clock(2026, 3, 14, hour, 9, second, millisecond);
  Random random;
  return composePracticeExam(edition, clock, random);
}

// Groups per subelement.
std::array<int, kSubelementCount> groupShares(const PoolEdition& edition) {
  std::array<int, kSubelementCount> shares{};
  for (const Group* group : edition.poolGroups) ++shares[static_cast<size_t>(group->id[1] - '0')];
  return shares;
}

// Checks one composed exam against the pool; returns its questions in order.
std::vector<const Question*> checkExam(const PoolEdition& edition, const std::vector<AskedQuestion>& exam,
                                       const std::map<const Question*, int>& groups) {
  std::vector<const Question*> questions;
  std::set<int> groupsSeen;
  std::array<int, kSubelementCount> perSubelement{};
  for (size_t i = 0; i < exam.size(); ++i) {
    const AskedQuestion& asked = exam[i];
    auto group = groups.find(asked.question);
    if (group == groups.end()) {
      ADD_FAILURE() << "question " << i + 1 << " is none of the pool's";
      continue;
    }
    const Question& original = *asked.question;
    questions.push_back(&original);
    groupsSeen.insert(group->second);
    ++perSubelement[static_cast<size_t>(original.id[1] - '0')];
    std::array<std::uint8_t, kAnswerCount> order = asked.order;
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, (std::array<std::uint8_t, kAnswerCount>{0, 1, 2, 3})) << original.id;
    EXPECT_EQ(asked.answer(answerPosition(asked.correct)), original.answers[static_cast<size_t>(answerPosition(original.correct))])
        << original.id;
    if (original.answers[3] == kAllChoices) {
      EXPECT_EQ(asked.answer(3), kAllChoices) << original.id;
    }
  }
  EXPECT_EQ(groupsSeen.size(), edition.poolGroups.size());
  EXPECT_EQ(perSubelement, groupShares(edition));
  return questions;
}

class ComposeEachEdition : public ::testing::TestWithParam<const PoolEdition*> {};

INSTANTIATE_TEST_SUITE_P(Pools, ComposeEachEdition, ::testing::ValuesIn(poolEditions()), [](const auto& info) {
  std::string name(info.param->name);
  std::replace(name.begin(), name.end(), '-', '_');
  return "pool_" + name;
});

// The real exam's shares per subelement 0 to 9, the same in every pool of a
// class: Amateur Extra's 50, General's and Technician's 35.
TEST_P(ComposeEachEdition, GroupsInTheRealExamsShares) {
  const std::map<LicenceClass, std::array<int, kSubelementCount>> shares{
      {LicenceClass::Extra, {1, 6, 5, 3, 5, 4, 6, 8, 4, 8}},
      {LicenceClass::General, {2, 5, 5, 3, 5, 3, 2, 3, 3, 4}},
      {LicenceClass::Technician, {3, 6, 3, 3, 2, 4, 4, 4, 4, 2}},
  };
  EXPECT_EQ(groupShares(*GetParam()), shares.at(GetParam()->licence));
}

TEST_P(ComposeEachEdition, OneWholeShuffledQuestionPerGroupInRandomOrder) {
  const PoolEdition& edition = *GetParam();
  const auto groups = groupsOf(edition);
  std::map<const Question*, int> drawn;
  std::vector<std::set<int>> groupsAtPlace(edition.poolGroups.size());
  int inGroupOrder = 0;
  int withFigure = 0;
  std::set<const Question*> changedAnswerOrder;
  for (int c = 0; c < kCompositions; ++c) {
    const std::vector<AskedQuestion> exam = composeAt(edition, c % 1000, c / 1000);
    const std::vector<const Question*> questions = checkExam(edition, exam, groups);
    if (HasFailure()) return;  // one broken exam says it all
    for (size_t i = 0; i < questions.size(); ++i) {
      ++drawn[questions[i]];
      groupsAtPlace[i].insert(groups.at(questions[i]));
      if (questions[i]->figure) ++withFigure;
      if (exam[i].order[0] != 0) changedAnswerOrder.insert(questions[i]);
    }
    inGroupOrder += std::is_sorted(questions.begin(), questions.end(),
                                   [&](const Question* a, const Question* b) { return groups.at(a) < groups.at(b); });
  }
  // Every question of every group is drawn, the pool's last included.
  EXPECT_EQ(drawn.size(), groups.size());
  for (const auto& [question, group] : groups) EXPECT_GT(drawn[question], 0) << question->id;
  EXPECT_GT(drawn[&edition.poolGroups.back()->questions.back()], 0);
  if (&edition == &pool2020To2024()) {
    EXPECT_EQ(drawn.size(), 620u);
  }
  // Group order is gone: any group stands at the first and the last place.
  EXPECT_EQ(inGroupOrder, 0);
  EXPECT_EQ(groupsAtPlace.front().size(), edition.poolGroups.size());
  EXPECT_EQ(groupsAtPlace.back().size(), edition.poolGroups.size());
  EXPECT_GT(withFigure, 0);
  EXPECT_GT(changedAnswerOrder.size(), groups.size() * 2 / 3);  // the answers were shuffled
}

// The exam as its screen shows it: every text of every question, labels and
// correct letter included, folded into one number.
std::uint64_t fingerprint(const PoolEdition& edition, const std::vector<AskedQuestion>& exam) {
  std::uint64_t hash = 14695981039346656037ull;
  auto add = [&hash](std::string_view text) {
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
    hash = (hash ^ 0xFF) * 1099511628211ull;
  };
  for (const AskedQuestion& asked : exam) {
    add(idField(edition, *asked.question));
    add(asked.question->text);
    for (int p = 0; p < kAnswerCount; ++p) add(labelledAnswer(asked, p));
    add(std::string(1, asked.correct));
  }
  return hash;
}

// These values come from the earlier implementation, which held the pool as
// text tables: the same clock readings must give the same exams, and leave
// the generator where it left it.
TEST(ComposePracticeExam, GivesTheExamsTheEarlierImplementationGave) {
  struct Case {
    const PoolEdition& (*edition)();
    int hour, millisecond;
    std::string_view firstThree;  // identifier and correct letter of questions 1 to 3
    std::uint64_t fingerprint;
    int nextDraw;  // drawRandom(1, 1000000) after the composition
  };
  const Case cases[] = {
      {&pool2020To2024, 0, 0, "E2A10D E7G04B E7D07B", 0xbcdff55532559028ull, 146964},
      {&pool2020To2024, 9, 1, "E4A09B E5B12D E7A11B", 0x1332ed288d5c354bull, 341392},
      {&pool2020To2024, 23, 999, "E9B05A E7F10D E4A10C", 0x1f26648fcbffa255ull, 737552},
      {&pool2024To2028, 9, 0, "E9F06D E4A05B E0A10D", 0x7eff64218c3281a8ull, 419200},
      {&pool2024To2028, 23, 1, "E7C09A E7A11C E9B07A", 0xb6a97e322119aca2ull, 511539},
      {&pool2024To2028, 0, 999, "E7D06C E1C03C E9D02C", 0xd80418a0bcaa5e7full, 531348},
  };
  for (const Case& c : cases) {
    const PoolEdition& edition = c.edition();
    SCOPED_TRACE(std::string(edition.name) + " at " + std::to_string(c.hour) + ":15:26." + std::to_string(c.millisecond));
    ManualClock clock(2026, 3, 14, c.hour, 15, 26, c.millisecond);
    Random random;
    const std::vector<AskedQuestion> exam = composePracticeExam(edition, clock, random);
    std::string firstThree;
    for (size_t i = 0; i < 3; ++i)
      firstThree += (i ? " " : "") + std::string(exam[i].question->id) + exam[i].correct;
    EXPECT_EQ(firstThree, c.firstThree);
    EXPECT_EQ(fingerprint(edition, exam), c.fingerprint);
    EXPECT_EQ(random.drawRandom(1, 1000000), c.nextDraw);
  }
}

TEST(ComposePracticeExam, SameMomentSameExamAnotherMillisecondAnother) {
  const PoolEdition& edition = pool2020To2024();
  EXPECT_EQ(fingerprint(edition, composeAt(edition, 250)), fingerprint(edition, composeAt(edition, 250)));
  EXPECT_NE(fingerprint(edition, composeAt(edition, 250)), fingerprint(edition, composeAt(edition, 251)));
}

// The walk takes the edition's groups in their order, whatever comes last:
// with E0A moved to the front the exam still takes one question of each of
// the 50 groups, E9H (now last) included.
TEST(ComposePracticeExam, WalksEveryGroupWhateverItsLastGroup) {
  const PoolEdition& standard = pool2020To2024();
  std::vector<const Group*> groups(standard.poolGroups.begin(), standard.poolGroups.end());
  std::rotate(groups.begin(), groups.end() - 1, groups.end());
  ASSERT_EQ(groups.front()->id, "E0A");
  ASSERT_EQ(groups.back()->id, "E9H");
  PoolEdition reordered = standard;
  reordered.poolGroups = groups;

  const auto groupOf = groupsOf(reordered);
  std::set<std::string_view> lastGroupDrawn;
  for (int c = 0; c < 200; ++c) {
    const std::vector<const Question*> questions = checkExam(reordered, composeAt(reordered, c), groupOf);
    if (HasFailure()) return;
    for (const Question* q : questions)
      if (q->id.substr(0, 3) == "E9H") lastGroupDrawn.insert(q->id);
  }
  EXPECT_EQ(lastGroupDrawn.size(), 11u);
}

}  // namespace
}  // namespace pentrill
