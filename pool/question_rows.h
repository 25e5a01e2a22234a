// A pool's questions as the build stores them (tools/pool_tables writes one
// `Tables` type per pool, its rows in one object): constant data without a
// single pointer. The
// loader of a position-independent program writes to every pointer in its
// data at start-up; without any, the tables of a pool that is not used are
// never read, and those of the pool in use only when its questions are
// built from them (pool/question_tables.h). Usable at compile time, where
// the edition checks read them.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "pool/question.h"

namespace pentrill {

inline constexpr std::uint8_t kNoFigure = 0xFF;
// Each question's fields, one after another, each ended by a NUL byte: the
// identifier, the text and the four answers without their labels.
inline constexpr int kQuestionFields = 2 + kAnswerCount;

struct QuestionMarks {
  char correct;         // 'A' to 'D'
  std::uint8_t figure;  // index into the edition's figure table, or kNoFigure
};

// A group: its questions are `size` of them from `first`, in pool order.
struct GroupRow {
  std::uint16_t first;
  std::uint16_t size;
};

// One pool's rows, read through the pool's generated `Tables`.
struct QuestionRows {
  std::string_view text;                       // every field of every question, each ended by a NUL
  std::span<const std::uint32_t> fieldStarts;  // where each field starts in text; text.size() last
  std::span<const QuestionMarks> marks;        // per question, in pool order
  std::span<const GroupRow> groups;            // in pool order: subelements 1 to 9, then 0

  constexpr std::size_t questionCount() const { return marks.size(); }

  constexpr std::string_view field(std::size_t question, int field) const {
    const std::size_t at = question * kQuestionFields + static_cast<std::size_t>(field);
    return text.substr(fieldStarts[at], fieldStarts[at + 1] - fieldStarts[at] - 1);
  }

  constexpr std::string_view id(std::size_t question) const { return field(question, 0); }

  // "T1A" of a group.
  constexpr std::string_view groupId(const GroupRow& group) const { return id(group.first).substr(0, 3); }

  // The subelement's digit, 0 to 9, of a group.
  constexpr int subelementOf(const GroupRow& group) const { return groupId(group)[1] - '0'; }

  constexpr Question question(std::size_t q) const {
    Question built{id(q), std::nullopt, field(q, 1), {}, marks[q].correct};
    if (marks[q].figure != kNoFigure) built.figure = marks[q].figure;
    for (int k = 0; k < kAnswerCount; ++k) built.answers[static_cast<std::size_t>(k)] = field(q, 2 + k);
    return built;
  }
};

// The rows of a generated `Tables` type (builtin::<pool>::Tables), whose
// kRows holds them all.
template <typename Tables>
constexpr QuestionRows rowsOf() {
  constexpr const auto& rows = Tables::kRows;
  return QuestionRows{std::string_view(rows.text, sizeof rows.text - 1), rows.fieldStarts, rows.marks, rows.groups};
}

}  // namespace pentrill
