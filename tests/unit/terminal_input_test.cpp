// The terminal's input bytes, decoded byte by byte: keys, sequences cut and
// split anywhere, garbage, huge numbers, and the mouse reports of both forms.
#include "screen/terminal_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pentrill {
namespace {

using Action = TerminalMouse::Action;

TerminalEvent keyEvent(KeyString key) {
  TerminalEvent event;
  event.key = std::move(key);
  return event;
}
TerminalEvent keyEvent(char c) { return keyEvent(KeyString(1, c)); }
TerminalEvent extended(int scanCode) { return keyEvent(extendedKey(scanCode)); }
TerminalEvent mouseAt(Action action, int button, int row, int column) {
  TerminalEvent event;
  event.kind = TerminalEvent::Kind::Mouse;
  event.mouse = TerminalMouse{action, button, row, column};
  return event;
}

std::string describe(const std::vector<TerminalEvent>& events) {
  std::string text;
  for (const TerminalEvent& event : events) {
    if (event.kind == TerminalEvent::Kind::Mouse) {
      text += "mouse(" + std::to_string(static_cast<int>(event.mouse.action)) + " b" +
              std::to_string(event.mouse.button) + " " + std::to_string(event.mouse.row) + "," +
              std::to_string(event.mouse.column) + ") ";
    } else {
      text += "key(";
      for (unsigned char byte : event.key) text.append(" ").append(std::to_string(byte));
      text += ") ";
    }
  }
  return text;
}

// Everything the bytes give, the escape delay passing at the end.
std::vector<TerminalEvent> decode(std::string_view bytes, bool utf8 = true) {
  InputDecoder decoder(utf8);
  std::vector<TerminalEvent> events;
  decoder.feed(bytes, events);
  decoder.expire(events);
  return events;
}

// The same bytes in every split into two reads, and one byte per read, give
// the same events as one read.
void expectSameInAnySplit(std::string_view bytes) {
  const std::vector<TerminalEvent> whole = decode(bytes);
  for (size_t cut = 1; cut < bytes.size(); ++cut) {
    InputDecoder decoder;
    std::vector<TerminalEvent> events;
    decoder.feed(bytes.substr(0, cut), events);
    decoder.feed(bytes.substr(cut), events);
    decoder.expire(events);
    EXPECT_EQ(describe(events), describe(whole)) << "cut after byte " << cut;
  }
  InputDecoder decoder;
  std::vector<TerminalEvent> events;
  for (char byte : bytes) decoder.feed(std::string_view(&byte, 1), events);
  decoder.expire(events);
  EXPECT_EQ(describe(events), describe(whole)) << "one byte at a time";
}

#define EXPECT_DECODES(bytes, ...) \
  EXPECT_EQ(describe(decode(bytes)), describe(std::vector<TerminalEvent>{__VA_ARGS__})) << testing::PrintToString(std::string(bytes))

TEST(InputDecoder, CharactersBecomeWindows1252Bytes) {
  EXPECT_DECODES("aZ9 ?", keyEvent('a'), keyEvent('Z'), keyEvent('9'), keyEvent(' '), keyEvent('?'));
  EXPECT_DECODES("\xc3\xa9\xe2\x82\xac\xe2\x80\x94", keyEvent('\xE9'), keyEvent('\x80'), keyEvent('\x97'));  // é € —
  // Characters that Windows-1252 lacks, and malformed UTF-8, give no key.
  EXPECT_DECODES("\xe4\xb8\xad\xf0\x9f\x98\x80", );
  EXPECT_DECODES("\xed\xa0\x80x", keyEvent('x'));  // a surrogate
  // A byte that starts no UTF-8 character is taken as Latin-1, as a terminal
  // in an 8-bit character set sends it.
  EXPECT_DECODES("\xe9t\xe9", keyEvent('\xE9'), keyEvent('t'), keyEvent('\xE9'));
  EXPECT_DECODES("\xc0\xaf", keyEvent('\xC0'), keyEvent('\xAF'));
  EXPECT_EQ(describe(decode("\xe9\xc3", false)), describe({keyEvent('\xE9'), keyEvent('\xC3')}));
}

TEST(InputDecoder, EnterBackspaceTabAndControlKeys) {
  EXPECT_DECODES("\r\n\x7f\b\t", keyEvent(kEnter), keyEvent(kEnter), keyEvent(kBackspace), keyEvent(kBackspace),
                 keyEvent(kTab));
  EXPECT_DECODES(std::string("\x01\0\x1a", 3), keyEvent('\x01'), keyEvent('\x1a'));  // Ctrl+Space gives nothing
}

TEST(InputDecoder, KeysWithoutACharacterInEveryCommonForm) {
  EXPECT_DECODES("\x1b[A\x1bOB\x1b[C\x1bOD", extended(scan::Up), extended(scan::Down), extended(scan::Right),
                 extended(scan::Left));
  EXPECT_DECODES("\x1b[H\x1b[F\x1b[1~\x1b[4~\x1b[7~\x1b[8~", extended(scan::Home), extended(scan::End),
                 extended(scan::Home), extended(scan::End), extended(scan::Home), extended(scan::End));
  EXPECT_DECODES("\x1b[2~\x1b[3~\x1b[5~\x1b[6~", extended(scan::Insert), extended(scan::Delete),
                 extended(scan::PageUp), extended(scan::PageDown));
  EXPECT_DECODES("\x1bOP\x1bOS\x1b[11~\x1b[15~\x1b[17~\x1b[21~\x1b[23~\x1b[24~", extended(scan::F1), extended(scan::F4),
                 extended(scan::F1), extended(scan::F5), extended(scan::F6), extended(scan::F10), extended(scan::F11),
                 extended(scan::F12));
  EXPECT_DECODES("\x1b[[A\x1b[[E", extended(scan::F1), extended(scan::F5));  // the Linux console
  EXPECT_DECODES("\x1b[Z", extended(15));                                   // Shift+Tab
  // With Shift, Ctrl and Alt (xterm's modifier parameter): PC scan codes.
  EXPECT_DECODES("\x1b[1;2P\x1b[1;5A\x1b[3;5~\x1b[15;3~\x1b[1;3B\x1b[24;6~", extended(84), extended(141),
                 extended(147), extended(108), extended(160), extended(138));
}

TEST(InputDecoder, KeypadInApplicationModeGivesItsCharacters) {
  EXPECT_DECODES("\x1bOp\x1bOq\x1bOy\x1bOk\x1bOm\x1bOn\x1bOM", keyEvent('0'), keyEvent('1'), keyEvent('9'),
                 keyEvent('+'), keyEvent('-'), keyEvent('.'), keyEvent(kEnter));
}

TEST(InputDecoder, OnlyALoneEscIsEsc) {
  EXPECT_DECODES("\x1b", keyEvent(kEscape));
  // Alt with a letter gives the letter's scan code; every other Alt
  // combination is a key of its own that no screen takes, never Esc.
  EXPECT_DECODES("\x1b" "a\x1b" "A\x1bp", extended(30), extended(30), extended(25));
  EXPECT_DECODES("\x1b" "1\x1b" "0\x1b-", extended(120), extended(129), extended(130));
  EXPECT_DECODES("\x1b \x1b?\x1b\xc3\xa9", extended(0), extended(0), extended(0));
  EXPECT_DECODES("\x1b\x1b[A\x1b\x1bOP", extended(152), extended(104));  // Alt+Up, Alt+F1
  EXPECT_DECODES("\x1b\x1b", extended(1));                               // Alt+Esc
  EXPECT_DECODES("\x1b\r\x1b\x7f", extended(28), extended(14));          // Alt+Enter, Alt+Backspace
  EXPECT_DECODES("\x1bO", extended(24));                                 // Alt+Shift+O, alone
  EXPECT_DECODES("\x1b\x1b\x1b", extended(1), keyEvent(kEscape));
}

TEST(InputDecoder, EscWaitsForTheEscapeDelayBeforeItCounts) {
  InputDecoder decoder;
  std::vector<TerminalEvent> events;
  decoder.feed("x\x1b", events);
  EXPECT_EQ(describe(events), describe({keyEvent('x')}));
  EXPECT_TRUE(decoder.pending());
  decoder.expire(events);
  EXPECT_FALSE(decoder.pending());
  EXPECT_EQ(describe(events), describe({keyEvent('x'), keyEvent(kEscape)}));
  decoder.expire(events);  // nothing held: nothing more
  EXPECT_EQ(events.size(), 2u);
}

TEST(InputDecoder, UnfinishedSequencesAreDroppedWholeNeverTyped) {
  for (const char* cut : {"\x1b[", "\x1b[<", "\x1b[<0", "\x1b[<0;10", "\x1b[<0;10;", "\x1b[<0;10;5", "\x1b[1;",
                          "\x1b[15", "\x1b[M", "\x1b[M ", "\x1b[M !", "\x1b[[", "\x1bO5", "\xe2\x82"}) {
    InputDecoder decoder;
    std::vector<TerminalEvent> events;
    decoder.feed(cut, events);
    EXPECT_TRUE(decoder.pending()) << testing::PrintToString(std::string(cut));
    decoder.expire(events);
    decoder.feed("x", events);
    EXPECT_EQ(describe(events), describe({keyEvent('x')})) << testing::PrintToString(std::string(cut));
  }
}

TEST(InputDecoder, SequencesSplitAnywhereDecodeAsWhole) {
  for (const char* bytes : {"a\x1b[A\x1b[<0;20;8M\x1b[<0;20;8mb", "\x1b[15;5~\xc3\xa9\x1bOq", "\x1b[M !!\x1b[M#!!z",
                            "\x1b\x1b[B\x1b" "a\x1b[[C", "\x1b[<64;3;3M\x1b[<2;100;43M\x1b[<35;1;1M"})
    expectSameInAnySplit(bytes);
}

TEST(InputDecoder, GarbageAndUnknownSequencesGiveNothing) {
  EXPECT_DECODES("\x1b[99~\x1b[E\x1b[I\x1b[O\x1b[200~\x1b[?1;2c\x1b[>0;95;0c\x1bOz", );
  EXPECT_DECODES("\x1b[1$A\x1b[1 q\x1b[<0;1;1;1;1;1;1;1;1;1;1;1M\x1b[<1<2M\x1b[<0;5M", );
  // A sequence cut off by a control character or a new Esc: the control
  // character still counts, the new sequence too.
  EXPECT_DECODES("\x1b[<0;1\r", keyEvent(kEnter));
  EXPECT_DECODES("\x1b[<0;1\x1b[B", extended(scan::Down));
  EXPECT_DECODES("\x1b[1\xc3\xa9", keyEvent('\xE9'));
}

TEST(InputDecoder, SgrMouseReports) {
  EXPECT_DECODES("\x1b[<0;20;8M\x1b[<0;20;8m", mouseAt(Action::Press, 0, 8, 20), mouseAt(Action::Release, 0, 8, 20));
  EXPECT_DECODES("\x1b[<1;1;1M\x1b[<2;100;43M", mouseAt(Action::Press, 1, 1, 1), mouseAt(Action::Press, 2, 43, 100));
  EXPECT_DECODES("\x1b[<64;5;5M\x1b[<65;5;5M\x1b[<32;5;6M\x1b[<128;5;5M", mouseAt(Action::Wheel, 0, 5, 5),
                 mouseAt(Action::Wheel, 1, 5, 5), mouseAt(Action::Motion, 0, 6, 5), mouseAt(Action::Wheel, 0, 5, 5));
  // With modifiers (Shift 4, Alt 8, Ctrl 16) it is still the same button.
  EXPECT_DECODES("\x1b[<16;3;4M\x1b[<8;3;4m", mouseAt(Action::Press, 0, 4, 3), mouseAt(Action::Release, 0, 4, 3));
  // An Esc in front is no Alt for a click.
  EXPECT_DECODES("\x1b\x1b[<0;2;2M", mouseAt(Action::Press, 0, 2, 2));
}

TEST(InputDecoder, HugeAndZeroPositionsAreClampedBeforeAnyArithmetic) {
  EXPECT_DECODES("\x1b[<0;2147483648;1M", mouseAt(Action::Press, 0, 1, kReportNumberLimit));
  EXPECT_DECODES("\x1b[<0;5;99999999999999999999999M", mouseAt(Action::Press, 0, kReportNumberLimit, 5));
  EXPECT_DECODES("\x1b[<0;0;0M", mouseAt(Action::Press, 0, 0, 0));
  EXPECT_DECODES("\x1b[<99999999999;1;1M", mouseAt(Action::Wheel, -1, 1, 1));
  EXPECT_DECODES("\x1b[4294967297A", extended(scan::Up));
}

TEST(InputDecoder, OldStyleMouseReportsNeverBecomeKeys) {
  // Button byte, column byte, row byte, each 32 more than its value. A blank
  // or a letter among them is part of the report, not a key.
  EXPECT_DECODES("\x1b[M !!", mouseAt(Action::Press, 0, 1, 1));
  EXPECT_DECODES("\x1b[M#a ", mouseAt(Action::Release, -1, 0, 65));
  EXPECT_DECODES("\x1b[M\"\x84\x4b", mouseAt(Action::Press, 2, 43, 100));  // bytes above 127 are no UTF-8 here
  EXPECT_DECODES("\x1b[M`!!\x1b[M\xff\xff\xff", mouseAt(Action::Wheel, 0, 1, 1), mouseAt(Action::Wheel, -1, 223, 223));
  EXPECT_DECODES("\x1b[M\x10!!y", keyEvent('y'));  // a button byte below 32 is no report
}

TEST(InputDecoder, ElevenClicksInOneReadGiveTwentyTwoReports) {
  std::string burst;
  for (int i = 0; i < 11; ++i) burst += "\x1b[<0;95;25M\x1b[<0;95;25m";
  const std::vector<TerminalEvent> events = decode(burst);
  ASSERT_EQ(events.size(), 22u);
  for (size_t i = 0; i < events.size(); ++i)
    EXPECT_EQ(describe({events[i]}), describe({mouseAt(i % 2 ? Action::Release : Action::Press, 0, 25, 95)})) << i;
}

// The tracker: the buttons held, double-clicks, and positions outside the screen.
std::vector<MouseReport> track(MouseTracker& tracker, Action action, int button, int row, int column,
                               std::int64_t milliseconds = 0) {
  std::vector<MouseReport> reports;
  tracker.report(TerminalMouse{action, button, row, column}, milliseconds, reports);
  return reports;
}

std::string describe(const std::vector<MouseReport>& reports) {
  std::string text;
  for (const MouseReport& r : reports)
    text += std::to_string(r.row) + "," + std::to_string(r.column) + " held " + std::to_string(r.buttons) +
            (r.doubleClick ? " double" : "") + (r.moved ? " moved" : "") + "; ";
  return text;
}

TEST(MouseTracker, ButtonsHeldTravelWithEveryReport) {
  MouseTracker tracker;
  EXPECT_EQ(describe(track(tracker, Action::Press, 0, 8, 20)), "8,20 held 1; ");
  EXPECT_EQ(describe(track(tracker, Action::Press, 2, 8, 20)), "8,20 held 3; ");
  EXPECT_EQ(describe(track(tracker, Action::Press, 1, 8, 20)), "8,20 held 7; ");
  EXPECT_EQ(describe(track(tracker, Action::Release, 0, 8, 20)), "8,20 held 6; ");
  EXPECT_EQ(describe(track(tracker, Action::Release, -1, 8, 20)), "8,20 held 0; ");  // X10: all let go
  EXPECT_EQ(describe(track(tracker, Action::Release, 0, 8, 20)), "");                // nothing held
  EXPECT_EQ(describe(track(tracker, Action::Wheel, 0, 8, 20)), "");
  EXPECT_EQ(describe(track(tracker, Action::Motion, 0, 8, 20)), "");
}

TEST(MouseTracker, APressWhoseReleaseWasLostStillCounts) {
  MouseTracker tracker;
  track(tracker, Action::Press, 0, 3, 3, 0);
  EXPECT_EQ(describe(track(tracker, Action::Press, 0, 9, 9, 1000)), "9,9 held 0 moved; 9,9 held 1; ");
}

TEST(MouseTracker, SecondLeftPressSoonAtTheSameCellIsADoubleClick) {
  MouseTracker tracker;
  EXPECT_EQ(describe(track(tracker, Action::Press, 0, 25, 27, 1000)), "25,27 held 1; ");
  track(tracker, Action::Release, 0, 25, 27, 1050);
  EXPECT_EQ(describe(track(tracker, Action::Press, 0, 25, 27, 1200)), "25,27 held 1 double; ");
  track(tracker, Action::Release, 0, 25, 27, 1250);
  EXPECT_EQ(describe(track(tracker, Action::Press, 0, 25, 27, 1300)), "25,27 held 1; ");  // a third starts anew

  MouseTracker slow, moved, interrupted;
  track(slow, Action::Press, 0, 5, 5, 0);
  track(slow, Action::Release, 0, 5, 5, 10);
  EXPECT_EQ(describe(track(slow, Action::Press, 0, 5, 5, 600)), "5,5 held 1; ");
  track(moved, Action::Press, 0, 5, 5, 0);
  track(moved, Action::Release, 0, 5, 5, 10);
  EXPECT_EQ(describe(track(moved, Action::Press, 0, 5, 6, 100)), "5,6 held 1; ");
  track(interrupted, Action::Press, 0, 5, 5, 0);
  track(interrupted, Action::Release, 0, 5, 5, 10);
  track(interrupted, Action::Press, 2, 5, 5, 20);
  track(interrupted, Action::Release, 2, 5, 5, 30);
  EXPECT_EQ(describe(track(interrupted, Action::Press, 0, 5, 5, 40)), "5,5 held 1; ");
}

TEST(MouseTracker, OutsideTheScreenOnlyTheButtonStateTravels) {
  MouseTracker tracker;
  EXPECT_EQ(describe(track(tracker, Action::Press, 0, 44, 5)), "43,5 held 1 moved; ");
  EXPECT_EQ(describe(track(tracker, Action::Release, 0, kReportNumberLimit, kReportNumberLimit)),
            "43,100 held 0 moved; ");
  EXPECT_EQ(describe(track(tracker, Action::Press, 0, 0, 0)), "1,1 held 1 moved; ");
  EXPECT_EQ(describe(track(tracker, Action::Release, 0, 1, 101)), "1,100 held 0 moved; ");
}

}  // namespace
}  // namespace pentrill
