// The study record read through the model: what the user remembers of each
// question of one pool edition, the chance of passing, what to study next,
// progress per subelement, the chance day by day and the recent exams.
// The pool comes in as plain data: its groups, each the identifiers of its
// questions in pool order (withdrawn questions are in no group).
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/record_store.h"
#include "study/study_model.h"

namespace pentrill::study {

inline constexpr std::size_t kSessionQuestions = 20;
// Amateur Extra passes with 37 right of its 50 groups (General and
// Technician with 26 of 35): the pass mark of a pool that names none.
inline constexpr int kExtraPassMark = 37;
inline constexpr int kChartDays = 30;
inline constexpr int kShownExams = 10;

// One pool edition's questions and groups, in pool order, and the right
// answers that pass its exam (one question drawn from each group).
class StudyPool {
 public:
  explicit StudyPool(std::span<const std::vector<std::string_view>> groups, int passMark = kExtraPassMark);

  std::size_t questionCount() const { return questions_.size(); }
  std::size_t groupCount() const { return groupSizes_.size(); }
  int passMark() const { return passMark_; }
  const std::string& question(std::size_t index) const { return questions_[index]; }
  std::size_t groupOf(std::size_t index) const { return groupOf_[index]; }
  std::size_t groupSize(std::size_t group) const { return groupSizes_[group]; }
  std::optional<std::size_t> find(std::string_view question) const;

 private:
  std::vector<std::string> questions_;
  std::vector<std::size_t> groupOf_;
  std::vector<std::size_t> groupSizes_;
  int passMark_;
  std::unordered_map<std::string_view, std::size_t> index_;  // views into questions_
};

// The answers that count, in time order (equal times keep their order): of
// an exam's answers to one question only the last.
std::vector<RecordedAnswer> countedAnswers(std::span<const RecordedAnswer> log);

// The state of every answered question after replaying the log.
std::vector<RecordedMemory> replayMemory(std::span<const RecordedAnswer> log);

struct SubelementProgress {
  char subelement = '0';  // the digit after "E"
  int questions = 0;
  int seen = 0;
  int known = 0;  // isKnown now
  int due = 0;
};

struct Progress {
  std::vector<SubelementProgress> subelements;  // in pool order
  int questions = 0;
  int seen = 0;
  int known = 0;
  int due = 0;
};

// The memory of one pool edition's questions and what follows from it now.
// It refers to its pool, which must outlive it; answers to questions in no
// group of the pool are left out.
class StudyRecord {
 public:
  StudyRecord(const StudyPool& pool, std::span<const RecordedMemory> memory);
  static StudyRecord fromLog(const StudyPool& pool, std::span<const RecordedAnswer> log);
  // From the memory of every question of the pool, in pool order.
  static StudyRecord fromPoolOrder(const StudyPool& pool, std::vector<QuestionMemory> memory);

  // Takes one question's state as the record keeps it (questions in no
  // group of the pool are left out).
  void remember(const RecordedMemory& entry);
  // Keeps the memory in step with an answer just recorded (in time order).
  void addAnswer(std::string_view question, Rating rating, std::int64_t time);

  const QuestionMemory& memory(std::size_t question) const { return memory_[question]; }
  std::vector<double> groupChances(std::int64_t now) const;
  double chanceOfPassing(std::int64_t now) const;
  std::vector<double> gains(std::int64_t now) const;  // per question, pool order
  // The questions of largest gain (ties: missed, then never answered, then
  // the rest, each in pool order); empty: nothing to study.
  std::vector<std::string> studySession(std::int64_t now, std::size_t count = kSessionQuestions) const;
  Progress progress(std::int64_t now) const;

 private:
  const StudyPool* pool_;
  std::vector<QuestionMemory> memory_;  // pool order
};

// The chance of passing at the end of each of the last `days` local calendar
// days, drawn up while the counted answers of one pool edition pass by in
// time order: only each question's memory is kept, however long the log.
// Local days start at midnight of UTC + utcOffsetSeconds.
class DailyChances {
 public:
  DailyChances(const StudyPool& pool, std::int64_t now, int utcOffsetSeconds, int days = kChartDays);

  void add(const RecordedAnswer& answer);  // the next answer, in time order
  // The chances, oldest first; the last is today, at `now`, after every
  // answer (also those a clock set back put after now).
  std::vector<double> finish();
  // The memory after every answer added, in pool order.
  const std::vector<QuestionMemory>& memory() const { return memory_; }

 private:
  std::int64_t dayEnd(std::int64_t day) const;
  void closeDay();

  const StudyPool* pool_;
  std::int64_t now_;
  int utcOffsetSeconds_;
  std::int64_t today_;
  std::int64_t day_;  // the first day whose chance is still to come
  std::vector<QuestionMemory> memory_;
  std::vector<double> chances_;
};

// The same over a whole log (answers that do not count are left out).
std::vector<double> dailyChances(const StudyPool& pool, std::span<const RecordedAnswer> log, std::int64_t now,
                                 int utcOffsetSeconds, int days = kChartDays);

// One practice exam as the progress report shows it.
struct ExamLine {
  std::int64_t started = 0;
  std::optional<int> right;  // empty: left unfinished
  int questions = 0;         // one per group of the pool
  int score = 0;             // per cent, rounded down
  bool passed = false;
};

// The pool's exams, scored by its size and pass mark: an exam of a pool
// always has one question per group of that pool, so the record need not
// keep its size.
std::vector<ExamLine> examLines(std::span<const RecordedExam> exams, const StudyPool& pool);

}  // namespace pentrill::study
