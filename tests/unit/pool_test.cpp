// The typed pool of each edition (its subelements, groups and questions)
// against the facts published with each pool.
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

// What is known of a pool from its publication, independent of the tables.
struct PoolFacts {
  const char* name;
  const PoolEdition& (*edition)();
  std::array<int, kSubelementCount> questions;  // E0 to E9
  std::array<int, 4> letters;                   // correct letters A to D
  size_t allChoices;                            // answers D "All these choices are correct"
  size_t firstGroupSize;                        // questions of E1A
  std::string lastId;                           // the last question of the pool (in E0A)
  std::string lastE7;                           // the last row of E7
  // Numbering holes: the identifiers on either side of one.
  std::vector<std::pair<std::string, std::string>> holes;
  std::vector<std::string> absent;
  std::set<unsigned char> bytesBeyondAscii;
};

const PoolFacts kPool2020{
    "2020_2024", &pool2020To2024, {11, 75, 61, 40, 60, 55, 70, 107, 45, 96}, {171, 151, 152, 146}, 43, 14,
    "E0A11", "E7H15", {{"E3B07", "E3B09"}, {"E7A08", "E7A10"}}, {"E3B08", "E7A09"},
    {0x1E, 0x92, 0x93, 0x94, 0x96, 0xA0},
};

const PoolFacts kPool2024{
    "2024_2028", &pool2024To2028, {12, 68, 60, 39, 63, 49, 68, 99, 48, 93}, {150, 150, 150, 149}, 50, 11,
    "E0A12", "E7H13", {{"E4D04", "E4D06"}, {"E6D06", "E6D08"}, {"E9E09", "E9E11"}},
    {"E2A13", "E4D05", "E6D07", "E9E10"}, {0x1E, 0x92, 0x93, 0x94},
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
};

TEST_P(PoolTest, EachSubelementHoldsItsQuestionsInPoolOrder) {
  for (int s = 0; s < kSubelementCount; ++s) {
    SCOPED_TRACE("E" + std::to_string(s));
    const std::span<const Question> questions = subelement(s).questions;
    ASSERT_EQ(questions.size(), static_cast<size_t>(GetParam().questions[static_cast<size_t>(s)]));
    EXPECT_EQ(questions.front().id, "E" + std::to_string(s) + "A01");
    for (size_t i = 1; i < questions.size(); ++i) EXPECT_LT(questions[i - 1].id, questions[i].id);
  }
  EXPECT_EQ(subelement(0).questions.back().id, GetParam().lastId);
  EXPECT_EQ(subelement(7).questions.back().id, GetParam().lastE7);
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
  EXPECT_EQ(allChoices.size(), GetParam().allChoices);
  EXPECT_TRUE(allChoices.count("E0A06"));
  EXPECT_TRUE(allChoices.count("E9H05"));
}

TEST_P(PoolTest, TextsAreWindows1252BytesWithoutMarkers) {
  const std::set<unsigned char>& allowed = GetParam().bytesBeyondAscii;
  for (int s = 0; s < kSubelementCount; ++s)
    for (const Question& q : subelement(s).questions) {
      std::vector<std::string_view> texts{q.id, q.text};
      texts.insert(texts.end(), q.answers.begin(), q.answers.end());
      for (std::string_view text : texts)
        for (char c : text) {
          auto byte = static_cast<unsigned char>(c);
          ASSERT_TRUE((byte >= 0x20 && byte <= 0x7E && c != '*') || allowed.count(byte))
              << q.id << ": " << text << " byte " << static_cast<int>(byte);
        }
    }
  EXPECT_NE(find(subelement(0), "E0A02")->text.find("neighbor\x92s"), std::string::npos);
  EXPECT_NE(find(subelement(7), "E7G07")->text.find("Figure E7\x1E" "3"), std::string::npos);
  EXPECT_NE(find(subelement(9), "E9B04")->text.find("Figure E9\x1E" "2"), std::string::npos);
}

