// The shape that the program's question tables must have, independent of the
// pool text: the 50 groups in table order with their sizes, numbering and
// correct letters, the figure tags, and the "All these choices" answers.
// The published text is checked against this before any table is written, so
// a slip in the text (or in a later edit of it) stops the build.
#pragma once
#include <array>
#include <string_view>

namespace pool_tables {

struct ExpectedGroup {
  std::string_view name;     // "E1A"
  int size;                  // questions present
  int lastNumber;            // numbers run 01 to lastNumber ...
  int hole;                  // ... except this one (0: no hole)
  std::string_view letters;  // correct letters in identifier order, holes skipped
};

// Table order: E1 to E9, then E0. E3B08 and E7A09 do not exist; E6B06 does.
inline constexpr std::array<ExpectedGroup, 50> kExpectedGroups{{
    {"E1A", 14, 14, 0, "ADCCCBCBAABCBD"},
    {"E1B", 12, 12, 0, "DAACCACDCABA"},
    {"E1C", 14, 14, 0, "DCBAACDBBAADCB"},
    {"E1D", 12, 12, 0, "AABADAADBBDA"},
    {"E1E", 12, 12, 0, "ACCDBCBCACBA"},
    {"E1F", 11, 11, 0, "BCAADADADBD"},
    {"E2A", 13, 13, 0, "CDDBDADBABBCB"},
    {"E2B", 12, 12, 0, "ACDACABADABA"},
    {"E2C", 12, 12, 0, "DAABBCABCDAC"},
    {"E2D", 11, 11, 0, "BDDCBACAACD"},
    {"E2E", 13, 13, 0, "BACAACDBDCAAD"},
    {"E3A", 14, 14, 0, "DBADCBCACBBCAB"},
    {"E3B", 11, 12, 8, "ACCBCBCAADB"},
    {"E3C", 15, 15, 0, "BABCAADABBCCADB"},
    {"E4A", 11, 11, 0, "ABBADABDADD"},
    {"E4B", 11, 11, 0, "BACABDACDBD"},
    {"E4C", 15, 15, 0, "DACDBDBDCCDDCDD"},
    {"E4D", 12, 12, 0, "AABBADACCCAA"},
    {"E4E", 11, 11, 0, "ADBDBCBBCDB"},
    {"E5A", 16, 16, 0, "ACDAABACCACCCCAD"},
    {"E5B", 12, 12, 0, "BDBDDCCADABA"},
    {"E5C", 12, 12, 0, "ACCDCBDDABBA"},
    {"E5D", 15, 15, 0, "ABDBCDBDBACBBAD"},
    {"E6A", 12, 12, 0, "CACCCBDDABAD"},
    {"E6B", 11, 11, 0, "BDBADDBACBA"},
    {"E6C", 11, 11, 0, "ABACDCBBBDC"},
    {"E6D", 13, 13, 0, "AAABCDABCABCA"},
    {"E6E", 12, 12, 0, "BADAADDADDDC"},
    {"E6F", 11, 11, 0, "CADBAABCDBB"},
    {"E7A", 10, 11, 9, "CABBDADACD"},
    {"E7B", 18, 18, 0, "AAAACBDCDBDCDBCAAC"},
    {"E7C", 12, 12, 0, "DCACDCBADBCA"},
    {"E7D", 15, 15, 0, "DCABDCACCCDCCDD"},
    {"E7E", 11, 11, 0, "BDDADABCAAC"},
    {"E7F", 14, 14, 0, "CACDBDCBAABADB"},
    {"E7G", 12, 12, 0, "ADDCABCDDCBA"},
    {"E7H", 15, 15, 0, "DCACDBDAABCBDCD"},
    {"E8A", 11, 11, 0, "AAABDABCDCA"},
    {"E8B", 11, 11, 0, "ADABDAADBBB"},
    {"E8C", 12, 12, 0, "CCACCCADDCAC"},
    {"E8D", 11, 11, 0, "ABDCADDDDBC"},
    {"E9A", 13, 13, 0, "CDCBDABBBACAC"},
    {"E9B", 11, 11, 0, "BBBBACCDBAC"},
    {"E9C", 14, 14, 0, "DACBABACABDCBB"},
    {"E9D", 12, 12, 0, "DCACBBDBDBBC"},
    {"E9E", 11, 11, 0, "BADBACBCCCA"},
    {"E9F", 13, 13, 0, "DCDBDCADBCCDA"},
    {"E9G", 11, 11, 0, "ABCCABDCADB"},
    {"E9H", 11, 11, 0, "DADBACDABDB"},
    {"E0A", 11, 11, 0, "BBCCBDBCCAC"},
}};

inline constexpr int kExpectedQuestionCount = 620;
// Correct letters over the whole pool, A to D.
inline constexpr std::array<int, 4> kExpectedLetterTotals{171, 151, 152, 146};

struct ExpectedFigure {
  std::string_view id;
  std::string_view figure;  // as written in the tag, plain hyphen
};

// The questions whose text names a figure; field 1 carries the tag.
inline constexpr std::array<ExpectedFigure, 27> kExpectedFigures{{
    {"E5C10", "E5-1"}, {"E5C11", "E5-1"}, {"E5C12", "E5-1"},
    {"E6A10", "E6-1"}, {"E6A11", "E6-1"},
    {"E6B10", "E6-2"},
    {"E6C08", "E6-3"}, {"E6C10", "E6-3"}, {"E6C11", "E6-3"},
    {"E7B10", "E7-1"}, {"E7B11", "E7-1"}, {"E7B12", "E7-1"},
    {"E7D06", "E7-2"}, {"E7D07", "E7-2"}, {"E7D08", "E7-2"},
    {"E7G07", "E7-3"}, {"E7G09", "E7-3"}, {"E7G10", "E7-3"}, {"E7G11", "E7-3"},
    {"E9B01", "E9-1"}, {"E9B02", "E9-1"}, {"E9B03", "E9-1"},
    {"E9B04", "E9-2"}, {"E9B05", "E9-2"}, {"E9B06", "E9-2"},
    {"E9G06", "E9-3"}, {"E9G07", "E9-3"},
}};

// Answer D of exactly these questions is "D. All these choices are correct";
// the answer shuffle keeps it in place.
inline constexpr std::string_view kAllChoicesText = "All these choices are correct";
inline constexpr std::array<std::string_view, 43> kExpectedAllChoices{{
    "E0A06", "E1A09", "E1B12", "E1C02", "E1C11", "E1D04", "E1D05", "E1D10", "E1D12",
    "E1E08", "E1E09", "E1E11", "E1F09", "E2A02", "E2A07", "E2C10", "E2D02", "E2D10",
    "E2E07", "E4A01", "E4A07", "E4A09", "E4B11", "E4C13", "E4E02", "E4E10", "E5D02",
    "E6C04", "E6E10", "E7B15", "E7B16", "E7D14", "E7F12", "E7H13", "E8A08", "E8A10",
    "E8C03", "E8C12", "E9A10", "E9E09", "E9F08", "E9H02", "E9H05",
}};

// Limits of the program's tables and screens, in Windows-1252 characters.
inline constexpr int kMaxQuestionsPerTable = 149;
inline constexpr int kMaxIdFieldLength = 17;
inline constexpr int kMinTextLength = 19;
inline constexpr int kMaxTextLength = 242;
inline constexpr int kMinAnswerLength = 4;  // label included
inline constexpr int kMaxAnswerLength = 176;

// The group list must agree with itself before it can judge the text.
constexpr bool expectedGroupsConsistent() {
  int total = 0;
  std::array<int, 4> letters{};
  for (const ExpectedGroup& g : kExpectedGroups) {
    int present = g.lastNumber - (g.hole == 0 ? 0 : 1);
    if (g.size != present || static_cast<int>(g.letters.size()) != g.size) return false;
    if (g.hole < 0 || g.hole > g.lastNumber) return false;
    for (char c : g.letters) {
      if (c < 'A' || c > 'D') return false;
      ++letters[static_cast<size_t>(c - 'A')];
    }
    total += g.size;
  }
  return total == kExpectedQuestionCount && letters == kExpectedLetterTotals;
}
static_assert(expectedGroupsConsistent(), "group sizes, numbering and letters disagree");

}  // namespace pool_tables
