// The typed view of a pool (its questions, groups and subelements), built
// from the pool's rows when the pool is first used.
#pragma once
#include <array>
#include <span>
#include <vector>

#include "pool/question.h"
#include "pool/question_rows.h"

namespace pentrill {

struct QuestionTables {
  std::vector<Question> questions;  // in pool order
  std::vector<Group> groups;        // in pool order
  std::array<Subelement, kSubelementCount> subelements;  // index = the subelement's digit
  std::vector<const Group*> poolGroups;  // every group once, in pool order

  // The tables of rows that the edition checks have passed: groups cover the
  // questions in order, each subelement's groups side by side.
  explicit QuestionTables(const QuestionRows& rows);
  // The spans point into the vectors: a copy would point into the original.
  QuestionTables(const QuestionTables&) = delete;
  QuestionTables& operator=(const QuestionTables&) = delete;
};

}  // namespace pentrill
