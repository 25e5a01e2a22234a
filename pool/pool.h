// The built-in question pool: ten subelement question tables and the exam
// group table, generated at build time from the published pool text.
#pragma once
#include <string_view>

#include "pool/question_table.h"

namespace pentrill {

inline constexpr int kSubelementCount = 10;    // E0 to E9
inline constexpr std::string_view kEndOfPool = "ENDofPOOL";

// Item k (from 1) of a subelement's question table: each question's seven
// fields in order, then "ENDofPOOL". Beyond the end: the empty text.
std::string_view questionTableItem(int subelement, int k);

// Loads subelement 0 to 9 into rows 1 to n of pool, the end marker into
// field 1 of row n + 1 and n into cell (0, 1). Writes nothing else.
void loadSubelementPool(int subelement, QuestionTable& pool);

// Item k (from 1 to 670) of the exam group table: per group its size, then
// its bare identifiers. Beyond the end: the empty text.
std::string_view examGroupItem(int k);
inline constexpr int kExamGroupItemCount = 670;

}  // namespace pentrill
