// A pool edition: everything that differs between the question pools the
// program carries, of every licence class. The program picks one at start-up
// and hands it down with the rest of its state; nothing else may assume the
// facts of one pool or class (question counts, the exam's size and pass
// mark, the identifiers' letter, the last group, text lengths, figures).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "pool/civil_date.h"
#include "pool/question.h"

namespace pentrill {

struct CompressedBitmap;  // pool/compressed_bitmap.h

enum class LicenceClass : std::uint8_t { Technician, General, Extra };

// A diagram that questions refer to, stored in the program as a compressed
// bitmap file, with a description of it in words.
struct Figure {
  std::string_view reference;            // "Figure:E5-1", shown after the identifier on the header
  std::string_view pictureName;          // "#51"
  int width = 0;                         // client size of its window, in pixels
  int height = 0;
  std::string_view caption;              // "Figure 5-1"
  const CompressedBitmap* bitmap = nullptr;  // the whole bitmap file (inflatedBytes gives its bytes)
  // What the figure shows, for a listener (resources/figures/<pool>/<figure>.txt);
  // Windows-1252, lines separated by '\n'.
  std::string_view description;
};

// A span over a pool's questions, groups or subelements. They are built from
// the pool's constant rows (pool/question_rows.h) the first time any of them
// is used, so that a pool the program does not use is never read; the size
// is known before. Reads like the std::span it converts to, and takes any
// range a span takes (tables built elsewhere, as a test's own).
template <typename T, std::size_t Extent = std::dynamic_extent>
class TablesSpan {
 public:
  using span_type = std::span<T, Extent>;
  using element_type = T;
  using iterator = typename span_type::iterator;

  constexpr TablesSpan(span_type (*built)(), std::size_t size) : built_(built), size_(size) {}
  template <typename Range>
    requires(!std::is_same_v<std::remove_cvref_t<Range>, TablesSpan> && std::is_constructible_v<span_type, Range&>)
  TablesSpan(Range& tables) : data_(span_type(tables).data()), size_(span_type(tables).size()) {}  // NOLINT: as a span converts

  span_type span() const { return built_ != nullptr ? built_() : span_type(data_, size_); }
  operator span_type() const { return span(); }  // NOLINT: reads as the span it stands for
  iterator begin() const { return span().begin(); }
  iterator end() const { return span().end(); }
  T& operator[](std::size_t i) const { return span()[i]; }
  T& front() const { return span().front(); }
  T& back() const { return span().back(); }
  T* data() const { return span().data(); }
  constexpr std::size_t size() const { return size_; }
  constexpr bool empty() const { return size_ == 0; }

 private:
  span_type (*built_)() = nullptr;
  T* data_ = nullptr;  // the tables when there is nothing to build
  std::size_t size_;
};

// An exam passes when its score is greater than this per cent (37 of 50 and
// 26 of 35 pass; 36 of 50 and 25 of 35 fail).
inline constexpr float kPassPercent = 73.99f;

// The fewest right answers of `questions` that pass, by that rule.
constexpr int passMarkFor(int questions) {
  for (int right = 0; right < questions; ++right)
    if (100.0f * static_cast<float>(right) / static_cast<float>(questions) > kPassPercent) return right;
  return questions;
}

struct PoolEdition {
  // As given after --pool, and the pool column of the study record:
  // "2020-2024", "2024-2028", "technician-2026-2030", "general-2023-2027".
  std::string_view name;
  LicenceClass licence;
  std::string_view className;  // "Technician", "General", "Amateur Extra"
  int element;                 // the exam element: 2, 3 or 4
  std::string_view years;      // "2026-2030"
  CivilDate firstDay;          // the first day exams are drawn from the pool
  CivilDate lastDay;           // the last such day
  char prefix;                 // the letter of its identifiers: 'T', 'G', 'E'
  int passMark;                // right answers that pass an exam: 26 of 35, 37 of 50

  // Index 0 to 9 = the subelement of that digit (T0 to T9, E0 to E9).
  TablesSpan<const Subelement, kSubelementCount> subelements;
  // Every group once, in the pool's order (T1A to T9B, then T0A to T0C): an
  // exam draws one question from each, in this order.
  TablesSpan<const Group* const> poolGroups;
  // The drill's title per subelement, "Module: T1 - COMMISSION\x92S RULES".
  std::array<std::string_view, kSubelementCount> subelementTitles;
  // The menu's rows 8 to 18: the subelements by their digit, 0 to 9, then
  // "P. Practice Test".
  std::span<const std::string_view> menuLines;
  std::span<const std::string_view> helpLines;  // the 34 lines of the help screen
  std::span<const Figure> figureTable;  // a question's figure indexes it

  // Questions in an exam: one from each group.
  int examQuestions() const { return static_cast<int>(poolGroups.size()); }
};

// The figure of a question, null when it has none.
const Figure* figureOf(const PoolEdition& edition, const Question& question);

// The id field of the question header: "E5C10", or "E5C10 Figure:E5-1" for
// a question with a figure.
std::string idField(const PoolEdition& edition, const Question& question);

// The question with that identifier; null when the edition has none.
const Question* findQuestion(const PoolEdition& edition, std::string_view id);

// Whether exams are drawn from the pool on that day.
bool inForce(const PoolEdition& edition, CivilDate day);

// The 2020-2024 Amateur Extra pool, the program's default.
const PoolEdition& pool2020To2024();

// The 2024-2028 Amateur Extra pool, in force from July 1, 2024 to June 30, 2028.
const PoolEdition& pool2024To2028();

// The 2026-2030 Technician pool, in force from July 1, 2026 to June 30, 2030.
const PoolEdition& poolTechnician2026To2030();

// The 2023-2027 General pool, in force from July 1, 2023 to June 30, 2027.
const PoolEdition& poolGeneral2023To2027();

// Every pool the program carries, the default first.
std::span<const PoolEdition* const> poolEditions();

// The pool with that name ("2024-2028"); null when there is none.
const PoolEdition* findPoolEdition(std::string_view name);

// The carried pool of the class in force on that day; null when none is.
const PoolEdition* poolInForce(LicenceClass licence, CivilDate day);

}  // namespace pentrill
