// What each pool edition shows beside its questions and the compile-time
// checks that hold it together: the rows' groups, the menu's group counts,
// the help screen naming its class and pool, the drill titles, and every
// question of every pool on the real drill screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pool/edition.h"
#include "pool/edition_checks.h"
#include "pool/question_tables.h"
#include "fullscreen/question_screen.h"
#include "tests/fakes/memory_console.h"

namespace pentrill {
namespace {

using edition_checks::groupsCoverQuestions;
using edition_checks::menuLineAgrees;

// Rows of a small pool written in a test: one group per entry of `groups`
// ("T1A" with its count of questions T1A01, T1A02, ...), in the order given.
class RowsOf {
 public:
  explicit RowsOf(const std::vector<std::pair<std::string, int>>& groups) {
    for (const auto& [id, count] : groups) {
      groupRows_.push_back({static_cast<std::uint16_t>(marks_.size()), static_cast<std::uint16_t>(count)});
      for (int n = 1; n <= count; ++n) addQuestion(id + (n < 10 ? "0" : "") + std::to_string(n));
    }
    starts_.push_back(static_cast<std::uint32_t>(text_.size()));
  }
  QuestionRows rows() const { return {text_, starts_, marks_, groupRows_}; }
  std::vector<GroupRow>& groups() { return groupRows_; }
  std::string& text() { return text_; }

