// The program's entry flow against the in-memory console: start-up, the main
// menu, help and farewell screens, dispatch to the drill and the exam.
#include "tests/fakes/manual_clock.h"
#include "app/program.h"
#include "app/pool_term.h"
#include "screen/text.h"

#include <gtest/gtest.h>

#include <functional>

#include "backends/posix_files.h"
#include "screen/calendar.h"
#include "screen/input.h"
#include "tests/unit/watched_face.h"
#include "tests/fakes/memory_console.h"
#include "tests/fakes/screen_dump.h"
#include "tests/fakes/recording_windows.h"

namespace pentrill {
namespace {

class ProgramTest : public ::testing::Test {
 protected:
  explicit ProgramTest(const PoolEdition& edition = pool2020To2024()) : session(edition, clock, files) {
    console.onWait = [this](int ms) { clock.advanceMilliseconds(ms); };
  }

  // Runs the program until it ends or the script runs out.
  int run() {
    try {
      return runProgram(session, face);
    } catch (const ScriptExhausted&) {
      return -1;
    }
  }

  ScreenGrid snapshot() const { return console.grid(); }

  // Records the screen at the moment the program asks for the next key.
  void snapshotLater(ScreenGrid& into, std::string keys) {
    console.typeLater([this, &into, keys] {
      into = console.grid();
      return keys;
    });
  }

