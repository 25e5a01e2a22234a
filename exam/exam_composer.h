// Composition of a practice exam: one question drawn at random from each
// group of the edition's exam group table, the questions put into a random
// order and their answers shuffled once.
#pragma once
#include "drill/random.h"
#include "pool/edition.h"
#include "pool/question_table.h"
#include "platform/clock.h"

namespace pentrill {

// Questions in an exam, one per group; the same for every pool edition.
inline constexpr int kExamQuestions = kExamLastRow;

// Seeds the generator with the time of day (seconds since local midnight, to
// the millisecond) and fills rows 1 to 50 of the caller's empty exam table in
// presentation order, each with the whole pool row (figure tag included) and
// its answers shuffled. Leaves 50 in cell (0, 2), the last row shuffled; the
// question count in cell (0, 1) is the caller's to write.
void composePracticeExam(const PoolEdition& edition, Clock& clock, Random& random, PracticeExam& exam);

}  // namespace pentrill
