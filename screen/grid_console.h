// The drawing half of a console, kept in a ScreenGrid. Both backends build
// on it, so the cursor, colours, line ends and scrolling behave the same on
// the terminal and in the tests.
#pragma once
#include "platform/console.h"
#include "screen/screen_grid.h"

namespace pentrill {

class GridConsole : public Console {
 public:
  void setColours(int foreground, int background) override { grid_.setColours(foreground, background); }
  void clearScreen() override { grid_.clear(); }
  void locate(int row, int column) override { grid_.locate(row, column); }
  void write(std::string_view text) override { grid_.write(text); }
  void endLine() override { grid_.endLine(); }
  void setCursorVisible(bool visible) override { cursorVisible_ = visible; }
  bool cursorVisible() const override { return cursorVisible_; }
  int cursorRow() const override { return grid_.cursorRow(); }
  int cursorColumn() const override { return grid_.cursorColumn(); }

  const ScreenGrid& grid() const { return grid_; }

 protected:
  ScreenGrid grid_;
  bool cursorVisible_ = true;
};

}  // namespace pentrill
