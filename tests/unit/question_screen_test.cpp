#include "fullscreen/question_screen.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "tests/fakes/memory_console.h"

namespace pentrill {
namespace {

// A question that holds its own texts; figure 0 of the 2020-2024 pool is E5-1.
struct Sample {
  explicit Sample(std::string identifier = "E0A01", std::string questionText = "What is the primary function of a ground rod?",
                  std::optional<std::uint8_t> figure = std::nullopt)
      : id(std::move(identifier)), text(std::move(questionText)) {
    question.figure = figure;
    question.correct = 'B';
  }
  operator AskedQuestion() {
    question.id = id;
    question.text = text;
    for (size_t k = 0; k < answers.size(); ++k) question.answers[k] = answers[k];
    return asPublished(question);
  }

  std::string id, text;
  std::array<std::string, kAnswerCount> answers{"Reduce received noise", "Lightning protection",
                                                "Reduce RF current flow between pieces of equipment",
                                                "Reduce RFI to telephones and home entertainment systems"};
  Question question;
};

Sample sampleQuestion(std::string id = "E0A01", std::string text = "What is the primary function of a ground rod?") {
  return Sample(std::move(id), std::move(text));
}
Sample withFigure(std::string id) { return Sample(std::move(id), "Which figure?", 0); }

const std::string kE9Title = "Module: E9 - ANTENNAS AND TRANSMISSION LINES [96 Questions]";

struct Screen {
  MemoryConsole console;
  HintIndex hints;
  ClickMap<DrillCommand> clicks;

  Screen() {
    console.setColours(kBlack, kBrightWhite);
    console.clearScreen();
  }
  void draw(Sample q, int number = 7, bool peekOn = false, const std::string& title = kE9Title) {
    drawDrillScreen(console, pool2020To2024(), q, number, title, peekOn, hints, false, clicks);
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
  Sample q = sampleQuestion("E1B13", text);
  q.answers[0] = std::string(60, 'a') + " " + std::string(40, 'b');
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
  screen.draw(sampleQuestion(), 7, false);
  EXPECT_EQ(screen.console.text(2, 1, 22), " Question ID: E0A01   ");
  EXPECT_EQ(screen.console.text(25, 90, 97), "Peek Off");
  screen.expectColours(25, 90, 97, kBlack, kLightGrey);

  screen.draw(sampleQuestion(), 7, true);
  EXPECT_EQ(screen.console.text(2, 1, 22), " Question ID: E0A01 B ");
  EXPECT_EQ(screen.console.text(25, 90, 97), "Peek On ");
  screen.expectColours(25, 90, 96, kYellow, kRed);
  screen.expectColours(25, 97, 97, kBlack, kBrightWhite);

  screen.draw(sampleQuestion(), 7, false);
  EXPECT_EQ(screen.console.text(2, 1, 22), " Question ID: E0A01   ");
  EXPECT_EQ(screen.console.text(25, 90, 97), "Peek Off");
}

TEST(DrillScreen, PeekIndicatorLeavesColours) {
  MemoryConsole console;
  showPeekIndicator(console, true);
  EXPECT_EQ(console.grid().foreground(), kYellow);
  EXPECT_EQ(console.grid().background(), kRed);
  showPeekIndicator(console, false);
  EXPECT_EQ(console.grid().foreground(), kBlack);
  EXPECT_EQ(console.grid().background(), kBrightWhite);
}

TEST(DrillScreen, FigureTagIsShownWithTheId) {
  Screen screen;
  screen.draw(withFigure("E5C10"), 7, true);
  EXPECT_EQ(screen.console.text(2, 2, 33), "Question ID: E5C10 Figure:E5-1 B");
  // The header line is cleared first: a longer id drawn before leaves nothing.
  screen.draw(sampleQuestion("E0A01"), 7, false);
  EXPECT_EQ(screen.console.text(2, 2, 38), "Question ID: E0A01" + std::string(19, ' '));
}

TEST(DrillScreen, HintLabelOnlyForIdentifiersInTheIndex) {
  Screen screen;
  screen.hints.add("E5C10");
  screen.hints.add("E0A02");
  screen.draw(withFigure("E5C10"));  // the figure is no part of the key
  EXPECT_EQ(screen.console.text(25, 80, 83), "Hint");
  screen.expectColours(25, 80, 83, kBlack, kLightGrey);
  screen.draw(sampleQuestion("E0A01"));
  EXPECT_EQ(screen.console.text(25, 80, 83), "    ");
  screen.expectColours(25, 80, 83, kBlack, kBrightWhite);
  Screen other;
  other.hints.add("e5c10");  // case counts
  other.draw(sampleQuestion("E5C10"));
  EXPECT_EQ(other.console.text(25, 80, 83), "    ");
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

// The index holds the keys of the first 640 indexed lines, repeated keys
// counted, and finds only a key it holds exactly.
TEST(Hints, IndexFindsExactKeysAndStopsAt640Lines) {
  HintIndex index;
  EXPECT_FALSE(hasHint("E1A01", index));
  EXPECT_TRUE(index.add("E1A01"));
  EXPECT_TRUE(index.add("E2B02"));
  EXPECT_TRUE(hasHint("E1A01", index));
  EXPECT_TRUE(hasHint("E2B02", index));
  EXPECT_FALSE(hasHint("E1A0", index));
  EXPECT_FALSE(hasHint("E1A01 ", index));
  for (int i = 2; i < kHintIndexLimit - 1; ++i) EXPECT_TRUE(index.add("E2B02"));
  EXPECT_TRUE(index.add("E3C03"));  // line 640
  EXPECT_EQ(index.lines(), kHintIndexLimit);
  EXPECT_FALSE(index.add("E4D04"));  // line 641 is not recorded
  EXPECT_TRUE(hasHint("E3C03", index));
  EXPECT_FALSE(hasHint("E4D04", index));
}

}  // namespace
}  // namespace pentrill
