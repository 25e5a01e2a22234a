#include "pool/question_tables.h"

#include <cstddef>

namespace pentrill {

QuestionTables::QuestionTables(const QuestionRows& rows) {
  questions.reserve(rows.questionCount());
  for (std::size_t q = 0; q < rows.questionCount(); ++q) questions.push_back(rows.question(q));

  groups.reserve(rows.groups.size());
  for (const GroupRow& row : rows.groups)
    groups.push_back(Group{rows.groupId(row), std::span<const Question>(questions).subspan(row.first, row.size)});

  poolGroups.reserve(groups.size());
  std::array<std::size_t, kSubelementCount> firstGroup{};
  std::array<std::size_t, kSubelementCount> groupCount{};
  for (std::size_t g = 0; g < groups.size(); ++g) {
    poolGroups.push_back(&groups[g]);
    const auto s = static_cast<std::size_t>(rows.subelementOf(rows.groups[g]));
    if (groupCount[s]++ == 0) firstGroup[s] = g;
  }
  // A subelement's groups stand side by side, and so do its questions.
  for (std::size_t s = 0; s < subelements.size(); ++s) {
    if (groupCount[s] == 0) continue;
    const std::span<const Group> own = std::span<const Group>(groups).subspan(firstGroup[s], groupCount[s]);
    const Question* first = own.front().questions.data();
    const Question* end = own.back().questions.data() + own.back().questions.size();
    subelements[s] = Subelement{std::span<const Question>(first, end), own};
  }
}

}  // namespace pentrill
