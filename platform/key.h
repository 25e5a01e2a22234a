// One input event: a key with a character, a key without one, or a mouse
// event at a screen cell. The terminal's bytes are decoded into Keys, the
// console queues them, and the screens map them to their own commands.
#pragma once
#include <cstdint>

namespace pentrill {

// Characters that screens test for; a character is a Windows-1252 byte.
inline constexpr char kEnter = 13;
inline constexpr char kEscape = 27;
inline constexpr char kBackspace = 8;
inline constexpr char kTab = 9;

// Keys without a character. Other: Alt with a character that Windows-1252
// lacks, still a key but one that no screen takes as a command.
enum class KeyName : std::uint8_t {
  F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
  Home, Up, PageUp, Left, Right, End, Down, PageDown, Insert, Delete,
  BackTab, Other,
};

// Modifiers held with a key, as bits.
inline constexpr int kShift = 1, kAlt = 2, kCtrl = 4;

// Mouse buttons, as bits.
inline constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;

// Mouse events. The terminal reports presses, releases, motion and the
// wheel; the console tells a double-click from the press before it.
enum class MouseAction : std::uint8_t { Press, DoubleClick, Release, Motion, Wheel };

// Sets of mouse actions, as bits, for the reporting settings.
inline constexpr int kMouseMoved = 1, kMouseDoubleClick = 2, kMousePressed = 4, kMouseReleased = 8;

constexpr int actionBit(MouseAction action) {
  switch (action) {
    case MouseAction::Press: return kMousePressed;
    case MouseAction::DoubleClick: return kMouseDoubleClick;
    case MouseAction::Release: return kMouseReleased;
    case MouseAction::Motion: return kMouseMoved;
    case MouseAction::Wheel: break;
  }
  return 0;
}

struct Key {
  enum class Kind : std::uint8_t { Character, Named, Mouse };

  Kind kind = Kind::Character;
  char character = 0;             // Character: a Windows-1252 byte, never 0
  KeyName name = KeyName::Other;  // Named
  int modifiers = 0;              // Character (only kAlt) and Named: kShift | kAlt | kCtrl
  MouseAction action = MouseAction::Press;  // Mouse
  int button = 0;                 // Mouse: one button bit; 0 for a release that does not say which
  int row = 0;                    // Mouse: from 1 (the terminal's report may hold 0)
  int column = 0;

  static constexpr Key of(char c, int modifiers = 0) {
    Key key;
    key.character = c;
    key.modifiers = modifiers;
    return key;
  }
  static constexpr Key named(KeyName name, int modifiers = 0) {
    Key key;
    key.kind = Kind::Named;
    key.name = name;
    key.modifiers = modifiers;
    return key;
  }
  static constexpr Key mouse(MouseAction action, int button, int row, int column) {
    Key key;
    key.kind = Kind::Mouse;
    key.action = action;
    key.button = button;
    key.row = row;
    key.column = column;
    return key;
  }

  // A character typed without Alt: what text entry and letter commands take.
  constexpr bool isCharacter() const { return kind == Kind::Character && (modifiers & kAlt) == 0; }
  constexpr bool is(char c) const { return isCharacter() && character == c; }
  constexpr bool isMouse() const { return kind == Kind::Mouse; }
  // A press of a button, double-click included.
  constexpr bool isClick() const {
    return kind == Kind::Mouse && (action == MouseAction::Press || action == MouseAction::DoubleClick);
  }

  bool operator==(const Key&) const = default;
};

}  // namespace pentrill
