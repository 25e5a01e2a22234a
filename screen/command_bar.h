// A screen's commands: the keys that give them, and a bar of buttons on one
// row, each button's columns, label, colours and command in one table, read
// both to draw the bar and to map a click.
#pragma once
#include <optional>
#include <span>
#include <string_view>

#include "platform/console.h"
#include "platform/key.h"
#include "screen/input.h"

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

// The command of the button whose columns hold the column, if any.
template <typename Command>
std::optional<Command> buttonAt(std::span<const BarButton<Command>> bar, int column) {
  for (const BarButton<Command>& button : bar)
    if (column >= button.first && column <= button.last) return button.command;
  return std::nullopt;
}

// The button for a command; the table must hold it.
template <typename Command>
constexpr const BarButton<Command>& buttonFor(std::span<const BarButton<Command>> bar, Command command) {
  for (const BarButton<Command>& button : bar)
    if (button.command == command) return button;
  return bar.front();
}

// A command's key: a character, taken in either case for a letter.
template <typename Command>
struct CommandKey {
  char letter;  // upper case
  Command command;
};

// The command of a key typed without Alt, if the table has it.
template <typename Command>
std::optional<Command> commandForKey(std::span<const CommandKey<Command>> keys, const Key& key) {
  const char letter = commandLetter(key);
  for (const CommandKey<Command>& entry : keys)
    if (letter != '\0' && entry.letter == letter) return entry.command;
  return std::nullopt;
}

// The letter of a command; the table must hold it.
template <typename Command>
char letterFor(std::span<const CommandKey<Command>> keys, Command command) {
  for (const CommandKey<Command>& entry : keys)
    if (entry.command == command) return entry.letter;
  return '\0';
}

// Writes a button's label in its colours at its first column.
template <typename Command>
void drawButton(Console& console, int row, const BarButton<Command>& button) {
  console.setColours(button.foreground, button.background);
  writeAt(console, row, button.first, button.label);
}

}  // namespace pentrill
