#include "tests/fakes/memory_record_store.h"

#include <algorithm>

#include "study/study_record.h"

namespace pentrill {

bool MemoryRecordStore::writable() {
  failure_ = writeFailure_;
  return writeFailure_.empty();
}

bool MemoryRecordStore::appendAnswer(const RecordedAnswer& answer) {
  if (!writable()) return false;
  answers_.push_back(answer);
  return true;
}

std::optional<std::int64_t> MemoryRecordStore::startExam(std::string_view pool, std::int64_t time,
                                                         std::string_view questions) {
  if (!writable()) return std::nullopt;
  const std::int64_t id = static_cast<std::int64_t>(exams_.size()) + 1;
  exams_.push_back({id, std::string(pool), time, std::nullopt, std::nullopt, std::string(questions)});
  return id;
}

bool MemoryRecordStore::recordExamAnswer(const RecordedAnswer& answer) {
  if (!writable()) return false;
  std::erase_if(answers_, [&](const RecordedAnswer& earlier) {
    return earlier.exam == answer.exam && earlier.question == answer.question;
  });
  answers_.push_back(answer);
  return true;
}

bool MemoryRecordStore::finishExam(std::int64_t exam, std::int64_t time, int right) {
  if (!writable()) return false;
  for (RecordedExam& recorded : exams_)
    if (recorded.id == exam) {
      recorded.finished = time;
      recorded.right = right;
    }
  return true;
}

bool MemoryRecordStore::visitLog(std::string_view pool, const std::function<void(const RecordedAnswer&)>& visit) {
  std::vector<RecordedAnswer> log;
  for (const RecordedAnswer& answer : answers_)
    if (answer.pool == pool) log.push_back(answer);
  std::stable_sort(log.begin(), log.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
  for (const RecordedAnswer& answer : log) visit(answer);
  return true;
}

bool MemoryRecordStore::visitMemory(std::string_view pool, const std::function<void(const RecordedMemory&)>& visit) {
  for (const RecordedMemory& entry : study::replayMemory(*readLog(pool))) visit(entry);
  return true;
}

std::optional<std::vector<RecordedExam>> MemoryRecordStore::readLastExams(std::string_view pool, int count) {
  std::vector<RecordedExam> exams;
  for (const RecordedExam& exam : exams_)
    if (exam.pool == pool) exams.push_back(exam);
  std::stable_sort(exams.begin(), exams.end(), [](const auto& a, const auto& b) { return a.started > b.started; });
  if (exams.size() > static_cast<std::size_t>(count)) exams.resize(static_cast<std::size_t>(count));
  return exams;
}

std::optional<std::vector<RecordedAnswer>> MemoryRecordStore::readAllAnswers() {
  std::vector<RecordedAnswer> all = answers_;
  std::stable_sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
  return all;
}

std::optional<std::string> MemoryRecordStore::readSetting(std::string_view name) {
  const auto found = settings_.find(name);
  if (found == settings_.end()) return std::nullopt;
  return found->second;
}

bool MemoryRecordStore::writeSetting(std::string_view name, std::string_view value) {
  if (!writable()) return false;
  settings_.insert_or_assign(std::string(name), std::string(value));
  return true;
}

}  // namespace pentrill
