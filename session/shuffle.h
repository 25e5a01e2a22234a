// Answer shuffling and random orderings.
#pragma once
#include <cstddef>
#include <vector>

#include "session/random.h"
#include "pool/question.h"

namespace pentrill {

// A random order of n items: element k is the item (0 to n - 1) placed k-th.
// Each place draws an item from 1 to n until it finds one not yet placed,
// so the generator is drawn at least n times.
std::vector<std::size_t> randomPermutation(Random& random, std::size_t n);

// Puts the question's answers, as they stand, into a new random order and
// moves the correct letter with the correct answer. An answer "All these
// choices are correct" shown as D keeps its place.
void shuffleAnswers(Random& random, AskedQuestion& question);

}  // namespace pentrill
