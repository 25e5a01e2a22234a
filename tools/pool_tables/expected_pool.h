// The shape that each pool's question tables must have, independent of its
// text: the 50 groups in table order with their sizes, numbering and correct
// letters, the questions per subelement, the identifiers that stay out, the
// figure tags, the "All these choices" answers and the text lengths. The
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
  int lastNumber;            // numbers run 01 to lastNumber ...
  int hole;                  // ... except this one (0: no hole)
  std::string_view letters;  // correct letters in identifier order, holes skipped
};

struct ExpectedFigure {
  std::string_view id;
  std::string_view figure;  // as written in the tag, plain hyphen
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

struct ExpectedPool {
  std::string_view name;  // "2020-2024", as given after --pool
  std::span<const ExpectedGroup> groups;  // table order: E1A to E9H, then E0A
  std::array<int, 10> questionsPerSubelement;  // E0 to E9
  std::array<int, 4> letterTotals;  // correct letters over the pool, A to D
  // Identifiers that must not appear: holes in the numbering and questions
  // withdrawn after the last number of their group.
  std::span<const std::string_view> absent;
  std::string_view lastGroupItem;  // the item that ends the exam's walk of the group table
  std::span<const ExpectedFigure> figures;  // the questions whose text names a figure
  std::span<const std::string_view> allChoices;  // answer D is "D. All these choices are correct"
  TextLimits limits;
};

inline constexpr std::string_view kAllChoicesText = "All these choices are correct";

// Limits of the program's tables, in Windows-1252 characters.
inline constexpr int kMaxQuestionsPerTable = 149;
inline constexpr int kMaxIdFieldLength = 17;

// The 27 questions that name a figure; the same in both pools.
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

// ---- 2020-2024, as issued on February 24, 2020 ----

// E3B08 and E7A09 do not exist; E6B06 does.
inline constexpr std::array<ExpectedGroup, 50> kGroups2020{{
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

inline constexpr std::array<std::string_view, 2> kAbsent2020{"E3B08", "E7A09"};

inline constexpr std::array<std::string_view, 43> kAllChoices2020{{
    "E0A06", "E1A09", "E1B12", "E1C02", "E1C11", "E1D04", "E1D05", "E1D10", "E1D12",
    "E1E08", "E1E09", "E1E11", "E1F09", "E2A02", "E2A07", "E2C10", "E2D02", "E2D10",
    "E2E07", "E4A01", "E4A07", "E4A09", "E4B11", "E4C13", "E4E02", "E4E10", "E5D02",
    "E6C04", "E6E10", "E7B15", "E7B16", "E7D14", "E7F12", "E7H13", "E8A08", "E8A10",
    "E8C03", "E8C12", "E9A10", "E9E09", "E9F08", "E9H02", "E9H05",
}};

inline constexpr ExpectedPool kPool2020{
    "2020-2024", kGroups2020, {11, 75, 61, 40, 60, 55, 70, 107, 45, 96}, {171, 151, 152, 146},
    kAbsent2020, "E0A11", kFigureQuestions, kAllChoices2020, {19, 242, 4, 176, 23},
};

// ---- 2024-2028, with the errata to February 4, 2026 ----

// Withdrawn by the errata: E9E10, E2A13 (the last of its group), E6D07 and
// E4D05. The other questions keep their numbers.
inline constexpr std::array<ExpectedGroup, 50> kGroups2024{{
    {"E1A", 11, 11, 0, "DDCCCBCBDAB"},
    {"E1B", 11, 11, 0, "DAACCACDCAB"},
    {"E1C", 12, 12, 0, "DCBABCDBBAAD"},
    {"E1D", 12, 12, 0, "ABBADAADBBDA"},
    {"E1E", 11, 11, 0, "ACCDBCBCACB"},
    {"E1F", 11, 11, 0, "BCDADADACBD"},
    {"E2A", 12, 12, 0, "CDDBDADBABBC"},
    {"E2B", 12, 12, 0, "ACDACABADABA"},
    {"E2C", 12, 12, 0, "DCABBCADCDAC"},
    {"E2D", 11, 11, 0, "BDDCBACCACD"},
    {"E2E", 13, 13, 0, "BBBDACCBDCAAD"},
    {"E3A", 14, 14, 0, "DBADCBCACDBCAB"},
    {"E3B", 13, 13, 0, "ACCBDBCCAADBA"},
    {"E3C", 12, 12, 0, "DABCAADDDBCB"},
    {"E4A", 11, 11, 0, "ABBADABDADD"},
    {"E4B", 11, 11, 0, "BACABDACBBD"},
    {"E4C", 14, 14, 0, "DACDBDBDCCDCDC"},
    {"E4D", 13, 14, 5, "AABBCACCCACAD"},
    {"E4E", 14, 14, 0, "ADBDBCBBCDBACD"},
    {"E5A", 13, 13, 0, "ACDAABACCACCC"},
    {"E5B", 12, 12, 0, "BDBDDCCADABA"},
    {"E5C", 12, 12, 0, "ACCDCBDDABBA"},
    {"E5D", 12, 12, 0, "ABCBCDBDBDBD"},
    {"E6A", 12, 12, 0, "CACCCBDDABAD"},
    {"E6B", 11, 11, 0, "BDBADDBACBA"},
    {"E6C", 11, 11, 0, "ABACDCBBBDC"},
    {"E6D", 11, 12, 7, "CAABCDBCABC"},
    {"E6E", 12, 12, 0, "BADAADDCDDDC"},
    {"E6F", 11, 11, 0, "CADBACBCDBA"},
    {"E7A", 11, 11, 0, "CABADADACBB"},
    {"E7B", 12, 12, 0, "AAAACBDBDBDC"},
    {"E7C", 11, 11, 0, "DBACDCBBDBC"},
    {"E7D", 15, 15, 0, "DBABDCACCCDCCDD"},
    {"E7E", 11, 11, 0, "BDDADABCAAC"},
    {"E7F", 14, 14, 0, "CACDBDCBAABADB"},
    {"E7G", 12, 12, 0, "ABDCABCDDCBA"},
    {"E7H", 13, 13, 0, "DCCCDBDAABCBD"},
    {"E8A", 11, 11, 0, "AABBDABCDCA"},
    {"E8B", 11, 11, 0, "ADABDAADBBB"},
    {"E8C", 15, 15, 0, "BCACCBADDCACBCC"},
    {"E8D", 11, 11, 0, "ABDCADDDDBC"},
    {"E9A", 12, 12, 0, "CDCBDABABACA"},
    {"E9B", 11, 11, 0, "BDDBACCDBAC"},
    {"E9C", 14, 14, 0, "DACBABACABDCBB"},
    {"E9D", 12, 12, 0, "DCACDBDBDBDC"},
    {"E9E", 10, 11, 10, "BADBACBCCA"},
    {"E9F", 12, 12, 0, "DCDBDCADACCD"},
    {"E9G", 11, 11, 0, "ABCCABDCADB"},
    {"E9H", 11, 11, 0, "DADBADBAACB"},
    {"E0A", 12, 12, 0, "BBCCBDBCCADA"},
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

inline constexpr ExpectedPool kPool2024{
    "2024-2028", kGroups2024, {12, 68, 60, 39, 63, 49, 68, 99, 48, 93}, {150, 150, 150, 149},
    kAbsent2024, "E0A12", kFigureQuestions, kAllChoices2024, {16, 257, 4, 177, 22},
};

inline constexpr std::array<const ExpectedPool*, 2> kExpectedPools{&kPool2020, &kPool2024};

// The facts of the pool with that name; null when there is none.
constexpr const ExpectedPool* expectedPool(std::string_view name) {
  for (const ExpectedPool* pool : kExpectedPools)
    if (pool->name == name) return pool;
  return nullptr;
}

// ---- The facts of a pool must agree with themselves before they can judge its text ----

constexpr int groupNumber(std::string_view id) { return (id[3] - '0') * 10 + (id[4] - '0'); }

// Sizes, numbering, letters and the totals per subelement and over the pool.
constexpr bool groupsConsistent(const ExpectedPool& pool) {
  std::array<int, 10> perSubelement{};
  std::array<int, 4> letters{};
  for (const ExpectedGroup& g : pool.groups) {
    int present = g.lastNumber - (g.hole == 0 ? 0 : 1);
    if (g.size != present || static_cast<int>(g.letters.size()) != g.size) return false;
    if (g.hole < 0 || g.hole > g.lastNumber || g.lastNumber > 99) return false;
    for (char c : g.letters) {
      if (c < 'A' || c > 'D') return false;
      ++letters[static_cast<size_t>(c - 'A')];
    }
    perSubelement[static_cast<size_t>(g.name[1] - '0')] += g.size;
  }
  return perSubelement == pool.questionsPerSubelement && letters == pool.letterTotals;
}

// Every absent identifier is a hole of its group or lies just past its end,
// and every hole is listed.
constexpr bool absentConsistent(const ExpectedPool& pool) {
  int holes = 0;
  for (const ExpectedGroup& g : pool.groups) holes += g.hole == 0 ? 0 : 1;
  int listedHoles = 0;
  for (std::string_view id : pool.absent) {
    const auto group = std::find_if(pool.groups.begin(), pool.groups.end(),
                                    [id](const ExpectedGroup& g) { return g.name == id.substr(0, 3); });
    if (id.size() != 5 || group == pool.groups.end()) return false;
    if (groupNumber(id) == group->hole) {
      ++listedHoles;
    } else if (groupNumber(id) <= group->lastNumber) {
      return false;
    }
  }
  return listedHoles == holes;
}

// The walk of an exam ends after the last identifier of the last group.
constexpr bool lastItemConsistent(const ExpectedPool& pool) {
  const ExpectedGroup& last = pool.groups.back();
  return pool.lastGroupItem.size() == 5 && pool.lastGroupItem.substr(0, 3) == last.name &&
         groupNumber(pool.lastGroupItem) == last.lastNumber && last.hole != last.lastNumber;
}

constexpr bool poolConsistent(const ExpectedPool& pool) {
  return pool.groups.size() == 50 && groupsConsistent(pool) && absentConsistent(pool) && lastItemConsistent(pool);
}
static_assert(poolConsistent(kPool2020), "the 2020-2024 facts disagree among themselves");
static_assert(poolConsistent(kPool2024), "the 2024-2028 facts disagree among themselves");

}  // namespace pool_tables
