// The 100 x 43 character grid with cursor, colours, line ends and scrolling.
// Both console backends keep one, so they behave the same for every operation.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/console.h"

namespace pentrill {

struct Cell {
  char byte = ' ';  // Windows-1252 byte (kRuleByte for a rule cell)
  std::uint8_t foreground = kBrightWhite;
  std::uint8_t background = kBlack;
  bool operator==(const Cell&) const = default;
};

class ScreenGrid {
 public:
  ScreenGrid();

  void setColours(int foreground, int background);
  void clear();
  void locate(int row, int column);
  void write(std::string_view text);
  void endLine();

  const Cell& cell(int row, int column) const;
  int cursorRow() const { return row_; }
  int cursorColumn() const { return column_; }
  int foreground() const { return foreground_; }
  int background() const { return background_; }

  // The bytes of columns first to last of a row.
  std::string text(int row, int first = 1, int last = kScreenColumns) const;

  // Rows whose cells changed since the owner last reset this (bit r-1 for
  // row r); rewriting a cell with what it holds does not count, so an
  // unchanged screen costs nothing to show.
  std::uint64_t dirtyRows = ~0ull;

 private:
  void put(char byte);
  void nextRow();
  void scrollUp();
  Cell& at(int row, int column);

  std::array<Cell, kScreenRows * kScreenColumns> cells_{};
  int row_ = 1;
  int column_ = 1;
  int foreground_ = kBrightWhite;
  int background_ = kBlack;
};

}  // namespace pentrill
