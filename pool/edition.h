// A pool edition: everything that differs between the question pools the
// program carries. The program picks one at start-up and hands it down with
// the rest of its state; nothing else may assume the facts of one pool
// (question counts, the last group, text lengths, figure sizes).
#pragma once
#include <array>
#include <span>
#include <string_view>

namespace pentrill {

struct CompressedBitmap;  // pool/compressed_bitmap.h

inline constexpr int kSubelementCount = 10;  // E0 to E9

// A list of text items numbered from 1 (see itemAt).
using Items = std::span<const std::string_view>;

// Item k counted from 1; the empty text outside 1 to the list's size.
constexpr std::string_view itemAt(Items items, int k) {
  if (k < 1 || static_cast<size_t>(k) > items.size()) return {};
  return items[static_cast<size_t>(k) - 1];
}

// A diagram that questions refer to, stored in the program as a compressed
// bitmap file.
struct Figure {
  std::string_view reference;            // "Figure:E5-1", as cut from field 1 of a question
  std::string_view pictureName;          // "#51"
  int width = 0;                         // client size of its window, in pixels
  int height = 0;
  std::string_view caption;              // "Figure 5-1"
  const CompressedBitmap* bitmap = nullptr;  // the whole bitmap file (inflatedBytes gives its bytes)
};

struct PoolEdition {
  std::string_view name;  // "2020-2024", as given after --pool
  // Index 0 to 9 = subelement E0 to E9: per question its seven fields in
  // field order, then "ENDofPOOL".
  std::array<Items, kSubelementCount> questionTables;
  // Per group in table order (E1A to E9H, then E0A): its size, then its bare
  // identifiers. The walk of an exam ends after its last item.
  Items examGroupTable;
  // The drill's title per subelement, "Module: E0 \x96 SAFETY".
  std::array<std::string_view, kSubelementCount> subelementTitles;
  // The menu's rows 8 to 18: the ten subelements and "P. Practice Test".
  std::span<const std::string_view> menuLines;
  std::span<const std::string_view> helpLines;
  std::span<const Figure> figureTable;
};

// The 2020-2024 pool, the program's default.
const PoolEdition& pool2020To2024();

// The 2024-2028 pool, in force from July 1, 2024 to June 30, 2028.
const PoolEdition& pool2024To2028();

// Every pool the program carries, the default first.
std::span<const PoolEdition* const> poolEditions();

// The pool with that name ("2024-2028"); null when there is none.
const PoolEdition* findPoolEdition(std::string_view name);

}  // namespace pentrill
