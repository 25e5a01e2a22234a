// A pool edition: everything that differs between the question pools the
// program carries. The program picks one at start-up and hands it down with
// the rest of its state; nothing else may assume the facts of one pool
// (question counts, the last group, text lengths, figure sizes).
#pragma once
#include <array>
#include <span>
#include <string>
#include <string_view>

#include "pool/question.h"

namespace pentrill {

struct CompressedBitmap;  // pool/compressed_bitmap.h

inline constexpr int kSubelementCount = 10;  // E0 to E9

// A diagram that questions refer to, stored in the program as a compressed
// bitmap file.
struct Figure {
  std::string_view reference;            // "Figure:E5-1", shown after the identifier on the header
  std::string_view pictureName;          // "#51"
  int width = 0;                         // client size of its window, in pixels
  int height = 0;
  std::string_view caption;              // "Figure 5-1"
  const CompressedBitmap* bitmap = nullptr;  // the whole bitmap file (inflatedBytes gives its bytes)
  std::string_view description;          // for a listener, Windows-1252, lines separated by line ends
};

struct PoolEdition {
  std::string_view name;  // "2020-2024", as given after --pool
  // Index 0 to 9 = subelement E0 to E9.
  std::span<const Subelement, kSubelementCount> subelements;
  // Every group once, in the pool's order (E1A to E9H, then E0A): an exam
  // draws one question from each, in this order.
  std::span<const Group* const> poolGroups;
  // The drill's title per subelement, "Module: E0 \x96 SAFETY".
  std::array<std::string_view, kSubelementCount> subelementTitles;
  // The menu's rows 8 to 18: the ten subelements and "P. Practice Test".
  std::span<const std::string_view> menuLines;
  std::span<const std::string_view> helpLines;
  std::span<const Figure> figureTable;  // a question's figure indexes it
};

// The figure of a question, null when it has none.
const Figure* figureOf(const PoolEdition& edition, const Question& question);

// The id field of the question header: "E5C10", or "E5C10 Figure:E5-1" for
// a question with a figure.
std::string idField(const PoolEdition& edition, const Question& question);

// The question with that identifier; null when the edition has none.
const Question* findQuestion(const PoolEdition& edition, std::string_view id);

// The 2020-2024 pool, the program's default.
const PoolEdition& pool2020To2024();

// The 2024-2028 pool, in force from July 1, 2024 to June 30, 2028.
const PoolEdition& pool2024To2028();

// Every pool the program carries, the default first.
std::span<const PoolEdition* const> poolEditions();

// The pool with that name ("2024-2028"); null when there is none.
const PoolEdition* findPoolEdition(std::string_view name);

}  // namespace pentrill
