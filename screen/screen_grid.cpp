#include "screen/screen_grid.h"

#include <algorithm>

namespace pentrill {

ScreenGrid::ScreenGrid() { clear(); }

void ScreenGrid::setColours(int foreground, int background) {
  foreground_ = foreground & 15;
  background_ = background & 15;
}

Cell& ScreenGrid::at(int row, int column) {
  return cells_[static_cast<size_t>((row - 1) * kScreenColumns + (column - 1))];
}

const Cell& ScreenGrid::cell(int row, int column) const {
  return cells_.at(static_cast<size_t>((row - 1) * kScreenColumns + (column - 1)));
}

void ScreenGrid::clear() {
  Cell blank{' ', static_cast<std::uint8_t>(foreground_), static_cast<std::uint8_t>(background_)};
  cells_.fill(blank);
  row_ = 1;
  column_ = 1;
  dirtyRows = ~0ull;
}

void ScreenGrid::locate(int row, int column) {
  if (row < 1 || row > kScreenRows || column < 1 || column > kScreenColumns) return;
  row_ = row;
  column_ = column;
}

void ScreenGrid::write(std::string_view text) {
  for (char byte : text) put(byte);
}

// Writes one cell; past the last column the cursor wraps to the next row.
// Text never scrolls the screen: on the last row the cursor stays on its
// last cell (blanking row 43 to its end must not push the screen up), and
// only a line end there scrolls.
void ScreenGrid::put(char byte) {
  Cell next{byte, static_cast<std::uint8_t>(foreground_), static_cast<std::uint8_t>(background_)};
  Cell& target = at(row_, column_);
  if (!(target == next)) {
    target = next;
    dirtyRows |= 1ull << (row_ - 1);
  }
  if (column_ < kScreenColumns) {
    ++column_;
  } else if (row_ < kScreenRows) {
    nextRow();
  }
}

void ScreenGrid::endLine() {
  nextRow();
}

void ScreenGrid::nextRow() {
  column_ = 1;
  if (row_ < kScreenRows) {
    ++row_;
  } else {
    scrollUp();
  }
}

void ScreenGrid::scrollUp() {
  std::move(cells_.begin() + kScreenColumns, cells_.end(), cells_.begin());
  Cell blank{' ', static_cast<std::uint8_t>(foreground_), static_cast<std::uint8_t>(background_)};
  std::fill(cells_.end() - kScreenColumns, cells_.end(), blank);
  dirtyRows = ~0ull;
}

std::string ScreenGrid::text(int row, int first, int last) const {
  std::string result;
  for (int column = first; column <= last; ++column) result += cell(row, column).byte;
  return result;
}

}  // namespace pentrill
