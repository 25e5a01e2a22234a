// The terminal's input bytes, decoded byte by byte: keys, sequences cut and
// split anywhere, garbage, huge numbers, and the mouse reports of both forms.
#include "screen/terminal_input.h"

#include <gtest/gtest.h>

#include "tests/fakes/key_printer.h"

#include <optional>
#include <string>
#include <vector>

namespace pentrill {
namespace {

using Action = MouseAction;

Key key(char c, int modifiers = 0) { return Key::of(c, modifiers); }
Key named(KeyName name, int modifiers = 0) { return Key::named(name, modifiers); }
Key mouseAt(Action action, int button, int row, int column) { return Key::mouse(action, button, row, column); }

std::string describe(const std::vector<Key>& events) {
  std::string text;
  for (const Key& event : events) text += testing::PrintToString(event) + "; ";
  return text;
}

// Everything the bytes give, the escape delay passing at the end.
std::vector<Key> decode(std::string_view bytes, bool utf8 = true) {
  InputDecoder decoder(utf8);
  std::vector<Key> events;
  decoder.feed(bytes, events);
  decoder.expire(events);
  return events;
}

// The same bytes in every split into two reads, and one byte per read, give
// the same events as one read.
void expectSameInAnySplit(std::string_view bytes) {
  const std::vector<Key> whole = decode(bytes);
  for (size_t cut = 1; cut < bytes.size(); ++cut) {
    InputDecoder decoder;
    std::vector<Key> events;
    decoder.feed(bytes.substr(0, cut), events);
    decoder.feed(bytes.substr(cut), events);
    decoder.expire(events);
    EXPECT_EQ(describe(events), describe(whole)) << "cut after byte " << cut;
  }
  InputDecoder decoder;
  std::vector<Key> events;
  for (char byte : bytes) decoder.feed(std::string_view(&byte, 1), events);
  decoder.expire(events);
  EXPECT_EQ(describe(events), describe(whole)) << "one byte at a time";
}

#define EXPECT_DECODES(bytes, ...) \
  EXPECT_EQ(describe(decode(bytes)), describe(std::vector<Key>{__VA_ARGS__})) << testing::PrintToString(std::string(bytes))

TEST(InputDecoder, CharactersBecomeWindows1252Bytes) {
  EXPECT_DECODES("aZ9 ?", key('a'), key('Z'), key('9'), key(' '), key('?'));
  EXPECT_DECODES("\xc3\xa9\xe2\x82\xac\xe2\x80\x94", key('\xE9'), key('\x80'), key('\x97'));  // é € —
  // Characters that Windows-1252 lacks, and malformed UTF-8, give no key.
  EXPECT_DECODES("\xe4\xb8\xad\xf0\x9f\x98\x80", );
  EXPECT_DECODES("\xed\xa0\x80x", key('x'));  // a surrogate
  // A byte that starts no UTF-8 character is taken as Latin-1, as a terminal
  // in an 8-bit character set sends it.
  EXPECT_DECODES("\xe9t\xe9", key('\xE9'), key('t'), key('\xE9'));
  EXPECT_DECODES("\xc0\xaf", key('\xC0'), key('\xAF'));
  EXPECT_EQ(describe(decode("\xe9\xc3", false)), describe({key('\xE9'), key('\xC3')}));
}

TEST(InputDecoder, EnterBackspaceTabAndControlKeys) {
  EXPECT_DECODES("\r\n\x7f\b\t", key(kEnter), key(kEnter), key(kBackspace), key(kBackspace),
                 key(kTab));
  EXPECT_DECODES(std::string("\x01\0\x1a", 3), key('\x01'), key('\x1a'));  // Ctrl+Space gives nothing
}

TEST(InputDecoder, KeysWithoutACharacterInEveryCommonForm) {
  EXPECT_DECODES("\x1b[A\x1bOB\x1b[C\x1bOD", named(KeyName::Up), named(KeyName::Down), named(KeyName::Right),
                 named(KeyName::Left));
  EXPECT_DECODES("\x1b[H\x1b[F\x1b[1~\x1b[4~\x1b[7~\x1b[8~", named(KeyName::Home), named(KeyName::End),
                 named(KeyName::Home), named(KeyName::End), named(KeyName::Home), named(KeyName::End));
  EXPECT_DECODES("\x1b[2~\x1b[3~\x1b[5~\x1b[6~", named(KeyName::Insert), named(KeyName::Delete),
                 named(KeyName::PageUp), named(KeyName::PageDown));
  EXPECT_DECODES("\x1bOP\x1bOS\x1b[11~\x1b[15~\x1b[17~\x1b[21~\x1b[23~\x1b[24~", named(KeyName::F1), named(KeyName::F4),
                 named(KeyName::F1), named(KeyName::F5), named(KeyName::F6), named(KeyName::F10), named(KeyName::F11),
                 named(KeyName::F12));
  EXPECT_DECODES("\x1b[[A\x1b[[E", named(KeyName::F1), named(KeyName::F5));  // the Linux console
  EXPECT_DECODES("\x1b[Z", named(KeyName::BackTab, kShift));
  // With Shift, Ctrl and Alt (xterm's modifier parameter; Meta counts as Alt).
  EXPECT_DECODES("\x1b[1;2P\x1b[1;5A\x1b[3;5~\x1b[15;3~\x1b[1;3B\x1b[24;6~\x1b[1;9C", named(KeyName::F1, kShift),
                 named(KeyName::Up, kCtrl), named(KeyName::Delete, kCtrl), named(KeyName::F5, kAlt),
                 named(KeyName::Down, kAlt), named(KeyName::F12, kShift | kCtrl), named(KeyName::Right, kAlt));
  // rxvt: Shift with a cursor key ("CSI a"), Ctrl ("SS3 a").
  EXPECT_DECODES("\x1b[a\x1bOd", named(KeyName::Up, kShift), named(KeyName::Left, kCtrl));
}

TEST(InputDecoder, KeypadInApplicationModeGivesItsCharacters) {
  EXPECT_DECODES("\x1bOp\x1bOq\x1bOy\x1bOk\x1bOm\x1bOn\x1bOM", key('0'), key('1'), key('9'),
                 key('+'), key('-'), key('.'), key(kEnter));
}

TEST(InputDecoder, OnlyALoneEscIsEsc) {
  EXPECT_DECODES("\x1b", key(kEscape));
  // Esc before a key is Alt with that key: a key of its own that no screen
  // takes as the key alone, never Esc.
  EXPECT_DECODES("\x1b" "a\x1b" "A\x1bp", key('a', kAlt), key('A', kAlt), key('p', kAlt));
  EXPECT_DECODES("\x1b" "1\x1b" "0\x1b-", key('1', kAlt), key('0', kAlt), key('-', kAlt));
  EXPECT_DECODES("\x1b \x1b?\x1b\xc3\xa9", key(' ', kAlt), key('?', kAlt), key('\xE9', kAlt));
  EXPECT_DECODES("\x1b\xe4\xb8\xad", named(KeyName::Other, kAlt));  // a character Windows-1252 lacks
  EXPECT_DECODES("\x1b\x1b[A\x1b\x1bOP", named(KeyName::Up, kAlt), named(KeyName::F1, kAlt));
  EXPECT_DECODES("\x1b\x1b", key(kEscape, kAlt));
  EXPECT_DECODES("\x1b\r\x1b\x7f", key(kEnter, kAlt), key(kBackspace, kAlt));
  EXPECT_DECODES("\x1bO", key('O', kAlt));  // Alt+Shift+O, alone
  EXPECT_DECODES("\x1b\x1b\x1b", key(kEscape, kAlt), key(kEscape));
}

TEST(InputDecoder, EscWaitsForTheEscapeDelayBeforeItCounts) {
  InputDecoder decoder;
  std::vector<Key> events;
  decoder.feed("x\x1b", events);
  EXPECT_EQ(describe(events), describe({key('x')}));
  EXPECT_TRUE(decoder.pending());
  decoder.expire(events);
  EXPECT_FALSE(decoder.pending());
  EXPECT_EQ(describe(events), describe({key('x'), key(kEscape)}));
  decoder.expire(events);  // nothing held: nothing more
  EXPECT_EQ(events.size(), 2u);
}

TEST(InputDecoder, UnfinishedSequencesAreDroppedWholeNeverTyped) {
  for (const char* cut : {"\x1b[", "\x1b[<", "\x1b[<0", "\x1b[<0;10", "\x1b[<0;10;", "\x1b[<0;10;5", "\x1b[1;",
                          "\x1b[15", "\x1b[M", "\x1b[M ", "\x1b[M !", "\x1b[[", "\x1bO5", "\xe2\x82"}) {
    InputDecoder decoder;
    std::vector<Key> events;
    decoder.feed(cut, events);
    EXPECT_TRUE(decoder.pending()) << testing::PrintToString(std::string(cut));
    decoder.expire(events);
    decoder.feed("x", events);
    EXPECT_EQ(describe(events), describe({key('x')})) << testing::PrintToString(std::string(cut));
  }
}

TEST(InputDecoder, SequencesSplitAnywhereDecodeAsWhole) {
  for (const char* bytes : {"a\x1b[A\x1b[<0;20;8M\x1b[<0;20;8mb", "\x1b[15;5~\xc3\xa9\x1bOq", "\x1b[M !!\x1b[M#!!z",
                            "\x1b\x1b[B\x1b" "a\x1b[[C", "\x1b[<64;3;3M\x1b[<2;100;43M\x1b[<35;1;1M"})
    expectSameInAnySplit(bytes);
}

TEST(InputDecoder, GarbageAndUnknownSequencesGiveNothing) {
  EXPECT_DECODES("\x1b[99~\x1b[E\x1b[I\x1b[O\x1b[201~\x1b[?1;2c\x1b[>0;95;0c\x1bOz", );
  EXPECT_DECODES("\x1b[1$A\x1b[1 q\x1b[<0;1;1;1;1;1;1;1;1;1;1;1M\x1b[<1<2M\x1b[<0;5M", );
  // A sequence cut off by a control character or a new Esc: the control
  // character still counts, the new sequence too.
  EXPECT_DECODES("\x1b[<0;1\r", key(kEnter));
  EXPECT_DECODES("\x1b[<0;1\x1b[B", named(KeyName::Down));
  EXPECT_DECODES("\x1b[1\xc3\xa9", key('\xE9'));
}

// A terminal's reply to the kitty graphics query that comes after the
// program stopped waiting for it: an application program command, never keys.
TEST(InputDecoder, ALateKittyGraphicsReplyIsDroppedWhole) {
  EXPECT_DECODES("a\x1b_Gi=31;OK\x1b\\b", key('a'), key('b'));
  EXPECT_DECODES("\x1b_Gi=31;EINVAL:bad\x07" "c", key('c'));  // ended by Bell
  EXPECT_DECODES("\x1b_Gi=31\x1b[A", named(KeyName::Up));     // cut off by a new sequence
  EXPECT_DECODES("\x1b_Gi=31;OK", );                           // unfinished: dropped at the delay
  EXPECT_DECODES("\x1b_Gi=31;OK\x1b\\\x1b", key(kEscape));     // an Esc after it is the Esc key
  EXPECT_DECODES("\x1b_", key('_', kAlt));                     // Alt+_ typed alone
  EXPECT_DECODES("\x1b\\\x1bq", key('\\', kAlt), key('q', kAlt));  // Alt+\ outside a string
  EXPECT_DECODES("\x1b_G" + std::string(100000, 'x') + "\x1b\\z", key('z'));
  expectSameInAnySplit("a\x1b_Gi=31;OK\x1b\\b\x1b[A");
}

// Between the markers of a bracketed paste nothing is a key, however the
// bytes are split and however long the end marker takes.
TEST(InputDecoder, ABracketedPasteGivesNothing) {
  EXPECT_DECODES("a\x1b[200~b\r\x1b\x1b[A\x1b[201\x1b[\x1b[201~\x1b", key('a'), key(kEscape));
  expectSameInAnySplit("a\x1b[200~b\x1b[A\x1b[201\x1b[201~c\x1b[B");
  InputDecoder decoder;
  std::vector<Key> events;
  decoder.feed("\x1b[200~pasted", events);
  EXPECT_FALSE(decoder.pending());
  decoder.expire(events);
  decoder.feed(" more\x1b[201~z", events);
  EXPECT_EQ(describe(events), describe({key('z')}));
}

TEST(InputDecoder, SgrMouseReports) {
  EXPECT_DECODES("\x1b[<0;20;8M\x1b[<0;20;8m", mouseAt(Action::Press, kLeftButton, 8, 20), mouseAt(Action::Release, kLeftButton, 8, 20));
  EXPECT_DECODES("\x1b[<1;1;1M\x1b[<2;100;43M", mouseAt(Action::Press, kMiddleButton, 1, 1), mouseAt(Action::Press, kRightButton, 43, 100));
  EXPECT_DECODES("\x1b[<64;5;5M\x1b[<65;5;5M\x1b[<32;5;6M\x1b[<128;5;5M", mouseAt(Action::Wheel, kLeftButton, 5, 5),
                 mouseAt(Action::Wheel, kMiddleButton, 5, 5), mouseAt(Action::Motion, kLeftButton, 6, 5), mouseAt(Action::Wheel, kLeftButton, 5, 5));
  // With modifiers (Shift 4, Alt 8, Ctrl 16) it is still the same button.
  EXPECT_DECODES("\x1b[<16;3;4M\x1b[<8;3;4m", mouseAt(Action::Press, kLeftButton, 4, 3), mouseAt(Action::Release, kLeftButton, 4, 3));
  // An Esc in front is no Alt for a click.
  EXPECT_DECODES("\x1b\x1b[<0;2;2M", mouseAt(Action::Press, kLeftButton, 2, 2));
}

TEST(InputDecoder, HugeAndZeroPositionsAreClampedBeforeAnyArithmetic) {
  EXPECT_DECODES("\x1b[<0;2147483648;1M", mouseAt(Action::Press, kLeftButton, 1, kReportNumberLimit));
  EXPECT_DECODES("\x1b[<0;5;99999999999999999999999M", mouseAt(Action::Press, kLeftButton, kReportNumberLimit, 5));
  EXPECT_DECODES("\x1b[<0;0;0M", mouseAt(Action::Press, kLeftButton, 0, 0));
  EXPECT_DECODES("\x1b[<99999999999;1;1M", mouseAt(Action::Wheel, 0, 1, 1));
  EXPECT_DECODES("\x1b[4294967297A", named(KeyName::Up));
}

TEST(InputDecoder, OldStyleMouseReportsNeverBecomeKeys) {
  // Button byte, column byte, row byte, each 32 more than its value. A blank
  // or a letter among them is part of the report, not a key.
  EXPECT_DECODES("\x1b[M !!", mouseAt(Action::Press, kLeftButton, 1, 1));
  EXPECT_DECODES("\x1b[M#a ", mouseAt(Action::Release, 0, 0, 65));
  EXPECT_DECODES("\x1b[M\"\x84\x4b", mouseAt(Action::Press, kRightButton, 43, 100));  // bytes above 127 are no UTF-8 here
  EXPECT_DECODES("\x1b[M`!!\x1b[M\xff\xff\xff", mouseAt(Action::Wheel, kLeftButton, 1, 1), mouseAt(Action::Wheel, 0, 223, 223));
  EXPECT_DECODES("\x1b[M\x10!!y", key('y'));  // a button byte below 32 is no report
}

TEST(InputDecoder, ElevenClicksInOneReadGiveTwentyTwoReports) {
  std::string burst;
  for (int i = 0; i < 11; ++i) burst += "\x1b[<0;95;25M\x1b[<0;95;25m";
  const std::vector<Key> events = decode(burst);
  ASSERT_EQ(events.size(), 22u);
  for (size_t i = 0; i < events.size(); ++i)
    EXPECT_EQ(describe({events[i]}), describe({mouseAt(i % 2 ? Action::Release : Action::Press, kLeftButton, 25, 95)})) << i;
}

// The tracker: the buttons held, double-clicks, and positions outside the screen.
std::optional<Key> track(MouseTracker& tracker, Action action, int button, int row, int column,
                         std::int64_t milliseconds = 0) {
  return tracker.track(mouseAt(action, button, row, column), milliseconds);
}

TEST(MouseTracker, PressesAndReleasesOfButtonsHeld) {
  MouseTracker tracker;
  EXPECT_EQ(track(tracker, Action::Press, kLeftButton, 8, 20), mouseAt(Action::Press, kLeftButton, 8, 20));
  EXPECT_EQ(track(tracker, Action::Press, kRightButton, 8, 20), mouseAt(Action::Press, kRightButton, 8, 20));
  EXPECT_EQ(track(tracker, Action::Press, kMiddleButton, 8, 20), mouseAt(Action::Press, kMiddleButton, 8, 20));
  EXPECT_EQ(track(tracker, Action::Release, kLeftButton, 8, 20), mouseAt(Action::Release, kLeftButton, 8, 20));
  // X10 does not say which button: all are let go, the lowest named.
  EXPECT_EQ(track(tracker, Action::Release, 0, 8, 20), mouseAt(Action::Release, kRightButton, 8, 20));
  EXPECT_EQ(track(tracker, Action::Release, kMiddleButton, 8, 20), std::nullopt);  // nothing held
  EXPECT_EQ(track(tracker, Action::Release, 0, 8, 20), std::nullopt);
  EXPECT_EQ(track(tracker, Action::Press, 0, 8, 20), std::nullopt);
  EXPECT_EQ(track(tracker, Action::Wheel, kLeftButton, 8, 20), std::nullopt);
  EXPECT_EQ(track(tracker, Action::Motion, kLeftButton, 8, 20), std::nullopt);
}

TEST(MouseTracker, APressWhoseReleaseWasLostStillCounts) {
  MouseTracker tracker;
  track(tracker, Action::Press, kLeftButton, 3, 3, 0);
  EXPECT_EQ(track(tracker, Action::Press, kLeftButton, 9, 9, 1000), mouseAt(Action::Press, kLeftButton, 9, 9));
  EXPECT_EQ(track(tracker, Action::Release, kLeftButton, 9, 9, 1010), mouseAt(Action::Release, kLeftButton, 9, 9));
}

TEST(MouseTracker, SecondLeftPressSoonAtTheSameCellIsADoubleClick) {
  MouseTracker tracker;
  const Key press = mouseAt(Action::Press, kLeftButton, 25, 27);
  const Key doubleClick = mouseAt(Action::DoubleClick, kLeftButton, 25, 27);
  EXPECT_EQ(track(tracker, Action::Press, kLeftButton, 25, 27, 1000), press);
  track(tracker, Action::Release, kLeftButton, 25, 27, 1050);
  EXPECT_EQ(track(tracker, Action::Press, kLeftButton, 25, 27, 1200), doubleClick);
  track(tracker, Action::Release, kLeftButton, 25, 27, 1250);
  EXPECT_EQ(track(tracker, Action::Press, kLeftButton, 25, 27, 1300), press);  // a third starts anew

  MouseTracker slow, moved, interrupted, offScreen;
  track(slow, Action::Press, kLeftButton, 5, 5, 0);
  track(slow, Action::Release, kLeftButton, 5, 5, 10);
  EXPECT_EQ(track(slow, Action::Press, kLeftButton, 5, 5, 600), mouseAt(Action::Press, kLeftButton, 5, 5));
  track(moved, Action::Press, kLeftButton, 5, 5, 0);
  track(moved, Action::Release, kLeftButton, 5, 5, 10);
  EXPECT_EQ(track(moved, Action::Press, kLeftButton, 5, 6, 100), mouseAt(Action::Press, kLeftButton, 5, 6));
  track(interrupted, Action::Press, kLeftButton, 5, 5, 0);
  track(interrupted, Action::Release, kLeftButton, 5, 5, 10);
  track(interrupted, Action::Press, kRightButton, 5, 5, 20);
  track(interrupted, Action::Release, kRightButton, 5, 5, 30);
  EXPECT_EQ(track(interrupted, Action::Press, kLeftButton, 5, 5, 40), mouseAt(Action::Press, kLeftButton, 5, 5));
  track(offScreen, Action::Press, kLeftButton, 5, 5, 0);
  track(offScreen, Action::Release, kLeftButton, 5, 5, 10);
  track(offScreen, Action::Press, kLeftButton, 44, 5, 20);
  track(offScreen, Action::Release, kLeftButton, 44, 5, 30);
  EXPECT_EQ(track(offScreen, Action::Press, kLeftButton, 5, 5, 40), mouseAt(Action::Press, kLeftButton, 5, 5));
}

TEST(MouseTracker, OutsideTheScreenNothingIsReportedButTheButtonIsFollowed) {
  MouseTracker tracker;
  EXPECT_EQ(track(tracker, Action::Press, kLeftButton, 44, 5), std::nullopt);
  EXPECT_EQ(track(tracker, Action::Release, kLeftButton, kReportNumberLimit, kReportNumberLimit), std::nullopt);
  EXPECT_EQ(track(tracker, Action::Press, kLeftButton, 0, 0), std::nullopt);
  EXPECT_EQ(track(tracker, Action::Press, kLeftButton, 1, 101), std::nullopt);
  // Held since the press at 1,101: its release on the screen is reported.
  EXPECT_EQ(track(tracker, Action::Release, kLeftButton, 43, 100), mouseAt(Action::Release, kLeftButton, 43, 100));
  EXPECT_EQ(track(tracker, Action::Press, kLeftButton, 1, 1), mouseAt(Action::Press, kLeftButton, 1, 1));
}

}  // namespace
}  // namespace pentrill
