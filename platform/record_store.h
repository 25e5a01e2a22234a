// The study record's storage: the log of every answer, the practice exams
// and a few settings, kept by a backend (SQLite in the program, memory in
// the tests).
// No call throws: a write that fails returns false and lastFailure() says
// why in a few words; the caller then turns the record off.
// A backend may keep a write that another program's lock holds back, to
// commit it later in order: such a write counts as done, and every read
// counts it as if committed.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pentrill {

enum class AnswerMode { Drill, Session, Exam };

// One answer as the user gave it.
struct RecordedAnswer {
  std::int64_t time = 0;       // seconds since the Unix epoch, UTC
  std::string pool;            // "2020-2024" or "2024-2028"
  std::string question;        // "E5C10"
  char answer = 'A';           // the pool's letter, not the shuffled one
  bool correct = false;
  int rating = 1;              // 1 (Again) or 3 (Good)
  AnswerMode mode = AnswerMode::Drill;
  std::optional<std::int64_t> exam;  // the exam it belongs to, mode Exam only
};

// A practice exam; `right` is empty until the exam's confirmed end.
struct RecordedExam {
  std::int64_t id = 0;
  std::string pool;
  std::int64_t started = 0;
  std::optional<std::int64_t> finished;
  std::optional<int> right;  // right answers (of the pool's groups, one question each)
  // Its questions in order, each with its answers as shown:
  // "E5C10:2031 E1A01:0123" (the pool's answer at each shown place, A
  // first); empty for an exam recorded before the record kept them.
  std::string questions;
};

// The remembered state of one question, as the study model computes it
// from the question's answers in time order (the backend may cache it).
struct RecordedMemory {
  std::string question;
  double stability = 0;
  double difficulty = 0;
  std::int64_t lastAnswer = 0;
  int lastRating = 1;  // of the last answer: 1 (Again) or 3 (Good)
};

class RecordStore {
 public:
  virtual ~RecordStore() = default;

  // A drill or study-session answer, committed before returning.
  [[nodiscard]] virtual bool appendAnswer(const RecordedAnswer& answer) = 0;
  // A new practice exam; its id, or nothing on failure.
  [[nodiscard]] virtual std::optional<std::int64_t> startExam(std::string_view pool, std::int64_t time,
                                                               std::string_view questions) = 0;
  // An exam answer (answer.exam set), committed; it replaces an earlier
  // answer of the same exam to the same question.
  [[nodiscard]] virtual bool recordExamAnswer(const RecordedAnswer& answer) = 0;
  // The exam's confirmed end with its right answers, committed.
  [[nodiscard]] virtual bool finishExam(std::int64_t exam, std::int64_t time, int right) = 0;

  // Calls `visit` with every answer of one pool edition in time order (equal
  // times: as recorded), one at a time, so that a long log is never held
  // whole; false when the log could not be read. An exam holds one answer
  // per question: a changed answer replaced the earlier one.
  [[nodiscard]] virtual bool visitLog(std::string_view pool,
                                      const std::function<void(const RecordedAnswer&)>& visit) = 0;
  // The same answers in one list.
  [[nodiscard]] std::optional<std::vector<RecordedAnswer>> readLog(std::string_view pool) {
    std::vector<RecordedAnswer> log;
    if (!visitLog(pool, [&log](const RecordedAnswer& answer) { log.push_back(answer); })) return std::nullopt;
    return log;
  }
  // Calls `visit` with the memory state of every answered question of one
  // pool edition, one at a time: the same as replaying readLog(pool),
  // possibly from a cache. False when it could not be read.
  [[nodiscard]] virtual bool visitMemory(std::string_view pool,
                                         const std::function<void(const RecordedMemory&)>& visit) = 0;
  // The same states in one list.
  [[nodiscard]] std::optional<std::vector<RecordedMemory>> readMemory(std::string_view pool) {
    std::vector<RecordedMemory> memory;
    if (!visitMemory(pool, [&memory](const RecordedMemory& entry) { memory.push_back(entry); })) return std::nullopt;
    return memory;
  }
  // The last `count` exams of one pool edition, newest first.
  [[nodiscard]] virtual std::optional<std::vector<RecordedExam>> readLastExams(std::string_view pool,
                                                                               int count) = 0;
  // Every answer of every pool in time order, for the export.
  [[nodiscard]] virtual std::optional<std::vector<RecordedAnswer>> readAllAnswers() = 0;

  // A setting kept with the record ("pool": the pool chosen last), or
  // nothing when it was never written or cannot be read.
  [[nodiscard]] virtual std::optional<std::string> readSetting(std::string_view name) = 0;
  // Writes a setting, replacing its earlier value; committed.
  [[nodiscard]] virtual bool writeSetting(std::string_view name, std::string_view value) = 0;

  // The verdict of the record's soundness check, made once per run: with
  // `checkNow` it is made now if it was not yet (a large record takes tens of
  // ms), else nothing until it was. False for a damaged record (lastFailure()
  // then says so). A store with no such check is sound.
  [[nodiscard]] virtual std::optional<bool> soundness(bool checkNow) {
    (void)checkNow;
    return true;
  }

  // Why the last call failed ("disk full", "locked by another program", ...).
  virtual const std::string& lastFailure() const = 0;
};

}  // namespace pentrill
