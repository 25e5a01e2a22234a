// Answer shuffling and the random ordering of counted lists.
#pragma once
#include <string>
#include <vector>

#include "drill/random.h"
#include "pool/question_table.h"

namespace pentrill {

// Element 0: the number of items n as decimal text; elements 1 to n: items.
using CountedList = std::vector<std::string>;

// Target gets the count in element 0 and the source's n items in a random
// order in elements 1 to n; its elements above n are left alone (it grows if
// it is too short). The source is not changed.
void randomPermutation(Random& random, const CountedList& source, CountedList& target);

// Puts the answers of the table row named in cell (0, 2) into a new random
// order, relabels them "A. " to "D. " and moves the correct letter with the
// correct answer. "D. All these choices are correct" keeps its place as D.
void shuffleAnswers(Random& random, QuestionTable& table);

}  // namespace pentrill
