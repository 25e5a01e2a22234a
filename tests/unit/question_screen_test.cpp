#include "screen/question_screen.h"

#include <gtest/gtest.h>

#include "tests/fakes/memory_console.h"

namespace pentrill {
namespace {

Question sampleQuestion(std::string id = "E0A01", std::string text = "What is the primary function of a ground rod?") {
  Question q;
  q.field(kId) = std::move(id);
  q.field(kText) = std::move(text);
  q.field(kAnswerA) = "A. Reduce received noise";
  q.field(kAnswerB) = "B. Lightning protection";
  q.field(kAnswerC) = "C. Reduce RF current flow between pieces of equipment";
  q.field(kAnswerD) = "D. Reduce RFI to telephones and home entertainment systems";
  q.field(kCorrect) = "B";
  return q;
}

const std::string kE9Title = "Module: E9 - ANTENNAS AND TRANSMISSION LINES [96 Questions]";

struct Screen {
  MemoryConsole console;
  LineList lines = LineList(9);
  HintIndex hints = HintIndex(641, "");

  Screen() {
    hints[0] = "0";
    console.setColours(kBlack, kBrightWhite);
    console.clearScreen();
  }
  void draw(const Question& q, int number = 7, int peekOff = -1, const std::string& title = kE9Title) {
    drawDrillScreen(console, q, number, title, peekOff, hints, lines);
  }
  const Cell& cell(int row, int column) const { return console.grid().cell(row, column); }
  void expectColours(int row, int first, int last, int foreground, int background) const {
    for (int column = first; column <= last; ++column) {
      EXPECT_EQ(cell(row, column).foreground, foreground) << row << "," << column;
      EXPECT_EQ(cell(row, column).background, background) << row << "," << column;
    }
  }
};

TEST(DrillScreen, FrameAnswerBarAndTitle) {
  Screen screen;
  screen.draw(sampleQuestion());
  for (int row : {1, 3, 24, 26}) {
    EXPECT_EQ(screen.console.text(row, 2, 100), rule(99)) << row;
    EXPECT_EQ(screen.cell(row, 1).byte, ' ') << row;
  }
  EXPECT_EQ(screen.console.text(25, 1, 34), " [ A ][ B ][ C ][ D ] [Stop Drill]");
  for (int first : {3, 8, 13, 18}) screen.expectColours(25, first, first + 2, kYellow, kRed);
  screen.expectColours(25, 24, 33, kYellow, kRed);
  for (int column : {1, 2, 6, 7, 11, 12, 16, 17, 21, 22, 23, 34}) screen.expectColours(25, column, column, kBlack, kBrightWhite);
  // The title ends in column 97 of row 2.
  const int titleStart = 97 - static_cast<int>(kE9Title.size()) + 1;
  EXPECT_EQ(screen.console.text(2, titleStart, 97), kE9Title);
  EXPECT_EQ(screen.console.text(2, 98, 100), "   ");
  EXPECT_EQ(screen.console.text(25, 80, 83), "    ");
}

TEST(DrillScreen, NumberedQuestionAndAnswersInTheirColumns) {
  Screen screen;
  std::string text(80, 'q');
  screen.draw(sampleQuestion("E0A01", text));
  EXPECT_EQ(screen.console.text(4, 1, 89), "    007. " + text);
  EXPECT_EQ(screen.console.text(5, 1, 100), std::string(100, ' '));
  EXPECT_EQ(screen.console.text(6, 1, 32), "      A. Reduce received noise  ");
  EXPECT_EQ(screen.console.text(8, 7, 29), "B. Lightning protection");
  EXPECT_EQ(screen.console.text(10, 7, 9), "C. ");
  EXPECT_EQ(screen.console.text(12, 7, 9), "D. ");
  EXPECT_EQ(screen.console.text(13, 1, 100), std::string(100, ' '));
  screen.expectColours(4, 1, 100, kBlack, kBrightWhite);
}

TEST(DrillScreen, WrappedLinesContinueInColumnTen) {
  Screen screen;
  std::string text =
      "What is the permitted mean power of any spurious emission relative to the mean power of the fundamental "
      "emission from a station transmitter or external RF amplifier installed after January 1, 2003 and "
      "transmitting on a frequency below 30 MHz?";
  Question q = sampleQuestion("E1B13", text);
  q.field(kAnswerA) = "A. " + std::string(60, 'a') + " " + std::string(40, 'b');
  screen.draw(q, 107);
  EXPECT_EQ(screen.console.text(4, 5, 17), "107. What is ");
  for (int row : {5, 6}) {
    EXPECT_EQ(screen.console.text(row, 1, 9), std::string(9, ' ')) << row;
    EXPECT_NE(screen.cell(row, 10).byte, ' ') << row;
  }
  EXPECT_EQ(screen.console.text(8, 7, 9), "A. ");
  EXPECT_EQ(screen.console.text(9, 1, 50), std::string(9, ' ') + std::string(40, 'b') + " ");
  EXPECT_EQ(screen.console.text(11, 7, 9), "B. ");
}

TEST(DrillScreen, NumberShowsItsLastThreeDigits) {
  Screen screen;
  screen.draw(sampleQuestion(), 1234);
  EXPECT_EQ(screen.console.text(4, 5, 9), "234. ");
}

TEST(DrillScreen, PeekOffAndOnInHeaderAndLabel) {
  Screen screen;
  screen.draw(sampleQuestion(), 7, -1);
  EXPECT_EQ(screen.console.text(2, 1, 22), " Question ID: E0A01   ");
  EXPECT_EQ(screen.console.text(25, 90, 97), "Peek Off");
  screen.expectColours(25, 90, 97, kBlack, kLightGrey);

  screen.draw(sampleQuestion(), 7, 0);
  EXPECT_EQ(screen.console.text(2, 1, 22), " Question ID: E0A01 B ");
  EXPECT_EQ(screen.console.text(25, 90, 97), "Peek On ");
  screen.expectColours(25, 90, 96, kYellow, kRed);
  screen.expectColours(25, 97, 97, kBlack, kBrightWhite);

  screen.draw(sampleQuestion(), 7, -1);
  EXPECT_EQ(screen.console.text(2, 1, 22), " Question ID: E0A01   ");
  EXPECT_EQ(screen.console.text(25, 90, 97), "Peek Off");
}

TEST(DrillScreen, PeekIndicatorLeavesColoursAndIgnoresOtherValues) {
  MemoryConsole console;
  showPeekIndicator(console, 0);
  EXPECT_EQ(console.grid().foreground(), kYellow);
  EXPECT_EQ(console.grid().background(), kRed);
  showPeekIndicator(console, -1);
  EXPECT_EQ(console.grid().foreground(), kBlack);
  EXPECT_EQ(console.grid().background(), kBrightWhite);
  console.clearScreen();
  showPeekIndicator(console, 1);
  EXPECT_EQ(console.text(25, 90, 97), std::string(8, ' '));
}

TEST(DrillScreen, FigureTagIsShownWithTheId) {
  Screen screen;
  screen.draw(sampleQuestion("E5C10 Figure:E5-1"), 7, 0);
  EXPECT_EQ(screen.console.text(2, 2, 33), "Question ID: E5C10 Figure:E5-1 B");
  // The header line is cleared first: a longer id drawn before leaves nothing.
  screen.draw(sampleQuestion("E0A01"), 7, -1);
  EXPECT_EQ(screen.console.text(2, 2, 38), "Question ID: E0A01" + std::string(19, ' '));
}

TEST(DrillScreen, HintLabelOnlyForIdentifiersInTheIndex) {
  Screen screen;
  screen.hints[0] = "2";
  screen.hints[1] = "E5C10";
  screen.hints[2] = "E0A02";
  screen.hints[3] = "E0A01";  // beyond the count
  screen.draw(sampleQuestion("E5C10 Figure:E5-1"));
  EXPECT_EQ(screen.console.text(25, 80, 83), "Hint");
  screen.expectColours(25, 80, 83, kBlack, kLightGrey);
  screen.draw(sampleQuestion("E0A01"));
  EXPECT_EQ(screen.console.text(25, 80, 83), "    ");
  screen.expectColours(25, 80, 83, kBlack, kBrightWhite);
  screen.hints[3] = "";
  screen.hints[1] = "e5c10";  // case counts
  screen.draw(sampleQuestion("E5C10"));
  EXPECT_EQ(screen.console.text(25, 80, 83), "    ");
}

TEST(DrillScreen, RedrawDoesNotClearRowsBelowTheBar) {
  Screen screen;
  screen.console.locate(27, 2);
  screen.console.write("The Correct Answer is: B");
  screen.console.locate(30, 1);
  screen.console.write("hint text");
  screen.draw(sampleQuestion());
  EXPECT_EQ(screen.console.text(27, 2, 25), "The Correct Answer is: B");
  EXPECT_EQ(screen.console.text(30, 1, 9), "hint text");
}

TEST(Hints, HasHintReadsTheCountedEntries) {
  HintIndex index{"2", "E1A01", "E2B02", "E3C03"};
  EXPECT_TRUE(hasHint("E1A01", index));
  EXPECT_TRUE(hasHint("E2B02", index));
  EXPECT_FALSE(hasHint("E3C03", index));
  EXPECT_FALSE(hasHint("E1A0", index));
  EXPECT_TRUE(hasHint("E1A01", HintIndex{"9", "E2B02", "E1A01"}));  // a count beyond the list is safe
  EXPECT_FALSE(hasHint("E1A01", HintIndex{}));
  EXPECT_EQ(identifierKey("E5C10 Figure:E5-1"), "E5C10");
  EXPECT_EQ(identifierKey("E0A01"), "E0A01");
}

}  // namespace
}  // namespace pentrill
