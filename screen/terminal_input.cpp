#include "screen/terminal_input.h"

#include <algorithm>
#include <array>

#include "screen/charset.h"

namespace pentrill {
namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kBell = 0x07;
constexpr std::string_view kPasteEnd = "\x1b[201~";

// xterm's modifier parameter: 1 + Shift 1 + Alt 2 + Ctrl 4 + Meta 8; Meta
// counts as Alt.
int modifierBits(int modifierParameter) {
  const int held = modifierParameter >= 2 ? modifierParameter - 1 : 0;
  return ((held & 1) ? kShift : 0) | ((held & (2 | 8)) ? kAlt : 0) | ((held & 4) ? kCtrl : 0);
}

Key namedKey(KeyName name, int modifierParameter) { return Key::named(name, modifierBits(modifierParameter)); }

constexpr KeyName functionKey(int index) { return static_cast<KeyName>(static_cast<int>(KeyName::F1) + index); }

// "CSI n ~" keys.
std::optional<KeyName> tildeKey(int code) {
  switch (code) {
    case 1: case 7: return KeyName::Home;
    case 2: return KeyName::Insert;
    case 3: return KeyName::Delete;
    case 4: case 8: return KeyName::End;
    case 5: return KeyName::PageUp;
    case 6: return KeyName::PageDown;
    case 11: case 12: case 13: case 14: case 15: return functionKey(code - 11);
    case 17: case 18: case 19: case 20: case 21: return functionKey(5 + (code - 17));
    case 23: return KeyName::F11;
    case 24: return KeyName::F12;
    default: return std::nullopt;
  }
}

// Final bytes shared by CSI and SS3 cursor and function keys.
std::optional<KeyName> finalKey(unsigned char final) {
  switch (final) {
    case 'A': return KeyName::Up;
    case 'B': return KeyName::Down;
    case 'C': return KeyName::Right;
    case 'D': return KeyName::Left;
    case 'H': return KeyName::Home;
    case 'F': return KeyName::End;
    case 'P': return KeyName::F1;
    case 'Q': return KeyName::F2;
    case 'R': return KeyName::F3;
    case 'S': return KeyName::F4;
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
    case 'a': return KeyName::Up;
    case 'b': return KeyName::Down;
    case 'c': return KeyName::Right;
    case 'd': return KeyName::Left;
    default: return std::nullopt;
  }
}

// The button code of an SGR or X10 report.
Key mouseFromCode(int code, bool releaseFinal, int column, int row) {
  static constexpr int kButtonBits[] = {kLeftButton, kMiddleButton, kRightButton, 0};
  const int low = code & 3;
  MouseAction action = MouseAction::Press;
  if (code & (64 | 128)) {
    action = MouseAction::Wheel;  // wheel and buttons 8 to 11: nothing the program uses
  } else if (code & 32) {
    action = MouseAction::Motion;
  } else if (releaseFinal || low == 3) {
    action = MouseAction::Release;
  }
  return Key::mouse(action, kButtonBits[low], std::clamp(row, 0, kReportNumberLimit),
                    std::clamp(column, 0, kReportNumberLimit));
}

}  // namespace

void InputDecoder::feed(std::string_view bytes, std::vector<Key>& events) {
  for (char byte : bytes) feedByte(static_cast<unsigned char>(byte), events);
}

void InputDecoder::feedByte(unsigned char byte, std::vector<Key>& events) {
  switch (state_) {
    case State::Ground: ground(byte, events); break;
    case State::Escape: afterEscape(byte, events); break;
    case State::Csi: inCsi(byte, events); break;
    case State::Ss3: inSs3(byte, events); break;
    case State::Utf8: inUtf8(byte, events); break;
    case State::ControlString: inControlString(byte); break;
    case State::Paste: inPaste(byte); break;
    case State::LinuxFunction:
      // The Linux console's F1 to F5: "CSI [ A" to "CSI [ E".
      state_ = State::Ground;
      if (byte >= 'A' && byte <= 'E') {
        key(Key::named(functionKey(byte - 'A')), events);
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
          events.push_back(mouseFromCode(collected_[0] - 32, false, position(collected_[1]), position(collected_[2])));
        }
      }
      break;
  }
}

void InputDecoder::reset() {
  state_ = State::Ground;
  alt_ = false;
  escapeEndsString_ = false;
}

