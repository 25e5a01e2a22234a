// The invariants that the question tables rely on, checked on the text as
// read, before anything is written.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "tools/pool_tables/pool_source.h"

namespace pool_tables {

// The figures that a question text names ("Figure E5-1", also written with
// the non-breaking hyphen 0x1E), each as its tag writes it: "E5-1".
std::vector<std::string> figuresNamedIn(std::string_view text);

// Field 1 of a question: the bare identifier, with " Figure:E5-1" when the
// text names a figure.
std::string idField(const SourceQuestion& q);

// Reports every broken invariant: identifiers and their order, correct
// letters, figure mentions, "All these choices" answers, labels, "*",
// lengths, questions per table and the letter totals.
void checkPool(const std::vector<SourceQuestion>& questions, Diagnostics& diagnostics);

}  // namespace pool_tables