  MemoryConsole console;
  ManualClock clock{2026, 12, 8, 10, 0, 0};
  SilentSound sound;
  RecordingWindows windows;
  PosixFiles files;
  Platform platform{console, windows, sound, clock, files};
  Session session;
  WatchedFace face{platform};
};

TEST_F(ProgramTest, StartUpShowsTheMenuInWhiteOnBlue) {
  ScreenGrid menu;
  snapshotLater(menu, "\x1B");
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(console.title(), "Pentrill By Tarvold QQ0QQQ v2021.05.03a");
  EXPECT_FALSE(console.cursorVisible());
  EXPECT_TRUE(console.mouse.inputOn);

  const std::pair<int, std::string> lines[] = {
      {6, "                       <<< Pentrill >>>"},
      {8, "0. SUBELEMENT E0 \x96 SAFETY - [1 exam question \x96 1 group]"},
      {9, "1. SUBELEMENT E1 \x97 COMMISSION RULES [6 Exam Questions \x97 6 Groups]"},
      {10, "2. SUBELEMENT E2 - OPERATING PROCEDURES [5 Exam Questions - 5 Groups]"},
      {11, "3. SUBELEMENT E3 - RADIO WAVE PROPAGATION [3 Exam Questions - 3 Groups]"},
      {12, "4. SUBELEMENT E4 - AMATEUR PRACTICES [5 Exam Questions - 5 Groups]"},
      {13, "5. SUBELEMENT E5 \x96 ELECTRICAL PRINCIPLES [4 Exam Questions - 4 Groups]"},
      {14, "6. SUBELEMENT E6 - CIRCUIT COMPONENTS [6 Exam Questions - 6 Groups]"},
      {15, "7. SUBELEMENT E7 - PRACTICAL CIRCUITS [8 Exam Questions - 8 Groups]"},
      {16, "8. SUBELEMENT E8 - SIGNALS AND EMISSIONS [4 Exam Questions - 4 Groups]"},
      {17, "9. SUBELEMENT E9 - ANTENNAS AND TRANSMISSION LINES [8 Exam Questions - 8 Groups]"},
      {18, "P. Practice Test"},
      {20, "          Pick the sub element you want to practice (0-9, P, ?)"},
  };
  for (const auto& [row, text] : lines) {
    const std::string expected = std::string(9, ' ') + text + std::string(91 - text.size(), ' ');
    EXPECT_EQ(menu.text(row), expected) << "row " << row;
  }
  EXPECT_EQ(menu.text(7), std::string(9, ' ') + rule(80) + std::string(11, ' '));
  for (int row : {1, 5, 19, 21, 43}) EXPECT_EQ(menu.text(row), std::string(100, ' ')) << row;
  for (int row = 1; row <= kScreenRows; ++row)
    for (int column = 1; column <= kScreenColumns; ++column) {
      if (row == 26) continue;  // the expired pool's notice (below)
      ASSERT_EQ(menu.cell(row, column).foreground, kBrightWhite) << row << "," << column;
      ASSERT_EQ(menu.cell(row, column).background, kBlue) << row << "," << column;
    }
}

// The menu as the program draws it for the edition on the clock's day.
ScreenGrid menuOn(const PoolEdition& edition, ManualClock clock) {
  MemoryConsole console;
  SilentSound sound;
  RecordingWindows windows;
  PosixFiles files;
  Platform platform{console, windows, sound, clock, files};
  Session session(edition, clock, files);
  FullScreenFace face(platform);
  ScreenGrid menu;
  console.typeLater([&] {
    menu = console.grid();
    return std::string("\x1B");
  });
  runProgram(session, face);
  return menu;
}

TEST(ExpiredPool, TheMenuSaysSoOnRow26FromTheDayAfterItsLastDay) {
  struct Case {
    const PoolEdition& edition;
    ManualClock clock;
    std::string notice;  // empty: none
  };
  const std::string expired2024 =
      "This pool expired on June 30, 2024. For today's exams start Pentrill with --pool 2024-2028.";
  const std::string expired2028 = "This pool expired on June 30, 2028. Look for a newer Pentrill with the current pool.";
  const Case cases[] = {
      {pool2020To2024(), ManualClock(2024, 6, 30, 23, 59, 59), ""},
      {pool2020To2024(), ManualClock(2024, 7, 1, 0, 0, 0), expired2024},
      {pool2020To2024(), ManualClock(2026, 12, 9, 12, 0, 0), expired2024},
      {pool2024To2028(), ManualClock(2026, 12, 9, 12, 0, 0), ""},
      {pool2024To2028(), ManualClock(2028, 6, 30, 23, 59, 59), ""},
      {pool2024To2028(), ManualClock(2028, 7, 1, 0, 0, 0), expired2028},
  };
  const ScreenGrid reference = menuOn(pool2020To2024(), ManualClock(2024, 1, 1, 9, 0, 0));
  for (Case c : cases) {
    const ScreenGrid menu = menuOn(c.edition, c.clock);
    const std::string label = std::string(c.edition.name) + " on " + localDateText(c.clock.now());
    const std::string expected =
        c.notice.empty() ? std::string(100, ' ') : std::string(9, ' ') + c.notice + std::string(91 - c.notice.size(), ' ');
    EXPECT_EQ(menu.text(26), expected) << label;
    for (int column = 10; column < 10 + static_cast<int>(c.notice.size()); ++column) {
      ASSERT_EQ(menu.cell(26, column).foreground, kYellow) << label << " column " << column;
      ASSERT_EQ(menu.cell(26, column).background, kBlue) << label << " column " << column;
    }
    // Row 4 names the pool in use; the menu itself stays exactly as it is.
    EXPECT_EQ(trimBlanks(menu.text(4)), poolLabel(c.edition) + "      L. Other pools") << label;
    for (int row = 5; row <= 20; ++row)
      for (int column = 1; column <= kScreenColumns; ++column)
        ASSERT_EQ(menu.cell(row, column), reference.cell(row, column)) << label << " " << row << "," << column;
  }
}

TEST_F(ProgramTest, TheHelpScreenSaysWhichPoolIsInForceToday) {
  ScreenGrid help;
  console.typeKeys("?");
  snapshotLater(help, "z\x1B");
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(help.text(36, 1, 67), "  Today (December 8, 2026) exams are drawn from the 2024-2028 pool.");
  EXPECT_EQ(help.text(37, 1, 55), "  The pool in use, 2020-2024, expired on June 30, 2024.");
  EXPECT_EQ(help.text(38), std::string(100, ' '));
}

TEST_F(ProgramTest, EscShowsTheFarewellForFiveSecondsAndEnds) {
  console.idle(2000);
  console.typeKeys("\x1B");
  const std::int64_t before = 2000;
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(console.text(21, 28, 69), "Thanks for playing.  Have a real nice day.");
  EXPECT_EQ(console.grid().cell(21, 28).background, kBlue);
  EXPECT_EQ(console.text(6), std::string(100, ' '));  // the menu is gone
  EXPECT_EQ(console.pauses(), 1);
  EXPECT_GE(console.steadyMilliseconds() - before, 5000);
  EXPECT_EQ(console.cursorRow(), 22);
}

TEST_F(ProgramTest, UnknownKeysAndClicksLeaveTheMenuUnchanged) {
  ScreenGrid before;
  ScreenGrid after;
  snapshotLater(before, "x");
  console.pressKey(Key::named(KeyName::Up));
  console.pressKey(Key::named(KeyName::F1));
  console.pressKey(Key::of('p', kAlt));
  for (int row : {6, 7, 19, 20, 1, 43}) console.click(row, 12);
  console.mouseEvent(Key::mouse(MouseAction::Press, kRightButton, 8, 10));  // not a left click
  console.mouseEvent(Key::mouse(MouseAction::Release, kRightButton, 8, 10));
  console.typeKeys("Q\r ");
  snapshotLater(after, "\x1B");
  EXPECT_EQ(run(), 0);
  EXPECT_PRED_FORMAT2(testing::SameScreen(), before, after);
  EXPECT_FALSE(face.drill());  // nothing was chosen
}

TEST_F(ProgramTest, HelpScreenAndBackToAFreshMenu) {
  ScreenGrid menu;
  ScreenGrid help;
  ScreenGrid again;
  snapshotLater(menu, "?");
  snapshotLater(help, "z");
  snapshotLater(again, "\x1B");
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(help.text(1), std::string(100, ' '));
  EXPECT_EQ(help.text(2).substr(0, 96),
            "  Welcome the Amateur Radio Extra Exam Practice Program.  This program will help you to prepare ");
  EXPECT_EQ(help.text(23).substr(0, 49), "                       Tarvold (QQ0QQQ)  email:  ");
  EXPECT_EQ(help.text(29), std::string(100, ' '));
  EXPECT_EQ(help.text(34).substr(0, 68), " If the Hint prompt is showing pressing the H key will Display Hint.");
  EXPECT_EQ(help.text(35), std::string(100, ' '));
  EXPECT_EQ(help.cell(34, 1).background, kBlue);
  EXPECT_PRED_FORMAT2(testing::SameScreen(), menu, again);
}

struct MenuChoiceCase {
  const char* name;
  std::function<void(MemoryConsole&)> choose;
  int questions;
};

class MenuChoiceTest : public ProgramTest, public ::testing::WithParamInterface<MenuChoiceCase> {};

TEST_P(MenuChoiceTest, StartsTheDrillOnTheLoadedSubelement) {
  GetParam().choose(console);
  EXPECT_EQ(run(), -1);  // the drill waits at its order prompt
  EXPECT_EQ(face.drill()->size(), GetParam().questions);
  EXPECT_EQ(console.text(21, 15, 84), "Do you want the questions to be presented [R]andomly or in [S]equence?");
}

const MenuChoiceCase kMenuChoices[] = {
    {"digit0", [](MemoryConsole& c) { c.typeKeys("0"); }, 11},
    {"digit7", [](MemoryConsole& c) { c.typeKeys("7"); }, 107},
    {"row8", [](MemoryConsole& c) { c.click(8, 95); }, 11},
    {"row11", [](MemoryConsole& c) { c.click(11, 40); }, 40},
    {"row17", [](MemoryConsole& c) { c.click(17, 1); }, 96},
    {"doubleClickRow9", [](MemoryConsole& c) { c.doubleClick(9, 3); }, 75},
};
INSTANTIATE_TEST_SUITE_P(Menu, MenuChoiceTest, ::testing::ValuesIn(kMenuChoices),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramTest, PracticeExamByPOrClickOnRowEighteenAndBackToTheMenu) {
  for (auto choose : {+[](MemoryConsole& c) { c.typeKeys("p"); }, +[](MemoryConsole& c) { c.typeKeys("P"); },
                      +[](MemoryConsole& c) { c.click(18, 99); }}) {
    ScreenGrid exam, menu;
    choose(console);
    snapshotLater(exam, "S");
    console.typeKeys("Y");  // Stop Exam confirmed
    console.typeKeys(" ");  // leaves the results screen
    snapshotLater(menu, "");
    EXPECT_EQ(run(), -1);
    EXPECT_EQ(exam.text(3, 1, 5), "  1. ");
    EXPECT_EQ(exam.text(25, 60, 68), "Stop Exam");
    EXPECT_EQ(menu.text(18, 10, 25), "P. Practice Test");  // back at the menu
    EXPECT_EQ(menu.cell(25, 60).background, kBlue);
  }
}

// The notice is on the screen while the program waits out its minimum time,
// and the exam starts once that time has passed.
TEST_F(ProgramTest, PreparingNoticeStaysUpItsMinimumTime) {
  ScreenGrid duringPause;
  bool paused = false;
  console.onWait = [&](int ms) {
    if (!paused && ms > 20) {  // the pause, not a 20 ms input poll
      duringPause = console.grid();
      paused = true;
    }
    clock.advanceMilliseconds(ms);
  };
  std::int64_t examShownAt = -1;
  console.typeKeys("P");
  console.typeLater([&] {
    examShownAt = console.steadyMilliseconds();
    return std::string();
  });
  EXPECT_EQ(run(), -1);
  ASSERT_TRUE(paused);
  EXPECT_EQ(duringPause.text(21, 29, 69), "One moment please, preparing your test...");
  EXPECT_EQ(duringPause.cell(21, 29).foreground, kBrightWhite);
  EXPECT_EQ(duringPause.cell(21, 29).background, kBlue);
  EXPECT_EQ(duringPause.text(18, 10, 25), std::string(16, ' '));  // the menu is gone
  EXPECT_EQ(examShownAt, 500);
  EXPECT_EQ(console.pauses(), 1);
}

TEST_F(ProgramTest, MenuSecondsCountTheTimeSpentAtTheMenu) {
  console.typeKeys("?");
  console.idle(1000);
  console.typeKeys(" ");  // back from help: the menu is entered again
  console.idle(2600);
  console.typeKeys("3");
  EXPECT_EQ(run(), -1);
  EXPECT_EQ(session.menuSeconds, 3);
}

class ProgramWith2024Pool : public ProgramTest {
 protected:
  ProgramWith2024Pool() : ProgramTest(pool2024To2028()) {}
};

TEST_F(ProgramWith2024Pool, MenuIsTheSameAndItsDrillsLoadTheCurrentPool) {
  ScreenGrid menu;
  snapshotLater(menu, "7");
  EXPECT_EQ(run(), -1);
  for (size_t i = 0; i < pool2020To2024().menuLines.size(); ++i) {
    const std::string_view line = pool2020To2024().menuLines[i];
    EXPECT_EQ(menu.text(8 + static_cast<int>(i)).substr(9, line.size()), line);
  }
  ASSERT_EQ(face.drill()->size(), 99);
  EXPECT_EQ(face.drill()->items().back().asked.question->id, "E7H13");
}

TEST_F(ProgramWith2024Pool, DrillOverE0ReachesItsTwelfthQuestion) {
  ScreenGrid question;
  console.typeKeys("0S13\r12\r");  // 13 is past the end and asked again
  snapshotLater(question, "");
  EXPECT_EQ(run(), -1);
  EXPECT_EQ(face.drill()->size(), 12);
  const std::string title = "Module: E0 \x96 SAFETY [12 Questions]";
  EXPECT_EQ(question.text(2, 98 - static_cast<int>(title.size()), 97), title);
  EXPECT_EQ(question.text(2, 2, 19), "Question ID: E0A12");
  EXPECT_EQ(question.text(4, 5, 13), "012. Wher");
}

TEST_F(ProgramWith2024Pool, HelpNamesTheCurrentPool) {
  ScreenGrid help;
  console.typeKeys("?");
  snapshotLater(help, "\x1B");  // back at the menu ...
  console.typeKeys("\x1B");     // ... and out
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(help.text(20).substr(0, 93),
            "  ARRL's 13th edition of the Extra Class study guide.  Questions are from the 2024-2028 Extra");
  EXPECT_EQ(help.text(21).substr(0, 60), "  Class question pool, with the errata to February 4, 2026. ");
  EXPECT_EQ(help.text(34).substr(0, 68), " If the Hint prompt is showing pressing the H key will Display Hint.");
}

}  // namespace
}  // namespace pentrill
