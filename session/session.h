// What every screen shares while the program runs: the pool edition in use,
// the random generator, the hints, the study record and the settings that
// carry over from one drill to the next. The menu, the drill and the exam
// take it by reference; nothing of it is drawn here.
#pragma once
#include <cstdint>
#include <optional>

#include "platform/clock.h"
#include "platform/files.h"
#include "pool/edition.h"
#include "session/hints.h"
#include "session/random.h"
#include "session/study_log.h"
#include "study/study_record.h"

namespace pentrill {

// The order in which a drill asks its questions.
enum class DrillOrder { Random, Sequence };

class Session {
 public:
  Session(const PoolEdition& edition, Clock& clock, Files& files);

  const PoolEdition& edition() const { return *edition_; }
  // From now on every screen works on this edition.
  void useEdition(const PoolEdition& edition);

  // The edition's groups as the study model takes them, built at the first
  // use and kept: every menu draw needs them.
  const study::StudyPool& studyPool();
  // The study record of the edition now; nothing when it is off or cannot be
  // read (which turns it off).
  std::optional<study::StudyRecord> readRecord();
  // Seconds since the Unix epoch (UTC) now, as the record counts time.
  std::int64_t utcNow() { return utcSecondsNow(clock); }

  Clock& clock;
  Files& files;
  Random random;
  Hints hints;
  StudyLog record;  // the study record, or why there is none
  bool peekOn = false;  // carries over from one drill to the next
  // Seconds the user spent at the menu before the last choice: part of a
  // drill's seed.
  int menuSeconds = 0;

 private:
  const PoolEdition* edition_;
  std::optional<study::StudyPool> studyPool_;
};

}  // namespace pentrill
