// Composition of a practice exam: one question drawn at random from each
// group of the edition, the questions put into a random order and their
// answers shuffled once.
#pragma once
#include <vector>

#include "platform/clock.h"
#include "pool/edition.h"
#include "pool/question.h"
#include "session/random.h"

namespace pentrill {

// Seeds the generator with the time of day (seconds since local midnight, to
// the millisecond), draws a question from each group in the pool's order,
// puts them into a random order and shuffles their answers, first to last.
// As many questions as the edition has groups, question 1 first.
std::vector<AskedQuestion> composePracticeExam(const PoolEdition& edition, Clock& clock, Random& random);

}  // namespace pentrill
