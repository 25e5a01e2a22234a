#include "exam/exam_composer.h"

#include <string>
#include <string_view>

#include "drill/shuffle.h"
#include "pool/pool.h"
#include "screen/text.h"

namespace pentrill {

namespace {

// Count items never contain the letter E; identifiers all begin with it.
bool isCountItem(std::string_view item) { return item.find('E') == std::string_view::npos; }

// Walks the whole group table: at each count item a position is drawn from
// 1 to the group's size, and the identifier at that position is the group's
// question. Element g of the result is group g's identifier, in table order.
CountedList drawOnePerGroup(const PoolEdition& edition, Random& random) {
  CountedList chosen(kExamQuestions + 1);
  chosen[0] = plainNumberText(kExamQuestions);
  int group = 0;
  int position = 0;
  int drawn = 0;
  const int items = examGroupItemCount(edition);
  for (int k = 1; k <= items; ++k) {
    const std::string_view item = examGroupItem(edition, k);
    if (isCountItem(item)) {
      ++group;
      drawn = random.drawRandom(1, static_cast<int>(roundedNumberValue(item)));
      position = 0;
    } else if (++position == drawn && group >= 1 && group <= kExamQuestions) {
      chosen[static_cast<size_t>(group)] = item;
    }
  }
  return chosen;
}

// The subelement 0 to 9 that an identifier ("E7B12") belongs to, -1 for none.
int subelementOf(std::string_view id) {
  if (id.size() < 2 || id[0] != 'E' || id[1] < '0' || id[1] > '9') return -1;
  return id[1] - '0';
}

// Replaces each row's bare identifier by the whole pool row. The pool of a
// subelement is loaded afresh for every row; an identifier the pool lacks
// leaves its row with the bare identifier alone.
void fetchQuestions(const PoolEdition& edition, PracticeExam& exam) {
  SubelementPool pool;
  for (int i = 1; i <= kExamQuestions; ++i) {
    Question& row = exam.row(i);
    const int subelement = subelementOf(row.field(kId));
    if (subelement < 0) continue;
    loadSubelementPool(edition, subelement, pool);
    const int n = pool.count();
    for (int r = 1; r <= n; ++r) {
      if (std::string_view(pool.cell(r, kId)).substr(0, 5) == row.field(kId)) {
        row = pool.row(r);
        break;
      }
    }
  }
}

}  // namespace

void composePracticeExam(const PoolEdition& edition, Clock& clock, Random& random, PracticeExam& exam) {
  random.seedRandom(secondsSinceMidnight(clock.now()));
  const CountedList chosen = drawOnePerGroup(edition, random);
  CountedList order(kExamQuestions + 1);
  randomPermutation(random, chosen, order);
  for (int i = 1; i <= kExamQuestions; ++i) exam.cell(i, kId) = order[static_cast<size_t>(i)];
  fetchQuestions(edition, exam);
  for (int i = 1; i <= kExamQuestions; ++i) {
    exam.setWorkRow(i);
    shuffleAnswers(random, exam);
  }
}

}  // namespace pentrill
