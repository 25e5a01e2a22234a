// Composition of practice exams over many clock readings, for every pool
// edition: one question per group, the groups' shares per subelement, random
// order, whole pool rows with their answers shuffled.
#include "tests/fakes/manual_clock.h"
#include "exam/exam_composer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "pool/pool.h"

namespace pentrill {
namespace {

constexpr int kCompositions = 1000;
const std::string kAllChoices = "D. All these choices are correct";

// The group table read independently of the composer: group number (from 1,
// in table order) of every identifier.
std::map<std::string, int> groupsOf(const PoolEdition& edition) {
  std::map<std::string, int> groups;
  int group = 0;
  for (int k = 1; k <= examGroupItemCount(edition); ++k) {
    const std::string item(examGroupItem(edition, k));
    if (item[0] == 'E') {
      groups[item] = group;
    } else {
      ++group;
    }
  }
  return groups;
}

// Every pool row of the edition by its bare identifier.
std::map<std::string, Question> poolRows(const PoolEdition& edition) {
  std::map<std::string, Question> rows;
  for (int s = 0; s < kSubelementCount; ++s) {
    SubelementPool pool;
    loadSubelementPool(edition, s, pool);
    for (int r = 1; r <= pool.count(); ++r) rows[pool.row(r).bareId()] = pool.row(r);
  }
  return rows;
}

std::string correctText(const Question& q) {
  return q.field(kAnswerA + (q.field(kCorrect)[0] - 'A')).substr(3);
}

std::multiset<std::string> answerTexts(const Question& q) {
  std::multiset<std::string> texts;
  for (int f = kAnswerA; f <= kAnswerD; ++f) texts.insert(q.field(f).substr(3));
  return texts;
}

PracticeExam composeAt(const PoolEdition& edition, int millisecond, int second = 0) {
  ManualClock clock(2026, 3, 14, 15, 9, second, millisecond);
  Random random;
  PracticeExam exam;
  composePracticeExam(edition, clock, random, exam);
  return exam;
}

// Groups per subelement, from the group table.
std::array<int, kSubelementCount> groupShares(const std::map<std::string, int>& groups) {
  std::map<int, char> subelementOfGroup;
  for (const auto& [id, group] : groups) subelementOfGroup[group] = id[1];
  std::array<int, kSubelementCount> shares{};
  for (const auto& [group, subelement] : subelementOfGroup) ++shares[static_cast<size_t>(subelement - '0')];
  return shares;
}

// Checks one composed exam against the pool; returns its bare identifiers
// in row order.
std::vector<std::string> checkExam(const PracticeExam& exam, const std::map<std::string, int>& groups,
                                   const std::map<std::string, Question>& pool) {
  std::vector<std::string> ids;
  std::set<int> groupsSeen;
  std::array<int, kSubelementCount> perSubelement{};
  for (int i = 1; i <= kExamQuestions; ++i) {
    const Question& row = exam.row(i);
    const std::string id = row.bareId();
    ids.push_back(id);
    auto group = groups.find(id);
    if (group == groups.end()) {
      ADD_FAILURE() << "row " << i << " holds " << row.field(kId);
      continue;
    }
    groupsSeen.insert(group->second);
    ++perSubelement[static_cast<size_t>(id[1] - '0')];
    const Question& original = pool.at(id);
    EXPECT_EQ(row.field(kId), original.field(kId)) << "the whole field, figure tag included";
    EXPECT_EQ(row.field(kText), original.field(kText));
    const char* labels[] = {"A. ", "B. ", "C. ", "D. "};
    for (int f = kAnswerA; f <= kAnswerD; ++f) EXPECT_EQ(row.field(f).substr(0, 3), labels[f - kAnswerA]) << id;
    EXPECT_EQ(answerTexts(row), answerTexts(original)) << id;
    EXPECT_EQ(correctText(row), correctText(original)) << id;
    if (original.field(kAnswerD) == kAllChoices) {
      EXPECT_EQ(row.field(kAnswerD), kAllChoices) << id;
    }
  }
  EXPECT_EQ(groupsSeen.size(), 50u);
  EXPECT_EQ(perSubelement, groupShares(groups));
  EXPECT_EQ(exam.workRow(), 50);
  return ids;
}

class ComposeEachEdition : public ::testing::TestWithParam<const PoolEdition*> {};

INSTANTIATE_TEST_SUITE_P(Pools, ComposeEachEdition, ::testing::ValuesIn(poolEditions()), [](const auto& info) {
  std::string name(info.param->name);
  std::replace(name.begin(), name.end(), '-', '_');
  return "pool_" + name;
});

// The real exam's shares, E0 1 to E9 8: the same in every pool.
TEST_P(ComposeEachEdition, FiftyGroupsInTheRealExamsShares) {
  const auto groups = groupsOf(*GetParam());
  EXPECT_EQ(groupShares(groups), (std::array<int, kSubelementCount>{1, 6, 5, 3, 5, 4, 6, 8, 4, 8}));
}

TEST_P(ComposeEachEdition, OneWholeShuffledQuestionPerGroupInRandomOrder) {
  const PoolEdition& edition = *GetParam();
  const auto groups = groupsOf(edition);
  const auto pool = poolRows(edition);
  std::map<std::string, int> drawn;
  std::array<std::set<int>, kExamQuestions + 1> groupsAtRow;
  int inGroupOrder = 0;
  int withFigure = 0;
  std::set<std::string> changedAnswerOrder;
  for (int c = 0; c < kCompositions; ++c) {
    const PracticeExam exam = composeAt(edition, c % 1000, c / 1000);
    const std::vector<std::string> ids = checkExam(exam, groups, pool);
    if (HasFailure()) return;  // one broken exam says it all
    for (int i = 1; i <= kExamQuestions; ++i) {
      const std::string& id = ids[static_cast<size_t>(i - 1)];
      ++drawn[id];
      groupsAtRow[static_cast<size_t>(i)].insert(groups.at(id));
      if (exam.cell(i, kId).find(" Figure:") != std::string::npos) ++withFigure;
      if (exam.cell(i, kAnswerA) != pool.at(id).field(kAnswerA)) changedAnswerOrder.insert(id);
    }
    inGroupOrder += std::is_sorted(ids.begin(), ids.end(), [&](const std::string& a, const std::string& b) {
      return groups.at(a) < groups.at(b);
    });
  }
  // Every position of every group is drawn, the last item of the table
  // included, and nothing else.
  EXPECT_EQ(drawn.size(), groups.size());
  for (const auto& [id, group] : groups) EXPECT_GT(drawn[id], 0) << id;
  EXPECT_GT(drawn[std::string(examGroupItem(edition, examGroupItemCount(edition)))], 0);
  if (&edition == &pool2020To2024()) {
    for (int n = 1; n <= 18; ++n) EXPECT_GT(drawn["E7B" + std::string(n < 10 ? "0" : "") + std::to_string(n)], 0) << n;
    EXPECT_GT(drawn["E0A11"], 0);
    EXPECT_EQ(drawn.count("E3B08"), 0u);
    EXPECT_EQ(drawn.count("E7A09"), 0u);
    EXPECT_EQ(drawn.size(), 620u);
  }
  // Group order is gone: any group stands at the first and the last row.
  EXPECT_EQ(inGroupOrder, 0);
  EXPECT_EQ(groupsAtRow[1].size(), 50u);
  EXPECT_EQ(groupsAtRow[50].size(), 50u);
  EXPECT_GT(withFigure, 0);
  EXPECT_GT(changedAnswerOrder.size(), 500u);  // the answers were shuffled
}

TEST(ComposePracticeExam, SameMomentSameExamAnotherMillisecondAnother) {
  const PoolEdition& edition = pool2020To2024();
  auto rows = [](const PracticeExam& exam) {
    std::vector<std::string> cells;
    for (int i = 0; i <= kExamQuestions; ++i)
      for (int f = 1; f <= kFieldCount; ++f) cells.push_back(exam.cell(i, f));
    return cells;
  };
  EXPECT_EQ(rows(composeAt(edition, 250)), rows(composeAt(edition, 250)));
  EXPECT_NE(rows(composeAt(edition, 250)), rows(composeAt(edition, 251)));
}

// The walk ends with the edition's group table, whatever its last group:
// with E0A moved to the front the exam still takes one question of each of
// the 50 groups, E9H (now last) included.
TEST(ComposePracticeExam, WalksTheWholeGroupTableWhateverItsLastGroup) {
  const PoolEdition& standard = pool2020To2024();
  std::vector<std::string_view> items;
  const int count = examGroupItemCount(standard);
  const int e0aStart = count - 11;  // "11", then E0A01 to E0A11
  for (int k = e0aStart; k <= count; ++k) items.push_back(examGroupItem(standard, k));
  for (int k = 1; k < e0aStart; ++k) items.push_back(examGroupItem(standard, k));
  ASSERT_EQ(items.front(), "11");
  ASSERT_EQ(items.back(), "E9H11");
  PoolEdition reordered = standard;
  reordered.examGroupTable = items;

  const auto groups = groupsOf(reordered);
  const auto pool = poolRows(reordered);
  std::set<std::string> lastGroupDrawn;
  for (int c = 0; c < 200; ++c) {
    const std::vector<std::string> ids = checkExam(composeAt(reordered, c), groups, pool);
    if (HasFailure()) return;
    for (const std::string& id : ids)
      if (id.compare(0, 3, "E9H") == 0) lastGroupDrawn.insert(id);
  }
  EXPECT_EQ(lastGroupDrawn.size(), 11u);
}

}  // namespace
}  // namespace pentrill
