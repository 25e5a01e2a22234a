// Keyboard and mouse input: every event reaches the program as a KeyString.
#pragma once
#include <string>
#include <string_view>

#include "platform/console.h"

namespace pentrill {

// One input event as 8-bit text: empty (time limit reached), one character
// (a key with a character), character 0 and a scan code (a key without one,
// or Alt and a letter), or 255, 255, kind, button (a reported mouse event).
using KeyString = std::string;

inline constexpr char kEnter = 13;
inline constexpr char kEscape = 27;
inline constexpr char kBackspace = 8;
inline constexpr char kTab = 9;

// Mouse buttons and event kinds, as sets of bits.
inline constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;
inline constexpr int kMouseMoved = 1, kMouseDoubleClick = 2, kMousePressed = 4, kMouseReleased = 8;

// PC scan codes for keys without a character.
namespace scan {
inline constexpr int F1 = 59, F2 = 60, F3 = 61, F4 = 62, F5 = 63, F6 = 64, F7 = 65, F8 = 66, F9 = 67,
                     F10 = 68, F11 = 133, F12 = 134;
inline constexpr int Home = 71, Up = 72, PageUp = 73, Left = 75, Right = 77, End = 79, Down = 80,
                     PageDown = 81, Insert = 82, Delete = 83;
}  // namespace scan

// The two-character KeyString of a key without a character.
inline KeyString extendedKey(int scanCode) { return KeyString{'\0', static_cast<char>(scanCode)}; }
// Alt and a letter: character 0 and the letter key's scan code; empty if not a letter.
KeyString altLetterKey(char letter);

bool isMouseKey(const KeyString& key);

// Waits for the next key press or reported click; 0 = no time limit.
KeyString waitKey(Console& console, int limitMilliseconds);
// Position of the mouse event that waitKey returned last, from 1.
int mouseRow(const Console& console);
int mouseColumn(const Console& console);
void setMouseReporting(Console& console, int buttons, int kinds);
void setMouseInput(Console& console, bool on);

// Letters a to z become A to Z; everything else is unchanged.
std::string upperCase(std::string_view text);

// A line typed at the cursor, echoed, with Backspace; Enter ends it.
std::string readLine(Console& console);

// The two-choice question ([Y] or [N], [R] or [S]). A negative row means the
// prompt is already on the screen. Returns the chosen letter in upper case.
std::string askChoice(Console& console, std::string_view prompt, int row, int column, std::string_view first,
                      std::string_view second);

}  // namespace pentrill
