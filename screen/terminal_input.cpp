#include "screen/terminal_input.h"

#include <algorithm>
#include <array>

#include "screen/charset.h"

namespace pentrill {
namespace {

constexpr unsigned char kEsc = 0x1B;

// Keys without a character and their PC scan codes: alone, with Shift, with
// Ctrl and with Alt.
struct NamedKey {
  int plain, shift, ctrl, alt;
};
enum KeyName { F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12, Home, Up, PageUp, Left, Right, End, Down,
               PageDown, Insert, Delete, kKeyNames };
constexpr std::array<NamedKey, kKeyNames> kNamedKeys = {{
    {59, 84, 94, 104},   {60, 85, 95, 105},   {61, 86, 96, 106},   {62, 87, 97, 107},   {63, 88, 98, 108},
    {64, 89, 99, 109},   {65, 90, 100, 110},  {66, 91, 101, 111},  {67, 92, 102, 112},  {68, 93, 103, 113},
    {133, 135, 137, 139}, {134, 136, 138, 140}, {71, 71, 119, 151},  {72, 72, 141, 152},  {73, 73, 132, 153},
    {75, 75, 115, 155},  {77, 77, 116, 157},  {79, 79, 117, 159},  {80, 80, 145, 160},  {81, 81, 118, 161},
    {82, 82, 146, 162},  {83, 83, 147, 163},
}};
constexpr int kShiftTabScanCode = 15;
// Alt with a key that has no scan code of its own here: still a key, and one
// that no screen takes as a command.
constexpr int kOtherAltScanCode = 0;

// Alt with a character key, where the PC keyboard has a scan code for it.
constexpr std::array<std::pair<char, int>, 15> kAltCharacterScanCodes = {{
    {'\x1B', 1}, {'\b', 14}, {'\r', 28}, {'\t', 165}, {'-', 130}, {'=', 131}, {'[', 26}, {']', 27}, {';', 39},
    {'\'', 40}, {'`', 41}, {'\\', 43}, {',', 51}, {'.', 52}, {'/', 53},
}};

// xterm's modifier parameter: 1 + Shift 1 + Alt 2 + Ctrl 4 + Meta 8.
KeyString namedKey(KeyName name, int modifierParameter) {
  const NamedKey& key = kNamedKeys[static_cast<size_t>(name)];
  const int modifiers = modifierParameter >= 2 ? modifierParameter - 1 : 0;
  if (modifiers & (2 | 8)) return extendedKey(key.alt);
  if (modifiers & 4) return extendedKey(key.ctrl);
  if (modifiers & 1) return extendedKey(key.shift);
  return extendedKey(key.plain);
}

// The Alt form of a key already decoded.
KeyString altCombination(const KeyString& key) {
  if (key.size() == 1) {
    const char c = key[0];
    if (KeyString letter = altLetterKey(c); !letter.empty()) return letter;
    if (c >= '1' && c <= '9') return extendedKey(120 + (c - '1'));
    if (c == '0') return extendedKey(129);
    for (const auto& [character, scanCode] : kAltCharacterScanCodes)
      if (character == c) return extendedKey(scanCode);
    return extendedKey(kOtherAltScanCode);
  }
  if (key.size() == 2 && key[0] == '\0') {
    for (const NamedKey& named : kNamedKeys) {
      const int code = static_cast<unsigned char>(key[1]);
      if (code == named.plain || code == named.shift || code == named.ctrl || code == named.alt)
        return extendedKey(named.alt);
    }
  }
  return extendedKey(kOtherAltScanCode);
}

// "CSI n ~" keys.
std::optional<KeyName> tildeKey(int code) {
  switch (code) {
    case 1: case 7: return Home;
    case 2: return Insert;
    case 3: return Delete;
    case 4: case 8: return End;
    case 5: return PageUp;
    case 6: return PageDown;
    case 11: case 12: case 13: case 14: case 15: return static_cast<KeyName>(F1 + (code - 11));
    case 17: case 18: case 19: case 20: case 21: return static_cast<KeyName>(F6 + (code - 17));
    case 23: return F11;
    case 24: return F12;
    default: return std::nullopt;
  }
}

// Final bytes shared by CSI and SS3 cursor and function keys.
std::optional<KeyName> finalKey(unsigned char final) {
  switch (final) {
    case 'A': return Up;
    case 'B': return Down;
    case 'C': return Right;
    case 'D': return Left;
    case 'H': return Home;
    case 'F': return End;
    case 'P': return F1;
    case 'Q': return F2;
    case 'R': return F3;
    case 'S': return F4;
    default: return std::nullopt;
  }
}

// The numeric keypad in application mode ("SS3 p" is 0 and so on).
std::optional<char> keypadCharacter(unsigned char final) {
  if (final >= 'p' && final <= 'y') return static_cast<char>('0' + (final - 'p'));
  switch (final) {
    case 'j': return '*';
    case 'k': return '+';
    case 'l': return ',';
    case 'm': return '-';
    case 'n': return '.';
    case 'o': return '/';
    case 'X': return '=';
    case ' ': return ' ';
    case 'I': return '\t';
    case 'M': return '\r';
    default: return std::nullopt;
  }
}

// rxvt's cursor keys with Shift ("CSI a") and with Ctrl ("SS3 a").
std::optional<KeyName> rxvtArrow(unsigned char final) {
  switch (final) {
    case 'a': return Up;
    case 'b': return Down;
    case 'c': return Right;
    case 'd': return Left;
    default: return std::nullopt;
  }
}

// The button code of an SGR or X10 report.
TerminalMouse mouseFromCode(int code, bool releaseFinal, int column, int row) {
  TerminalMouse mouse;
  mouse.row = std::clamp(row, 0, kReportNumberLimit);
  mouse.column = std::clamp(column, 0, kReportNumberLimit);
  const int low = code & 3;
  mouse.button = low == 3 ? -1 : low;
  if (code & (64 | 128)) {
    mouse.action = TerminalMouse::Action::Wheel;  // wheel and buttons 8 to 11: nothing the program uses
  } else if (code & 32) {
    mouse.action = TerminalMouse::Action::Motion;
  } else if (releaseFinal || low == 3) {
    mouse.action = TerminalMouse::Action::Release;
  } else {
    mouse.action = TerminalMouse::Action::Press;
  }
  return mouse;
}

TerminalEvent mouseEvent(const TerminalMouse& mouse) {
  TerminalEvent event;
  event.kind = TerminalEvent::Kind::Mouse;
  event.mouse = mouse;
  return event;
}

}  // namespace

bool TerminalEvent::operator==(const TerminalEvent& other) const {
  if (kind != other.kind) return false;
  if (kind == Kind::Key) return key == other.key;
  return mouse.action == other.mouse.action && mouse.button == other.mouse.button && mouse.row == other.mouse.row &&
         mouse.column == other.mouse.column;
}

void InputDecoder::feed(std::string_view bytes, std::vector<TerminalEvent>& events) {
  for (char byte : bytes) feedByte(static_cast<unsigned char>(byte), events);
}

void InputDecoder::feedByte(unsigned char byte, std::vector<TerminalEvent>& events) {
  switch (state_) {
    case State::Ground: ground(byte, events); break;
    case State::Escape: afterEscape(byte, events); break;
    case State::Csi: inCsi(byte, events); break;
    case State::Ss3: inSs3(byte, events); break;
    case State::Utf8: inUtf8(byte, events); break;
    case State::LinuxFunction:
      // The Linux console's F1 to F5: "CSI [ A" to "CSI [ E".
      state_ = State::Ground;
      if (byte >= 'A' && byte <= 'E') {
        key(namedKey(static_cast<KeyName>(F1 + (byte - 'A')), 1), events);
      } else {
        alt_ = false;
      }
      break;
    case State::X10Mouse:
      // Three raw bytes, each 32 more than its value; a position the
      // terminal cannot express arrives as 0.
      collected_[collectedCount_++] = byte;
      if (collectedCount_ == 3) {
        state_ = State::Ground;
        alt_ = false;
        if (collected_[0] >= 32) {
          auto position = [](unsigned char b) { return b > 32 ? b - 32 : 0; };
          events.push_back(mouseEvent(mouseFromCode(collected_[0] - 32, false, position(collected_[1]),
                                                    position(collected_[2]))));
        }
      }
      break;
  }
}

void InputDecoder::reset() {
  state_ = State::Ground;
  alt_ = false;
}

void InputDecoder::ground(unsigned char byte, std::vector<TerminalEvent>& events) {
  if (byte == kEsc) {
    state_ = State::Escape;
    alt_ = false;
    return;
  }
  if (byte < 0x80 || !utf8_) {
    character(byte, events);
    return;
  }
  // The first byte of a UTF-8 character says how many follow.
  if (byte >= 0xC2 && byte <= 0xDF) {
    utf8Remaining_ = 1, codePoint_ = byte & 0x1F, utf8Minimum_ = 0x80;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    utf8Remaining_ = 2, codePoint_ = byte & 0x0F, utf8Minimum_ = 0x800;
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    utf8Remaining_ = 3, codePoint_ = byte & 0x07, utf8Minimum_ = 0x10000;
  } else {
    character(byte, events);  // not UTF-8: a terminal sending Latin-1
    return;
  }
  collected_[0] = byte;
  collectedCount_ = 1;
  state_ = State::Utf8;
}

void InputDecoder::inUtf8(unsigned char byte, std::vector<TerminalEvent>& events) {
  if ((byte & 0xC0) != 0x80) {
    // Broken off: a lone first byte is taken as Latin-1, anything longer dropped.
    state_ = State::Ground;
    if (collectedCount_ == 1) {
      character(collected_[0], events);
    } else {
      alt_ = false;
    }
    ground(byte, events);
    return;
  }
  codePoint_ = (codePoint_ << 6) | (byte & 0x3F);
  ++collectedCount_;
  if (--utf8Remaining_ > 0) return;
  state_ = State::Ground;
  const bool valid = codePoint_ >= utf8Minimum_ && codePoint_ <= 0x10FFFF && !(codePoint_ >= 0xD800 && codePoint_ <= 0xDFFF);
  if (valid) {
    character(codePoint_, events);
  } else {
    alt_ = false;
  }
}

void InputDecoder::afterEscape(unsigned char byte, std::vector<TerminalEvent>& events) {
  if (byte == '[' || byte == 'O') {
    state_ = byte == '[' ? State::Csi : State::Ss3;
    marker_ = '\0';
    std::fill(std::begin(parameters_), std::end(parameters_), 0);
    parameterCount_ = 0;
    intermediate_ = false;
    return;
  }
  if (byte == kEsc) {
    if (alt_) {
      key(KeyString(1, '\x1B'), events);  // Esc Esc: Alt+Esc; this Esc starts anew
      alt_ = false;
    } else {
      alt_ = true;  // Esc then a sequence: Alt with that key
    }
    return;
  }
  // Esc before any other key: Alt with that key.
  state_ = State::Ground;
  alt_ = true;
  ground(byte, events);
}

void InputDecoder::inCsi(unsigned char byte, std::vector<TerminalEvent>& events) {
  if (byte >= '0' && byte <= '9') {
    if (parameterCount_ == 0) parameterCount_ = 1;
    if (intermediate_) marker_ = '!';  // a parameter after an intermediate: not a key
    int& value = parameters_[parameterCount_ - 1];
    value = std::min(value * 10 + (byte - '0'), kReportNumberLimit);
  } else if (byte == ';' || byte == ':') {
    if (parameterCount_ == 0) parameterCount_ = 1;
    if (parameterCount_ < kMaxParameters) {
      ++parameterCount_;
    } else {
      marker_ = '!';  // more parameters than any key or report has
    }
  } else if (byte >= 0x3C && byte <= 0x3F) {
    marker_ = parameterCount_ == 0 && marker_ == '\0' ? static_cast<char>(byte) : '!';
  } else if (byte >= 0x20 && byte <= 0x2F) {
    intermediate_ = true;
  } else if (byte >= 0x40 && byte <= 0x7E) {
    finishCsi(byte, events);
  } else if (byte == kEsc) {
    state_ = State::Escape;  // the unfinished sequence is dropped
    alt_ = false;
  } else {
    reset();  // a control character or a high byte cuts the sequence off and counts itself
    ground(byte, events);
  }
}

void InputDecoder::finishCsi(unsigned char final, std::vector<TerminalEvent>& events) {
  const bool bare = marker_ == '\0' && parameterCount_ == 0 && !intermediate_;
  if (bare && final == 'M') {
    state_ = State::X10Mouse;
    collectedCount_ = 0;
    return;
  }
  if (bare && final == '[') {
    state_ = State::LinuxFunction;
    return;
  }
  state_ = State::Ground;
  const int modifier = parameterCount_ >= 2 ? parameters_[1] : 1;
  std::optional<KeyString> result;
  if (intermediate_ || marker_ == '!') {
    // malformed: dropped
  } else if (marker_ == '<') {
    if ((final == 'M' || final == 'm') && parameterCount_ >= 3) {
      alt_ = false;
      events.push_back(mouseEvent(mouseFromCode(parameters_[0], final == 'm', parameters_[1], parameters_[2])));
      return;
    }
  } else if (marker_ == '\0') {
    if (final == '~') {
      if (std::optional<KeyName> name = tildeKey(parameters_[0])) result = namedKey(*name, modifier);
    } else if (final == 'Z') {
      result = extendedKey(kShiftTabScanCode);
    } else if (std::optional<KeyName> name = finalKey(final)) {
      result = namedKey(*name, modifier);
    } else if (std::optional<KeyName> arrow = rxvtArrow(final)) {
      result = namedKey(*arrow, 2);
    }
  }
  if (result) {
    key(*result, events);
  } else {
    alt_ = false;  // focus reports, pasted-text brackets, keys nobody knows
  }
}

void InputDecoder::inSs3(unsigned char byte, std::vector<TerminalEvent>& events) {
  if (byte >= '0' && byte <= '9') {
    parameterCount_ = 1;
    parameters_[0] = std::min(parameters_[0] * 10 + (byte - '0'), kReportNumberLimit);
    return;
  }
  if (byte == kEsc) {
    state_ = State::Escape;
    alt_ = false;
    return;
  }
  if (byte < 0x20 || byte > 0x7E) {
    reset();
    ground(byte, events);
    return;
  }
  state_ = State::Ground;
  const int modifier = parameterCount_ > 0 ? parameters_[0] : 1;
  if (std::optional<KeyName> name = finalKey(byte)) {
    key(namedKey(*name, modifier), events);
  } else if (std::optional<char> keypad = keypadCharacter(byte)) {
    character(static_cast<unsigned char>(*keypad), events);
  } else if (std::optional<KeyName> arrow = rxvtArrow(byte)) {
    key(namedKey(*arrow, 5), events);
  } else {
    alt_ = false;
  }
}

void InputDecoder::character(char32_t codePoint, std::vector<TerminalEvent>& events) {
  switch (codePoint) {
    case 0:  // Ctrl+Space
      alt_ = false;
      return;
    case '\n': case '\r': key(KeyString(1, kEnter), events); return;
    case '\b': case 0x7F: key(KeyString(1, kBackspace), events); return;
    default: break;
  }
  if (std::optional<char> byte = windows1252Byte(codePoint)) {
    key(KeyString(1, *byte), events);
  } else if (alt_) {
    key(extendedKey(kOtherAltScanCode), events);  // Alt with a character the program lacks: still a key
  }
}

void InputDecoder::key(KeyString keyString, std::vector<TerminalEvent>& events) {
  TerminalEvent event;
  event.key = alt_ ? altCombination(keyString) : std::move(keyString);
  alt_ = false;
  events.push_back(std::move(event));
}

void InputDecoder::expire(std::vector<TerminalEvent>& events) {
  const State state = state_;
  state_ = State::Ground;
  switch (state) {
    case State::Escape:
      key(KeyString(1, '\x1B'), events);  // a lone Esc, or Alt+Esc after Esc Esc
      return;
    case State::Ss3:
      if (parameterCount_ == 0) {
        alt_ = true;
        key(KeyString(1, 'O'), events);  // Alt+Shift+O
        return;
      }
      break;
    case State::Utf8:
      if (collectedCount_ == 1) {
        character(collected_[0], events);
        return;
      }
      break;
    default:
      break;
  }
  alt_ = false;
}

void MouseTracker::report(const TerminalMouse& mouse, std::int64_t milliseconds, std::vector<MouseReport>& reports) {
  if (mouse.action != TerminalMouse::Action::Press && mouse.action != TerminalMouse::Action::Release) return;
  static constexpr int kButtonBits[] = {kLeftButton, kMiddleButton, kRightButton};
  const int bit = mouse.button >= 0 && mouse.button <= 2 ? kButtonBits[mouse.button] : 0;
  MouseReport result;
  // Outside the 100 x 43 screen no click can mean anything; the report still
  // carries the button state, as a movement that the program never asks for.
  const bool onScreen =
      mouse.row >= 1 && mouse.row <= kScreenRows && mouse.column >= 1 && mouse.column <= kScreenColumns;
  result.row = std::clamp(mouse.row, 1, kScreenRows);
  result.column = std::clamp(mouse.column, 1, kScreenColumns);
  result.moved = !onScreen;
  if (mouse.action == TerminalMouse::Action::Press) {
    if (bit == 0) return;
    if (held_ & bit) {
      // Its release never came: let it go first, so that this press counts.
      held_ &= ~bit;
      result.buttons = held_;
      result.moved = true;
      reports.push_back(result);
      result.moved = !onScreen;
    }
    held_ |= bit;
  } else {
    const int released = bit == 0 ? held_ : (held_ & bit);
    if (released == 0) return;  // nothing was held
    held_ &= ~released;
  }
  result.buttons = held_;
  if (!onScreen) {
    havePress_ = false;
  } else if (mouse.action == TerminalMouse::Action::Press && bit != kLeftButton) {
    havePress_ = false;  // another button breaks a double-click
  } else if (mouse.action == TerminalMouse::Action::Press) {
    const bool again = havePress_ && pressRow_ == result.row && pressColumn_ == result.column &&
                       milliseconds - pressTime_ <= kDoubleClickMilliseconds;
    result.doubleClick = again;
    havePress_ = !again;  // a third press starts a new pair
    pressRow_ = result.row;
    pressColumn_ = result.column;
    pressTime_ = milliseconds;
  }
  reports.push_back(result);
}

}  // namespace pentrill
