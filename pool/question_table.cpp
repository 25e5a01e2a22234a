#include "pool/question_table.h"

#include <cstdlib>

namespace pentrill {

namespace {
// The count and work row travel as the number text the program writes (a
// blank, then the digits).
std::string countText(int n) { return n < 0 ? std::to_string(n) : " " + std::to_string(n); }
int countValue(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); }
}  // namespace

int QuestionTable::count() const { return countValue(cell(0, 1)); }
void QuestionTable::setCount(int n) { cell(0, 1) = countText(n); }
int QuestionTable::workRow() const { return countValue(cell(0, 2)); }
void QuestionTable::setWorkRow(int r) { cell(0, 2) = countText(r); }

void QuestionTable::clear() {
  for (auto& question : rows_) question = Question{};
}

}  // namespace pentrill
