#include "screen/input.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace pentrill {

namespace {

constexpr size_t kMaxLineLength = 10000;

// Scan codes of the letter keys A to Z on a PC keyboard.
constexpr unsigned char kLetterScanCodes[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                                49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

KeyString mouseKey(int kind, int button) {
  return KeyString{'\xFF', '\xFF', static_cast<char>(kind), static_cast<char>(button)};
}

// Turns a raw mouse report into a KeyString when the reporting settings ask
// for it; the button state is noted either way, so presses can be told from
// releases.
std::optional<KeyString> reportMouse(MouseState& mouse, const MouseReport& report) {
  const int before = mouse.lastButtons;
  mouse.lastButtons = report.buttons;
  int kind = 0;
  int button = 0;
  bool wanted = false;
  if (report.moved) {
    kind = kMouseMoved;
    button = report.buttons;
    wanted = true;
  } else if (report.doubleClick) {
    kind = kMouseDoubleClick;
    button = report.buttons;
    wanted = (mouse.reportButtons & report.buttons) != 0;
  } else {
    const int changed = before ^ report.buttons;
    if (changed == 0) return std::nullopt;
    button = changed & -changed;  // the lowest-numbered button that changed
    kind = (report.buttons & button) ? kMousePressed : kMouseReleased;
    wanted = (mouse.reportButtons & button) != 0;
  }
  if (!mouse.inputOn || !(mouse.reportKinds & kind) || !wanted) return std::nullopt;
  mouse.lastRow = report.row;
  mouse.lastColumn = report.column;
  return mouseKey(kind, button);
}

}  // namespace

KeyString altLetterKey(char letter) {
  char upper = upperCase(std::string(1, letter))[0];
  if (upper < 'A' || upper > 'Z') return {};
  return extendedKey(kLetterScanCodes[upper - 'A']);
}

bool isMouseKey(const KeyString& key) {
  return key.size() == 4 && key[0] == '\xFF' && key[1] == '\xFF';
}

// Waits only as long as the limit asks, and without a limit until input
// arrives: no periodic wake-ups while the program waits.
KeyString waitKey(Console& console, int limitMilliseconds) {
  const std::optional<std::int64_t> deadline =
      limitMilliseconds > 0 ? std::optional(console.steadyMilliseconds() + limitMilliseconds) : std::nullopt;
  for (;;) {
    while (std::optional<InputEvent> event = console.nextEvent()) {
      if (event->kind == InputEvent::Kind::Key) {
        if (!event->key.empty()) return event->key;
      } else if (std::optional<KeyString> key = reportMouse(console.mouse, event->mouse)) {
        return *key;
      }
    }
    if (!deadline) {
      console.waitForInput(kNoTimeLimit);
      continue;
    }
    const std::int64_t left = *deadline - console.steadyMilliseconds();
    if (left <= 0) return {};
    console.waitForInput(static_cast<int>(left));
  }
}

int mouseRow(const Console& console) { return console.mouse.lastRow; }
int mouseColumn(const Console& console) { return console.mouse.lastColumn; }

void setMouseReporting(Console& console, int buttons, int kinds) {
  console.mouse.reportButtons = buttons;
  console.mouse.reportKinds = kinds;
}

void setMouseInput(Console& console, bool on) { console.mouse.inputOn = on; }

std::string upperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
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
    const KeyString key = waitKey(console, 0);
    if (key.size() != 1) continue;  // keys without a character, mouse events
    const auto c = static_cast<unsigned char>(key[0]);
    if (c == kEnter) break;
    if (c == kBackspace) {
      if (!line.empty()) {
        line.pop_back();
        eraseLastCell(console);
      }
    } else if (c >= 32 && line.size() < kMaxLineLength) {
      line += key;
      console.write(key);
    }
  }
  console.endLine();
  if (wasHidden) console.setCursorVisible(false);
  return line;
}

std::string askChoice(Console& console, std::string_view prompt, int row, int column, std::string_view first,
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
  const std::string firstLetter(first.substr(1, 1));
  const std::string secondLetter(second.substr(1, 1));

  console.setColours(kYellow, kRed);
  console.locate(row, firstColumn);
  console.write(firstLetter);
  console.locate(row, secondColumn);
  console.write(secondLetter);

  for (;;) {
    std::string result = waitKey(console, 0);
    if (isMouseKey(result) && mouseRow(console) == row) {
      const int clicked = mouseColumn(console);
      if (clicked >= firstColumn && clicked <= firstColumn + 2) result = firstLetter;
      if (clicked >= secondColumn && clicked <= secondColumn + 2) result = secondLetter;
    }
    result = upperCase(result);
    if (result == firstLetter || result == secondLetter) return result;
  }
}

}  // namespace pentrill
