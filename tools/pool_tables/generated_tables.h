// The program's built-in typed pool, and the C++ source that holds it.
#pragma once
#include <array>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/pool_tables/pool_source.h"

namespace pool_tables {

struct TableGroup {
  std::string id;            // "E1A"
  size_t first = 0;          // its first question in its subelement's list
  size_t size = 0;
};

struct TableSubelement {
  std::vector<const SourceQuestion*> questions;  // in the text's order
  std::vector<TableGroup> groups;
};

struct PoolTables {
  std::vector<std::string> figures;  // the figures questions name, sorted ("E5-1")
  std::array<TableSubelement, 10> subelements;  // E0 to E9
  // Every group as (subelement, index among its groups), in the text's order.
  std::vector<std::pair<size_t, size_t>> poolGroups;
};

// The tables of questions that have passed checkPool, in the text's order.
PoolTables buildTables(const std::vector<SourceQuestion>& questions);

// A C++ literal holding the bytes of a Windows-1252 text.
std::string cppLiteral(std::string_view bytes);

// The namespace below pentrill::builtin that holds a pool's tables:
// "pool2024_2028" for "2024-2028".
std::string tablesNamespace(std::string_view poolName);

// The header defining kFigureNames, kSubelements and kPoolGroups of the pool,
// as compile-time constants in pentrill::builtin::<tablesNamespace>.
void writeTablesHeader(const PoolTables& tables, std::string_view poolName, std::string_view sourceName,
                       std::ostream& out);

}  // namespace pool_tables
