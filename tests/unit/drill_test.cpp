// The drill against the in-memory console, with the real E0 pool, a manual
// clock that follows the console's simulated waits, and a counting sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>

#include "tests/fakes/manual_clock.h"
#include "backends/posix_files.h"
#include "fullscreen/drill_screen.h"
#include "screen/calendar.h"
#include "screen/input.h"
#include "tests/fakes/memory_console.h"
#include "tests/fakes/recording_windows.h"
#include "tests/fakes/screen_dump.h"

namespace pentrill {
namespace {

struct CountingSound : Sound {
  void playAlert() override { ++alerts; }
  int alerts = 0;
};

struct Shown {
  std::string number;  // as printed in front of the question
  std::string id;
  bool operator==(const Shown&) const = default;
};

class DrillRun {
 public:
  explicit DrillRun(ManualClock start = ManualClock(2026, 12, 7, 10, 0, 0)) : clock(start) {
    console.onWait = [this](int ms) { clock.advanceMilliseconds(ms); };
    n = static_cast<int>(session.edition().subelements[0].questions.size());
  }

  // True when the program is to end, false back to the menu; nothing when
  // the drill was still waiting for input at the end of the script.
  std::optional<bool> run() {
    drill.emplace(subelementDrill(session, 0));
    try {
      return runDrill(*drill, view, true) == DrillEnd::Quit;
    } catch (const ScriptExhausted&) {
      return std::nullopt;
    }
  }

  std::string idOnScreen() const { return console.text(2, 15, 19); }
  std::string correctOnScreen() const {
    EXPECT_EQ(drill->question().question->id, idOnScreen());
    return std::string(1, drill->question().correct);
  }
  bool done(int row) const { return drill->items()[static_cast<size_t>(row - 1)].done; }

  void record() { shown.push_back({console.text(4, 5, 7), idOnScreen()}); }

  // Script steps decided when the drill reaches them.
  void answerRight() {
    console.typeLater([this] {
      record();
      return correctOnScreen();
    });
  }
  void answerWrong() {
    console.typeLater([this] {
      record();
      wrongCorrect = correctOnScreen();
      return std::string(wrongCorrect == "A" ? "b" : "a");
    });
  }
  void snapshotLater(ScreenGrid& into, std::string keys = "") {
    console.typeLater([this, &into, keys] {
      into = console.grid();
      return keys;
    });
  }
  void doLater(std::function<void()> action) {
    console.typeLater([action] {
      action();
      return std::string();
    });
  }

  MemoryConsole console;
  ManualClock clock;
  CountingSound sound;
  RecordingWindows windows;
  PosixFiles files;
  Platform platform{console, windows, sound, clock, files};
  Session session{pool2020To2024(), clock, files};
  FullDrillView view{platform};
  std::optional<Drill> drill;
  int n = 0;
  std::vector<Shown> shown;
  std::string wrongCorrect;
};

std::string threeDigits(int number) {
  std::string digits = "00" + std::to_string(number);
  return digits.substr(digits.size() - 3);
}

// Expected questions: the printed number and the pool row of E0.
std::vector<Shown> numbered(const std::vector<std::pair<int, int>>& numberAndRow) {
  std::vector<Shown> result;
  for (auto [number, row] : numberAndRow)
    result.push_back({threeDigits(number), "E0A" + std::string(row < 10 ? "0" : "") + std::to_string(row)});
  return result;
}

TEST(Drill, RandomOrderAllRightNumbersEveryQuestionOnceThenCompletes) {
  DrillRun drill;
  ScreenGrid orderPrompt, firstQuestion, completion;
  drill.snapshotLater(orderPrompt, "r");
  drill.snapshotLater(firstQuestion);
  for (int i = 0; i < 11; ++i) drill.answerRight();
  drill.snapshotLater(completion, "Y");
  EXPECT_EQ(drill.run(), false);

  EXPECT_EQ(orderPrompt.text(21, 15, 84), "Do you want the questions to be presented [R]andomly or in [S]equence?");
  EXPECT_EQ(orderPrompt.cell(21, 15).background, kBlue);
  EXPECT_EQ(drill.drill->order(), DrillOrder::Random);

  const std::string title = "Module: E0 \x96 SAFETY [11 Questions]";
  EXPECT_EQ(firstQuestion.text(2, 97 - static_cast<int>(title.size()) + 1, 97), title);

  ASSERT_EQ(drill.shown.size(), 11u);
  std::set<std::string> ids;
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(drill.shown[static_cast<size_t>(i)].number, threeDigits(i + 1));
    ids.insert(drill.shown[static_cast<size_t>(i)].id);
  }
  EXPECT_EQ(ids.size(), 11u);
  EXPECT_EQ(drill.sound.alerts, 0);

