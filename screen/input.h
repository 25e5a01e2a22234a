// Keyboard and mouse input: waiting for a Key, typed lines, and the
// two-choice question.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/key.h"

namespace pentrill {

// Waits for the next key press or reported click (the console's mouse
// settings say which mouse events count), without a time limit.
Key waitKey(Console& console);
// The same within a time limit in milliseconds: nothing when it passes
// first; a limit of 0 or less waits without one.
std::optional<Key> waitKey(Console& console, int limitMilliseconds);

void setMouseReporting(Console& console, int buttons, int kinds);
void setMouseInput(Console& console, bool on);

// Letters a to z become A to Z; everything else is unchanged.
char upperCase(char c);
std::string upperCase(std::string_view text);

// The upper-case character of a key typed without Alt; 0 for any other key.
char commandLetter(const Key& key);

// A line typed at the cursor, echoed, with Backspace; Enter ends it.
std::string readLine(Console& console);

// The two-choice question ([Y] or [N], [R] or [S]): the first or the second
// choice, by its letter in either case or a click on it.
enum class Choice { First, Second };

// A negative row means the prompt is already on the screen.
Choice askChoice(Console& console, std::string_view prompt, int row, int column, std::string_view first,
                 std::string_view second);

}  // namespace pentrill
