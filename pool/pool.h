// The question pool of an edition: loading a subelement's question table
// into a question table, and the exam group table.
#pragma once
#include <string_view>

#include "pool/edition.h"
#include "pool/question_table.h"

namespace pentrill {

inline constexpr std::string_view kEndOfPool = "ENDofPOOL";

// Item k (from 1) of a subelement's question table: each question's seven
// fields in order, then "ENDofPOOL". Beyond the end: the empty text.
std::string_view questionTableItem(const PoolEdition& edition, int subelement, int k);

// Loads subelement 0 to 9 into rows 1 to n of pool, the end marker into
// field 1 of row n + 1 and n into cell (0, 1). Writes nothing else.
void loadSubelementPool(const PoolEdition& edition, int subelement, QuestionTable& pool);

// Item k (from 1) of the exam group table: per group its size, then its bare
// identifiers. Beyond the end: the empty text.
std::string_view examGroupItem(const PoolEdition& edition, int k);
int examGroupItemCount(const PoolEdition& edition);

}  // namespace pentrill
