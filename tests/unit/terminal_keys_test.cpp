#include "screen/platform/terminal_keys.h"

#define NCURSES_NOMACROS
#include <curses.h>
#include <gtest/gtest.h>

#include <vector>

#include "screen/memory_console.h"

namespace pentrill {
namespace {

KeyString character(int code) { return keyStringOf(TerminalKey{false, code}); }
KeyString keyCode(int code) { return keyStringOf(TerminalKey{true, code}); }

TEST(TerminalKeys, CharactersBecomeTheirWindows1252Byte) {
  EXPECT_EQ(character('a'), "a");
  EXPECT_EQ(character('P'), "P");
  EXPECT_EQ(character(' '), " ");
  EXPECT_EQ(character('?'), "?");
  EXPECT_EQ(character(0xE9), "\xE9");    // é
  EXPECT_EQ(character(0x2014), "\x97");  // em dash
  EXPECT_EQ(character(0x20AC), "\x80");  // euro sign
}

TEST(TerminalKeys, CharactersWithoutAWindowsByteAreDropped) {
  EXPECT_EQ(character(0x4E2D), "");
  EXPECT_EQ(character(0x1F600), "");
  EXPECT_EQ(character(0x85), "");
  EXPECT_EQ(character(0), "");
}

TEST(TerminalKeys, EnterBackspaceTabAndEscape) {
  for (KeyString key : {character(10), character(13), keyCode(KEY_ENTER)}) EXPECT_EQ(key, "\r");
  for (KeyString key : {character(127), character(8), keyCode(KEY_BACKSPACE)}) EXPECT_EQ(key, "\b");
  EXPECT_EQ(character(9), "\t");
  EXPECT_EQ(character(27), "\x1b");
}

TEST(TerminalKeys, KeysWithoutACharacterGiveZeroAndTheirScanCode) {
  const std::vector<std::pair<int, int>> table = {
      {KEY_F(1), 59},  {KEY_F(2), 60},   {KEY_F(5), 63},  {KEY_F(9), 67},   {KEY_F(10), 68},
      {KEY_F(11), 133}, {KEY_F(12), 134}, {KEY_HOME, 71},  {KEY_UP, 72},     {KEY_PPAGE, 73},
      {KEY_LEFT, 75},  {KEY_RIGHT, 77},  {KEY_END, 79},   {KEY_DOWN, 80},   {KEY_NPAGE, 81},
      {KEY_IC, 82},    {KEY_DC, 83},
  };
  for (const auto& [code, scanCode] : table) {
    EXPECT_EQ(keyCode(code), KeyString({'\0', static_cast<char>(scanCode)})) << "key code " << code;
  }
}

TEST(TerminalKeys, ResizeMouseAndUnknownKeysGiveNothing) {
  EXPECT_EQ(keyCode(KEY_RESIZE), "");
  EXPECT_EQ(keyCode(KEY_MOUSE), "");
  EXPECT_EQ(keyCode(KEY_F(40)), "");
  EXPECT_EQ(keyCode(KEY_SLEFT), "");
}

TEST(TerminalKeys, EscapeFollowedByALetterIsAlt) {
  EXPECT_EQ(altKeyStringOf(TerminalKey{false, 'a'}), KeyString({'\0', 30}));
  EXPECT_EQ(altKeyStringOf(TerminalKey{false, 'A'}), KeyString({'\0', 30}));
  EXPECT_EQ(altKeyStringOf(TerminalKey{false, 'p'}), KeyString({'\0', 25}));
  EXPECT_FALSE(altKeyStringOf(TerminalKey{false, '1'}));
  EXPECT_FALSE(altKeyStringOf(TerminalKey{false, 27}));
  EXPECT_FALSE(altKeyStringOf(TerminalKey{true, KEY_UP}));
}

constexpr std::uint64_t kLeftDown = BUTTON1_PRESSED, kLeftUp = BUTTON1_RELEASED;
constexpr std::uint64_t kRightDown = BUTTON3_PRESSED, kRightUp = BUTTON3_RELEASED;
constexpr std::uint64_t kMiddleDown = BUTTON2_PRESSED;

TEST(MouseTracker, PressAndReleaseCarryTheButtonsHeldAndPositionFromOne) {
  MouseTracker tracker;
  auto press = tracker.report(0, 0, kLeftDown, 1000);
  ASSERT_TRUE(press);
  EXPECT_EQ(press->row, 1);
  EXPECT_EQ(press->column, 1);
  EXPECT_EQ(press->buttons, kLeftButton);
  EXPECT_FALSE(press->doubleClick);
  EXPECT_FALSE(press->moved);
  auto release = tracker.report(0, 0, kLeftUp, 1050);
  ASSERT_TRUE(release);
  EXPECT_EQ(release->buttons, 0);

  auto last = tracker.report(42, 99, kLeftDown, 5000);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->row, kScreenRows);
  EXPECT_EQ(last->column, kScreenColumns);
}

TEST(MouseTracker, ThreeButtonsTrackedTogether) {
  MouseTracker tracker;
  EXPECT_EQ(tracker.report(5, 5, kRightDown, 0)->buttons, kRightButton);
  EXPECT_EQ(tracker.report(5, 5, kMiddleDown, 10)->buttons, kRightButton | kMiddleButton);
  EXPECT_EQ(tracker.report(5, 5, kLeftDown, 20)->buttons, kRightButton | kMiddleButton | kLeftButton);
  EXPECT_EQ(tracker.report(5, 5, kRightUp, 30)->buttons, kMiddleButton | kLeftButton);
  // A release that names every button (as the older mouse protocol does).
  EXPECT_EQ(tracker.report(5, 5, kLeftUp | BUTTON2_RELEASED | kRightUp, 40)->buttons, 0);
}

TEST(MouseTracker, SecondLeftPressSoonAtTheSameCellIsADoubleClick) {
  MouseTracker tracker;
  EXPECT_FALSE(tracker.report(7, 19, kLeftDown, 1000)->doubleClick);
  tracker.report(7, 19, kLeftUp, 1100);
  EXPECT_TRUE(tracker.report(7, 19, kLeftDown, 1500)->doubleClick);
  tracker.report(7, 19, kLeftUp, 1550);
  EXPECT_FALSE(tracker.report(7, 19, kLeftDown, 1600)->doubleClick);  // a third press starts anew
}

TEST(MouseTracker, SlowOrMovedOrInterruptedPressesAreSingle) {
  MouseTracker slow;
  slow.report(3, 3, kLeftDown, 0);
  slow.report(3, 3, kLeftUp, 10);
  EXPECT_FALSE(slow.report(3, 3, kLeftDown, 501)->doubleClick);

  MouseTracker moved;
  moved.report(3, 3, kLeftDown, 0);
  moved.report(3, 3, kLeftUp, 10);
  EXPECT_FALSE(moved.report(3, 4, kLeftDown, 100)->doubleClick);

  MouseTracker interrupted;
  interrupted.report(3, 3, kLeftDown, 0);
  interrupted.report(3, 3, kLeftUp, 10);
  interrupted.report(3, 3, kRightDown, 20);
  interrupted.report(3, 3, kRightUp, 30);
  EXPECT_FALSE(interrupted.report(3, 3, kLeftDown, 40)->doubleClick);
}

TEST(MouseTracker, EventsThatChangeNoButtonAreNotReported) {
  MouseTracker tracker;
  EXPECT_FALSE(tracker.report(1, 1, REPORT_MOUSE_POSITION, 0));
  EXPECT_FALSE(tracker.report(1, 1, BUTTON4_PRESSED, 0));  // wheel
  EXPECT_FALSE(tracker.report(1, 1, 0, 0));
}

TEST(MouseTracker, OutsideTheScreenOnlyTheButtonStateTravels) {
  MouseTracker tracker;
  auto press = tracker.report(50, 120, kLeftDown, 0);
  ASSERT_TRUE(press);
  EXPECT_TRUE(press->moved);
  EXPECT_EQ(press->buttons, kLeftButton);
  EXPECT_LE(press->row, kScreenRows);
  EXPECT_LE(press->column, kScreenColumns);
  EXPECT_EQ(tracker.report(50, 120, kLeftUp, 10)->buttons, 0);
}

// The reports reach the program through the input layer as the clicks the
// program asks for: a press, a double-click, and nothing for anything else.
TEST(MouseTracker, ReportsBecomeTheProgramsClicks) {
  MouseTracker tracker;
  MemoryConsole console;
  setMouseReporting(console, kLeftButton, kMousePressed | kMouseDoubleClick);
  setMouseInput(console, true);
  const std::vector<std::tuple<int, int, std::uint64_t, int>> raw = {
      {50, 120, kLeftDown, 0}, {50, 120, kLeftUp, 10},          // outside the screen
      {4, 9, kRightDown, 100}, {4, 9, kRightUp, 110},           // right button
      {7, 19, kLeftDown, 1000}, {7, 19, kLeftUp, 1050},         // click
      {7, 19, kLeftDown, 1200}, {7, 19, kLeftUp, 1250},         // its double-click
  };
  for (const auto& [y, x, state, time] : raw) {
    if (auto report = tracker.report(y, x, state, time)) console.mouseEvent(*report);
  }
  EXPECT_EQ(waitKey(console, 0), KeyString({'\xFF', '\xFF', 4, 1}));
  EXPECT_EQ(mouseRow(console), 8);
  EXPECT_EQ(mouseColumn(console), 20);
  EXPECT_EQ(waitKey(console, 0), KeyString({'\xFF', '\xFF', 2, 1}));
  EXPECT_EQ(console.waitingSteps(), 1);  // only the last release is left
}

}  // namespace
}  // namespace pentrill
