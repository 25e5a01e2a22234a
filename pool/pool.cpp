#include "pool/pool.h"

namespace pentrill {

std::string_view questionTableItem(const PoolEdition& edition, int subelement, int k) {
  if (subelement < 0 || subelement >= kSubelementCount) return {};
  return itemAt(edition.questionTables[static_cast<size_t>(subelement)], k);
}

// Items go into the rows field by field until the end marker has been stored.
// The table is deliberately not cleared: what lies beyond the marker stays.
void loadSubelementPool(const PoolEdition& edition, int subelement, QuestionTable& pool) {
  int k = 0;
  for (int r = 1; r <= pool.lastRow(); ++r) {
    for (int f = 1; f <= kFieldCount; ++f) {
      std::string& cell = pool.cell(r, f);
      cell = questionTableItem(edition, subelement, ++k);
      if (cell == kEndOfPool) {
        pool.setCount(r - 1);
        return;
      }
    }
  }
}

std::string_view examGroupItem(const PoolEdition& edition, int k) { return itemAt(edition.examGroupTable, k); }

int examGroupItemCount(const PoolEdition& edition) { return static_cast<int>(edition.examGroupTable.size()); }

}  // namespace pentrill
