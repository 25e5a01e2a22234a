// The terminal's input bytes turned into the program's KeyStrings and mouse
// reports: key sequences, SGR and X10 mouse reports, UTF-8 characters and
// Alt combinations. Pure functions of the bytes; no terminal I/O here, so a
// sequence split over any number of reads decodes the same as in one.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "screen/input.h"

namespace pentrill {

// Numbers in a terminal report are read up to this value and no further,
// so that no arithmetic on a position can overflow.
inline constexpr int kReportNumberLimit = 99999;

// A mouse report as the terminal sends it.
struct TerminalMouse {
  enum class Action { Press, Release, Motion, Wheel };
  Action action = Action::Press;
  int button = 0;  // 0 left, 1 middle, 2 right; -1 for a release that does not say which (X10)
  int row = 1;     // from 1; 0 when the terminal could not express it; at most kReportNumberLimit
  int column = 1;
};

struct TerminalEvent {
  enum class Kind { Key, Mouse };
  Kind kind = Kind::Key;
  KeyString key;  // for Key: never empty
  TerminalMouse mouse;

  bool operator==(const TerminalEvent& other) const;
};

// Decodes the terminal's bytes as they arrive. Bytes that may be the start
// of a longer sequence are held until the rest comes or the caller says that
// the escape delay has passed: then a lone Esc is the Esc key and any
// unfinished sequence is dropped whole, never read as keys. Memory stays
// bounded whatever arrives.
class InputDecoder {
 public:
  // `utf8`: the terminal sends UTF-8; otherwise every byte is one character.
  explicit InputDecoder(bool utf8 = true) : utf8_(utf8) {}

  // Appends the events that the bytes complete.
  void feed(std::string_view bytes, std::vector<TerminalEvent>& events);
  // True while bytes are held waiting for the rest of a sequence or character.
  bool pending() const { return state_ != State::Ground; }
  // The escape delay has passed without more bytes.
  void expire(std::vector<TerminalEvent>& events);

 private:
  enum class State { Ground, Escape, Csi, Ss3, LinuxFunction, X10Mouse, Utf8 };
  static constexpr int kMaxParameters = 8;

  void feedByte(unsigned char byte, std::vector<TerminalEvent>& events);
  void ground(unsigned char byte, std::vector<TerminalEvent>& events);
  void afterEscape(unsigned char byte, std::vector<TerminalEvent>& events);
  void inCsi(unsigned char byte, std::vector<TerminalEvent>& events);
  void inSs3(unsigned char byte, std::vector<TerminalEvent>& events);
  void inUtf8(unsigned char byte, std::vector<TerminalEvent>& events);
  void finishCsi(unsigned char final, std::vector<TerminalEvent>& events);
  void character(char32_t codePoint, std::vector<TerminalEvent>& events);
  void key(KeyString key, std::vector<TerminalEvent>& events);
  void reset();

  bool utf8_;
  State state_ = State::Ground;
  bool alt_ = false;  // an Esc came before the key now being read
  // CSI and SS3: private marker, parameters, intermediates seen.
  char marker_ = '\0';
  int parameters_[kMaxParameters] = {};
  int parameterCount_ = 0;
  bool intermediate_ = false;
  // X10 mouse report and UTF-8 character being collected.
  unsigned char collected_[3] = {};
  int collectedCount_ = 0;
  int utf8Remaining_ = 0;
  char32_t codePoint_ = 0;
  char32_t utf8Minimum_ = 0;
};

// Turns the terminal's mouse reports into MouseReports: keeps which buttons
// are held and recognises the second press of a double-click.
class MouseTracker {
 public:
  static constexpr int kDoubleClickMilliseconds = 500;

  // Appends the reports for one terminal report: none when it changes no
  // button (wheel, motion, a release of a button not held), two for a press
  // of a button whose release was lost.
  void report(const TerminalMouse& mouse, std::int64_t milliseconds, std::vector<MouseReport>& reports);

 private:
  int held_ = 0;
  bool havePress_ = false;
  int pressRow_ = 0;
  int pressColumn_ = 0;
  std::int64_t pressTime_ = 0;
};

}  // namespace pentrill
