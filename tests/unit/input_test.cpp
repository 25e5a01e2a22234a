#include "screen/input.h"

#include <gtest/gtest.h>

#include "tests/fakes/key_printer.h"
#include "tests/fakes/memory_console.h"

namespace pentrill {
namespace {

Key leftPress(int row, int column) { return Key::mouse(MouseAction::Press, kLeftButton, row, column); }

class InputTest : public ::testing::Test {
 protected:
  InputTest() {
    setMouseReporting(console, kLeftButton, kMousePressed | kMouseDoubleClick);
    setMouseInput(console, true);
  }
  MemoryConsole console;
};

// Waiting costs nothing: one wait for the whole limit, or for the whole
// idle time when there is no limit, never a series of short polls.
TEST_F(InputTest, TimeLimitWithoutInputReturnsNothingAfterOneWaitOfTheLimit) {
  console.idle(1000);
  EXPECT_EQ(waitKey(console, 5), std::nullopt);
  EXPECT_EQ(console.steadyMilliseconds(), 5);
  EXPECT_EQ(waitKey(console, 900), std::nullopt);
  EXPECT_EQ(console.steadyMilliseconds(), 905);
  EXPECT_EQ(console.waits(), 2);
}

TEST_F(InputTest, NoLimitBlocksOnceUntilInputArrives) {
  console.idle(3600000);
  console.typeKeys("q");
  EXPECT_EQ(waitKey(console), Key::of('q'));
  EXPECT_EQ(console.steadyMilliseconds(), 3600000);
  EXPECT_EQ(console.waits(), 1);
}

TEST_F(InputTest, InputBeforeTheLimitEndsTheWaitWhenItArrives) {
  console.idle(300);
  console.typeKeys("k");
  EXPECT_EQ(waitKey(console, 1000), Key::of('k'));
  EXPECT_EQ(console.steadyMilliseconds(), 300);
}

TEST_F(InputTest, TypedAheadKeysComeInOrder) {
  console.typeKeys("ab");
  console.pressKey(Key::named(KeyName::F1));
  console.typeKeys("\x1B");
  EXPECT_EQ(waitKey(console), Key::of('a'));
  EXPECT_EQ(waitKey(console, 5), Key::of('b'));
  EXPECT_EQ(waitKey(console), Key::named(KeyName::F1));
  EXPECT_EQ(waitKey(console), Key::of(kEscape));
}

TEST_F(InputTest, LeftPressIsReportedWithItsPositionReleaseIsNot) {
  console.click(1, 1);
  console.click(25, 66);
  EXPECT_EQ(waitKey(console), leftPress(1, 1));
  EXPECT_EQ(waitKey(console), leftPress(25, 66));  // the release in between is not reported
}

TEST_F(InputTest, DoubleClickGivesPressThenDoubleClick) {
  console.doubleClick(25, 27);
  console.idle(100);
  EXPECT_EQ(waitKey(console), leftPress(25, 27));
  EXPECT_EQ(waitKey(console), Key::mouse(MouseAction::DoubleClick, kLeftButton, 25, 27));
  EXPECT_EQ(waitKey(console, 5), std::nullopt);
}

TEST_F(InputTest, RightButtonMotionAndUnrequestedEventsProduceNothing) {
  console.mouseEvent(Key::mouse(MouseAction::Press, kRightButton, 3, 3));
  console.mouseEvent(Key::mouse(MouseAction::Release, kRightButton, 3, 3));
  console.mouseEvent(Key::mouse(MouseAction::Motion, kLeftButton, 4, 4));
  console.mouseEvent(Key::mouse(MouseAction::Wheel, kLeftButton, 4, 4));
  console.idle(100);
  EXPECT_EQ(waitKey(console, 5), std::nullopt);
  console.typeKeys("k");
  EXPECT_EQ(waitKey(console), Key::of('k'));
}

TEST_F(InputTest, MouseInputOffDropsClicks) {
  setMouseInput(console, false);
  console.click(5, 5);
  console.typeKeys("x");
  EXPECT_EQ(waitKey(console), Key::of('x'));
  EXPECT_EQ(console.waitingSteps(), 0);
}

TEST_F(InputTest, ReportingSettingsChooseButtonsAndActions) {
  setMouseReporting(console, kRightButton, kMouseReleased);
  console.click(2, 2);  // left: not asked for
  console.mouseEvent(Key::mouse(MouseAction::Press, kRightButton, 2, 3));
  console.mouseEvent(Key::mouse(MouseAction::Release, kRightButton, 2, 3));
  EXPECT_EQ(waitKey(console), Key::mouse(MouseAction::Release, kRightButton, 2, 3));
}

TEST(UpperCase, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(upperCase("abz AZ 09 ?"), "ABZ AZ 09 ?");
  EXPECT_EQ(upperCase("\xE9\x92"), "\xE9\x92");
}

TEST(CommandLetter, OnlyCharactersTypedWithoutAlt) {
  EXPECT_EQ(commandLetter(Key::of('a')), 'A');
  EXPECT_EQ(commandLetter(Key::of(' ')), ' ');
  EXPECT_EQ(commandLetter(Key::of('\xE9')), '\xE9');
  EXPECT_EQ(commandLetter(Key::of('a', kAlt)), '\0');
  EXPECT_EQ(commandLetter(Key::named(KeyName::F1)), '\0');
  EXPECT_EQ(commandLetter(leftPress(1, 1)), '\0');
}

// Line input.

TEST_F(InputTest, ReadLineEchoesAndEditsWithBackspace) {
  console.setCursorVisible(false);
  console.locate(23, 15);
  console.write("Start with Question: ");
  console.typeKeys("12\b5x\b\b7\r");
  EXPECT_EQ(readLine(console), "17");
  EXPECT_EQ(console.text(23, 15, 40), "Start with Question: 17   ");
  EXPECT_EQ(console.cursorRow(), 24);
  EXPECT_EQ(console.cursorColumn(), 1);
  EXPECT_FALSE(console.cursorVisible());
}

TEST_F(InputTest, ReadLineShowsCursorOnlyWhileTyping) {
  console.setCursorVisible(false);
  bool visibleWhileTyping = false;
  console.typeLater([&] {
    visibleWhileTyping = console.cursorVisible();
    return std::string("\r");
  });
  readLine(console);
  EXPECT_TRUE(visibleWhileTyping);
  EXPECT_FALSE(console.cursorVisible());
}

TEST_F(InputTest, ReadLineBackspaceStepsBackToPreviousRow) {
  console.locate(10, 99);
  console.typeKeys("abc\b\b");
  console.typeLater([&] {
    // After erasing "c" and "b", the cursor stands on the cell of "b".
    EXPECT_EQ(console.cursorRow(), 10);
    EXPECT_EQ(console.cursorColumn(), 100);
    return std::string("\r");
  });
  EXPECT_EQ(readLine(console), "a");
  EXPECT_EQ(console.text(10, 99, 100), "a ");
  EXPECT_EQ(console.text(11, 1, 1), " ");
}

TEST_F(InputTest, ReadLineIgnoresControlExtendedKeysClicksAndBackspaceOnEmpty) {
  console.typeKeys("\b\t");
  console.pressKey(Key::named(KeyName::Left));
  console.pressKey(Key::of('4', kAlt));
  console.click(23, 40);
  console.typeKeys("3,9\r");
  EXPECT_EQ(readLine(console), "3,9");
}

TEST_F(InputTest, ReadLineStopsAtTenThousandCharacters) {
  console.typeKeys(std::string(10005, '7'));
  console.typeKeys("\r");
  EXPECT_EQ(readLine(console).size(), 10000u);
}

// The two-choice question.

struct ChoiceCase {
  const char* prompt;
  int row, column;
  const char* first;
  const char* second;
  int firstColumn, secondColumn;
};

const ChoiceCase kChoices[] = {
    {"Are you sure you want to end the Exam? [Y] or [N]", 25, 26, "[Y]", "[N]", 66, 73},
    {"Do you want the questions to be presented [R]andomly or in [S]equence?", 21, 15, "[R]", "[S]", 58, 75},
    {"    Would you like to drill on another section? [Y] or [N]o?     ", 21, 17, "[Y]", "[N]", 66, 73},
};

class AskChoiceTest : public InputTest, public ::testing::WithParamInterface<ChoiceCase> {
 protected:
  Choice ask() {
    const ChoiceCase& c = GetParam();
    console.locate(c.row, c.column);
    console.write(c.prompt);
    return askChoice(console, c.prompt, -c.row, c.column, c.first, c.second);
  }
};

TEST_P(AskChoiceTest, HighlightsBothLettersInsideThePrompt) {
  const ChoiceCase& c = GetParam();
  console.typeKeys(std::string(1, c.first[1]));
  ask();
  for (int column : {c.firstColumn, c.secondColumn}) {
    EXPECT_EQ(console.grid().cell(c.row, column).foreground, kYellow) << column;
    EXPECT_EQ(console.grid().cell(c.row, column).background, kRed) << column;
  }
  EXPECT_EQ(console.text(c.row, c.firstColumn, c.firstColumn), std::string(1, c.first[1]));
  EXPECT_EQ(console.text(c.row, c.secondColumn, c.secondColumn), std::string(1, c.second[1]));
  EXPECT_EQ(console.text(c.row, c.column, c.column + 10), std::string(c.prompt).substr(0, 11));
}

TEST_P(AskChoiceTest, ClicksAnswerOnTheLetterAndTheTwoColumnsAfterIt) {
  const ChoiceCase& c = GetParam();
  for (int offset = 0; offset <= 2; ++offset) {
    console.click(c.row, c.firstColumn + offset);
    EXPECT_EQ(ask(), Choice::First) << offset;
    console.click(c.row, c.secondColumn + offset);
    EXPECT_EQ(ask(), Choice::Second) << offset;
  }
}

TEST_P(AskChoiceTest, IgnoresOtherClicksAndKeys) {
  const ChoiceCase& c = GetParam();
  console.click(c.row, c.firstColumn - 1);   // the opening bracket
  console.click(c.row, c.secondColumn + 3);  // one past the click area
  console.click(c.row - 1, c.firstColumn);   // right column, wrong row
  console.typeKeys("x");
  console.pressKey(Key::named(KeyName::F1));
  console.pressKey(Key::of(c.first[1], kAlt));
  console.typeKeys(std::string(1, static_cast<char>(c.second[1] - 'A' + 'a')));
  EXPECT_EQ(ask(), Choice::Second);
  EXPECT_EQ(console.waitingSteps(), 0);
}

INSTANTIATE_TEST_SUITE_P(Prompts, AskChoiceTest, ::testing::ValuesIn(kChoices));

TEST_F(InputTest, AskChoiceSwitchesMouseInputOn) {
  setMouseInput(console, false);
  setMouseReporting(console, kRightButton, kMouseReleased);
  console.click(21, 58);
  EXPECT_EQ(askChoice(console, "Do you want the questions to be presented [R]andomly or in [S]equence?", -21, 15,
                      "[R]", "[S]"),
            Choice::First);
}

TEST_F(InputTest, AskChoicePrintsThePromptForAPositiveRow) {
  console.typeKeys("n");
  EXPECT_EQ(askChoice(console, "Go on? [Y] or [N]", 5, 3, "[Y]", "[N]"), Choice::Second);
  EXPECT_EQ(console.text(5, 3, 19), "Go on? [Y] or [N]");
}

}  // namespace
}  // namespace pentrill