TEST_P(PoolTest, AQuestionsFigureIsTheOneItsTextNames) {
  const Question& e5c10 = *find(subelement(5), "E5C10");
  ASSERT_NE(figureOf(edition(), e5c10), nullptr);
  EXPECT_EQ(figureOf(edition(), e5c10)->reference, "Figure:E5-1");
  EXPECT_EQ(idField(edition(), e5c10), "E5C10 Figure:E5-1");
  EXPECT_EQ(idField(edition(), *find(subelement(7), "E7G07")), "E7G07 Figure:E7-3");  // plain hyphen in the tag
  EXPECT_EQ(idField(edition(), *find(subelement(5), "E5C09")), "E5C09");

  int withFigure = 0;
  for (int s = 0; s < kSubelementCount; ++s)
    for (const Question& q : subelement(s).questions) {
      const Figure* figure = figureOf(edition(), q);
      EXPECT_EQ(figure != nullptr, q.figure.has_value()) << q.id;
      if (figure == nullptr) continue;
      ++withFigure;
      std::string name(figure->reference.substr(7));  // "E5-1"
      EXPECT_EQ(name.substr(0, 2), std::string("E").append(std::to_string(s))) << q.id;
      std::string plain = "Figure " + name;
      std::string nonBreaking = plain;
      nonBreaking[9] = '\x1E';
      EXPECT_TRUE(q.text.find(plain) != std::string::npos || q.text.find(nonBreaking) != std::string::npos) << q.id;
      EXPECT_LE(idField(edition(), q).size(), 17u);
    }
  EXPECT_EQ(withFigure, 27);
}

// Each group lies in its subelement and holds the questions its identifier
// names; the groups of a subelement are its questions, in order, each once.
TEST_P(PoolTest, EveryQuestionInItsGroupEveryGroupInItsSubelement) {
  for (int s = 0; s < kSubelementCount; ++s) {
    const Subelement& sub = subelement(s);
    SCOPED_TRACE("E" + std::to_string(s));
    size_t next = 0;
    for (const Group& group : sub.groups) {
      EXPECT_EQ(group.id.size(), 3u);
      EXPECT_EQ(group.id.substr(0, 2), "E" + std::to_string(s));
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

// The groups an exam walks: all 50, each once, E1A first and E0A last, with
// the number of exam questions per subelement both pools share.
TEST_P(PoolTest, PoolGroupsAreEveryGroupOnceE0ALast) {
  const std::span<const Group* const> groups = edition().poolGroups;
  ASSERT_EQ(groups.size(), 50u);
  EXPECT_EQ(groups.front()->id, "E1A");
  EXPECT_EQ(groups.back()->id, "E0A");
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
  EXPECT_EQ(perSubelement, (std::array<int, kSubelementCount>{1, 6, 5, 3, 5, 4, 6, 8, 4, 8}));
  EXPECT_EQ(questions, static_cast<size_t>(totalOf(GetParam().questions)));
  // In the pool's order: subelements E1 to E9, then E0, each group after the last.
  for (size_t g = 1; g + 1 < groups.size(); ++g) EXPECT_LT(groups[g - 1]->id, groups[g]->id);
}

INSTANTIATE_TEST_SUITE_P(Pools, PoolTest, ::testing::Values(kPool2020, kPool2024),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PoolEditions, AreFoundByTheirNamesTheDefaultFirst) {
  ASSERT_EQ(poolEditions().size(), 2u);
  EXPECT_EQ(poolEditions().front(), &pool2020To2024());
  EXPECT_EQ(findPoolEdition("2020-2024"), &pool2020To2024());
  EXPECT_EQ(findPoolEdition("2024-2028"), &pool2024To2028());
  EXPECT_EQ(pool2024To2028().name, "2024-2028");
  for (std::string_view name : {"", "2024", "2024-2028 ", "2028-2032"}) EXPECT_EQ(findPoolEdition(name), nullptr);
}

// The two pools differ where they should: a question of one is not the
// question of the same identifier in the other.
TEST(PoolEditions, HoldTheirOwnTexts) {
  const std::span<const Question> e0In2020 = pool2020To2024().subelements[0].questions;
  const std::span<const Question> e0In2024 = pool2024To2028().subelements[0].questions;
  ASSERT_EQ(e0In2024.size(), 12u);
  EXPECT_EQ(e0In2024[11].text, "Where should a shock-absorbing lanyard be attached to a tower when working above ground?");
  EXPECT_EQ(e0In2020.size(), 11u);
  const Question* e9g06 = find(pool2024To2028().subelements[9], "E9G06");
  ASSERT_NE(e9g06, nullptr);
  EXPECT_EQ(idField(pool2024To2028(), *e9g06), "E9G06 Figure:E9-3");
}

}  // namespace
}  // namespace pentrill