void InputDecoder::ground(unsigned char byte, std::vector<Key>& events) {
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

void InputDecoder::inUtf8(unsigned char byte, std::vector<Key>& events) {
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

void InputDecoder::afterEscape(unsigned char byte, std::vector<Key>& events) {
  const bool endsString = escapeEndsString_;
  escapeEndsString_ = false;
  if (endsString && byte == '\\') {
    state_ = State::Ground;  // the string terminator: the whole string is dropped
    return;
  }
  if (byte == '_' && !alt_) {
    state_ = State::ControlString;
    controlStringEmpty_ = true;
    return;
  }
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
      key(Key::of(kEscape), events);  // Esc Esc: Alt+Esc; this Esc starts anew
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

void InputDecoder::inControlString(unsigned char byte) {
  // Its bytes are dropped as they come, so a string of any length costs no
  // memory. Bell ends it as xterm allows; any Esc ends it, as "Esc \\"
  // normally, or starting a sequence of its own.
  if (byte == kEsc) {
    state_ = State::Escape;
    alt_ = false;
    escapeEndsString_ = true;
  } else if (byte == kBell) {
    state_ = State::Ground;
  } else {
    controlStringEmpty_ = false;
  }
}

void InputDecoder::inPaste(unsigned char byte) {
  if (byte == static_cast<unsigned char>(kPasteEnd[pasteEndMatched_])) {
    if (++pasteEndMatched_ == kPasteEnd.size()) state_ = State::Ground;
  } else {
    pasteEndMatched_ = byte == kEsc ? 1 : 0;
  }
}

void InputDecoder::inCsi(unsigned char byte, std::vector<Key>& events) {
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

void InputDecoder::finishCsi(unsigned char final, std::vector<Key>& events) {
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
  if (marker_ == '\0' && !intermediate_ && final == '~' && parameterCount_ == 1 && parameters_[0] == 200) {
    state_ = State::Paste;  // what is pasted is not typed
    pasteEndMatched_ = 0;
    alt_ = false;
    return;
  }
  const int modifier = parameterCount_ >= 2 ? parameters_[1] : 1;
  std::optional<Key> result;
  if (intermediate_ || marker_ == '!') {
    // malformed: dropped
  } else if (marker_ == '<') {
    if ((final == 'M' || final == 'm') && parameterCount_ >= 3) {
      alt_ = false;
      events.push_back(mouseFromCode(parameters_[0], final == 'm', parameters_[1], parameters_[2]));
      return;
    }
  } else if (marker_ == '\0') {
    if (final == '~') {
      if (std::optional<KeyName> name = tildeKey(parameters_[0])) result = namedKey(*name, modifier);
    } else if (final == 'Z') {
      result = Key::named(KeyName::BackTab, kShift);
    } else if (std::optional<KeyName> name = finalKey(final)) {
      result = namedKey(*name, modifier);
    } else if (std::optional<KeyName> arrow = rxvtArrow(final)) {
      result = namedKey(*arrow, 2);
    }
  }
  if (result) {
    key(*result, events);
  } else {
    alt_ = false;  // focus reports, a paste's end marker without its start, keys nobody knows
  }
}

void InputDecoder::inSs3(unsigned char byte, std::vector<Key>& events) {
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

void InputDecoder::character(char32_t codePoint, std::vector<Key>& events) {
  switch (codePoint) {
    case 0:  // Ctrl+Space
      alt_ = false;
      return;
    case '\n': case '\r': key(Key::of(kEnter), events); return;
    case '\b': case 0x7F: key(Key::of(kBackspace), events); return;
    default: break;
  }
  if (std::optional<char> byte = windows1252Byte(codePoint)) {
    key(Key::of(*byte), events);
  } else if (alt_) {
    key(Key::named(KeyName::Other), events);  // Alt with a character the program lacks: still a key
  }
}

// An Esc before the key makes it an Alt combination.
void InputDecoder::key(Key decoded, std::vector<Key>& events) {
  if (alt_) decoded.modifiers |= kAlt;
  alt_ = false;
  events.push_back(decoded);
}

void InputDecoder::expire(std::vector<Key>& events) {
  if (state_ == State::Paste) return;
  const State state = state_;
  state_ = State::Ground;
  escapeEndsString_ = false;
  switch (state) {
    case State::Escape:
      key(Key::of(kEscape), events);  // a lone Esc, or Alt+Esc after Esc Esc
      return;
    case State::Ss3:
      if (parameterCount_ == 0) {
        alt_ = true;
        key(Key::of('O'), events);  // Alt+Shift+O
        return;
      }
      break;
    case State::Utf8:
      if (collectedCount_ == 1) {
        character(collected_[0], events);
        return;
      }
      break;
    case State::ControlString:
      if (controlStringEmpty_) {
        alt_ = true;
        key(Key::of('_'), events);  // Alt+_, typed
        return;
      }
      break;
    default:
      break;
  }
  alt_ = false;
}

std::optional<Key> MouseTracker::track(const Key& report, std::int64_t milliseconds) {
  if (report.action != MouseAction::Press && report.action != MouseAction::Release) return std::nullopt;
  const int bit = report.button;
  int button = bit;
  if (report.action == MouseAction::Press) {
    if (bit == 0) return std::nullopt;
    held_ |= bit;  // a press of a button held already: its release never came, and this press counts
  } else {
    const int released = bit == 0 ? held_ : (held_ & bit);
    if (released == 0) return std::nullopt;  // nothing was held
    held_ &= ~released;
    button = released & -released;  // the lowest-numbered button let go
  }
  // Outside the 100 x 43 screen no click can mean anything.
  const bool onScreen =
      report.row >= 1 && report.row <= kScreenRows && report.column >= 1 && report.column <= kScreenColumns;
  if (!onScreen) {
    havePress_ = false;
    return std::nullopt;
  }
  MouseAction action = report.action;
  if (action == MouseAction::Press && bit != kLeftButton) {
    havePress_ = false;  // another button breaks a double-click
  } else if (action == MouseAction::Press) {
    const bool again = havePress_ && pressRow_ == report.row && pressColumn_ == report.column &&
                       milliseconds - pressTime_ <= kDoubleClickMilliseconds;
    if (again) action = MouseAction::DoubleClick;
    havePress_ = !again;  // a third press starts a new pair
    pressRow_ = report.row;
    pressColumn_ = report.column;
    pressTime_ = milliseconds;
  }
  return Key::mouse(action, button, report.row, report.column);
}

}  // namespace pentrill
