// What each pool edition shows beside its questions: the menu's group counts,
// the help screen naming its pool, the drill titles, and every question of
// both pools on the real drill screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "pool/edition_checks.h"
#include "pool/pool.h"
#include "tests/fakes/memory_console.h"
#include "screen/question_screen.h"

namespace pentrill {
namespace {

using edition_checks::groupsPerSubelement;
using edition_checks::menuLineAgrees;

TEST(EditionChecks, CountGroupsPerSubelementOnAGroupTable) {
  constexpr std::string_view kTable[] = {"2", "E1A01", "E1A02", "1", "E1B01", "3", "E0A01", "E0A02", "E0A03"};
  const std::array<int, kSubelementCount> groups = groupsPerSubelement(kTable);
  EXPECT_EQ(groups, (std::array<int, kSubelementCount>{1, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(EditionChecks, AMenuLineAgreesOnlyWithItsOwnSubelementAndGroupCount) {
  const std::string_view e1 = "1. SUBELEMENT E1 \x97 COMMISSION RULES [6 Exam Questions \x97 6 Groups]";
  EXPECT_TRUE(menuLineAgrees(e1, 1, 6));
  EXPECT_FALSE(menuLineAgrees(e1, 1, 5));
  EXPECT_FALSE(menuLineAgrees(e1, 2, 6));
  EXPECT_TRUE(menuLineAgrees("0. SUBELEMENT E0 \x96 SAFETY - [1 exam question \x96 1 group]", 0, 1));
  // Either number alone disagreeing is enough.
  EXPECT_FALSE(menuLineAgrees("4. SUBELEMENT E4 - AMATEUR PRACTICES [5 Exam Questions - 6 Groups]", 4, 5));
  EXPECT_FALSE(menuLineAgrees("4. SUBELEMENT E4 - AMATEUR PRACTICES [6 Exam Questions - 5 Groups]", 4, 5));
  EXPECT_FALSE(menuLineAgrees("4. SUBELEMENT E4 - AMATEUR PRACTICES [15 Exam Questions - 5 Groups]", 4, 5));
  EXPECT_FALSE(menuLineAgrees("4. SUBELEMENT E4 - AMATEUR PRACTICES [5 Exam Questions]", 4, 5));
  EXPECT_FALSE(menuLineAgrees("4. SUBELEMENT E5 - AMATEUR PRACTICES [5 Exam Questions - 5 Groups]", 4, 5));
  EXPECT_FALSE(menuLineAgrees("4.", 4, 5));
}

TEST(EditionChecks, MenuOfEachEditionAgreesWithItsGroupTable) {
  for (const PoolEdition* edition : poolEditions()) {
    EXPECT_TRUE(edition_checks::menuAgreesWithGroups(edition->menuLines, edition->examGroupTable)) << edition->name;
    EXPECT_TRUE(edition_checks::linesFit(edition->helpLines, 97)) << edition->name;
  }
  // A table that lost a group of E7 no longer agrees with the menu.
  const Items table = pool2024To2028().examGroupTable;
  std::vector<std::string_view> shorter(table.begin(), table.end());
  size_t e7h = 0;
  while (shorter[e7h + 1] != "E7H01") ++e7h;
  const size_t size = static_cast<size_t>(std::stoi(std::string(shorter[e7h])));
  shorter.erase(shorter.begin() + static_cast<long>(e7h), shorter.begin() + static_cast<long>(e7h + 1 + size));
  EXPECT_FALSE(edition_checks::menuAgreesWithGroups(pool2024To2028().menuLines, shorter));
}

TEST(Editions, ShareTheMenuAndTitlesButNameTheirOwnPoolInTheHelp) {
  const PoolEdition& old = pool2020To2024();
  const PoolEdition& current = pool2024To2028();
  EXPECT_TRUE(std::equal(old.menuLines.begin(), old.menuLines.end(), current.menuLines.begin(), current.menuLines.end()));
  EXPECT_EQ(old.subelementTitles, current.subelementTitles);
  ASSERT_EQ(old.helpLines.size(), 34u);
  ASSERT_EQ(current.helpLines.size(), 34u);
  EXPECT_EQ(old.helpLines[19], "  ARRL's 12 edition of the Extra Class study guide.  Questions are from the 2020-2024 Extra");
  EXPECT_EQ(old.helpLines[20], "  Class question pool as issued February 24, 2020.");
  // The sentence that names the 2024-2028 pool, across its two lines.
  const std::string current20(current.helpLines[19]);
  const std::string sentence = current20.substr(current20.find("Questions")) + " " +
                               std::string(current.helpLines[20].substr(2));
  EXPECT_EQ(sentence, "Questions are from the 2024-2028 Extra Class question pool, with the errata to February 4, 2026.");
  for (size_t i = 0; i < 34; ++i)
    if (i != 19 && i != 20) {
      EXPECT_EQ(old.helpLines[i], current.helpLines[i]) << "help line " << i + 1;
    }
}

// Every question of each pool, drawn on the drill screen with a three-digit
// number, ends above the wrong-answer lines (row 21) and leaves them blank.
TEST(Editions, EveryQuestionFitsTheDrillScreen) {
  for (const PoolEdition* edition : poolEditions()) {
    int tallest = 0;
    for (int s = 0; s < kSubelementCount; ++s) {
      SubelementPool pool;
      loadSubelementPool(*edition, s, pool);
      for (int r = 1; r <= pool.count(); ++r) {
        MemoryConsole console;
        LineList lines(9);
        HintIndex hints(641, "");
        hints[0] = std::string("0");  // moved in: GCC 12 at -O3 misreads assigning a literal
        console.setColours(kBlack, kBrightWhite);
        console.clearScreen();
        drawDrillScreen(console, pool.row(r), pool.count(), "Module", -1, hints, lines);
        int last = kDrillTextRow;
        for (int row = kDrillTextRow; row < 24; ++row)
          if (console.text(row) != std::string(kScreenColumns, ' ')) last = row;
        tallest = std::max(tallest, last);
        ASSERT_LE(last, kDrillLastTextRow) << edition->name << " " << pool.cell(r, kId);
      }
    }
    EXPECT_GE(tallest, kDrillTextRow + 8) << edition->name << ": not every row was looked at";
  }
}

}  // namespace
}  // namespace pentrill
