// Buttons on the full screen: each drawn from a table row (its columns,
// label, colours and command), and the places a click gives a command,
// recorded as the screen is drawn, so that a click counts exactly where
// something was drawn for it.
#pragma once
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/console.h"

namespace pentrill {

template <typename Command>
struct BarButton {
  int first;   // first column a click counts on; the label starts here
  int last;    // last column a click counts on
  std::string_view label;
  int foreground;
  int background;
  Command command;
};

// The commands of the places drawn for clicks on the screen now.
template <typename Command>
class ClickMap {
 public:
  void clear() { areas_.clear(); }
  // Columns first to last of a row give the command; where areas overlap,
  // the one recorded first wins.
  void add(int row, int first, int last, Command command) { areas_.push_back({row, first, last, command}); }
  void add(int row, const BarButton<Command>& button) { add(row, button.first, button.last, button.command); }
  std::optional<Command> at(int row, int column) const {
    for (const Area& area : areas_)
      if (area.row == row && column >= area.first && column <= area.last) return area.command;
    return std::nullopt;
  }

 private:
  struct Area {
    int row;
    int first;
    int last;
    Command command;
  };
  std::vector<Area> areas_;
};

// The button for a command; the table must hold it.
template <typename Command>
constexpr const BarButton<Command>& buttonFor(std::span<const BarButton<Command>> bar, Command command) {
  for (const BarButton<Command>& button : bar)
    if (button.command == command) return button;
  return bar.front();
}

// Writes a button's label in its colours at its first column.
template <typename Command>
void drawButton(Console& console, int row, const BarButton<Command>& button) {
  console.setColours(button.foreground, button.background);
  writeAt(console, row, button.first, button.label);
}

}  // namespace pentrill
