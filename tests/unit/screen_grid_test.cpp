#include "screen/screen_grid.h"

#include <gtest/gtest.h>

namespace pentrill {
namespace {

TEST(ScreenGrid, WriteFillsCellsInCurrentColoursAndMovesCursor) {
  ScreenGrid grid;
  grid.setColours(kBlack, kLightGrey);
  grid.locate(25, 90);
  grid.write("Peek Off");
  EXPECT_EQ(grid.text(25, 90, 97), "Peek Off");
  EXPECT_EQ(grid.cursorRow(), 25);
  EXPECT_EQ(grid.cursorColumn(), 98);
  EXPECT_EQ(grid.cell(25, 90).foreground, kBlack);
  EXPECT_EQ(grid.cell(25, 97).background, kLightGrey);
  EXPECT_EQ(grid.cell(25, 98).background, kBlack);  // untouched cell keeps the old colours
}

TEST(ScreenGrid, ClearFillsEveryCellAndHomesCursor) {
  ScreenGrid grid;
  grid.locate(10, 10);
  grid.write("x");
  grid.setColours(kBlack, kBrightWhite);
  grid.clear();
  for (int row = 1; row <= kScreenRows; ++row)
    for (int column = 1; column <= kScreenColumns; ++column) {
      ASSERT_EQ(grid.cell(row, column).byte, ' ');
      ASSERT_EQ(grid.cell(row, column).background, kBrightWhite);
    }
  EXPECT_EQ(grid.cursorRow(), 1);
  EXPECT_EQ(grid.cursorColumn(), 1);
}

TEST(ScreenGrid, LocateOutsideTheScreenLeavesCursor) {
  ScreenGrid grid;
  grid.locate(5, 6);
  grid.locate(0, 3);
  grid.locate(44, 3);
  grid.locate(3, 101);
  grid.locate(3, 0);
  EXPECT_EQ(grid.cursorRow(), 5);
  EXPECT_EQ(grid.cursorColumn(), 6);
}

TEST(ScreenGrid, EndLineOnLastRowScrollsUp) {
  ScreenGrid grid;
  grid.locate(2, 1);
  grid.write("second");
  grid.locate(43, 1);
  grid.write("last");
  grid.setColours(kBlack, kBlue);
  grid.endLine();
  EXPECT_EQ(grid.text(1, 1, 6), "second");
  EXPECT_EQ(grid.text(42, 1, 4), "last");
  EXPECT_EQ(grid.text(43, 1, 4), "    ");
  EXPECT_EQ(grid.cell(43, 1).background, kBlue);
  EXPECT_EQ(grid.cursorRow(), 43);
  EXPECT_EQ(grid.cursorColumn(), 1);
}

TEST(ScreenGrid, WritingPastLastColumnWrapsToNextRow) {
  ScreenGrid grid;
  grid.locate(24, 2);
  grid.write(rule(99));
  EXPECT_EQ(grid.cell(24, 100).byte, kRuleByte);
  EXPECT_EQ(grid.cursorRow(), 25);
  EXPECT_EQ(grid.cursorColumn(), 1);
  grid.write("ab");
  EXPECT_EQ(grid.text(25, 1, 2), "ab");
}

TEST(ScreenGrid, FillingTheLastRowToItsEndDoesNotScroll) {
  ScreenGrid grid;
  grid.locate(1, 1);
  grid.write("top");
  grid.setColours(kBlack, kBrightWhite);
  grid.locate(43, 1);
  grid.write(std::string(99, '-') + "x");
  EXPECT_EQ(grid.text(1, 1, 3), "top");
  EXPECT_EQ(grid.text(43, 99, 100), "-x");
  EXPECT_EQ(grid.cursorRow(), 43);
  EXPECT_EQ(grid.cursorColumn(), 100);
  // Writing on stays in the last cell; only a line end scrolls.
  grid.write("yz");
  EXPECT_EQ(grid.text(43, 98, 100), "--z");
  EXPECT_EQ(grid.text(1, 1, 3), "top");
  grid.endLine();
  EXPECT_EQ(grid.text(42, 98, 100), "--z");
  EXPECT_EQ(grid.text(43), std::string(100, ' '));
  EXPECT_EQ(grid.cursorRow(), 43);
  EXPECT_EQ(grid.cursorColumn(), 1);
}

TEST(ScreenGrid, RewritingSameContentLeavesRowsClean) {
  ScreenGrid grid;
  grid.locate(25, 50);
  grid.write("Run Time: 00:00:01");
  grid.dirtyRows = 0;
  grid.locate(25, 50);
  grid.write("Run Time: 00:00:01");
  EXPECT_EQ(grid.dirtyRows, 0u);
  grid.locate(25, 50);
  grid.write("Run Time: 00:00:02");
  EXPECT_EQ(grid.dirtyRows, 1ull << 24);
}

}  // namespace
}  // namespace pentrill
