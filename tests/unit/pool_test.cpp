// The built-in question tables, the loader and the exam group table of each
// pool edition, against the facts published with each pool.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pool/pool.h"
#include "pool/question_table.h"

namespace pentrill {
namespace {

const std::string kAllChoices = "D. All these choices are correct";

// What is known of a pool from its publication, independent of the tables.
struct PoolFacts {
  const char* name;
  const PoolEdition& (*edition)();
  std::array<int, kSubelementCount> questions;  // E0 to E9
  std::array<int, 4> letters;                   // correct letters A to D
  size_t allChoices;                            // answers D "All these choices are correct"
  std::string firstGroupSize;                   // item 1 of the group table (E1A)
  std::string lastId;                           // the last item of the group table
  std::string lastE7;                           // the last row of E7
  // Numbering holes: the identifiers on either side of one.
  std::vector<std::pair<std::string, std::string>> holes;
  std::vector<std::string> absent;
  std::set<unsigned char> bytesBeyondAscii;
};

const PoolFacts kPool2020{
    "2020_2024", &pool2020To2024, {11, 75, 61, 40, 60, 55, 70, 107, 45, 96}, {171, 151, 152, 146}, 43, "14",
    "E0A11", "E7H15", {{"E3B07", "E3B09"}, {"E7A08", "E7A10"}}, {"E3B08", "E7A09"},
    {0x1E, 0x92, 0x93, 0x94, 0x96, 0xA0},
};

const PoolFacts kPool2024{
    "2024_2028", &pool2024To2028, {12, 68, 60, 39, 63, 49, 68, 99, 48, 93}, {150, 150, 150, 149}, 50, "11",
    "E0A12", "E7H13", {{"E4D04", "E4D06"}, {"E6D06", "E6D08"}, {"E9E09", "E9E11"}},
    {"E2A13", "E4D05", "E6D07", "E9E10"}, {0x1E, 0x92, 0x93, 0x94},
};

void PrintTo(const PoolFacts& facts, std::ostream* out) { *out << facts.name; }

int totalOf(const std::array<int, kSubelementCount>& counts) {
  int total = 0;
  for (int n : counts) total += n;
  return total;
}

// Row of a loaded pool whose bare identifier is id; 0 when absent.
int rowOf(const QuestionTable& pool, const std::string& id) {
  for (int r = 1; r <= pool.count(); ++r)
    if (pool.row(r).bareId() == id) return r;
  return 0;
}

class PoolTest : public ::testing::TestWithParam<PoolFacts> {
 protected:
  const PoolEdition& edition() const { return GetParam().edition(); }
  SubelementPool loaded(int subelement) const {
    SubelementPool pool;
    loadSubelementPool(edition(), subelement, pool);
    return pool;
  }
  int groupItems() const { return examGroupItemCount(edition()); }
};

TEST_P(PoolTest, EachSubelementLoadsItsQuestionsAndTheEndMarker) {
  for (int s = 0; s < kSubelementCount; ++s) {
    SCOPED_TRACE("E" + std::to_string(s));
    SubelementPool pool = loaded(s);
    const int n = GetParam().questions[static_cast<size_t>(s)];
    EXPECT_EQ(pool.cell(0, 1), " " + std::to_string(n));  // number text: a blank before the count
    ASSERT_EQ(pool.count(), n);
    EXPECT_EQ(pool.cell(1, 1).substr(0, 5), "E" + std::to_string(s) + "A01");
    EXPECT_EQ(pool.cell(n + 1, 1), kEndOfPool);
    EXPECT_EQ(pool.cell(n + 1, 2), "");  // the rest of the marker row is not written
  }
  EXPECT_EQ(loaded(0).cell(GetParam().questions[0], 1), GetParam().lastId);
  EXPECT_EQ(loaded(7).cell(GetParam().questions[7], 1), GetParam().lastE7);
}

TEST_P(PoolTest, HolesAndWithdrawnQuestionsStayOut) {
  for (const auto& [before, after] : GetParam().holes) {
    SubelementPool pool = loaded(before[1] - '0');
    const int row = rowOf(pool, before);
    ASSERT_NE(row, 0) << before;
    EXPECT_EQ(pool.row(row + 1).bareId(), after);
  }
  for (const std::string& id : GetParam().absent) EXPECT_EQ(rowOf(loaded(id[1] - '0'), id), 0) << id;
}

TEST_P(PoolTest, WritesOnlyTheQuestionRowsTheMarkerAndTheCount) {
  SubelementPool pool;
  for (int r = 0; r <= pool.lastRow(); ++r)
    for (int f = 1; f <= kFieldCount; ++f) pool.cell(r, f) = "stale";
  loadSubelementPool(edition(), 0, pool);

  const int n = GetParam().questions[0];
  EXPECT_EQ(pool.count(), n);
  for (int f = 2; f <= kFieldCount; ++f) {
    EXPECT_EQ(pool.cell(0, f), "stale") << "header field " << f;
    EXPECT_EQ(pool.cell(n + 1, f), "stale") << "marker row field " << f;
  }
  for (int r = n + 2; r <= pool.lastRow(); ++r)
    for (int f = 1; f <= kFieldCount; ++f) ASSERT_EQ(pool.cell(r, f), "stale") << "cell (" << r << ", " << f << ")";
}

TEST_P(PoolTest, SmallerPoolOverALargerOneKeepsTheLargerOnesRows) {
  const int e7 = GetParam().questions[7];
  const int e0 = GetParam().questions[0];
  SubelementPool pool;
  loadSubelementPool(edition(), 7, pool);
  pool.setWorkRow(42);
  const SubelementPool before = pool;
  loadSubelementPool(edition(), 0, pool);

  EXPECT_EQ(pool.count(), e0);
  EXPECT_EQ(pool.workRow(), 42);
  EXPECT_EQ(pool.cell(e0 + 1, 1), kEndOfPool);
  for (int f = 2; f <= kFieldCount; ++f) EXPECT_EQ(pool.cell(e0 + 1, f), before.cell(e0 + 1, f));
  for (int r = e0 + 2; r <= e7 + 1; ++r)
    for (int f = 1; f <= kFieldCount; ++f)
      ASSERT_EQ(pool.cell(r, f), before.cell(r, f)) << "cell (" << r << ", " << f << ")";
  EXPECT_EQ(pool.cell(e7 + 1, 1), kEndOfPool);
  for (int r = 1; r <= e0; ++r) EXPECT_EQ(pool.cell(r, 1), loaded(0).cell(r, 1));
}

TEST_P(PoolTest, EveryRowHasItsLabelsAndACorrectLetter) {
  for (int s = 0; s < kSubelementCount; ++s) {
    SubelementPool pool = loaded(s);
    ASSERT_GT(pool.count(), 0);
    ASSERT_LE(pool.count(), 149);
    for (int r = 1; r <= pool.count(); ++r) {
      const Question& q = pool.row(r);
      SCOPED_TRACE(q.field(kId));
      EXPECT_EQ(q.bareId().substr(0, 2), std::string("E").append(std::to_string(s)));
      for (int f = kAnswerA; f <= kAnswerD; ++f) {
        const std::string label{static_cast<char>('A' + f - kAnswerA), '.', ' '};
        EXPECT_EQ(q.field(f).substr(0, 3), label);
      }
      ASSERT_EQ(q.field(kCorrect).size(), 1u);
      EXPECT_GE(q.field(kCorrect)[0], 'A');
      EXPECT_LE(q.field(kCorrect)[0], 'D');
    }
  }
}

TEST_P(PoolTest, ItemsAreSevenPerQuestionThenTheMarker) {
  for (int s = 0; s < kSubelementCount; ++s) {
    const int n = GetParam().questions[static_cast<size_t>(s)];
    EXPECT_EQ(questionTableItem(edition(), s, 7 * n + 1), kEndOfPool) << "E" << s;
    EXPECT_EQ(questionTableItem(edition(), s, 7 * n + 2), "") << "E" << s;
    EXPECT_EQ(questionTableItem(edition(), s, 0), "") << "E" << s;
  }
  EXPECT_EQ(questionTableItem(edition(), -1, 1), "");
  EXPECT_EQ(questionTableItem(edition(), kSubelementCount, 1), "");
}

TEST_P(PoolTest, TotalsOfCorrectLettersAndAllChoicesAnswers) {
  std::map<char, int> letters;
  int questions = 0;
  std::set<std::string> allChoices;
  for (int s = 0; s < kSubelementCount; ++s) {
    SubelementPool pool = loaded(s);
    for (int r = 1; r <= pool.count(); ++r) {
      const Question& q = pool.row(r);
      ++questions;
      ++letters[q.field(kCorrect)[0]];
      if (q.field(kAnswerD) == kAllChoices) allChoices.insert(q.bareId());
      for (int f = kAnswerA; f <= kAnswerC; ++f)
        EXPECT_EQ(q.field(f).find("All these choices are correct"), std::string::npos) << q.field(kId);
    }
  }
  EXPECT_EQ(questions, totalOf(GetParam().questions));
  for (char letter : {'A', 'B', 'C', 'D'})
    EXPECT_EQ(letters[letter], GetParam().letters[static_cast<size_t>(letter - 'A')]) << letter;
  EXPECT_EQ(allChoices.size(), GetParam().allChoices);
  EXPECT_TRUE(allChoices.count("E0A06"));
  EXPECT_TRUE(allChoices.count("E9H05"));
}

TEST_P(PoolTest, TextsAreWindows1252BytesWithoutMarkers) {
  const std::set<unsigned char>& allowed = GetParam().bytesBeyondAscii;
  for (int s = 0; s < kSubelementCount; ++s) {
    SubelementPool pool = loaded(s);
    for (int r = 1; r <= pool.count(); ++r)
      for (int f = 1; f <= kFieldCount; ++f)
        for (char c : pool.cell(r, f)) {
          auto byte = static_cast<unsigned char>(c);
          ASSERT_TRUE((byte >= 0x20 && byte <= 0x7E && c != '*') || allowed.count(byte))
              << pool.cell(r, 1) << " field " << f << " byte " << static_cast<int>(byte);
        }
  }
  SubelementPool e0 = loaded(0);
  EXPECT_NE(e0.cell(rowOf(e0, "E0A02"), kText).find("neighbor\x92s"), std::string::npos);
  SubelementPool e7 = loaded(7);
  EXPECT_NE(e7.cell(rowOf(e7, "E7G07"), kText).find("Figure E7\x1E" "3"), std::string::npos);
  SubelementPool e9 = loaded(9);
  EXPECT_NE(e9.cell(rowOf(e9, "E9B04"), kText).find("Figure E9\x1E" "2"), std::string::npos);
}

TEST_P(PoolTest, FigureTagsFollowTheFigureNamedInTheText) {
  SubelementPool e5 = loaded(5);
  int row = rowOf(e5, "E5C10");
  EXPECT_EQ(e5.cell(row, kId), "E5C10 Figure:E5-1");
  EXPECT_EQ(e5.row(row).bareId(), "E5C10");
  SubelementPool e7 = loaded(7);
  EXPECT_EQ(e7.cell(rowOf(e7, "E7G07"), kId), "E7G07 Figure:E7-3");  // plain hyphen in the tag

  int tagged = 0;
  for (int s = 0; s < kSubelementCount; ++s) {
    SubelementPool pool = loaded(s);
    for (int r = 1; r <= pool.count(); ++r) {
      const std::string& id = pool.cell(r, kId);
      const std::string& text = pool.cell(r, kText);
      size_t tag = id.find(" Figure:");
      if (tag == std::string::npos) {
        EXPECT_EQ(id.size(), 5u) << id;
        continue;
      }
      ++tagged;
      std::string figure = id.substr(tag + 8);  // "E5-1"
      EXPECT_EQ(figure.substr(0, 2), std::string("E").append(std::to_string(s))) << id;
      std::string plain = "Figure " + figure;
      std::string nonBreaking = plain;
      nonBreaking[9] = '\x1E';
      EXPECT_TRUE(text.find(plain) != std::string::npos || text.find(nonBreaking) != std::string::npos) << id;
      EXPECT_LE(id.size(), 17u);
    }
  }
  EXPECT_EQ(tagged, 27);
}

TEST_P(PoolTest, GroupTableItemsAtItsEdges) {
  EXPECT_EQ(groupItems(), 50 + totalOf(GetParam().questions));
  EXPECT_EQ(examGroupItem(edition(), 1), GetParam().firstGroupSize);
  EXPECT_EQ(examGroupItem(edition(), 2), "E1A01");
  const int e1b = 2 + std::stoi(GetParam().firstGroupSize);  // the count of E1B
  EXPECT_EQ(examGroupItem(edition(), e1b).find('E'), std::string_view::npos);
  EXPECT_EQ(examGroupItem(edition(), e1b + 1), "E1B01");
  EXPECT_EQ(examGroupItem(edition(), groupItems()), GetParam().lastId);
  EXPECT_EQ(examGroupItem(edition(), groupItems() + 1), "");
  EXPECT_EQ(examGroupItem(edition(), 0), "");
  // E0A is the last group: its count stands before its identifiers.
  EXPECT_EQ(examGroupItem(edition(), groupItems() - GetParam().questions[0]), std::to_string(GetParam().questions[0]));
}

// The walk of the exam composer: every identifier of every group found
// exactly once in its subelement's pool, and no pool row left over.
TEST_P(PoolTest, GroupTableWalkMatchesEveryPoolRowExactlyOnce) {
  std::array<SubelementPool, kSubelementCount> pools;
  for (int s = 0; s < kSubelementCount; ++s) loadSubelementPool(edition(), s, pools[static_cast<size_t>(s)]);
  std::array<std::vector<int>, kSubelementCount> matched;
  for (int s = 0; s < kSubelementCount; ++s)
    matched[static_cast<size_t>(s)].assign(static_cast<size_t>(pools[static_cast<size_t>(s)].count()) + 1, 0);
  std::array<int, kSubelementCount> groupsPerSubelement{};
  int groups = 0, sizes = 0;

  int k = 1;
  std::string lastIdentifier;
  while (k <= groupItems()) {
    std::string_view countItem = examGroupItem(edition(), k++);
    ASSERT_EQ(countItem.find('E'), std::string_view::npos) << "item " << k - 1;
    int size = std::stoi(std::string(countItem));
    ++groups;
    sizes += size;
    std::string group;
    for (int i = 0; i < size; ++i) {
      std::string id(examGroupItem(edition(), k++));
      ASSERT_EQ(id.size(), 5u) << "item " << k - 1;
      if (i == 0) group = id.substr(0, 3);
      EXPECT_EQ(id.substr(0, 3), group);
      auto s = static_cast<size_t>(id[1] - '0');
      ASSERT_LT(s, pools.size());
      int row = rowOf(pools[s], id);
      ASSERT_NE(row, 0) << id;
      ++matched[s][static_cast<size_t>(row)];
      lastIdentifier = id;
    }
    ASSERT_EQ(group.size(), 3u) << "an empty group before item " << k;
    ++groupsPerSubelement[static_cast<size_t>(group.at(1) - '0')];
  }
  EXPECT_EQ(k, groupItems() + 1);
  EXPECT_EQ(lastIdentifier, GetParam().lastId);
  EXPECT_EQ(groups, 50);
  EXPECT_EQ(sizes, totalOf(GetParam().questions));
  // Both pools give each subelement the same number of exam questions.
  EXPECT_EQ(groupsPerSubelement, (std::array<int, kSubelementCount>{1, 6, 5, 3, 5, 4, 6, 8, 4, 8}));
  for (int s = 0; s < kSubelementCount; ++s)
    for (int r = 1; r <= pools[static_cast<size_t>(s)].count(); ++r)
      EXPECT_EQ(matched[static_cast<size_t>(s)][static_cast<size_t>(r)], 1) << pools[static_cast<size_t>(s)].cell(r, 1);
}

// The group table lists a subelement's identifiers in the pool's row order.
TEST_P(PoolTest, GroupOrderIsPoolRowOrder) {
  std::array<int, kSubelementCount> nextRow;
  nextRow.fill(1);
  std::array<SubelementPool, kSubelementCount> pools;
  for (int s = 0; s < kSubelementCount; ++s) loadSubelementPool(edition(), s, pools[static_cast<size_t>(s)]);
  for (int k = 1; k <= groupItems(); ++k) {
    std::string_view item = examGroupItem(edition(), k);
    if (item.empty() || item[0] != 'E') continue;
    auto s = static_cast<size_t>(item[1] - '0');
    EXPECT_EQ(pools[s].row(nextRow[s]++).bareId(), item);
  }
}

INSTANTIATE_TEST_SUITE_P(Pools, PoolTest, ::testing::Values(kPool2020, kPool2024),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PoolEditions, AreFoundByTheirNamesTheDefaultFirst) {
  ASSERT_EQ(poolEditions().size(), 2u);
  EXPECT_EQ(poolEditions().front(), &pool2020To2024());
  EXPECT_EQ(findPoolEdition("2020-2024"), &pool2020To2024());
  EXPECT_EQ(findPoolEdition("2024-2028"), &pool2024To2028());
  EXPECT_EQ(pool2024To2028().name, "2024-2028");
  for (std::string_view name : {"", "2024", "2024-2028 ", "2028-2032"}) EXPECT_EQ(findPoolEdition(name), nullptr);
}

// The two pools differ where they should: a question of one is not the
// question of the same identifier in the other.
TEST(PoolEditions, HoldTheirOwnTexts) {
  SubelementPool e0In2020;
  SubelementPool e0In2024;
  loadSubelementPool(pool2020To2024(), 0, e0In2020);
  loadSubelementPool(pool2024To2028(), 0, e0In2024);
  EXPECT_EQ(e0In2024.cell(12, kText),
            "Where should a shock-absorbing lanyard be attached to a tower when working above ground?");
  EXPECT_EQ(e0In2020.cell(12, 1), kEndOfPool);
  SubelementPool e9In2024;
  loadSubelementPool(pool2024To2028(), 9, e9In2024);
  const int e9g06 = rowOf(e9In2024, "E9G06");
  EXPECT_EQ(e9In2024.cell(e9g06, kId), "E9G06 Figure:E9-3");
}

}  // namespace
}  // namespace pentrill
