// Composition of a practice exam: one question drawn at random from each
// group of the edition, the questions put into a random order and their
// answers shuffled once.
#pragma once
#include <array>

#include "drill/random.h"
#include "pool/edition.h"
#include "pool/question.h"
#include "platform/clock.h"

namespace pentrill {

// Questions in an exam, one per group; the same for every pool edition.
inline constexpr int kExamQuestions = 50;

// The exam's questions in presentation order (question 1 first).
using PracticeExam = std::array<AskedQuestion, kExamQuestions>;

// Seeds the generator with the time of day (seconds since local midnight, to
// the millisecond), draws a question from each group in the pool's order,
// puts the 50 into a random order and shuffles their answers, first to last.
PracticeExam composePracticeExam(const PoolEdition& edition, Clock& clock, Random& random);

}  // namespace pentrill
