// The study record kept in memory, for tests: the same behaviour as the
// SQLite store (exam answers replaced, time order, settings), and writes
// that can be made to fail as a full disk would.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/record_store.h"

namespace pentrill {

class MemoryRecordStore final : public RecordStore {
 public:
  bool appendAnswer(const RecordedAnswer& answer) override;
  std::optional<std::int64_t> startExam(std::string_view pool, std::int64_t time, std::string_view questions) override;
  bool recordExamAnswer(const RecordedAnswer& answer) override;
  bool finishExam(std::int64_t exam, std::int64_t time, int right) override;
  bool visitLog(std::string_view pool, const std::function<void(const RecordedAnswer&)>& visit) override;
  bool visitMemory(std::string_view pool, const std::function<void(const RecordedMemory&)>& visit) override;
  std::optional<std::vector<RecordedExam>> readLastExams(std::string_view pool, int count) override;
  std::optional<std::vector<RecordedAnswer>> readAllAnswers() override;
  std::optional<std::string> readSetting(std::string_view name) override;
  bool writeSetting(std::string_view name, std::string_view value) override;
  const std::string& lastFailure() const override { return failure_; }

  // From now on every write fails with `reason` ("" makes them work again).
  void failWrites(std::string reason) { writeFailure_ = std::move(reason); }

 private:
  bool writable();

  std::vector<RecordedAnswer> answers_;  // in the order recorded
  std::vector<RecordedExam> exams_;
  std::map<std::string, std::string, std::less<>> settings_;
  std::string failure_;
  std::string writeFailure_;
};

}  // namespace pentrill
