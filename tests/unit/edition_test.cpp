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
#include "pool/edition.h"
#include "tests/fakes/memory_console.h"
#include "fullscreen/question_screen.h"

namespace pentrill {
namespace {

using edition_checks::groupsPerSubelement;
using edition_checks::menuLineAgrees;

TEST(EditionChecks, GroupsPerSubelement) {
  EXPECT_EQ(groupsPerSubelement(pool2020To2024().subelements),
            (std::array<int, kSubelementCount>{1, 6, 5, 3, 5, 4, 6, 8, 4, 8}));
}

// The compile-time check that groups cover a subelement's questions in
// order, and the pool's group list each group once, fails when they do not.
TEST(EditionChecks, GroupsMustCoverTheQuestionsInOrder) {
  const PoolEdition& edition = pool2024To2028();
  EXPECT_TRUE(edition_checks::groupsCoverQuestions(edition.subelements, edition.poolGroups));
  std::vector<const Group*> twice(edition.poolGroups.begin(), edition.poolGroups.end());
  twice.back() = twice.front();
  EXPECT_FALSE(edition_checks::groupsCoverQuestions(edition.subelements, twice));
  twice.pop_back();
  EXPECT_FALSE(edition_checks::groupsCoverQuestions(edition.subelements, twice));

  std::array<Subelement, kSubelementCount> subelements;
  std::copy(edition.subelements.begin(), edition.subelements.end(), subelements.begin());
  // E3 with its first group left out: its questions are no longer covered.
  subelements[3].groups = subelements[3].groups.subspan(1);
  EXPECT_FALSE(edition_checks::groupsCoverQuestions(subelements, edition.poolGroups));
  // E2's groups under E3: they are not E3's.
  std::copy(edition.subelements.begin(), edition.subelements.end(), subelements.begin());
  subelements[3].groups = subelements[2].groups;
  EXPECT_FALSE(edition_checks::groupsCoverQuestions(subelements, edition.poolGroups));
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
    EXPECT_TRUE(edition_checks::menuAgreesWithGroups(edition->menuLines, edition->subelements)) << edition->name;
    EXPECT_TRUE(edition_checks::linesFit(edition->helpLines, 97)) << edition->name;
  }
  // A pool whose E7 lost a group no longer agrees with the menu.
  std::array<Subelement, kSubelementCount> shorter;
  std::copy(pool2024To2028().subelements.begin(), pool2024To2028().subelements.end(), shorter.begin());
  shorter[7].groups = shorter[7].groups.first(shorter[7].groups.size() - 1);
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
      }
    }
    EXPECT_GE(tallest, kDrillTextRow + 8) << edition->name << ": not every row was looked at";
  }
}

}  // namespace
}  // namespace pentrill