 private:
  void addQuestion(const std::string& id) {
    for (const std::string& field : {id, std::string("Text?"), std::string("a"), std::string("b"), std::string("c"),
                                     std::string("d")}) {
      starts_.push_back(static_cast<std::uint32_t>(text_.size()));
      text_ += field + '\0';
    }
    marks_.push_back({'A', kNoFigure});
  }
  std::string text_;
  std::vector<std::uint32_t> starts_;
  std::vector<QuestionMarks> marks_;
  std::vector<GroupRow> groupRows_;
};

// Subelements 1 to 9 and then 0, a group or two each.
std::vector<std::pair<std::string, int>> wellFormed() {
  return {{"T1A", 2}, {"T1B", 1}, {"T2A", 1}, {"T3A", 1}, {"T4A", 1}, {"T5A", 1},
          {"T6A", 1}, {"T7A", 1}, {"T8A", 1}, {"T9A", 3}, {"T0A", 1}, {"T0B", 2}};
}

// The check that the groups cover the questions in the pool's order fails
// for each way the rows can break it, and only then.
TEST(EditionChecks, GroupsMustCoverTheQuestionsInThePoolsOrder) {
  struct Case {
    const char* name;
    std::function<void(std::vector<std::pair<std::string, int>>&)> changeGroups;
    std::function<void(RowsOf&)> changeRows;
    bool covers;
  };
  const Case cases[] = {
      {"well formed", nullptr, nullptr, true},
      {"another letter", nullptr, [](RowsOf& r) { r.text()[0] = 'G'; }, false},
      {"a subelement without groups", [](auto& g) { g.erase(g.begin() + 2); }, nullptr, false},
      {"subelement 0 first", [](auto& g) { std::rotate(g.begin(), g.end() - 2, g.end()); }, nullptr, false},
      {"groups of a subelement apart", [](auto& g) { std::swap(g[1], g[2]); }, nullptr, false},
      {"groups of a subelement out of order", [](auto& g) { std::swap(g[0], g[1]); }, nullptr, false},
      {"a group twice", [](auto& g) { g[1].first = "T1A"; }, nullptr, false},
      {"a gap between groups", nullptr, [](RowsOf& r) { ++r.groups()[3].first; }, false},
      {"a question left over", nullptr, [](RowsOf& r) { --r.groups().back().size; }, false},
      {"a question in another group", nullptr,
       [](RowsOf& r) {
         ++r.groups()[8].size;  // T8A takes T9A01
         --r.groups()[9].size;
         ++r.groups()[9].first;
       },
       false},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<std::string, int>> groups = wellFormed();
    if (c.changeGroups) c.changeGroups(groups);
    RowsOf rows(groups);
    if (c.changeRows) c.changeRows(rows);
    EXPECT_EQ(groupsCoverQuestions(rows.rows(), 'T'), c.covers) << c.name;
  }
}

TEST(EditionChecks, AMenuLineAgreesOnlyWithItsOwnSubelementLetterAndGroupCount) {
  const std::string_view e1 = "1. SUBELEMENT E1 \x97 COMMISSION RULES [6 Exam Questions \x97 6 Groups]";
  EXPECT_TRUE(menuLineAgrees(e1, 'E', 1, 6));
  EXPECT_FALSE(menuLineAgrees(e1, 'E', 1, 5));
  EXPECT_FALSE(menuLineAgrees(e1, 'E', 2, 6));
  EXPECT_FALSE(menuLineAgrees(e1, 'T', 1, 6));
  EXPECT_TRUE(menuLineAgrees("0. SUBELEMENT E0 \x96 SAFETY - [1 exam question \x96 1 group]", 'E', 0, 1));
  EXPECT_TRUE(menuLineAgrees("0. SUBELEMENT T0 - SAFETY [3 Exam Questions - 3 Groups]", 'T', 0, 3));
  EXPECT_TRUE(menuLineAgrees("9. SUBELEMENT G9 \x96 ANTENNAS AND FEED LINES [4 Exam Questions \x96 4 Groups]", 'G', 9, 4));
  // Either number alone disagreeing is enough.
  EXPECT_FALSE(menuLineAgrees("4. SUBELEMENT E4 - AMATEUR PRACTICES [5 Exam Questions - 6 Groups]", 'E', 4, 5));
  EXPECT_FALSE(menuLineAgrees("4. SUBELEMENT E4 - AMATEUR PRACTICES [6 Exam Questions - 5 Groups]", 'E', 4, 5));
  EXPECT_FALSE(menuLineAgrees("4. SUBELEMENT E4 - AMATEUR PRACTICES [15 Exam Questions - 5 Groups]", 'E', 4, 5));
  EXPECT_FALSE(menuLineAgrees("4. SUBELEMENT E4 - AMATEUR PRACTICES [5 Exam Questions]", 'E', 4, 5));
  EXPECT_FALSE(menuLineAgrees("4. SUBELEMENT E5 - AMATEUR PRACTICES [5 Exam Questions - 5 Groups]", 'E', 4, 5));
  EXPECT_FALSE(menuLineAgrees("4.", 'E', 4, 5));
}

// The help screen: 34 lines that do not wrap; the Extra pools share every
// line but the two naming the pool; the other classes name their own class
// wherever the Extra screen names Extra, and their pool.
TEST(Editions, TheHelpScreenNamesTheClassAndThePool) {
  const PoolEdition& extra = pool2020To2024();
  for (const PoolEdition* edition : poolEditions()) {
    SCOPED_TRACE(edition->name);
    ASSERT_EQ(edition->helpLines.size(), 34u);
    std::string text;  // the lines joined, runs of blanks as one
    for (std::string_view line : edition->helpLines) {
      EXPECT_LE(line.size(), 97u) << line;
      for (char c : std::string(line) + " ")
        if (c != ' ' || (!text.empty() && text.back() != ' ')) text += c;
    }
    const std::string shortName = edition->licence == LicenceClass::Extra ? "Extra" : std::string(edition->className);
    EXPECT_NE(text.find("Welcome the Amateur Radio " + shortName + " Exam Practice Program."), std::string::npos);
    EXPECT_NE(text.find("prepare for the " + std::string(edition->className) + " Test."), std::string::npos) << text;
    EXPECT_NE(text.find("Questions are from the " + std::string(edition->years) + " " + shortName + " Class question pool"),
              std::string::npos)
        << text;
    if (edition->licence != LicenceClass::Extra) {
      EXPECT_EQ(text.find("Extra"), std::string::npos);
    }
    for (size_t i = 5; i < 34; ++i) {
      if (i != 19 && i != 20) {
        EXPECT_EQ(edition->helpLines[i], extra.helpLines[i]) << "help line " << i + 1;
      }
    }
  }
  EXPECT_EQ(extra.helpLines[19], "  ARRL's 12 edition of the Extra Class study guide.  Questions are from the 2020-2024 Extra");
  EXPECT_EQ(extra.helpLines[20], "  Class question pool as issued February 24, 2020.");
  EXPECT_TRUE(std::equal(extra.helpLines.begin(), extra.helpLines.begin() + 19, pool2024To2028().helpLines.begin()));
}

// Every question of each pool, drawn on the drill screen with a three-digit
// number, ends above the wrong-answer lines (row 21) and leaves them blank;
// G1B06, whose answer D takes three lines, among them.
TEST(Editions, EveryQuestionFitsTheDrillScreen) {
  for (const PoolEdition* edition : poolEditions()) {
    int tallest = 0;
    for (const Subelement& subelement : edition->subelements) {
      const int count = static_cast<int>(subelement.questions.size());
      for (const Question& question : subelement.questions) {
        MemoryConsole console;
        console.setColours(kBlack, kBrightWhite);
        console.clearScreen();
        ClickMap<DrillCommand> clicks;
        drawDrillScreen(console, *edition, asPublished(question), count, "Module", false, HintIndex{}, false, clicks);
        int last = kDrillTextRow;
        for (int row = kDrillTextRow; row < 24; ++row)
          if (console.text(row) != std::string(kScreenColumns, ' ')) last = row;
        tallest = std::max(tallest, last);
        ASSERT_LE(last, kDrillLastTextRow) << edition->name << " " << question.id;
        if (question.id == "G1B06") {
          EXPECT_EQ(console.text(last, 10, 21), "local entity") << "the third line of answer D";
        }
      }
    }
    EXPECT_GE(tallest, kDrillTextRow + 8) << edition->name << ": not every row was looked at";
  }
}

}  // namespace
}  // namespace pentrill
