// The questions of a practice exam answered wrong or skipped, each with the
// answer given and the right one: from the exam just taken, or from its
// record, which keeps its questions in the order and with the answers as
// they were shown, so that the list is the same after a restart.
#pragma once
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "exam/exam.h"
#include "platform/record_store.h"
#include "session/study_log.h"

namespace pentrill {

struct MissedQuestion {
  int number = 0;             // in the exam, from 1
  AskedQuestion asked;        // its answers as the exam showed them
  std::optional<char> given;  // the letter chosen, as shown; none when skipped
};

// The exam's questions as the record keeps them: "E5C10:2031 E1A01:0123".
std::string examQuestionsText(std::span<const ExamItem> items);

std::vector<MissedQuestion> missedQuestions(const Exam& exam);

// The recorded exam's missed questions; nothing when the record cannot be
// read or the exam was recorded before the record kept its questions.
std::optional<std::vector<MissedQuestion>> readMissedQuestions(StudyLog& log, const PoolEdition& edition,
                                                               const RecordedExam& exam);

// Their identifiers, in the exam's order.
std::vector<std::string> missedIds(const std::vector<MissedQuestion>& missed);

}  // namespace pentrill
