// The program's built-in tables as items, and the C++ source that holds them.
#pragma once
#include <array>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/pool_tables/pool_source.h"

namespace pool_tables {

struct PoolTables {
  // Index 0 to 9 = subelement E0 to E9: per question its seven fields, then
  // "ENDofPOOL".
  std::array<std::vector<std::string>, 10> questionTables;
  // Per group in table order: its size, then its bare identifiers.
  std::vector<std::string> examGroupTable;
};

// The tables of questions that have passed checkPool, in the text's order.
PoolTables buildTables(const std::vector<SourceQuestion>& questions);

// A C++ literal holding the bytes of a Windows-1252 text.
std::string cppLiteral(std::string_view bytes);

// The namespace below pentrill::builtin that holds a pool's tables:
// "pool2024_2028" for "2024-2028".
std::string tablesNamespace(std::string_view poolName);

// The header defining kQuestionTables and kExamGroupTable of the pool, as
// compile-time constants in pentrill::builtin::<tablesNamespace>.
void writeTablesHeader(const PoolTables& tables, std::string_view poolName, std::string_view sourceName,
                       std::ostream& out);

}  // namespace pool_tables
