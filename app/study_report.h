// What the study record says of one pool edition now: the chance of passing,
// the progress per subelement, the last practice exams and the chance day by
// day. The menu's rows, the progress screen and --stats all show it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/record_store.h"
#include "session/study_log.h"
#include "pool/edition.h"
#include "study/study_record.h"

namespace pentrill {

struct StudyReport {
  std::string pool;
  char prefix = 'E';  // the letter of the pool's subelements: "T1", "G1", "E1"
  std::int64_t now = 0;
  double chance = 0;  // of passing an exam drawn now
  study::Progress progress;
  std::vector<study::ExamLine> exams;  // newest first, at most ten
  std::optional<RecordedExam> lastExam;  // the newest exam with an answer
  std::vector<double> daily;           // the chance at the end of each of the last 30 days, oldest first
};

// Reads the report from the record (an empty record when there is none yet);
// nothing when the record cannot be read.
std::optional<StudyReport> readStudyReport(RecordStore* store, const PoolEdition& edition,
                                           const study::StudyPool& pool, std::int64_t now, int utcOffsetSeconds);

// The menu's row 22: "Chance of passing an exam today: 41%   Known: 212 of 620   Due for review: 35".
std::string studyMenuLine(double chance, const study::Progress& progress);
// The menu's row 24: the study keys.
inline constexpr std::string_view kStudyKeysLine =
    "R. Study session (20 questions that raise your chance most)   T. Progress   W. Mistakes";

// "2026-12-09": the UTC date of a time.
std::string dateOf(std::int64_t time);
// "41 of 50  82%  Pass", or "left unfinished".
std::string examLineText(const study::ExamLine& exam);

// The report as plain text (--stats), the chance to one decimal.
std::string statsText(const StudyReport& report);

// --stats and --export-record: the report or the CSV of every answer of the
// edition's pool on out, status 0; or why the record cannot be read on err, status 1. `store` null:
// no record yet.
CommandAnswer answerFromRecord(bool exportRecord, RecordStore* store, const std::string& path,
                               const PoolEdition& edition, std::int64_t now, int utcOffsetSeconds);

}  // namespace pentrill
