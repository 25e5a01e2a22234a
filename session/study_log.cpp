#include "session/study_log.h"

#include <algorithm>
#include <string_view>

namespace pentrill {

void StudyLog::turnOff(std::string reason) {
  store = nullptr;
  offReason = std::move(reason);
}

std::string StudyLog::offLine(size_t width) const {
  if (!kept || on()) return {};
  const std::string prefix = "Study record off: ";
  const std::string reason = " (" + offReason + ")";
  std::string file = path;
  constexpr std::string_view kElided = "...";
  const size_t room = width - std::min(width, prefix.size() + reason.size());
  if (file.size() > room)
    file = room > kElided.size() ? std::string(kElided) + file.substr(file.size() - (room - kElided.size())) : "";
  return (prefix + file + reason).substr(0, width);
}

bool recordCheckEnded(StudyLog& log, bool checkNow) {
  if (!log.on()) return true;
  const std::optional<bool> sound = log.store->soundness(checkNow);
  if (sound == false) log.turnOff(log.store->lastFailure());
  return sound.has_value();
}

std::int64_t utcSecondsNow(Clock& clock) {
  const std::int64_t milliseconds = clock.now().utcMilliseconds;
  return milliseconds / 1000 - (milliseconds % 1000 < 0 ? 1 : 0);
}

int utcOffsetSecondsNow(Clock& clock) { return clock.now().localOffsetSeconds; }

char poolLetter(const AskedQuestion& asked, char shownLetter) {
  return answerLetter(asked.order[static_cast<size_t>(answerPosition(shownLetter))]);
}

study::StudyPool studyPoolOf(const PoolEdition& edition) {
  std::vector<std::vector<std::string_view>> groups;
  groups.reserve(edition.poolGroups.size());
  for (const Group* group : edition.poolGroups) {
    std::vector<std::string_view>& ids = groups.emplace_back();
    for (const Question& question : group->questions) ids.push_back(question.id);
  }
  return study::StudyPool(groups, edition.passMark);
}

namespace {

RecordedAnswer answerOf(const PoolEdition& edition, const AskedQuestion& asked, char shownLetter,
                        study::Rating rating, AnswerMode mode, std::int64_t time) {
  RecordedAnswer answer;
  answer.time = time;
  answer.pool = std::string(edition.name);
  answer.question = std::string(asked.question->id);
  answer.answer = poolLetter(asked, shownLetter);
  answer.correct = shownLetter == asked.correct;
  answer.rating = static_cast<int>(rating);
  answer.mode = mode;
  return answer;
}

void keep(StudyLog& log, bool written) {
  if (!written) log.turnOff(log.store->lastFailure());
}

}  // namespace

void recordAnswer(StudyLog& log, const PoolEdition& edition, const AskedQuestion& asked, char shownLetter,
                  study::Rating rating, AnswerMode mode, std::int64_t time) {
  if (!log.on()) return;
  keep(log, log.store->appendAnswer(answerOf(edition, asked, shownLetter, rating, mode, time)));
}

std::optional<std::int64_t> recordExamStart(StudyLog& log, const PoolEdition& edition, std::int64_t time,
                                            std::string_view questions) {
  if (!log.on()) return std::nullopt;
  std::optional<std::int64_t> exam = log.store->startExam(edition.name, time, questions);
  keep(log, exam.has_value());
  return exam;
}

void recordExamAnswer(StudyLog& log, std::optional<std::int64_t> exam, const PoolEdition& edition,
                      const AskedQuestion& asked, char shownLetter, std::int64_t time) {
  if (!log.on() || !exam) return;
  const bool correct = shownLetter == asked.correct;
  RecordedAnswer answer = answerOf(edition, asked, shownLetter, study::rateAnswer(correct, false, false),
                                   AnswerMode::Exam, time);
  answer.exam = exam;
  keep(log, log.store->recordExamAnswer(answer));
}

void recordExamEnd(StudyLog& log, std::optional<std::int64_t> exam, std::int64_t time, int right) {
  if (!log.on() || !exam) return;
  keep(log, log.store->finishExam(*exam, time, right));
}

// The log goes by once; only the last answer of each question is kept.
std::optional<std::vector<std::string>> readMistakes(StudyLog& log, const study::StudyPool& pool,
                                                     const PoolEdition& edition) {
  if (!log.on()) return std::nullopt;
  std::vector<std::optional<bool>> lastRight(pool.questionCount());
  if (!log.store->visitLog(edition.name, [&](const RecordedAnswer& answer) {
        if (const std::optional<std::size_t> index = pool.find(answer.question)) lastRight[*index] = answer.correct;
      })) {
    log.turnOff(log.store->lastFailure());
    return std::nullopt;
  }
  std::vector<std::string> wrong;
  for (std::size_t q = 0; q < lastRight.size(); ++q)
    if (lastRight[q] == false) wrong.push_back(pool.question(q));
  return wrong;
}

std::optional<study::StudyRecord> readStudyRecord(StudyLog& log, const study::StudyPool& pool,
                                                  const PoolEdition& edition) {
  if (!log.on()) return std::nullopt;
  // Each state goes straight to its question: no list of them is made.
  study::StudyRecord record(pool, {});
  if (!log.store->visitMemory(edition.name, [&record](const RecordedMemory& entry) { record.remember(entry); })) {
    log.turnOff(log.store->lastFailure());
    return std::nullopt;
  }
  return record;
}

}  // namespace pentrill
