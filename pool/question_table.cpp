#include "pool/question_table.h"

#include "pool/text.h"

namespace pentrill {

int QuestionTable::count() const { return static_cast<int>(numberValue(cell(0, 1))); }
void QuestionTable::setCount(int n) { cell(0, 1) = numberText(n); }
int QuestionTable::workRow() const { return static_cast<int>(numberValue(cell(0, 2))); }
void QuestionTable::setWorkRow(int r) { cell(0, 2) = numberText(r); }

void QuestionTable::clear() {
  for (auto& question : rows_) question = Question{};
}

}  // namespace pentrill
