#include "screen/input.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace pentrill {

namespace {

constexpr size_t kMaxLineLength = 10000;

// Keys always count; a mouse event only as the reporting settings ask.
bool reported(const MouseState& mouse, const Key& key) {
  if (!key.isMouse()) return true;
  return mouse.inputOn && (mouse.reportButtons & key.button) != 0 && (mouse.reportKinds & actionBit(key.action)) != 0;
}

}  // namespace

// Waits only as long as the limit asks, and without a limit until input
// arrives: no periodic wake-ups while the program waits.
std::optional<Key> waitKey(Console& console, int limitMilliseconds) {
  const std::optional<std::int64_t> deadline =
      limitMilliseconds > 0 ? std::optional(console.steadyMilliseconds() + limitMilliseconds) : std::nullopt;
  for (;;) {
    while (std::optional<Key> key = console.nextEvent())
      if (reported(console.mouse, *key)) return key;
    if (!deadline) {
      console.waitForInput(kNoTimeLimit);
      continue;
    }
    const std::int64_t left = *deadline - console.steadyMilliseconds();
    if (left <= 0) return std::nullopt;
    console.waitForInput(static_cast<int>(left));
  }
}

Key waitKey(Console& console) { return *waitKey(console, 0); }

void setMouseReporting(Console& console, int buttons, int kinds) {
  console.mouse.reportButtons = buttons;
  console.mouse.reportKinds = kinds;
}

void setMouseInput(Console& console, bool on) { console.mouse.inputOn = on; }

char upperCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

char commandLetter(const Key& key) { return key.isCharacter() ? upperCase(key.character) : '\0'; }

std::string upperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = upperCase(c);
  return result;
}

namespace {

// Backspace on the screen: one cell back (to the end of the row above from
// column 1), blank it and stay on it.
void eraseLastCell(Console& console) {
  int row = console.cursorRow();
  int column = console.cursorColumn() - 1;
  if (column < 1) {
    if (row <= 1) return;
    --row;
    column = kScreenColumns;
  }
  console.locate(row, column);
  console.write(" ");
  console.locate(row, column);
}

}  // namespace

std::string readLine(Console& console) {
  const bool wasHidden = !console.cursorVisible();
  if (wasHidden) console.setCursorVisible(true);
  std::string line;
  for (;;) {
    const Key key = waitKey(console);
    if (!key.isCharacter()) continue;  // keys without a character, Alt combinations, mouse events
    const auto c = static_cast<unsigned char>(key.character);
    if (c == kEnter) break;
    if (c == kBackspace) {
      if (!line.empty()) {
        line.pop_back();
        eraseLastCell(console);
      }
    } else if (c >= 32 && line.size() < kMaxLineLength) {
      line += key.character;
      console.write(std::string_view(&key.character, 1));
    }
  }
  console.endLine();
  if (wasHidden) console.setCursorVisible(false);
  return line;
}

Choice askChoice(Console& console, std::string_view prompt, int row, int column, std::string_view first,
                 std::string_view second) {
  setMouseReporting(console, kLeftButton, kMousePressed | kMouseDoubleClick);
  setMouseInput(console, true);
  if (row > 0) {
    console.locate(row, column);
    console.write(prompt);
    console.endLine();
  }
  row = std::abs(row);
  // A choice is a bracketed letter found in the prompt; its letter stands one
  // column right of where the choice begins.
  auto letterColumn = [&](std::string_view choice) {
    size_t at = prompt.find(choice);
    return column + static_cast<int>(at == std::string_view::npos ? 0 : at + 1);
  };
  const int firstColumn = letterColumn(first);
  const int secondColumn = letterColumn(second);
  const char firstLetter = first[1];
  const char secondLetter = second[1];

  console.setColours(kYellow, kRed);
  console.locate(row, firstColumn);
  console.write(first.substr(1, 1));
  console.locate(row, secondColumn);
  console.write(second.substr(1, 1));

  // A click counts from the letter to the closing bracket and one column on.
  auto clickedOn = [&](const Key& key, int letterAt) {
    return key.row == row && key.column >= letterAt && key.column <= letterAt + 2;
  };
  for (;;) {
    const Key key = waitKey(console);
    if (key.isMouse()) {
      // The second choice wins where the two click areas meet.
      if (clickedOn(key, secondColumn)) return Choice::Second;
      if (clickedOn(key, firstColumn)) return Choice::First;
      continue;
    }
    const char letter = commandLetter(key);
    if (letter == firstLetter) return Choice::First;
    if (letter == secondLetter) return Choice::Second;
  }
}

}  // namespace pentrill
