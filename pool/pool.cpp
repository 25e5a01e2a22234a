#include "pool/pool.h"

#include "pool/builtin_tables.h"

namespace pentrill {

namespace {

// Item k counted from 1; the empty text outside 1 to size.
std::string_view itemAt(builtin::Items items, int k) {
  if (k < 1 || static_cast<size_t>(k) > items.size()) return {};
  return items[static_cast<size_t>(k) - 1];
}

}  // namespace

std::string_view questionTableItem(int subelement, int k) {
  if (subelement < 0 || subelement >= kSubelementCount) return {};
  return itemAt(builtin::kQuestionTables[static_cast<size_t>(subelement)], k);
}

// Items go into the rows field by field until the end marker has been stored.
// The table is deliberately not cleared: what lies beyond the marker stays.
void loadSubelementPool(int subelement, QuestionTable& pool) {
  int k = 0;
  for (int r = 1;; ++r) {
    for (int f = 1; f <= kFieldCount; ++f) {
      std::string& cell = pool.cell(r, f);
      cell = questionTableItem(subelement, ++k);
      if (cell == kEndOfPool) {
        pool.setCount(r - 1);
        return;
      }
    }
  }
}

std::string_view examGroupItem(int k) { return itemAt(builtin::kExamGroupTable, k); }

}  // namespace pentrill
