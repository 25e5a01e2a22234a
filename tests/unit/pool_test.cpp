// The built-in question tables, the loader and the exam group table.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <string>

#include "pool/pool.h"
#include "pool/question_table.h"

namespace pentrill {
namespace {

const std::string kAllChoices = "D. All these choices are correct";
const int kGroupItems = examGroupItemCount(pool2020To2024());

SubelementPool loaded(int subelement) {
  SubelementPool pool;
  loadSubelementPool(pool2020To2024(), subelement, pool);
  return pool;
}

// Row of a loaded pool whose bare identifier is id; 0 when absent.
int rowOf(const QuestionTable& pool, const std::string& id) {
  for (int r = 1; r <= pool.count(); ++r)
    if (pool.row(r).bareId() == id) return r;
  return 0;
}

TEST(LoadSubelementPool, E0HoldsElevenQuestionsAndTheEndMarker) {
  SubelementPool pool = loaded(0);
  EXPECT_EQ(pool.cell(0, 1), " 11");  // number text: a blank before the count
  EXPECT_EQ(pool.count(), 11);
  EXPECT_EQ(pool.cell(1, 1), "E0A01");
  EXPECT_EQ(pool.cell(11, 1), "E0A11");
  EXPECT_EQ(pool.cell(12, 1), kEndOfPool);
  EXPECT_EQ(pool.cell(12, 2), "");  // the rest of the marker row is not written
}

TEST(LoadSubelementPool, E3AndE7SkipTheirHoles) {
  SubelementPool e3 = loaded(3);
  EXPECT_EQ(e3.count(), 40);
  EXPECT_EQ(rowOf(e3, "E3B08"), 0);
  int b07 = rowOf(e3, "E3B07");
  ASSERT_NE(b07, 0);
  EXPECT_EQ(e3.row(b07 + 1).bareId(), "E3B09");
  EXPECT_EQ(e3.cell(40, 1), "E3C15");
  EXPECT_EQ(e3.cell(41, 1), kEndOfPool);

  SubelementPool e7 = loaded(7);
  EXPECT_EQ(e7.count(), 107);
  EXPECT_EQ(e7.cell(1, 1), "E7A01");
  EXPECT_EQ(e7.cell(8, 1), "E7A08");
  EXPECT_EQ(e7.cell(9, 1), "E7A10");
  EXPECT_EQ(rowOf(e7, "E7A09"), 0);
  EXPECT_EQ(e7.cell(107, 1), "E7H15");
  EXPECT_EQ(e7.cell(108, 1), kEndOfPool);
}

TEST(LoadSubelementPool, WritesOnlyTheQuestionRowsTheMarkerAndTheCount) {
  SubelementPool pool;
  for (int r = 0; r <= pool.lastRow(); ++r)
    for (int f = 1; f <= kFieldCount; ++f) pool.cell(r, f) = "stale";
  loadSubelementPool(pool2020To2024(), 0, pool);

  EXPECT_EQ(pool.count(), 11);
  for (int f = 2; f <= kFieldCount; ++f) {
    EXPECT_EQ(pool.cell(0, f), "stale") << "header field " << f;
    EXPECT_EQ(pool.cell(12, f), "stale") << "marker row field " << f;
  }
  for (int r = 13; r <= pool.lastRow(); ++r)
    for (int f = 1; f <= kFieldCount; ++f) ASSERT_EQ(pool.cell(r, f), "stale") << "cell (" << r << ", " << f << ")";
}

TEST(LoadSubelementPool, SmallerPoolOverALargerOneKeepsTheLargerOnesRows) {
  SubelementPool pool;
  loadSubelementPool(pool2020To2024(), 7, pool);
  pool.setWorkRow(42);
  const SubelementPool e7 = pool;
  loadSubelementPool(pool2020To2024(), 0, pool);

  EXPECT_EQ(pool.count(), 11);
  EXPECT_EQ(pool.workRow(), 42);
  EXPECT_EQ(pool.cell(12, 1), kEndOfPool);
  for (int f = 2; f <= kFieldCount; ++f) EXPECT_EQ(pool.cell(12, f), e7.cell(12, f));
  for (int r = 13; r <= 108; ++r)
    for (int f = 1; f <= kFieldCount; ++f) ASSERT_EQ(pool.cell(r, f), e7.cell(r, f)) << "cell (" << r << ", " << f << ")";
  EXPECT_EQ(pool.cell(108, 1), kEndOfPool);
  for (int r = 1; r <= 11; ++r) EXPECT_EQ(pool.cell(r, 1), loaded(0).cell(r, 1));
}

TEST(QuestionTables, EveryRowHasItsLabelsAndACorrectLetter) {
  for (int s = 0; s < kSubelementCount; ++s) {
    SubelementPool pool = loaded(s);
    ASSERT_GT(pool.count(), 0);
    ASSERT_LE(pool.count(), 149);
    for (int r = 1; r <= pool.count(); ++r) {
      const Question& q = pool.row(r);
      SCOPED_TRACE(q.field(kId));
      EXPECT_EQ(q.bareId().substr(0, 2), "E" + std::to_string(s));
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

TEST(QuestionTables, ItemsAreSevenPerQuestionThenTheMarker) {
  for (int s = 0; s < kSubelementCount; ++s) {
    int n = loaded(s).count();
    EXPECT_EQ(questionTableItem(pool2020To2024(), s, 7 * n + 1), kEndOfPool) << "E" << s;
    EXPECT_EQ(questionTableItem(pool2020To2024(), s, 7 * n + 2), "") << "E" << s;
    EXPECT_EQ(questionTableItem(pool2020To2024(), s, 0), "") << "E" << s;
  }
  EXPECT_EQ(questionTableItem(pool2020To2024(), -1, 1), "");
  EXPECT_EQ(questionTableItem(pool2020To2024(), kSubelementCount, 1), "");
  EXPECT_EQ(questionTableItem(pool2020To2024(), 7, 7 * 107 + 1), kEndOfPool);  // E7: 750 items, the largest table
}

TEST(QuestionTables, TotalsOfCorrectLettersAndAllChoicesAnswers) {
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
  EXPECT_EQ(questions, 620);
  EXPECT_EQ(letters['A'], 171);
  EXPECT_EQ(letters['B'], 151);
  EXPECT_EQ(letters['C'], 152);
  EXPECT_EQ(letters['D'], 146);
  EXPECT_EQ(allChoices.size(), 43u);
  EXPECT_TRUE(allChoices.count("E0A06"));
  EXPECT_TRUE(allChoices.count("E9H05"));
}

TEST(QuestionTables, TextsAreWindows1252BytesWithoutMarkers) {
  const std::set<unsigned char> allowed{0x1E, 0x92, 0x93, 0x94, 0x96, 0xA0};
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

TEST(QuestionTables, FigureTagsFollowTheFigureNamedInTheText) {
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
      EXPECT_EQ(figure.substr(0, 2), "E" + std::to_string(s)) << id;
      std::string plain = "Figure " + figure;
      std::string nonBreaking = plain;
      nonBreaking[9] = '\x1E';
      EXPECT_TRUE(text.find(plain) != std::string::npos || text.find(nonBreaking) != std::string::npos) << id;
      EXPECT_LE(id.size(), 17u);
    }
  }
  EXPECT_EQ(tagged, 27);
}

TEST(ExamGroupTable, ItemsAtTheEdgesOfGroups) {
  EXPECT_EQ(examGroupItem(pool2020To2024(), 1), "14");
  EXPECT_EQ(examGroupItem(pool2020To2024(), 2), "E1A01");
  EXPECT_EQ(examGroupItem(pool2020To2024(), 16), "12");
  EXPECT_EQ(examGroupItem(pool2020To2024(), 17), "E1B01");
  EXPECT_EQ(examGroupItem(pool2020To2024(), kGroupItems), "E0A11");
  EXPECT_EQ(examGroupItem(pool2020To2024(), kGroupItems + 1), "");
  EXPECT_EQ(examGroupItem(pool2020To2024(), 0), "");
}

// The walk of the exam composer: every identifier of every group found
// exactly once in its subelement's pool, and no pool row left over.
TEST(ExamGroupTable, WalkMatchesEveryPoolRowExactlyOnce) {
  std::array<SubelementPool, kSubelementCount> pools;
  for (int s = 0; s < kSubelementCount; ++s) loadSubelementPool(pool2020To2024(), s, pools[static_cast<size_t>(s)]);
  std::array<std::vector<int>, kSubelementCount> matched;
  for (int s = 0; s < kSubelementCount; ++s)
    matched[static_cast<size_t>(s)].assign(static_cast<size_t>(pools[static_cast<size_t>(s)].count()) + 1, 0);
  std::array<int, kSubelementCount> groupsPerSubelement{};
  int groups = 0, sizes = 0;

  int k = 1;
  while (k <= kGroupItems) {
    std::string_view countItem = examGroupItem(pool2020To2024(), k++);
    ASSERT_EQ(countItem.find('E'), std::string_view::npos) << "item " << k - 1;
    int size = std::stoi(std::string(countItem));
    ++groups;
    sizes += size;
    std::string group;
    for (int i = 0; i < size; ++i) {
      std::string id(examGroupItem(pool2020To2024(), k++));
      ASSERT_EQ(id.size(), 5u) << "item " << k - 1;
      if (i == 0) group = id.substr(0, 3);
      EXPECT_EQ(id.substr(0, 3), group);
      auto s = static_cast<size_t>(id[1] - '0');
      ASSERT_LT(s, pools.size());
      int row = rowOf(pools[s], id);
      ASSERT_NE(row, 0) << id;
      ++matched[s][static_cast<size_t>(row)];
    }
    ++groupsPerSubelement[static_cast<size_t>(group[1] - '0')];
  }
  EXPECT_EQ(k, kGroupItems + 1);
  EXPECT_EQ(groups, 50);
  EXPECT_EQ(sizes, 620);
  EXPECT_EQ(groupsPerSubelement, (std::array<int, kSubelementCount>{1, 6, 5, 3, 5, 4, 6, 8, 4, 8}));
  for (int s = 0; s < kSubelementCount; ++s)
    for (int r = 1; r <= pools[static_cast<size_t>(s)].count(); ++r)
      EXPECT_EQ(matched[static_cast<size_t>(s)][static_cast<size_t>(r)], 1) << pools[static_cast<size_t>(s)].cell(r, 1);
}

// The group table lists a subelement's identifiers in the pool's row order.
TEST(ExamGroupTable, GroupOrderIsPoolRowOrder) {
  std::array<int, kSubelementCount> nextRow;
  nextRow.fill(1);
  std::array<SubelementPool, kSubelementCount> pools;
  for (int s = 0; s < kSubelementCount; ++s) loadSubelementPool(pool2020To2024(), s, pools[static_cast<size_t>(s)]);
  for (int k = 1; k <= kGroupItems; ++k) {
    std::string_view item = examGroupItem(pool2020To2024(), k);
    if (item.empty() || item[0] != 'E') continue;
    auto s = static_cast<size_t>(item[1] - '0');
    EXPECT_EQ(pools[s].row(nextRow[s]++).bareId(), item);
  }
  EXPECT_EQ(examGroupItem(pool2020To2024(), kGroupItems - 11), "11");  // E0A, the last group
}

}  // namespace
}  // namespace pentrill
