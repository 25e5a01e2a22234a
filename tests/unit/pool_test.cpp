// The typed pool of each edition (its exam, subelements, groups and
// questions) against the facts published with each pool: one table over
// the four pools.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pool/edition.h"
#include "pool/question.h"

namespace pentrill {
namespace {

constexpr std::string_view kAllChoices = "All these choices are correct";

// A text of the pool as its question or an answer holds it.
struct Sample {
  std::string id;
  std::string part;  // found in the question text or one of its answers
};

// What is known of a pool from its publication, independent of the tables.
struct PoolFacts {
  const char* name;
  const PoolEdition& (*edition)();
  char prefix;
  std::array<int, kSubelementCount> exam;       // exam questions (groups) per subelement 0 to 9
  std::array<int, kSubelementCount> questions;  // per subelement 0 to 9
  std::array<int, 4> letters;                   // correct letters A to D
  std::vector<std::string> allChoices;          // some of the answers D "All these choices are correct"
  size_t allChoicesCount;
  size_t firstGroupSize;                        // questions of the first group of subelement 1
  std::string lastId;                           // the last question of the pool (in subelement 0)
  // Numbering holes: the identifiers on either side of one.
  std::vector<std::pair<std::string, std::string>> holes;
  std::vector<std::string> absent;
  std::set<unsigned char> bytesBeyondAscii;
  std::vector<Sample> samples;  // characters beyond ASCII in place
  size_t figureQuestions;
  std::vector<std::pair<std::string, std::string>> idFields;  // question, its id field
};

const PoolFacts kPool2020{
    "extra_2020_2024", &pool2020To2024, 'E', {1, 6, 5, 3, 5, 4, 6, 8, 4, 8}, {11, 75, 61, 40, 60, 55, 70, 107, 45, 96},
    {171, 151, 152, 146}, {"E0A06", "E9H05"}, 43, 14, "E0A11", {{"E3B07", "E3B09"}, {"E7A08", "E7A10"}},
    {"E3B08", "E7A09"}, {0x1E, 0x92, 0x93, 0x94, 0x96, 0xA0},
    {{"E0A02", "neighbor\x92s"}, {"E7G07", "Figure E7\x1E" "3"}, {"E9B04", "Figure E9\x1E" "2"}}, 27,
    {{"E5C10", "E5C10 Figure:E5-1"}, {"E7G07", "E7G07 Figure:E7-3"}, {"E5C09", "E5C09"}},
};

const PoolFacts kPool2024{
    "extra_2024_2028", &pool2024To2028, 'E', {1, 6, 5, 3, 5, 4, 6, 8, 4, 8}, {12, 68, 60, 39, 63, 49, 68, 99, 48, 93},
    {150, 150, 150, 149}, {"E0A06", "E9H05"}, 50, 11, "E0A12",
    {{"E4D04", "E4D06"}, {"E6D06", "E6D08"}, {"E9E09", "E9E11"}}, {"E2A13", "E4D05", "E6D07", "E9E10"},
    {0x1E, 0x92, 0x93, 0x94},
    {{"E0A02", "neighbor\x92s"}, {"E7G07", "Figure E7\x1E" "3"}, {"E9B04", "Figure E9\x1E" "2"}}, 27,
    {{"E9G06", "E9G06 Figure:E9-3"}, {"E7G07", "E7G07 Figure:E7-3"}, {"E9G05", "E9G05"}},
};

const PoolFacts kTechnician2026{
    "technician_2026_2030", &poolTechnician2026To2030, 'T', {3, 6, 3, 3, 2, 4, 4, 4, 4, 2},
    {36, 68, 37, 35, 23, 50, 46, 44, 47, 23}, {102, 102, 103, 102}, {"T1A01", "T0C08"}, 57, 11, "T0C13", {}, {},
    {0x92, 0x93, 0x94, 0xB2},
    {{"T5C08", "P = I\xB2 x E"}, {"T5D02", "E = I\xB2 / R"}, {"T1F02", "\x93Race Headquarters\x94"}}, 12,
    {{"T6C02", "T6C02 Figure:T-1"}, {"T6A09", "T6A09 Figure:T-2"}, {"T6C11", "T6C11 Figure:T-3"}, {"T6C01", "T6C01"}},
};

const PoolFacts kGeneral2023{
    "general_2023_2027", &poolGeneral2023To2027, 'G', {2, 5, 5, 3, 5, 3, 2, 3, 3, 4},
    {25, 52, 60, 37, 60, 40, 23, 38, 42, 46}, {105, 108, 105, 105}, {"G1A05", "G0B09"}, 41, 10, "G0B13",
    {{"G1A03", "G1A05"}, {"G1C07", "G1C11"}, {"G1E08", "G1E10"}, {"G6B08", "G6B10"}, {"G9C05", "G9C07"}},
    {"G1A04", "G1C08", "G1C09", "G1C10", "G1E09", "G6B09", "G8C01", "G9C06", "G9D13"}, {0x92, 0x93, 0x94},
    {{"G1D08", "The person\x92s home"}, {"G1B07", "\x93"}}, 5,
    {{"G7A09", "G7A09 Figure:G7-1"}, {"G7A13", "G7A13 Figure:G7-1"}, {"G7A08", "G7A08"}},
};

void PrintTo(const PoolFacts& facts, std::ostream* out) { *out << facts.name; }

int totalOf(const std::array<int, kSubelementCount>& counts) {
  int total = 0;
  for (int n : counts) total += n;
  return total;
}

// The question of the subelement with this identifier; null when absent.
const Question* find(const Subelement& subelement, std::string_view id) {
  for (const Question& q : subelement.questions)
    if (q.id == id) return &q;
  return nullptr;
}

class PoolTest : public ::testing::TestWithParam<PoolFacts> {
 protected:
  const PoolEdition& edition() const { return GetParam().edition(); }
  const Subelement& subelement(int s) const { return edition().subelements[static_cast<size_t>(s)]; }
  const Subelement& subelementOf(std::string_view id) const { return subelement(id[1] - '0'); }
  const Question& question(std::string_view id) const {
    const Question* q = find(subelementOf(id), id);
    EXPECT_NE(q, nullptr) << id;
    return q != nullptr ? *q : subelement(0).questions.front();
  }
  std::string subelementName(int s) const { return GetParam().prefix + std::to_string(s); }
};

TEST_P(PoolTest, EachSubelementHoldsItsQuestionsInPoolOrder) {
  for (int s = 0; s < kSubelementCount; ++s) {
    SCOPED_TRACE(subelementName(s));
    const std::span<const Question> questions = subelement(s).questions;
    ASSERT_EQ(questions.size(), static_cast<size_t>(GetParam().questions[static_cast<size_t>(s)]));
    EXPECT_EQ(questions.front().id, subelementName(s) + "A01");
    for (size_t i = 1; i < questions.size(); ++i) EXPECT_LT(questions[i - 1].id, questions[i].id);
  }
  EXPECT_EQ(subelement(0).questions.back().id, GetParam().lastId);
}

TEST_P(PoolTest, HolesAndWithdrawnQuestionsStayOut) {
  for (const auto& [before, after] : GetParam().holes) {
    const Question* q = find(subelementOf(before), before);
    ASSERT_NE(q, nullptr) << before;
    EXPECT_EQ((q + 1)->id, after);
  }
  for (const std::string& id : GetParam().absent) EXPECT_EQ(find(subelementOf(id), id), nullptr) << id;
}

// The answers are held without labels: no answer starts with one.
TEST_P(PoolTest, EveryQuestionHasATextFourUnlabelledAnswersAndACorrectLetter) {
  for (int s = 0; s < kSubelementCount; ++s)
    for (const Question& q : subelement(s).questions) {
      SCOPED_TRACE(std::string(q.id));
      EXPECT_EQ(q.id.size(), 5u);
      EXPECT_EQ(q.id[0], GetParam().prefix);
      EXPECT_FALSE(q.text.empty());
      for (std::string_view answer : q.answers) {
        EXPECT_FALSE(answer.empty());
        EXPECT_FALSE(answer.size() >= 3 && answer[0] >= 'A' && answer[0] <= 'D' && answer.substr(1, 2) == ". ")
            << answer;
      }
      EXPECT_GE(q.correct, 'A');
      EXPECT_LE(q.correct, 'D');
    }
}

TEST_P(PoolTest, TotalsOfCorrectLettersAndAllChoicesAnswers) {
  std::map<char, int> letters;
  int questions = 0;
  std::set<std::string_view> allChoices;
  for (int s = 0; s < kSubelementCount; ++s)
    for (const Question& q : subelement(s).questions) {
      ++questions;
      ++letters[q.correct];
      if (q.answers[3] == kAllChoices) allChoices.insert(q.id);
      for (size_t k = 0; k < 3; ++k) EXPECT_EQ(q.answers[k].find(kAllChoices), std::string::npos) << q.id;
    }
  EXPECT_EQ(questions, totalOf(GetParam().questions));
  for (char letter : {'A', 'B', 'C', 'D'})
    EXPECT_EQ(letters[letter], GetParam().letters[static_cast<size_t>(letter - 'A')]) << letter;
  EXPECT_EQ(allChoices.size(), GetParam().allChoicesCount);
  for (const std::string& id : GetParam().allChoices) EXPECT_TRUE(allChoices.count(id)) << id;
}

TEST_P(PoolTest, TextsAreWindows1252BytesWithoutMarkers) {
  const std::set<unsigned char>& allowed = GetParam().bytesBeyondAscii;
  std::set<unsigned char> found;
  for (int s = 0; s < kSubelementCount; ++s)
    for (const Question& q : subelement(s).questions) {
      std::vector<std::string_view> texts{q.id, q.text};
      texts.insert(texts.end(), q.answers.begin(), q.answers.end());
      for (std::string_view text : texts)
        for (char c : text) {
          auto byte = static_cast<unsigned char>(c);
          if (byte < 0x20 || byte > 0x7E) found.insert(byte);
          ASSERT_TRUE((byte >= 0x20 && byte <= 0x7E && c != '*') || allowed.count(byte))
              << q.id << ": " << text << " byte " << static_cast<int>(byte);
        }
    }
  EXPECT_EQ(found, allowed);
  for (const Sample& sample : GetParam().samples) {
    const Question& q = question(sample.id);
    std::string all(q.text);
    for (std::string_view answer : q.answers) all.append("|").append(answer);
    EXPECT_NE(all.find(sample.part), std::string::npos) << sample.id << ": " << all;
  }
}

// A question carries the figure its text names, however the pool writes the
// name ("Figure E9-2" with a non-breaking hyphen, "figure T-1", "Figure
// G7-1"), and the id field shows its tag.
TEST_P(PoolTest, AQuestionsFigureIsTheOneItsTextNames) {
  for (const auto& [id, field] : GetParam().idFields) EXPECT_EQ(idField(edition(), question(id)), field);
  size_t withFigure = 0;
  for (int s = 0; s < kSubelementCount; ++s)
    for (const Question& q : subelement(s).questions) {
      const Figure* figure = figureOf(edition(), q);
      EXPECT_EQ(figure != nullptr, q.figure.has_value()) << q.id;
      if (figure == nullptr) continue;
      ++withFigure;
      std::string name(figure->reference.substr(7));  // "E5-1", "T-1"
      EXPECT_EQ(name[0], GetParam().prefix) << q.id;
      std::string text(q.text);
      std::replace(text.begin(), text.end(), '\x1E', '-');
      EXPECT_TRUE(text.find("Figure " + name) != std::string::npos || text.find("figure " + name) != std::string::npos)
          << q.id;
      EXPECT_LE(idField(edition(), q).size(), 17u);
    }
  EXPECT_EQ(withFigure, GetParam().figureQuestions);
}

// Each group lies in its subelement and holds the questions its identifier
// names; the groups of a subelement are its questions, in order, each once.
TEST_P(PoolTest, EveryQuestionInItsGroupEveryGroupInItsSubelement) {
  for (int s = 0; s < kSubelementCount; ++s) {
    const Subelement& sub = subelement(s);
    SCOPED_TRACE(subelementName(s));
    size_t next = 0;
    for (const Group& group : sub.groups) {
      EXPECT_EQ(group.id.size(), 3u);
      EXPECT_EQ(group.id.substr(0, 2), subelementName(s));
      ASSERT_FALSE(group.questions.empty()) << group.id;
      for (const Question& q : group.questions) {
        EXPECT_EQ(q.id.substr(0, 3), group.id) << q.id;
        ASSERT_LT(next, sub.questions.size());
        EXPECT_EQ(&q, &sub.questions[next++]) << q.id;
      }
    }
    EXPECT_EQ(next, sub.questions.size());
    for (size_t g = 1; g < sub.groups.size(); ++g) EXPECT_LT(sub.groups[g - 1].id, sub.groups[g].id);
  }
  EXPECT_EQ(subelement(1).groups.front().questions.size(), GetParam().firstGroupSize);
}

// The groups an exam walks: every group once, subelement 1's first, 0's
// last, as many of each subelement as the real exam asks.
TEST_P(PoolTest, PoolGroupsAreEveryGroupOnceSubelementZeroLast) {
  const std::span<const Group* const> groups = edition().poolGroups;
  ASSERT_EQ(groups.size(), static_cast<size_t>(totalOf(GetParam().exam)));
  EXPECT_EQ(groups.front()->id, subelementName(1) + "A");
  EXPECT_EQ(groups.back()->id.substr(0, 2), subelementName(0));
  EXPECT_EQ(groups.back()->questions.back().id, GetParam().lastId);
  std::set<const Group*> seen(groups.begin(), groups.end());
  EXPECT_EQ(seen.size(), groups.size());
  std::array<int, kSubelementCount> perSubelement{};
  size_t questions = 0;
  for (const Group* group : groups) {
    const Subelement& sub = subelementOf(group->id);
    EXPECT_GE(group, sub.groups.data()) << group->id;
    EXPECT_LT(group, sub.groups.data() + sub.groups.size()) << group->id;
    ++perSubelement[static_cast<size_t>(group->id[1] - '0')];
    questions += group->questions.size();
  }
  EXPECT_EQ(perSubelement, GetParam().exam);
  EXPECT_EQ(questions, static_cast<size_t>(totalOf(GetParam().questions)));
  // In the pool's order: subelements 1 to 9, then 0, each group after the last.
  for (size_t g = 1; g + 1 < groups.size(); ++g) {
    if (groups[g]->id[1] != '0') {
      EXPECT_LT(groups[g - 1]->id, groups[g]->id);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pools, PoolTest, ::testing::Values(kPool2020, kPool2024, kTechnician2026, kGeneral2023),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PoolEditions, AreFoundByTheirNamesTheDefaultFirst) {
  ASSERT_EQ(poolEditions().size(), 4u);
  EXPECT_EQ(poolEditions().front(), &pool2020To2024());
  for (std::string_view name : {"", "2024", "2024-2028 ", "2028-2032", "technician", "extra", "General-2023-2027"})
    EXPECT_EQ(findPoolEdition(name), nullptr) << name;
}

// The two Extra pools differ where they should: a question of one is not the
// question of the same identifier in the other.
TEST(PoolEditions, HoldTheirOwnTexts) {
  const std::span<const Question> e0In2020 = pool2020To2024().subelements[0].questions;
  const std::span<const Question> e0In2024 = pool2024To2028().subelements[0].questions;
  ASSERT_EQ(e0In2024.size(), 12u);
  EXPECT_EQ(e0In2024[11].text, "Where should a shock-absorbing lanyard be attached to a tower when working above ground?");
  EXPECT_EQ(e0In2020.size(), 11u);
}

}  // namespace
}  // namespace pentrill
