// The whole-screen failure message of the screen comparisons.
#include "tests/fakes/screen_dump.h"

#include <gtest/gtest.h>

#include <string>

namespace pentrill {
namespace {

ScreenGrid gridWith(int row, int column, std::string_view text, int foreground = kBlack) {
  ScreenGrid grid;
  grid.setColours(foreground, kBrightWhite);
  grid.locate(row, column);
  grid.write(text);
  return grid;
}

// The line of the dump that begins with this row's number.
std::string dumpLine(const std::string& dump, const std::string& start, size_t from = 0) {
  const size_t at = dump.find(start, from);
  if (at == std::string::npos) return "";
  return dump.substr(at, dump.find('\n', at) - at);
}

TEST(ScreenDump, SameGridsPassAndDifferentOnesPrintEveryRowWithTheCellsMarked) {
  const ScreenGrid expected = gridWith(7, 3, "Peek Off");
  EXPECT_TRUE(testing::SameScreen()("expected", "actual", expected, gridWith(7, 3, "Peek Off")));

  const ::testing::AssertionResult result =
      testing::SameScreen()("expected", "actual", expected, gridWith(7, 3, "Peek On "));
  ASSERT_FALSE(result);
  const std::string message = result.message();
  EXPECT_NE(message.find("actual differs from expected in 2 cell(s) of rows 1 to 43"), std::string::npos) << message;
  // Both grids, all 43 rows each, numbered; the differing row starred and
  // followed by its marks.
  for (const char* row : {"  1 |", " 43 |"}) {
    const size_t first = message.find(row);
    ASSERT_NE(first, std::string::npos) << row;
    EXPECT_NE(message.find(row, first + 1), std::string::npos) << row;
  }
  EXPECT_EQ(dumpLine(message, "  7*|"), "  7*|  Peek Off" + std::string(90, ' ') + "|");
  const size_t marks = message.find("  7*|") + 106;
  EXPECT_EQ(dumpLine(message, "    |", marks), "    |" + std::string(8, ' ') + "^^" + std::string(90, ' ') + "|");
}

TEST(ScreenDump, ColoursCountForSameScreenOnlyAndAreMarkedApart) {
  const ScreenGrid black = gridWith(2, 1, "Hint", kBlack);
  const ScreenGrid red = gridWith(2, 1, "Hint", kRed);
  EXPECT_TRUE(testing::SameText()("black", "red", black, red));
  const ::testing::AssertionResult result = testing::SameScreen()("black", "red", black, red);
  ASSERT_FALSE(result);
  EXPECT_NE(std::string(result.message()).find("    |cccc" + std::string(96, ' ') + "|"), std::string::npos);
  // Rows outside the range compared are neither compared nor printed.
  EXPECT_TRUE(testing::SameScreen(3, 43)("black", "red", black, red));
  const std::string dump = testing::screenDump(black, nullptr, 2, 3);
  EXPECT_EQ(dumpLine(dump, "  2 |"), "  2 |Hint" + std::string(96, ' ') + "|");
  EXPECT_EQ(dump.find("  1 |"), std::string::npos);
  EXPECT_EQ(dump.find("  4 |"), std::string::npos);
}

}  // namespace
}  // namespace pentrill
