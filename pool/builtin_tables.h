// The built-in tables, generated at build time from pool/data/ by
// tools/pool_tables. Constant data: nothing is parsed at run time.
#pragma once
#include <array>
#include <span>
#include <string_view>

namespace pentrill::builtin {

using Items = std::span<const std::string_view>;

// Index 0 to 9 = subelement E0 to E9: per question its seven fields in field
// order, then "ENDofPOOL".
extern const std::array<Items, 10> kQuestionTables;

// Per group in table order (E1A to E9H, then E0A): its size, then its bare
// identifiers.
extern const Items kExamGroupTable;

}  // namespace pentrill::builtin
