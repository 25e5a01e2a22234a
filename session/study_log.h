// The study record as the program uses it: where the answers go (or why none
// do), the record's clock, and the answers of the drill, the study session
// and the practice exam written through the record seam. A write that fails
// turns the record off; the program goes on as without one.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/record_store.h"
#include "pool/edition.h"
#include "pool/question.h"
#include "study/study_model.h"
#include "study/study_record.h"

namespace pentrill {

struct StudyLog {
  RecordStore* store = nullptr;  // null: nothing is recorded
  bool kept = false;  // true when a record is wanted (not --no-record): its rows are shown
  std::string path;
  std::string offReason;  // why the record is off, when it was wanted

  bool on() const { return store != nullptr; }
  // From now on nothing is recorded; the menu says why.
  void turnOff(std::string reason);
  // "Study record off: FILE (reason)" in at most `width` characters: a path
  // too long loses its beginning ("...") so that the reason stays whole.
  // Empty while on or not kept.
  std::string offLine(size_t width = std::string::npos) const;
};

// Whether the record's soundness check has been made (made now with
// `checkNow`); a record it found damaged is turned off then. True with no
// record.
bool recordCheckEnded(StudyLog& log, bool checkNow);

// Seconds since the Unix epoch (UTC) now, for the record.
std::int64_t utcSecondsNow(Clock& clock);
// The local time's offset from UTC now, in seconds: where the record's days
// begin.
int utcOffsetSecondsNow(Clock& clock);

// The pool's letter of the answer shown under `shownLetter` ('A' to 'D').
char poolLetter(const AskedQuestion& asked, char shownLetter);

// The edition's groups as the study model takes them.
study::StudyPool studyPoolOf(const PoolEdition& edition);

// A drill or study-session answer, committed before returning.
void recordAnswer(StudyLog& log, const PoolEdition& edition, const AskedQuestion& asked, char shownLetter,
                  study::Rating rating, AnswerMode mode, std::int64_t time);

// A practice exam in the record: started, each answer as given (a changed
// answer replaces the earlier one), its confirmed end.
std::optional<std::int64_t> recordExamStart(StudyLog& log, const PoolEdition& edition, std::int64_t time,
                                            std::string_view questions);
void recordExamAnswer(StudyLog& log, std::optional<std::int64_t> exam, const PoolEdition& edition,
                      const AskedQuestion& asked, char shownLetter, std::int64_t time);
void recordExamEnd(StudyLog& log, std::optional<std::int64_t> exam, std::int64_t time, int right);

// The questions of the edition whose last answer was wrong, in pool order;
// nothing when the record is off or cannot be read (which turns it off).
std::optional<std::vector<std::string>> readMistakes(StudyLog& log, const study::StudyPool& pool,
                                                     const PoolEdition& edition);

// The study record of one edition read now; nothing when the record is off
// or cannot be read (which turns it off).
std::optional<study::StudyRecord> readStudyRecord(StudyLog& log, const study::StudyPool& pool,
                                                  const PoolEdition& edition);

}  // namespace pentrill
