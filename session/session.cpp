#include "session/session.h"

namespace pentrill {

Session::Session(const PoolEdition& edition, Clock& clockSeam, Files& filesSeam)
    : clock(clockSeam), files(filesSeam), hints(filesSeam), edition_(&edition) {}

void Session::useEdition(const PoolEdition& edition) {
  if (&edition == edition_) return;
  edition_ = &edition;
  studyPool_.reset();
}

const study::StudyPool& Session::studyPool() {
  if (!studyPool_) studyPool_.emplace(studyPoolOf(*edition_));
  return *studyPool_;
}

std::optional<study::StudyRecord> Session::readRecord() {
  return readStudyRecord(record, studyPool(), *edition_);
}

}  // namespace pentrill
