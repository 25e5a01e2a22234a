// The terminal's input bytes turned into the program's Keys: key sequences,
// SGR and X10 mouse reports, UTF-8 characters and Alt combinations; a
// bracketed paste gives nothing. Pure functions of the bytes; no terminal
// I/O here, so a sequence split over any number of reads decodes the same as
// in one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/key.h"

namespace pentrill {

// Numbers in a terminal report are read up to this value and no further,
// so that no arithmetic on a position can overflow.
inline constexpr int kReportNumberLimit = 99999;

// Decodes the terminal's bytes as they arrive. Bytes that may be the start
// of a longer sequence are held until the rest comes or the caller says that
// the escape delay has passed: then a lone Esc is the Esc key and any
// unfinished sequence is dropped whole, never read as keys. Memory stays
// bounded whatever arrives.
class InputDecoder {
 public:
  // `utf8`: the terminal sends UTF-8; otherwise every byte is one character.
  explicit InputDecoder(bool utf8 = true) : utf8_(utf8) {}

  // Appends the keys and mouse reports that the bytes complete. A mouse
  // report is a Key of kind Mouse: a press, release, motion or wheel event
  // with the terminal's row and column, up to kReportNumberLimit.
  void feed(std::string_view bytes, std::vector<Key>& events);
  // True while bytes are held waiting for the rest of a sequence or
  // character. Not inside a paste: its end marker is awaited however long
  // it takes, as a paste may come in pieces over a slow link.
  bool pending() const { return state_ != State::Ground && state_ != State::Paste; }
  // The escape delay has passed without more bytes.
  void expire(std::vector<Key>& events);

 private:
  enum class State { Ground, Escape, Csi, Ss3, LinuxFunction, X10Mouse, Utf8, ControlString, Paste };
  static constexpr int kMaxParameters = 8;

  void feedByte(unsigned char byte, std::vector<Key>& events);
  void ground(unsigned char byte, std::vector<Key>& events);
  void afterEscape(unsigned char byte, std::vector<Key>& events);
  void inCsi(unsigned char byte, std::vector<Key>& events);
  void inSs3(unsigned char byte, std::vector<Key>& events);
  void inUtf8(unsigned char byte, std::vector<Key>& events);
  void inControlString(unsigned char byte);
  void inPaste(unsigned char byte);
  void finishCsi(unsigned char final, std::vector<Key>& events);
  void character(char32_t codePoint, std::vector<Key>& events);
  void key(Key key, std::vector<Key>& events);
  void reset();

  bool utf8_;
  State state_ = State::Ground;
  bool alt_ = false;  // an Esc came before the key now being read
  // An application program command ("Esc _ ... Esc \\"): no key sends one,
  // but a terminal's late reply to the kitty graphics query is one.
  bool controlStringEmpty_ = true;  // nothing after "Esc _" yet: may be Alt+_
  bool escapeEndsString_ = false;   // this Esc came inside a string: "\\" ends it
  // Pasted text (after "CSI 200 ~") is dropped as it comes, up to the end
  // marker "CSI 201 ~": how many of the marker's bytes have just been seen.
  std::size_t pasteEndMatched_ = 0;
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

// Follows the terminal's mouse reports: keeps which buttons are held and
// recognises the second press of a double-click.
class MouseTracker {
 public:
  static constexpr int kDoubleClickMilliseconds = 500;

  // The press (or double-click) or release that a terminal report makes on
  // the 100 x 43 screen; nothing for wheel and motion, a release of a button
  // not held, or a position off the screen. A press of a button whose
  // release was lost counts as a new press.
  std::optional<Key> track(const Key& report, std::int64_t milliseconds);

 private:
  int held_ = 0;
  bool havePress_ = false;
  int pressRow_ = 0;
  int pressColumn_ = 0;
  std::int64_t pressTime_ = 0;
};

}  // namespace pentrill
