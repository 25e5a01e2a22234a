#include "screen/wrap_text.h"

#include <gtest/gtest.h>

#include <string>

namespace pentrill {
namespace {

// The wrapped lines, checked for their common shape.
std::vector<std::string> wrapped(std::string_view text, int width) {
  std::vector<std::string> result = wrapText(text, width);
  for (const std::string& line : result) EXPECT_EQ(line.size(), static_cast<size_t>(width)) << line;
  return result;
}

std::string withoutBlanks(std::string_view text) {
  std::string result;
  for (char c : text)
    if (c != ' ') result += c;
  return result;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string result;
  for (const std::string& line : lines) result += line;
  return result;
}

std::string rightTrimmed(std::string line) { return line.erase(line.find_last_not_of(' ') + 1); }

std::string words(int count, std::string_view word) {
  std::string result;
  for (int i = 0; i < count; ++i) result.append(i ? " " : "").append(word);
  return result;
}

constexpr std::string_view kE4C06 =
    "A CW receiver with the AGC off has an equivalent input noise power density of -174 dBm/Hz.  What would be "
    "the level of an unmodulated carrier input to this receiver that would yield an audio output SNR of 0 dB in a "
    "400 Hz noise bandwidth?";

constexpr std::string_view kLongest =  // 242 characters, the longest question text of the 2020-2024 pool
    "What is the permitted mean power of any spurious emission relative to the mean power of the fundamental "
    "emission from a station transmitter or external RF amplifier installed after January 1, 2003 and "
    "transmitting on a frequency below 30 MHz?";

TEST(WrapText, ShortTextIsOnePaddedLine) {
  std::string text = "007. " + std::string(80, 'q');
  auto lines = wrapped(text, 90);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], text + std::string(5, ' '));
}

TEST(WrapText, OnlyBlanksAreTrimmed) {
  auto lines = wrapped("   \tword\t  ", 20);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(rightTrimmed(lines[0]), "\tword\t");
  EXPECT_EQ(wrapped("", 10), std::vector<std::string>{std::string(10, ' ')});
  EXPECT_EQ(wrapped("     ", 10), std::vector<std::string>{std::string(10, ' ')});
}

TEST(WrapText, EightyNineCharactersFitNinetyDoNot) {
  // Words of four letters and a blank: the 89-character text ends a word at 89.
  std::string text89 = words(18, "abcd").substr(0, 89);
  ASSERT_EQ(text89.size(), 89u);
  EXPECT_EQ(wrapped(text89, 90).size(), 1u);

  std::string text90 = text89 + "e";  // last word now "abcde", ending at 90
  auto lines = wrapped(text90, 90);
  ASSERT_EQ(lines.size(), 2u);
  // Broken at the last blank within the first 90 characters: column 85.
  EXPECT_EQ(lines[0], text90.substr(0, 85) + std::string(5, ' '));
  EXPECT_EQ(rightTrimmed(lines[1]), "abcde");
}

TEST(WrapText, LongestQuestionTakesThreeLinesBrokenAtBlanks) {
  ASSERT_EQ(kLongest.size(), 242u);
  auto lines = wrapped("001. " + std::string(kLongest), 90);
  ASSERT_EQ(lines.size(), 3u);
  for (const std::string& line : lines) {
    EXPECT_EQ(line.back(), ' ');   // each ends with the blank it was broken at, or padding
    EXPECT_NE(line.front(), ' ');  // and the next starts after that blank
  }
  EXPECT_EQ(withoutBlanks(joined(lines)), withoutBlanks("001. " + std::string(kLongest)));
}

TEST(WrapText, DoubleBlankInsideALineIsKept) {
  auto lines = wrapped(kE4C06, 90);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(rightTrimmed(lines[0]), "A CW receiver with the AGC off has an equivalent input noise power density of -174");
  EXPECT_EQ(lines[1].substr(0, 13), "dBm/Hz.  What");
  EXPECT_EQ(withoutBlanks(joined(lines)), withoutBlanks(kE4C06));
}

TEST(WrapText, BreakAtFirstOfTwoBlanksDropsTheOtherFromTheNextLine) {
  // Blanks at 88, 90 and 91: the break falls at 90, the next line starts at "c".
  std::string text = std::string(87, 'a') + " b  " + std::string(10, 'c');
  auto lines = wrapped(text, 90);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(87, 'a') + " b ");
  EXPECT_EQ(rightTrimmed(lines[1]), std::string(10, 'c'));
}

TEST(WrapText, OverLongWordIsCutWithoutLosingCharacters) {
  for (int length : {90, 91, 200, 500}) {
    std::string word(static_cast<size_t>(length), 'x');
    auto lines = wrapped("ab " + word + " cd", 90);
    std::string all = joined(lines);
    EXPECT_EQ(withoutBlanks(all), "ab" + word + "cd") << length;
    for (const std::string& line : lines) EXPECT_EQ(line.back(), ' ') << length;  // at most 89 shown
  }
  auto lines = wrapped(std::string(200, 'y'), 90);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(rightTrimmed(lines[0]), std::string(89, 'y'));
  EXPECT_EQ(rightTrimmed(lines[1]), std::string(89, 'y'));
  EXPECT_EQ(rightTrimmed(lines[2]), std::string(22, 'y'));
}

TEST(WrapText, AsManyLinesAsTheTextNeeds) {
  const std::vector<std::string> lines = wrapped(words(60, "word"), 20);  // 299 characters, 4 words a line
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[14], "word word word word ");
  EXPECT_EQ(wrapped(words(30, "word"), 40).size(), 4u);  // 149 characters, 8 words a line
}

TEST(WrapText, TinyWidthsEndAndLoseNothing) {
  for (int width : {-3, 0, 1, 2, 3}) {
    const std::vector<std::string> lines = wrapText("ab cdef g", width);
    ASSERT_GE(lines.size(), 1u) << width;
    std::string all;
    for (const std::string& line : lines) all += line;
    EXPECT_EQ(withoutBlanks(all), "abcdefg") << width;
  }
}

}  // namespace
}  // namespace pentrill
