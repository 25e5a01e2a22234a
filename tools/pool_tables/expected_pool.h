// The facts each pool's question tables must agree with, independent of its
// text: the groups in table order with their sizes, numbering and correct
// letters, the questions per subelement, the identifiers that stay out, the
// figure tags, the "All these choices" answers, the characters beyond ASCII,
// the text lengths and the lines the texts take on the question screens. The
// published text is checked against its pool's facts before any table is
// written, so a slip in the text (or in a later edit of it) stops the build.
#pragma once
#include <algorithm>
#include <array>
#include <span>
#include <string_view>

namespace pool_tables {

struct ExpectedGroup {
  std::string_view name;     // "E1A"
  int size;                  // questions present
  int lastNumber;            // numbers run 01 to lastNumber, less the pool's absent ones
  std::string_view letters;  // correct letters in identifier order, absent ones skipped
};

struct ExpectedFigure {
  std::string_view id;
  std::string_view figure;  // as written in the tag, plain hyphen: "E5-1", "T-1", "G7-1"
};

// Lengths in Windows-1252 characters: the shortest and longest texts of the
// pool, so that a text cut short or run together stops the build.
struct TextLimits {
  int minText;
  int maxText;
  int minAnswer;  // label included
  int maxAnswer;
  int longestWord;  // a run of characters without a blank
};

// A byte beyond printable ASCII and how often it stands in the pool's texts.
struct ExpectedByte {
  unsigned char byte;
  int count;
};

// How many texts take more than the usual lines when wrapped at the question
// screens' 90 columns; none takes more than three.
struct LineCounts {
  int questionsOfThreeLines;          // the question text alone
  int numberedQuestionsOfThreeLines;  // after the drill's "007. "
  int answersOfTwoLines;              // label included
  int answersOfThreeLines;
};

struct ExpectedPool {
  std::string_view name;  // as given after --pool: "2020-2024", "technician-2026-2030"
  char prefix;            // the letter of every identifier: 'E', 'G', 'T'
  int examQuestions;      // one from each group
  std::span<const ExpectedGroup> groups;  // table order: the subelements 1 to 9, then 0
  std::array<int, 10> questionsPerSubelement;  // subelement 0 to 9
  std::array<int, 4> letterTotals;  // correct letters over the pool, A to D
  // Identifiers that must not appear: holes in the numbering and questions
  // withdrawn after the last number of their group.
  std::span<const std::string_view> absent;
  std::string_view lastGroupItem;  // the item that ends the exam's walk of the group table
  std::span<const ExpectedFigure> figures;  // the questions whose text names a figure
  std::span<const std::string_view> allChoices;  // answer D is "D. All these choices are correct"
  std::span<const ExpectedByte> bytesBeyondAscii;  // every other such byte is refused
  TextLimits limits;
  LineCounts lines;
  // The questions with a double blank, as published; no other text has one.
  std::span<const std::string_view> doubleBlanks = {};
};

inline constexpr std::string_view kAllChoicesText = "All these choices are correct";

// Limits of the program's tables, in Windows-1252 characters.
inline constexpr int kMaxQuestionsPerTable = 149;
inline constexpr int kMaxIdFieldLength = 17;

// The 27 questions that name a figure; the same in both Amateur Extra pools.
inline constexpr std::array<ExpectedFigure, 27> kFigureQuestions{{
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

// ---- Amateur Extra 2020-2024, as issued on February 24, 2020 ----

// E3B08 and E7A09 do not exist; E6B06 does.
inline constexpr std::array<ExpectedGroup, 50> kGroups2020{{
    {"E1A", 14, 14, "ADCCCBCBAABCBD"},
    {"E1B", 12, 12, "DAACCACDCABA"},
    {"E1C", 14, 14, "DCBAACDBBAADCB"},
    {"E1D", 12, 12, "AABADAADBBDA"},
    {"E1E", 12, 12, "ACCDBCBCACBA"},
    {"E1F", 11, 11, "BCAADADADBD"},
    {"E2A", 13, 13, "CDDBDADBABBCB"},
    {"E2B", 12, 12, "ACDACABADABA"},
    {"E2C", 12, 12, "DAABBCABCDAC"},
    {"E2D", 11, 11, "BDDCBACAACD"},
    {"E2E", 13, 13, "BACAACDBDCAAD"},
    {"E3A", 14, 14, "DBADCBCACBBCAB"},
    {"E3B", 11, 12, "ACCBCBCAADB"},
    {"E3C", 15, 15, "BABCAADABBCCADB"},
    {"E4A", 11, 11, "ABBADABDADD"},
    {"E4B", 11, 11, "BACABDACDBD"},
    {"E4C", 15, 15, "DACDBDBDCCDDCDD"},
    {"E4D", 12, 12, "AABBADACCCAA"},
    {"E4E", 11, 11, "ADBDBCBBCDB"},
    {"E5A", 16, 16, "ACDAABACCACCCCAD"},
    {"E5B", 12, 12, "BDBDDCCADABA"},
    {"E5C", 12, 12, "ACCDCBDDABBA"},
    {"E5D", 15, 15, "ABDBCDBDBACBBAD"},
    {"E6A", 12, 12, "CACCCBDDABAD"},
    {"E6B", 11, 11, "BDBADDBACBA"},
    {"E6C", 11, 11, "ABACDCBBBDC"},
    {"E6D", 13, 13, "AAABCDABCABCA"},
    {"E6E", 12, 12, "BADAADDADDDC"},
    {"E6F", 11, 11, "CADBAABCDBB"},
    {"E7A", 10, 11, "CABBDADACD"},
    {"E7B", 18, 18, "AAAACBDCDBDCDBCAAC"},
    {"E7C", 12, 12, "DCACDCBADBCA"},
    {"E7D", 15, 15, "DCABDCACCCDCCDD"},
    {"E7E", 11, 11, "BDDADABCAAC"},
    {"E7F", 14, 14, "CACDBDCBAABADB"},
    {"E7G", 12, 12, "ADDCABCDDCBA"},
    {"E7H", 15, 15, "DCACDBDAABCBDCD"},
    {"E8A", 11, 11, "AAABDABCDCA"},
    {"E8B", 11, 11, "ADABDAADBBB"},
    {"E8C", 12, 12, "CCACCCADDCAC"},
    {"E8D", 11, 11, "ABDCADDDDBC"},
    {"E9A", 13, 13, "CDCBDABBBACAC"},
    {"E9B", 11, 11, "BBBBACCDBAC"},
    {"E9C", 14, 14, "DACBABACABDCBB"},
    {"E9D", 12, 12, "DCACBBDBDBBC"},
    {"E9E", 11, 11, "BADBACBCCCA"},
    {"E9F", 13, 13, "DCDBDCADBCCDA"},
    {"E9G", 11, 11, "ABCCABDCADB"},
    {"E9H", 11, 11, "DADBACDABDB"},
    {"E0A", 11, 11, "BBCCBDBCCAC"},
}};

inline constexpr std::array<std::string_view, 2> kAbsent2020{"E3B08", "E7A09"};

inline constexpr std::array<std::string_view, 43> kAllChoices2020{{
    "E0A06", "E1A09", "E1B12", "E1C02", "E1C11", "E1D04", "E1D05", "E1D10", "E1D12",
    "E1E08", "E1E09", "E1E11", "E1F09", "E2A02", "E2A07", "E2C10", "E2D02", "E2D10",
    "E2E07", "E4A01", "E4A07", "E4A09", "E4B11", "E4C13", "E4E02", "E4E10", "E5D02",
    "E6C04", "E6E10", "E7B15", "E7B16", "E7D14", "E7F12", "E7H13", "E8A08", "E8A10",
    "E8C03", "E8C12", "E9A10", "E9E09", "E9F08", "E9H02", "E9H05",
}};

inline constexpr std::array<ExpectedByte, 6> kBytes2020{{
    {0x92, 47}, {0x93, 12}, {0x94, 12}, {0x96, 2}, {0x1E, 2}, {0xA0, 1},
}};

inline constexpr std::array<std::string_view, 1> kDoubleBlank2020{"E4C06"};  // "dBm/Hz.  What"

inline constexpr ExpectedPool kPool2020{
    "2020-2024", 'E', 50, kGroups2020, {11, 75, 61, 40, 60, 55, 70, 107, 45, 96}, {171, 151, 152, 146},
    kAbsent2020, "E0A11", kFigureQuestions, kAllChoices2020, kBytes2020, {19, 242, 4, 176, 23}, {17, 20, 229, 0},
    kDoubleBlank2020,
};

// ---- Amateur Extra 2024-2028, with the errata to February 4, 2026 ----

// Withdrawn by the errata: E9E10, E2A13 (the last of its group), E6D07 and
// E4D05. The other questions keep their numbers.
inline constexpr std::array<ExpectedGroup, 50> kGroups2024{{
    {"E1A", 11, 11, "DDCCCBCBDAB"},
    {"E1B", 11, 11, "DAACCACDCAB"},
    {"E1C", 12, 12, "DCBABCDBBAAD"},
    {"E1D", 12, 12, "ABBADAADBBDA"},
    {"E1E", 11, 11, "ACCDBCBCACB"},
    {"E1F", 11, 11, "BCDADADACBD"},
    {"E2A", 12, 12, "CDDBDADBABBC"},
    {"E2B", 12, 12, "ACDACABADABA"},
    {"E2C", 12, 12, "DCABBCADCDAC"},
    {"E2D", 11, 11, "BDDCBACCACD"},
    {"E2E", 13, 13, "BBBDACCBDCAAD"},
    {"E3A", 14, 14, "DBADCBCACDBCAB"},
    {"E3B", 13, 13, "ACCBDBCCAADBA"},
    {"E3C", 12, 12, "DABCAADDDBCB"},
    {"E4A", 11, 11, "ABBADABDADD"},
    {"E4B", 11, 11, "BACABDACBBD"},
    {"E4C", 14, 14, "DACDBDBDCCDCDC"},
    {"E4D", 13, 14, "AABBCACCCACAD"},
    {"E4E", 14, 14, "ADBDBCBBCDBACD"},
    {"E5A", 13, 13, "ACDAABACCACCC"},
    {"E5B", 12, 12, "BDBDDCCADABA"},
    {"E5C", 12, 12, "ACCDCBDDABBA"},
    {"E5D", 12, 12, "ABCBCDBDBDBD"},
    {"E6A", 12, 12, "CACCCBDDABAD"},
    {"E6B", 11, 11, "BDBADDBACBA"},
    {"E6C", 11, 11, "ABACDCBBBDC"},
    {"E6D", 11, 12, "CAABCDBCABC"},
    {"E6E", 12, 12, "BADAADDCDDDC"},
    {"E6F", 11, 11, "CADBACBCDBA"},
    {"E7A", 11, 11, "CABADADACBB"},
    {"E7B", 12, 12, "AAAACBDBDBDC"},
    {"E7C", 11, 11, "DBACDCBBDBC"},
    {"E7D", 15, 15, "DBABDCACCCDCCDD"},
    {"E7E", 11, 11, "BDDADABCAAC"},
    {"E7F", 14, 14, "CACDBDCBAABADB"},
    {"E7G", 12, 12, "ABDCABCDDCBA"},
    {"E7H", 13, 13, "DCCCDBDAABCBD"},
    {"E8A", 11, 11, "AABBDABCDCA"},
    {"E8B", 11, 11, "ADABDAADBBB"},
    {"E8C", 15, 15, "BCACCBADDCACBCC"},
    {"E8D", 11, 11, "ABDCADDDDBC"},
    {"E9A", 12, 12, "CDCBDABABACA"},
    {"E9B", 11, 11, "BDDBACCDBAC"},
    {"E9C", 14, 14, "DACBABACABDCBB"},
    {"E9D", 12, 12, "DCACDBDBDBDC"},
    {"E9E", 10, 11, "BADBACBCCA"},
    {"E9F", 12, 12, "DCDBDCADACCD"},
    {"E9G", 11, 11, "ABCCABDCADB"},
    {"E9H", 11, 11, "DADBADBAACB"},
    {"E0A", 12, 12, "BBCCBDBCCADA"},
}};

inline constexpr std::array<std::string_view, 4> kAbsent2024{"E2A13", "E4D05", "E6D07", "E9E10"};

inline constexpr std::array<std::string_view, 50> kAllChoices2024{{
    "E1B04", "E1B10", "E1C02", "E1C11", "E1D04", "E1D05", "E1D10", "E1D12", "E1E08",
    "E1E09", "E1E11", "E1F09", "E2A02", "E2A07", "E2B07", "E2C08", "E2C10", "E2E03",
    "E2E04", "E2E07", "E2E11", "E4A01", "E4A07", "E4A08", "E4A09", "E4A11", "E4B11",
    "E4C12", "E4E01", "E4E02", "E4E03", "E4E10", "E5D02", "E6C04", "E6E10", "E6F06",
    "E7D14", "E7F12", "E7H13", "E8A08", "E8A10", "E8C03", "E8C12", "E9A10", "E9E09",
    "E9F08", "E9H02", "E9H05", "E9H10", "E0A06",
}};

inline constexpr std::array<ExpectedByte, 4> kBytes2024{{{0x92, 60}, {0x93, 16}, {0x94, 16}, {0x1E, 2}}};

inline constexpr std::array<std::string_view, 1> kDoubleBlank2024{"E8B04"};  // "frequency  is 2 kHz"

inline constexpr ExpectedPool kPool2024{
    "2024-2028", 'E', 50, kGroups2024, {12, 68, 60, 39, 63, 49, 68, 99, 48, 93}, {150, 150, 150, 149},
    kAbsent2024, "E0A12", kFigureQuestions, kAllChoices2024, kBytes2024, {16, 257, 4, 177, 22}, {12, 14, 207, 0},
    kDoubleBlank2024,
};

// ---- Technician 2026-2030, with the errata of February 19, 2026 ----

// No question withdrawn, no hole.
inline constexpr std::array<ExpectedGroup, 35> kGroupsTechnician2026{{
    {"T1A", 11, 11, "CCBACDCBCCB"},
    {"T1B", 12, 12, "CBBDDBAADCAD"},
    {"T1C", 11, 11, "DDABADBCACD"},
    {"T1D", 12, 12, "ABCADBABADDA"},
    {"T1E", 11, 11, "DDADCADADBD"},
    {"T1F", 11, 11, "BCDCBDBACAB"},
    {"T2A", 11, 11, "BAABCDADBAC"},
    {"T2B", 14, 14, "CDADCACAAABABB"},
    {"T2C", 12, 12, "DCCDAACADDAB"},
    {"T3A", 12, 12, "CBCBBBCDBDCB"},
    {"T3B", 12, 12, "DACABDABDCBD"},
    {"T3C", 11, 11, "CCBBAABDAAC"},
    {"T4A", 12, 12, "DAABACCDBAAC"},
    {"T4B", 11, 11, "BAADCDBBCCA"},
    {"T5A", 11, 11, "DBDCAABBCCD"},
    {"T5B", 13, 13, "CACABDCBBCADC"},
    {"T5C", 12, 12, "DADCDADAABBA"},
    {"T5D", 14, 14, "BABBCADCCABDAB"},
    {"T6A", 11, 11, "BCBBDCDCADB"},
    {"T6B", 12, 12, "ACCBBBADCBDB"},
    {"T6C", 12, 12, "CABCDBDCDDAC"},
    {"T6D", 11, 11, "BACCABADCCA"},
    {"T7A", 11, 11, "BABCDCBCBBA"},
    {"T7B", 11, 11, "DADDAADDDDC"},
    {"T7C", 11, 11, "ABBCADCDADC"},
    {"T7D", 11, 11, "BBADACCACAB"},
    {"T8A", 12, 12, "CACDCACBCBBB"},
    {"T8B", 12, 12, "CBDDDBCBBDAC"},
    {"T8C", 11, 11, "CBDCABDADCA"},
    {"T8D", 12, 12, "DBDCABADDDCA"},
    {"T9A", 11, 11, "CABACDACADC"},
    {"T9B", 12, 12, "DBAADBCDBCCA"},
    {"T0A", 12, 12, "BDBBCDDACADB"},
    {"T0B", 11, 11, "CDDCBDCDCCB"},
    {"T0C", 13, 13, "DBCDDDBABACAB"},
}};

inline constexpr std::array<ExpectedFigure, 12> kFiguresTechnician2026{{
    {"T6A09", "T-2"},
    {"T6C02", "T-1"}, {"T6C03", "T-1"}, {"T6C04", "T-1"}, {"T6C05", "T-1"},
    {"T6C06", "T-2"}, {"T6C07", "T-2"}, {"T6C08", "T-2"}, {"T6C09", "T-2"},
    {"T6C10", "T-3"}, {"T6C11", "T-3"},
    {"T6D10", "T-1"},
}};

inline constexpr std::array<std::string_view, 57> kAllChoicesTechnician2026{{
    "T1A01", "T1A02", "T1A03", "T1A05", "T1A11", "T1B05", "T1B07", "T1B09", "T1C05", "T1D08",
    "T1D12", "T1F06", "T1F07", "T1F11", "T2B04", "T2C02", "T2C03", "T2C07", "T3B07", "T3C10",
    "T4B02", "T4B11", "T5A11", "T6A10", "T6B11", "T6C12", "T6D07", "T7A10", "T7B03", "T7B06",
    "T7B08", "T7B10", "T7D07", "T8B01", "T8B03", "T8B04", "T8B06", "T8C02", "T8D01", "T8D03",
    "T8D08", "T8D10", "T9B01", "T9B08", "T0A01", "T0A02", "T0A04", "T0A06", "T0B01", "T0B02",
    "T0B04", "T0B07", "T0B09", "T0C04", "T0C06", "T0C07", "T0C08",
}};

// ’, “ and ”, and the superscript two of T5C08 C, T5D01 C and D, T5D02 C and D.
inline constexpr std::array<ExpectedByte, 4> kBytesTechnician2026{{{0x92, 32}, {0x93, 29}, {0x94, 29}, {0xB2, 5}}};

inline constexpr ExpectedPool kPoolTechnician2026{
    "technician-2026-2030", 'T', 35, kGroupsTechnician2026, {36, 68, 37, 35, 23, 50, 46, 44, 47, 23},
    {102, 102, 103, 102}, {}, "T0C13", kFiguresTechnician2026, kAllChoicesTechnician2026, kBytesTechnician2026,
    {11, 185, 5, 163, 23}, {1, 3, 95, 0},
};

// ---- General 2023-2027, with the six errata to February 4, 2026 ----

// Withdrawn by the errata, the groups not renumbered: G1A04, G1C08 to G1C10,
// G1E09, G6B09, G8C01, G9C06 and G9D13 (the last of its group).
inline constexpr std::array<ExpectedGroup, 35> kGroupsGeneral2023{{
    {"G1A", 10, 11, "CBBACDBCDB"},
    {"G1B", 11, 11, "CAACBDBBDCA"},
    {"G1C", 8, 11, "ACAACDCD"},
    {"G1D", 12, 12, "ACCAAACBCBDC"},
    {"G1E", 11, 12, "ADADCCDBADA"},
    {"G2A", 12, 12, "ABAACDBBDBCB"},
    {"G2B", 11, 11, "CBCBCACAABC"},
    {"G2C", 11, 11, "DACDBDACCDD"},
    {"G2D", 11, 11, "ADBBCCDDCBA"},
    {"G2E", 15, 15, "DBDDBBBDCDCDBDC"},
    {"G3A", 14, 14, "ABCDDDDDACDBCB"},
    {"G3B", 12, 12, "DDAAACABCBAD"},
    {"G3C", 11, 11, "AACDCBDABBD"},
    {"G4A", 13, 13, "BCCBCCADCBBCA"},
    {"G4B", 13, 13, "DDADDCBADACBC"},
    {"G4C", 12, 12, "BCCADCAADACD"},
    {"G4D", 11, 11, "ABDCDACCBAB"},
    {"G4E", 11, 11, "CDABCCDABBD"},
    {"G5A", 12, 12, "CBDCDADCBDBD"},
    {"G5B", 14, 14, "BCBAABCDBCBBBB"},
    {"G5C", 14, 14, "CAADBAADCCCBCD"},
    {"G6A", 12, 12, "CBBCCBADBACA"},
    {"G6B", 11, 12, "CBACDDADABC"},
    {"G7A", 13, 13, "BCAABDACCDBCA"},
    {"G7B", 11, 11, "BDBACADBCBB"},
    {"G7C", 14, 14, "BDBDDAADBBDCDA"},
    {"G8A", 14, 14, "BBDBDDADACADCB"},
    {"G8B", 13, 13, "BBADCDBBDBCAC"},
    {"G8C", 15, 16, "ACCABBBBCDADCCD"},
    {"G9A", 11, 11, "ABDCBDDBADA"},
    {"G9B", 12, 12, "BBDACCBAADCA"},
    {"G9C", 11, 12, "ABABACDBDAA"},
    {"G9D", 12, 12, "ADCADAABABDA"},
    {"G0A", 12, 12, "ADDDAAACBCCD"},
    {"G0B", 13, 13, "ACDBBCBBAADCA"},
}};

inline constexpr std::array<std::string_view, 9> kAbsentGeneral2023{
    "G1A04", "G1C08", "G1C09", "G1C10", "G1E09", "G6B09", "G8C01", "G9C06", "G9D13"};

inline constexpr std::array<ExpectedFigure, 5> kFiguresGeneral2023{{
    {"G7A09", "G7-1"}, {"G7A10", "G7-1"}, {"G7A11", "G7-1"}, {"G7A12", "G7-1"}, {"G7A13", "G7-1"},
}};

inline constexpr std::array<std::string_view, 41> kAllChoicesGeneral2023{{
    "G1A05", "G1B02", "G1B03", "G1B05", "G1E01", "G1E04", "G2B07", "G2B10", "G2D03", "G2D09",
    "G2E03", "G2E12", "G2E14", "G3B02", "G3B04", "G4A06", "G4A11", "G4B11", "G4B12", "G4C07",
    "G4D03", "G4E07", "G5A10", "G6B05", "G7A02", "G7B11", "G7C08", "G7C11", "G8A06", "G8B13",
    "G9C10", "G9C12", "G0A02", "G0A03", "G0A05", "G0A08", "G0A10", "G0B05", "G0B07", "G0B08",
    "G0B09",
}};

inline constexpr std::array<ExpectedByte, 3> kBytesGeneral2023{{{0x92, 48}, {0x93, 51}, {0x94, 51}}};

// G1B06 D is the one answer of three lines.
inline constexpr ExpectedPool kPoolGeneral2023{
    "general-2023-2027", 'G', 35, kGroupsGeneral2023, {25, 52, 60, 37, 60, 40, 23, 38, 42, 46},
    {105, 108, 105, 105}, kAbsentGeneral2023, "G0B13", kFiguresGeneral2023, kAllChoicesGeneral2023,
    kBytesGeneral2023, {13, 205, 4, 185, 19}, {3, 4, 80, 1},
};

inline constexpr std::array<const ExpectedPool*, 4> kExpectedPools{&kPool2020, &kPool2024, &kPoolTechnician2026,
                                                                   &kPoolGeneral2023};

// The facts of the pool with that name; null when there is none.
constexpr const ExpectedPool* expectedPool(std::string_view name) {
  for (const ExpectedPool* pool : kExpectedPools)
    if (pool->name == name) return pool;
  return nullptr;
}

// ---- The facts of a pool must agree with themselves before they can judge its text ----

constexpr int groupNumber(std::string_view id) { return (id[3] - '0') * 10 + (id[4] - '0'); }

// Identifiers of the pool that are absent from the group named.
constexpr int absentWithin(const ExpectedPool& pool, const ExpectedGroup& g) {
  int count = 0;
  for (std::string_view id : pool.absent)
    if (id.substr(0, 3) == g.name && groupNumber(id) <= g.lastNumber) ++count;
  return count;
}

// Names, sizes, numbering, letters and the totals per subelement and over the pool.
constexpr bool groupsConsistent(const ExpectedPool& pool) {
  std::array<int, 10> perSubelement{};
  std::array<int, 4> letters{};
  for (const ExpectedGroup& g : pool.groups) {
    if (g.name.size() != 3 || g.name[0] != pool.prefix || g.name[1] < '0' || g.name[1] > '9') return false;
    if (g.size != g.lastNumber - absentWithin(pool, g) || static_cast<int>(g.letters.size()) != g.size) return false;
    if (g.lastNumber > 99) return false;
    for (char c : g.letters) {
      if (c < 'A' || c > 'D') return false;
      ++letters[static_cast<size_t>(c - 'A')];
    }
    perSubelement[static_cast<size_t>(g.name[1] - '0')] += g.size;
  }
  return perSubelement == pool.questionsPerSubelement && letters == pool.letterTotals;
}

// Every absent identifier names a group of the pool.
constexpr bool absentConsistent(const ExpectedPool& pool) {
  for (std::string_view id : pool.absent) {
    const auto group = std::find_if(pool.groups.begin(), pool.groups.end(),
                                    [id](const ExpectedGroup& g) { return g.name == id.substr(0, 3); });
    if (id.size() != 5 || group == pool.groups.end() || groupNumber(id) < 1) return false;
  }
  return true;
}

// The walk of an exam ends after the last identifier of the last group.
constexpr bool lastItemConsistent(const ExpectedPool& pool) {
  const ExpectedGroup& last = pool.groups.back();
  if (pool.lastGroupItem.size() != 5 || pool.lastGroupItem.substr(0, 3) != last.name ||
      groupNumber(pool.lastGroupItem) != last.lastNumber)
    return false;
  return std::find(pool.absent.begin(), pool.absent.end(), pool.lastGroupItem) == pool.absent.end();
}

// Every figure question and "All these choices" question is of the pool.
constexpr bool listsConsistent(const ExpectedPool& pool) {
  auto ofPool = [&pool](std::string_view id) { return id.size() == 5 && id[0] == pool.prefix; };
  return std::all_of(pool.figures.begin(), pool.figures.end(), [&](const ExpectedFigure& f) { return ofPool(f.id); }) &&
         std::all_of(pool.allChoices.begin(), pool.allChoices.end(), ofPool);
}

constexpr bool poolConsistent(const ExpectedPool& pool) {
  return static_cast<int>(pool.groups.size()) == pool.examQuestions && groupsConsistent(pool) &&
         absentConsistent(pool) && lastItemConsistent(pool) && listsConsistent(pool);
}
static_assert(poolConsistent(kPool2020), "the 2020-2024 facts disagree among themselves");
static_assert(poolConsistent(kPool2024), "the 2024-2028 facts disagree among themselves");
static_assert(poolConsistent(kPoolTechnician2026), "the technician-2026-2030 facts disagree among themselves");
static_assert(poolConsistent(kPoolGeneral2023), "the general-2023-2027 facts disagree among themselves");

}  // namespace pool_tables
