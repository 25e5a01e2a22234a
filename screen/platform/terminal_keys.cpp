#include "screen/platform/terminal_keys.h"

#define NCURSES_NOMACROS
#include <curses.h>

#include <algorithm>
#include <array>
#include <utility>

#include "screen/charset.h"

namespace pentrill {
namespace {

constexpr int kShiftTabScanCode = 15;

// Key codes of keys without a character, with their PC scan codes.
const std::array<std::pair<int, int>, 23> kScanCodes = {{
    {KEY_F(1), scan::F1},     {KEY_F(2), scan::F2},     {KEY_F(3), scan::F3},
    {KEY_F(4), scan::F4},     {KEY_F(5), scan::F5},     {KEY_F(6), scan::F6},
    {KEY_F(7), scan::F7},     {KEY_F(8), scan::F8},     {KEY_F(9), scan::F9},
    {KEY_F(10), scan::F10},   {KEY_F(11), scan::F11},   {KEY_F(12), scan::F12},
    {KEY_HOME, scan::Home},   {KEY_UP, scan::Up},       {KEY_PPAGE, scan::PageUp},
    {KEY_LEFT, scan::Left},   {KEY_RIGHT, scan::Right}, {KEY_END, scan::End},
    {KEY_DOWN, scan::Down},   {KEY_NPAGE, scan::PageDown}, {KEY_IC, scan::Insert},
    {KEY_DC, scan::Delete},   {KEY_BTAB, kShiftTabScanCode},
}};

KeyString keyCodeString(int code) {
  if (code == KEY_ENTER) return KeyString(1, kEnter);
  if (code == KEY_BACKSPACE) return KeyString(1, kBackspace);
  for (const auto& [keyCode, scanCode] : kScanCodes) {
    if (keyCode == code) return extendedKey(scanCode);
  }
  return {};  // resize, mouse and keys the program has no use for
}

KeyString characterString(int character) {
  switch (character) {
    case 0: return {};  // Ctrl+Space: no key the program knows
    case 10: case 13: return KeyString(1, kEnter);
    case 8: case 127: return KeyString(1, kBackspace);
    default: break;
  }
  if (character < 0) return {};
  std::optional<char> byte = windows1252Byte(static_cast<char32_t>(character));
  return byte ? KeyString(1, *byte) : KeyString{};
}

bool isLetter(int character) {
  return (character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z');
}

constexpr std::array<std::pair<mmask_t, int>, 3> kButtons = {{
    {BUTTON1_PRESSED | BUTTON1_RELEASED, kLeftButton},
    {BUTTON3_PRESSED | BUTTON3_RELEASED, kRightButton},
    {BUTTON2_PRESSED | BUTTON2_RELEASED, kMiddleButton},
}};

}  // namespace

KeyString keyStringOf(const TerminalKey& key) {
  return key.isKeyCode ? keyCodeString(key.code) : characterString(key.code);
}

std::optional<KeyString> altKeyStringOf(const TerminalKey& afterEscape) {
  if (afterEscape.isKeyCode || !isLetter(afterEscape.code)) return std::nullopt;
  return altLetterKey(static_cast<char>(afterEscape.code));
}

std::optional<MouseReport> MouseTracker::report(int y, int x, std::uint64_t buttonState,
                                                std::int64_t milliseconds) {
  auto state = static_cast<mmask_t>(buttonState);
  int pressed = 0;
  int released = 0;
  for (const auto& [mask, button] : kButtons) {
    if (state & mask & (BUTTON1_PRESSED | BUTTON2_PRESSED | BUTTON3_PRESSED)) pressed |= button;
    if (state & mask & (BUTTON1_RELEASED | BUTTON2_RELEASED | BUTTON3_RELEASED)) released |= button;
  }
  if (pressed == 0 && released == 0) return std::nullopt;
  held_ = (held_ | pressed) & ~released;

  MouseReport result;
  result.row = y + 1;
  result.column = x + 1;
  result.buttons = held_;
  // Outside the 100 x 43 screen no click can mean anything; the event still
  // carries the button state, as a movement that the program never asks for.
  bool onScreen = result.row >= 1 && result.row <= kScreenRows && result.column >= 1 &&
                  result.column <= kScreenColumns;
  if (!onScreen) {
    result.row = std::min(std::max(result.row, 1), kScreenRows);
    result.column = std::min(std::max(result.column, 1), kScreenColumns);
    result.moved = true;
    havePress_ = false;
    return result;
  }
  if (pressed & ~kLeftButton) havePress_ = false;  // another button breaks a double-click
  if (pressed & kLeftButton) {
    bool again = havePress_ && pressRow_ == result.row && pressColumn_ == result.column &&
                 milliseconds - pressTime_ <= kDoubleClickMilliseconds;
    result.doubleClick = again;
    // A third press starts a new pair rather than counting as another double-click.
    havePress_ = !again;
    pressRow_ = result.row;
    pressColumn_ = result.column;
    pressTime_ = milliseconds;
  }
  return result;
}

}  // namespace pentrill
