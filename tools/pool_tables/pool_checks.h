// The invariants that the question tables rely on, checked on the text as
// read, before anything is written.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "tools/pool_tables/expected_pool.h"
#include "tools/pool_tables/pool_source.h"

namespace pool_tables {

// The figures of the pool with that identifier prefix that a question text
// names, each as its tag writes it: "Figure E5-1" (also with the
// non-breaking hyphen 0x1E) as "E5-1", "figure T-1" as "T-1", "figure G7-1"
// or "Figure G7-1" as "G7-1".
std::vector<std::string> figuresNamedIn(std::string_view text, char prefix);

// Field 1 of a question: the bare identifier, with " Figure:E5-1" when the
// text names a figure.
std::string idField(const SourceQuestion& q, char prefix);

// Reports every broken invariant against the facts of the pool: identifiers
// and their order, correct letters, figure mentions, "All these choices"
// answers, labels, "*", blanks, lengths and words, the rows of the question
// screens, the bytes beyond ASCII, the lines the texts take, questions per
// table and the letter totals. The counts per subelement and
// the last item of the group table follow from the identifiers, which the
// pool's facts fix (checked against each other when the tool compiles).
void checkPool(const std::vector<SourceQuestion>& questions, const ExpectedPool& pool, Diagnostics& diagnostics);

}  // namespace pool_tables
