// What the terminal library reports for keys and mouse buttons, turned into
// the program's KeyStrings and raw mouse reports. No terminal I/O here.
#pragma once
#include <cstdint>
#include <optional>

#include "screen/console.h"
#include "screen/input.h"

namespace pentrill {

// One key as the terminal library's wide-character read returns it: a key
// code (function, cursor and editing keys, resize, mouse) or a character.
struct TerminalKey {
  bool isKeyCode = false;
  int code = 0;  // the library's KEY_ constant, or the character's code point
};

// The KeyString of a key; empty for keys that never reach the program
// (resize, unknown key codes, characters that Windows-1252 lacks).
KeyString keyStringOf(const TerminalKey& key);

// A key that, coming straight after Esc, means Alt together with it: the
// KeyString for the pair, or none when the two are separate keys.
std::optional<KeyString> altKeyStringOf(const TerminalKey& afterEscape);

// Turns the library's button presses and releases into MouseReports: keeps
// which buttons are held and recognises the second press of a double-click.
class MouseTracker {
 public:
  static constexpr int kDoubleClickMilliseconds = 500;

  // y and x from 0 as the library counts them, its button-state mask, and a
  // steady time. None for an event that changes no button.
  std::optional<MouseReport> report(int y, int x, std::uint64_t buttonState, std::int64_t milliseconds);

 private:
  int held_ = 0;
  bool havePress_ = false;
  int pressRow_ = 0;
  int pressColumn_ = 0;
  std::int64_t pressTime_ = 0;
};

}  // namespace pentrill
