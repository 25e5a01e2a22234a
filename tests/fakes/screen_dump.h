// Whole-screen failure messages for tests that compare in-memory screens:
// on a mismatch both 100 x 43 grids are printed as numbered rows, each
// differing row marked with "*" and followed by a line with "^" under every
// differing character ("c" where only the colours differ).
//
//   EXPECT_PRED_FORMAT2(SameScreen(), expected, actual);          // characters and colours
//   EXPECT_PRED_FORMAT2(SameText(1, 24), expected, actual);       // characters of rows 1 to 24
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "screen/screen_grid.h"

namespace pentrill::testing {

// A cell's byte as printed: "-" for a rule cell, "~" for any byte that is
// not printable ASCII.
inline char printable(char byte) {
  if (byte == kRuleByte) return '-';
  const auto value = static_cast<unsigned char>(byte);
  return value >= 0x20 && value < 0x7F ? byte : '~';
}

// Rows first to last of grid, numbered; with other, the differences marked.
inline std::string screenDump(const ScreenGrid& grid, const ScreenGrid* other = nullptr, int first = 1,
                              int last = kScreenRows, bool colours = true) {
  std::string dump = "    |";
  for (int column = 1; column <= kScreenColumns; ++column) dump += column % 10 == 0 ? char('0' + column / 10 % 10) : ' ';
  dump += "|\n    |";
  for (int column = 1; column <= kScreenColumns; ++column) dump += char('0' + column % 10);
  dump += "|\n";
  for (int row = first; row <= last; ++row) {
    std::string line, marks;
    bool differs = false;
    for (int column = 1; column <= kScreenColumns; ++column) {
      const Cell& cell = grid.cell(row, column);
      line += printable(cell.byte);
      char mark = ' ';
      if (other != nullptr) {
        const Cell& theirs = other->cell(row, column);
        if (cell.byte != theirs.byte) {
          mark = '^';
        } else if (colours && !(cell == theirs)) {
          mark = 'c';
        }
      }
      differs |= mark != ' ';
      marks += mark;
    }
    const std::string number = std::to_string(row);
    dump += std::string(3 - number.size(), ' ') + number + (differs ? "*|" : " |") + line + "|\n";
    if (differs) dump += "    |" + marks + "|\n";
  }
  return dump;
}

// The predicate behind SameScreen and SameText.
class SameGrid {
 public:
  SameGrid(int first, int last, bool colours) : first_(first), last_(last), colours_(colours) {}

  ::testing::AssertionResult operator()(const char* expectedText, const char* actualText, const ScreenGrid& expected,
                                        const ScreenGrid& actual) const {
    int differing = 0;
    for (int row = first_; row <= last_; ++row)
      for (int column = 1; column <= kScreenColumns; ++column) {
        const Cell& a = expected.cell(row, column);
        const Cell& b = actual.cell(row, column);
        differing += colours_ ? !(a == b) : a.byte != b.byte;
      }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actualText << " differs from " << expectedText << " in " << differing << " cell(s) of rows " << first_
           << " to " << last_ << (colours_ ? "" : " (characters only)") << ".\n"
           << expectedText << ":\n"
           << screenDump(expected, &actual, first_, last_, colours_) << actualText << ":\n"
           << screenDump(actual, &expected, first_, last_, colours_);
  }

 private:
  int first_, last_;
  bool colours_;
};

// Every cell of rows first to last the same, characters and colours.
inline SameGrid SameScreen(int first = 1, int last = kScreenRows) { return SameGrid(first, last, true); }

// The characters of rows first to last the same, whatever their colours.
inline SameGrid SameText(int first = 1, int last = kScreenRows) { return SameGrid(first, last, false); }

}  // namespace pentrill::testing
