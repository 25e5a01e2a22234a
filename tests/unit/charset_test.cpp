#include "screen/charset.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "platform/console.h"
#include "pool/edition.h"

namespace pentrill {
namespace {

bool isControl(char32_t codePoint) { return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F); }

TEST(Charset, EveryByteShowsAsAPrintableCharacter) {
  for (int value = 0; value < 256; ++value) {
    const char byte = static_cast<char>(value);
    const char32_t codePoint = displayCodePoint(byte);
    EXPECT_FALSE(isControl(codePoint)) << "byte " << value;
    for (unsigned char utf8 : displayUtf8(std::string(1, byte))) {
      EXPECT_FALSE(utf8 < 0x20 || utf8 == 0x7F) << "byte " << value << " sends a control byte";
    }
    const char ascii = asciiLookAlike(codePoint);
    EXPECT_TRUE(ascii >= 0x20 && ascii < 0x7F) << "byte " << value;
  }
}

TEST(Charset, WindowsCharactersOfThePoolAndTheMenu) {
  EXPECT_EQ(displayCodePoint('\x96'), U'\u2013');  // en dash
  EXPECT_EQ(displayCodePoint('\x97'), U'\u2014');  // em dash
  EXPECT_EQ(displayCodePoint('\x92'), U'\u2019');
  EXPECT_EQ(displayCodePoint('\x93'), U'\u201C');
  EXPECT_EQ(displayCodePoint('\x94'), U'\u201D');
  EXPECT_EQ(displayCodePoint('\x80'), U'\u20AC');
  EXPECT_EQ(displayCodePoint('\x9F'), U'\u0178');
  EXPECT_EQ(displayCodePoint('\xA0'), U'\u00A0');
  EXPECT_EQ(displayCodePoint('\xE9'), U'\u00E9');
  EXPECT_EQ(displayCodePoint('\xFF'), U'\u00FF');
  EXPECT_EQ(displayCodePoint('A'), U'A');
  EXPECT_EQ(displayCodePoint('~'), U'~');
}

TEST(Charset, UndefinedAndControlBytesBecomeQuestionMarks) {
  for (char byte : {'\x81', '\x8D', '\x8F', '\x90', '\x9D', '\x00', '\x07', '\x0A', '\x0D', '\x1B', '\x7F'}) {
    EXPECT_EQ(displayCodePoint(byte), U'?') << static_cast<int>(static_cast<unsigned char>(byte));
  }
}

TEST(Charset, RuleAndHyphenBytes) {
  EXPECT_EQ(displayCodePoint(kRuleByte), U'\u2500');
  EXPECT_EQ(displayCodePoint('\x1E'), U'-');
  EXPECT_EQ(displayUtf8(rule(3)), "\u2500\u2500\u2500");
}

TEST(Charset, Utf8EncodingOfEveryLength) {
  EXPECT_EQ(utf8Encode(U'A'), "A");
  EXPECT_EQ(utf8Encode(U'\u00E9'), "\xC3\xA9");
  EXPECT_EQ(utf8Encode(U'\u07FF'), "\xDF\xBF");
  EXPECT_EQ(utf8Encode(U'\u2013'), "\xE2\x80\x93");
  EXPECT_EQ(utf8Encode(U'\u2500'), "\xE2\x94\x80");
  EXPECT_EQ(utf8Encode(U'\U0001F600'), "\xF0\x9F\x98\x80");
}

TEST(Charset, MenuLineConvertsToUtf8) {
  EXPECT_EQ(displayUtf8("0. SUBELEMENT E0 \x96 SAFETY [6 Exam Questions \x97 6 Groups]"),
            "0. SUBELEMENT E0 \u2013 SAFETY [6 Exam Questions \u2014 6 Groups]");
  EXPECT_EQ(displayUtf8("don\x92t\xA0stop"), "don\u2019t\u00A0stop");
}

TEST(Charset, AsciiLookAlikes) {
  EXPECT_EQ(asciiLookAlike(U'\u2019'), '\'');
  EXPECT_EQ(asciiLookAlike(U'\u2018'), '\'');
  EXPECT_EQ(asciiLookAlike(U'\u201C'), '"');
  EXPECT_EQ(asciiLookAlike(U'\u201D'), '"');
  EXPECT_EQ(asciiLookAlike(U'\u2013'), '-');
  EXPECT_EQ(asciiLookAlike(U'\u2014'), '-');
  EXPECT_EQ(asciiLookAlike(U'\u2500'), '-');
  EXPECT_EQ(asciiLookAlike(U'\u00A0'), ' ');
  EXPECT_EQ(asciiLookAlike(U'\u00E9'), 'e');
  EXPECT_EQ(asciiLookAlike(U'\u00C7'), 'C');
  EXPECT_EQ(asciiLookAlike(U'\u00DC'), 'U');
  EXPECT_EQ(asciiLookAlike(U'\u00F1'), 'n');
  EXPECT_EQ(asciiLookAlike(U'\u0161'), 's');
  EXPECT_EQ(asciiLookAlike(U'x'), 'x');
  EXPECT_EQ(asciiLookAlike(U'\u4E2D'), '?');
}

// Every byte of every pool's texts shows as its own character in a UTF-8
// terminal and as a look-alike in an ASCII one: the superscript two of the
// Technician pool ("P = I\xB2 x E") as "\u00B2", and as "2" where a cell can
// hold only ASCII.
TEST(Charset, EveryCharacterOfEveryPoolShowsAndHasAnAsciiLookAlike) {
  std::set<unsigned char> bytes;
  for (const PoolEdition* edition : poolEditions())
    for (const Subelement& subelement : edition->subelements)
      for (const Question& question : subelement.questions)
        for (std::string_view text : {question.text, question.answers[0], question.answers[1], question.answers[2],
                                      question.answers[3]})
          bytes.insert(text.begin(), text.end());
  ASSERT_TRUE(bytes.count(0xB2));
  bytes.erase('?');  // shows as itself, like every undefined byte
  for (unsigned char byte : bytes) {
    const char32_t codePoint = displayCodePoint(static_cast<char>(byte));
    EXPECT_NE(codePoint, U'?') << static_cast<int>(byte);
    if (byte >= 0xA0) {
      EXPECT_EQ(codePoint, static_cast<char32_t>(byte)) << static_cast<int>(byte);
    }
    EXPECT_NE(asciiLookAlike(codePoint), '?') << static_cast<int>(byte);
  }
  EXPECT_EQ(displayUtf8("P = I\xB2 x E"), "P = I\u00B2 x E");
  EXPECT_EQ(asciiLookAlike(U'\u00B2'), '2');
}

TEST(Charset, TypedCharactersBackToWindows1252) {
  for (int value = 0x20; value < 256; ++value) {
    const char byte = static_cast<char>(value);
    const char32_t codePoint = displayCodePoint(byte);
    if (codePoint == U'?' && byte != '?') continue;  // undefined bytes have no character to type
    ASSERT_TRUE(windows1252Byte(codePoint).has_value()) << value;
    EXPECT_EQ(*windows1252Byte(codePoint), byte) << value;
  }
  EXPECT_EQ(windows1252Byte(U'\u2014'), '\x97');
  EXPECT_FALSE(windows1252Byte(U'\u0085').has_value());  // a C1 control, not a Windows character
  EXPECT_FALSE(windows1252Byte(U'\u4E2D').has_value());
  EXPECT_FALSE(windows1252Byte(U'\u2500').has_value());
}

}  // namespace
}  // namespace pentrill
