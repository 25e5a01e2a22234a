// The program's built-in rows of a pool, and the C++ header that holds them.
#pragma once
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/pool_tables/pool_source.h"

namespace pool_tables {

struct TableGroup {
  size_t first = 0;  // its first question, by index in pool order
  size_t size = 0;
};

struct PoolTables {
  char prefix = 'E';
  std::vector<std::string> figures;  // the figures questions name, sorted ("E5-1")
  std::vector<const SourceQuestion*> questions;  // in the text's order
  std::vector<int> figureOf;  // per question: its index into figures, or -1
  std::vector<TableGroup> groups;  // in the text's order
};

// The rows of questions that have passed checkPool, in the text's order.
PoolTables buildTables(const std::vector<SourceQuestion>& questions, char prefix);

// A C++ literal holding the bytes of a Windows-1252 text.
std::string cppLiteral(std::string_view bytes);

// The namespace below pentrill::builtin that holds a pool's rows:
// "pool2024_2028" for "2024-2028", "pooltechnician_2026_2030" for
// "technician-2026-2030".
std::string tablesNamespace(std::string_view poolName);

// The header defining the pool's Tables type (pool/question_rows.h) in
// pentrill::builtin::<tablesNamespace>: its name and prefix, the figures the
// questions name, the text of every field, where each starts, each
// question's correct letter and figure, and the groups.
void writeTablesHeader(const PoolTables& tables, std::string_view poolName, std::string_view sourceName,
                       std::ostream& out);

}  // namespace pool_tables