  EXPECT_EQ(completion.text(20, 17, 81), "You have correctly answered all of the questions in this section.");
  EXPECT_EQ(completion.text(21, 17, 81), "    Would you like to drill on another section? [Y] or [N]o?     ");
  EXPECT_EQ(completion.cell(20, 1).background, kBlue);
  EXPECT_EQ(completion.cell(21, 66).background, kRed);  // the Y stands out
}

TEST(Drill, SameClockSameOrderAndMenuTimeChangesIt) {
  auto order = [](int menuSeconds) {
    DrillRun drill;
    drill.session.menuSeconds = menuSeconds;
    drill.console.typeKeys("R");
    for (int i = 0; i < 11; ++i) drill.answerRight();
    drill.run();
    std::vector<std::string> ids;
    for (const Shown& s : drill.shown) ids.push_back(s.id);
    return ids;
  };
  EXPECT_EQ(order(3), order(3));
  EXPECT_NE(order(3), order(4));
}

TEST(Drill, SequenceFromFiveAsksRowsFiveToElevenInOrder) {
  DrillRun drill;
  drill.console.typeKeys("S5\r");
  for (int i = 0; i < 7; ++i) drill.answerRight();
  drill.console.typeKeys("n");
  EXPECT_EQ(drill.run(), true);
  EXPECT_EQ(drill.shown, numbered({{5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}, {10, 10}, {11, 11}}));
  EXPECT_EQ(drill.drill->order(), DrillOrder::Sequence);
  for (int r = 1; r <= 11; ++r) EXPECT_TRUE(drill.done(r)) << "row " << r;
}

TEST(Drill, StartNumbersOutsideThePoolAreAskedAgain) {
  DrillRun drill;
  ScreenGrid secondPrompt, thirdPrompt;
  drill.console.typeKeys("S0\r");
  drill.snapshotLater(secondPrompt, "123456\r");
  drill.snapshotLater(thirdPrompt, "abc\r");
  drill.console.typeKeys("3,9\r");
  drill.answerRight();
  EXPECT_EQ(drill.run(), std::nullopt);  // waiting on the question after 3
  EXPECT_EQ(drill.shown, numbered({{3, 3}}));
  EXPECT_EQ(drill.idOnScreen(), "E0A04");
  // The earlier entry is blanked whole before the prompt is written again,
  // and the line under it says which numbers there are.
  EXPECT_EQ(secondPrompt.text(23, 15, 100), "Start with Question: " + std::string(65, ' '));
  EXPECT_EQ(thirdPrompt.text(23, 15, 100), secondPrompt.text(23, 15, 100));
  EXPECT_EQ(secondPrompt.text(25, 15, 59), "Type a number from 1 to 11, then press Enter.");
  EXPECT_TRUE(drill.done(1));
  EXPECT_TRUE(drill.done(2));
  EXPECT_TRUE(drill.done(3));
  EXPECT_FALSE(drill.done(4));
}

TEST(Drill, StartNumberIsTheFirstItemRoundedHalfToEven) {
  struct Case {
    const char* typed;
    int row;
  } cases[] = {{" 2.5 ,9", 2}, {"3.5", 4}, {"10.5", 10}, {"  7  ", 7}, {"11", 11}};
  for (const Case& c : cases) {
    DrillRun drill;
    drill.console.typeKeys("S");
    drill.console.typeKeys(std::string(c.typed) + "\r");
    drill.answerRight();
    drill.run();
    ASSERT_EQ(drill.shown.size(), 1u) << c.typed;
    EXPECT_EQ(drill.shown[0], numbered({{c.row, c.row}})[0]) << c.typed;
  }
}

TEST(Drill, WrongAnswerAlertsShowsThreeLinesAndTheQuestionComesBack) {
  DrillRun drill;
  ScreenGrid wrongLines;
  drill.console.typeKeys("R");
  drill.answerWrong();
  drill.snapshotLater(wrongLines, "x");
  for (int i = 0; i < 11; ++i) drill.answerRight();
  drill.console.typeKeys("Y");
  EXPECT_EQ(drill.run(), false);

  EXPECT_EQ(drill.sound.alerts, 1);
  EXPECT_EQ(wrongLines.text(21, 29, 69), "Incorrect Answer, the correct answer is " + drill.wrongCorrect);
  EXPECT_EQ(wrongLines.text(22, 29, 69), "We will come back to this question again.");
  EXPECT_EQ(wrongLines.text(23, 29, 69), "      Press any key to continue.....     ");
  EXPECT_EQ(wrongLines.cell(22, 29).foreground, kBlack);
  EXPECT_EQ(wrongLines.cell(22, 29).background, kBrightWhite);
  EXPECT_EQ(wrongLines.cursorRow(), 24);
  EXPECT_EQ(wrongLines.cursorColumn(), 1);

  // Twelve questions: the wrongly answered one twice, numbered on.
  ASSERT_EQ(drill.shown.size(), 12u);
  EXPECT_EQ(drill.shown.back().number, "012");
  const std::string wrongId = drill.shown.front().id;
  EXPECT_EQ(std::count_if(drill.shown.begin(), drill.shown.end(), [&](const Shown& s) { return s.id == wrongId; }), 2);
}

TEST(Drill, SequenceAsksWronglyAnsweredRowsAgainAfterTheLastRow) {
  DrillRun drill;
  drill.console.typeKeys("S9\r");
  drill.answerWrong();  // 9
  drill.console.typeKeys("x");
  drill.answerRight();  // 10
  drill.answerWrong();  // 11
  drill.console.typeKeys("x");
  drill.answerWrong();  // 9 again, wrong again
  drill.console.typeKeys("x");
  drill.answerRight();  // 11
  drill.answerRight();  // 9
  drill.console.typeKeys("Y");
  EXPECT_EQ(drill.run(), false);
  EXPECT_EQ(drill.shown, numbered({{9, 9}, {10, 10}, {11, 11}, {9, 9}, {11, 11}, {9, 9}}));
  EXPECT_EQ(drill.sound.alerts, 3);
}

TEST(Drill, PeekTogglesHeaderLetterAndLabelWithoutReshuffling) {
  DrillRun drill;
  ScreenGrid off, on, offAgain;
  std::string correct;
  drill.console.typeKeys("R");
  drill.console.typeLater([&] {
    off = drill.console.grid();
    correct = drill.correctOnScreen();
    return std::string(" ");
  });
  drill.snapshotLater(on);
  drill.console.click(25, 100);  // the label's click area reaches column 100
  drill.snapshotLater(offAgain);
  EXPECT_EQ(drill.run(), std::nullopt);

  const std::string id = off.text(2, 15, 19);
  EXPECT_EQ(off.text(2, 2, 21), "Question ID: " + id + "  ");
  EXPECT_EQ(on.text(2, 2, 21), "Question ID: " + id + " " + correct);
  EXPECT_EQ(offAgain.text(2, 2, 21), off.text(2, 2, 21));
  EXPECT_EQ(off.text(25, 90, 97), "Peek Off");
  EXPECT_EQ(on.text(25, 90, 97), "Peek On ");
  EXPECT_EQ(on.cell(25, 90).background, kRed);
  EXPECT_EQ(offAgain.text(25, 90, 97), "Peek Off");
  EXPECT_PRED_FORMAT2(testing::SameText(4, 20), off, on);  // same number, same answer order
  EXPECT_PRED_FORMAT2(testing::SameText(4, 20), off, offAgain);
  EXPECT_FALSE(drill.session.peekOn);
}

TEST(Drill, PeekCarriesOverAndItsLetterAnswersEveryQuestion) {
  DrillRun drill;
  drill.session.peekOn = true;
  drill.console.typeKeys("R");
  for (int i = 0; i < 11; ++i) drill.console.typeLater([&] { return drill.console.text(2, 21, 21); });
  drill.console.typeKeys("Y");
  EXPECT_EQ(drill.run(), false);
  EXPECT_EQ(drill.sound.alerts, 0);
  EXPECT_TRUE(drill.session.peekOn);
}

TEST(Drill, HShowsTheCorrectLetterInGreenAndKeepsTheQuestion) {
  DrillRun drill;
  ScreenGrid before, after, afterRedraw;
  std::string correct;
  drill.console.typeKeys("R");
  drill.console.typeLater([&] {
    before = drill.console.grid();
    correct = drill.correctOnScreen();
    return std::string("h");
  });
  drill.snapshotLater(after);
  drill.console.click(25, 81);  // the hint label's columns give H too
  drill.console.typeKeys("Z");
  drill.snapshotLater(afterRedraw);
  EXPECT_EQ(drill.run(), std::nullopt);

  EXPECT_EQ(after.text(27, 1, 26), " The Correct Answer is: " + correct + " ");
  EXPECT_EQ(after.cell(27, 25).foreground, kGreen);
  EXPECT_EQ(after.cell(27, 25).background, kBrightWhite);
  EXPECT_EQ(after.cell(27, 24).foreground, kBlack);
  EXPECT_PRED_FORMAT2(testing::SameText(1, 24), before, after);
  EXPECT_EQ(afterRedraw.text(27, 2, 25), after.text(27, 2, 25));  // a redraw leaves it
  EXPECT_EQ(drill.sound.alerts, 0);
}

TEST(Drill, ClickBetweenButtonsRedrawsClickElsewhereDoesNothing) {
  DrillRun drill;
  ScreenGrid clean, redrawn, untouched, redrawnTwice;
  drill.console.typeKeys("R");
  drill.snapshotLater(clean);
  drill.doLater([&] {
    drill.console.locate(4, 5);
    drill.console.write("scribble");
  });
  drill.console.click(25, 6);
  drill.snapshotLater(redrawn);
  drill.doLater([&] {
    drill.console.locate(4, 5);
    drill.console.write("scribble");
  });
  drill.console.click(10, 5);
  drill.snapshotLater(untouched);
  drill.console.doubleClick(25, 40);  // between buttons too
  drill.snapshotLater(redrawnTwice);
  EXPECT_EQ(drill.run(), std::nullopt);
  EXPECT_PRED_FORMAT2(testing::SameText(1, 24), clean, redrawn);
  EXPECT_EQ(untouched.text(4, 5, 12), "scribble");  // the click on row 10 did nothing
  EXPECT_PRED_FORMAT2(testing::SameText(1, 24), clean, redrawnTwice);
}

TEST(Drill, ClicksOnTheAnswerBarAnswer) {
  DrillRun drill;
  ScreenGrid wrongLines;
  drill.console.typeKeys("S6\r");  // E0A06: "D. All these choices are correct" is right and stays D
  drill.console.click(25, 10);     // B
  drill.snapshotLater(wrongLines);
  drill.console.click(5, 5);  // any click continues
  for (int i = 0; i < 5; ++i) drill.answerRight();
  drill.console.click(25, 18);  // D
  drill.console.click(21, 68);  // Y at the completion question
  EXPECT_EQ(drill.run(), false);
  EXPECT_EQ(wrongLines.text(21, 29, 69), "Incorrect Answer, the correct answer is D");
  EXPECT_EQ(drill.sound.alerts, 1);
  EXPECT_EQ(drill.shown, numbered({{7, 7}, {8, 8}, {9, 9}, {10, 10}, {11, 11}}));
}

TEST(Drill, StopByKeyOrClickAndOtherKeysAreIgnored) {
  {
    DrillRun drill;
    ScreenGrid first, later;
    drill.console.typeKeys("R");
    drill.snapshotLater(first, "\x1B?");
    drill.console.pressKey(Key::named(KeyName::Up));
    drill.console.pressKey(Key::of('a', kAlt));
    drill.console.typeKeys("e1\r");
    drill.snapshotLater(later, "s");
    EXPECT_EQ(drill.run(), false);
    EXPECT_PRED_FORMAT2(testing::SameText(1, 24), first, later);
    EXPECT_EQ(drill.sound.alerts, 0);
    EXPECT_EQ(drill.console.waitingSteps(), 0);
  }
  for (int column : {24, 33}) {
    DrillRun drill;
    drill.console.typeKeys("R");
    drill.console.click(25, column);
    EXPECT_EQ(drill.run(), false) << column;
  }
}

TEST(Drill, RunTimeCountsFromTheStartAcrossMidnight) {
  DrillRun drill(ManualClock(2026, 12, 31, 23, 59, 55));
  ScreenGrid clock;
  drill.console.idle(5000);  // thinking at the order prompt
  drill.console.typeKeys("R");
  drill.console.idle(3001);  // just past the third second on the question
  drill.snapshotLater(clock);
  EXPECT_EQ(drill.run(), std::nullopt);
  EXPECT_EQ(localDateText(drill.clock.now()), "01-01-2027");
  EXPECT_EQ(clock.text(25, 50, 67), "Run Time: 00:00:08");
  EXPECT_EQ(clock.cell(25, 50).background, kBrightWhite);
}

// A waiting question costs one wake-up a second, at the second the clock
// shows next, not a poll every few milliseconds; a key ends the wait at once.
TEST(Drill, AWaitingQuestionWakesOnceASecondForItsClock) {
  DrillRun drill(ManualClock(2026, 12, 7, 10, 0, 0, 250));
  ScreenGrid clock;
  drill.console.typeKeys("R");
  drill.console.idle(10000);
  drill.snapshotLater(clock);
  drill.console.idle(400);
  drill.console.typeKeys(" ");
  EXPECT_EQ(drill.run(), std::nullopt);
  EXPECT_EQ(clock.text(25, 50, 67), "Run Time: 00:00:10");
  // 0.75 s to the first whole second, nine more seconds, the 0.25 s left,
  // the 0.4 s ended by the key, and the wait in which the script ran out.
  EXPECT_EQ(drill.console.waits(), 13);
  EXPECT_EQ(drill.console.steadyMilliseconds(), 10400);
}

}  // namespace
}  // namespace pentrill
