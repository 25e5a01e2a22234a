#include "study/study_record.h"

#include <algorithm>
#include <map>
#include <utility>

namespace pentrill::study {

namespace {

// The record keeps 1 (Again) or 3 (Good).
Rating ratingOf(int recorded) { return recorded >= 3 ? Rating::Good : Rating::Again; }
Rating ratingOf(const RecordedAnswer& answer) { return ratingOf(answer.rating); }

MemoryState stateOf(const RecordedMemory& entry) {
  return {entry.stability, entry.difficulty, entry.lastAnswer, ratingOf(entry.lastRating)};
}

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
  const std::int64_t quotient = value / divisor;
  return quotient * divisor > value ? quotient - 1 : quotient;
}

// The last second of a local calendar day, in UTC.
std::int64_t endOfLocalDay(std::int64_t localDay, int utcOffsetSeconds) {
  return (localDay + 1) * kSecondsPerDay - utcOffsetSeconds - 1;
}

double passingChance(const StudyPool& pool, std::span<const QuestionMemory> memory, std::int64_t now) {
  std::vector<double> groups(pool.groupCount(), 0.0);
  for (std::size_t q = 0; q < pool.questionCount(); ++q) groups[pool.groupOf(q)] += chanceRight(memory[q], now);
  for (std::size_t g = 0; g < groups.size(); ++g) groups[g] /= static_cast<double>(pool.groupSize(g));
  return chanceOfPassing(groups, pool.passMark());
}

}  // namespace

StudyPool::StudyPool(std::span<const std::vector<std::string_view>> groups, int passMark) : passMark_(passMark) {
  std::size_t count = 0;
  for (const std::vector<std::string_view>& group : groups) count += group.size();
  questions_.reserve(count);
  groupOf_.reserve(count);
  groupSizes_.reserve(groups.size());
  index_.reserve(count);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    groupSizes_.push_back(groups[g].size());
    for (std::string_view question : groups[g]) {
      questions_.emplace_back(question);
      groupOf_.push_back(g);
    }
  }
  // Built after questions_ stops growing, so the views stay valid.
  for (std::size_t i = 0; i < questions_.size(); ++i) index_.emplace(questions_[i], i);
}

std::optional<std::size_t> StudyPool::find(std::string_view question) const {
  const auto found = index_.find(question);
  if (found == index_.end()) return std::nullopt;
  return found->second;
}

std::vector<RecordedAnswer> countedAnswers(std::span<const RecordedAnswer> log) {
  std::vector<std::size_t> order(log.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return log[a].time < log[b].time; });

  // The last answer (in time order) of each exam to each question.
  std::map<std::pair<std::int64_t, std::string_view>, std::size_t> lastOfExam;
  for (std::size_t position = 0; position < order.size(); ++position) {
    const RecordedAnswer& answer = log[order[position]];
    if (answer.mode == AnswerMode::Exam && answer.exam)
      lastOfExam[{*answer.exam, answer.question}] = position;
  }
  std::vector<RecordedAnswer> counted;
  counted.reserve(log.size());
  for (std::size_t position = 0; position < order.size(); ++position) {
    const RecordedAnswer& answer = log[order[position]];
    if (answer.mode == AnswerMode::Exam && answer.exam && lastOfExam[{*answer.exam, answer.question}] != position)
      continue;
    counted.push_back(answer);
  }
  return counted;
}

std::vector<RecordedMemory> replayMemory(std::span<const RecordedAnswer> log) {
  std::vector<RecordedMemory> memory;  // in the order first answered
  std::unordered_map<std::string, std::size_t> index;
  for (const RecordedAnswer& answer : countedAnswers(log)) {
    const auto [found, isNew] = index.try_emplace(answer.question, memory.size());
    if (isNew) memory.push_back({answer.question});
    RecordedMemory& entry = memory[found->second];
    const MemoryState next =
        isNew ? firstAnswer(ratingOf(answer), answer.time) : laterAnswer(stateOf(entry), ratingOf(answer), answer.time);
    entry.stability = next.stability;
    entry.difficulty = next.difficulty;
    entry.lastAnswer = next.lastAnswer;
    entry.lastRating = static_cast<int>(next.lastRating);
  }
  return memory;
}

StudyRecord::StudyRecord(const StudyPool& pool, std::span<const RecordedMemory> memory)
    : pool_(&pool), memory_(pool.questionCount()) {
  for (const RecordedMemory& entry : memory) remember(entry);
}

void StudyRecord::remember(const RecordedMemory& entry) {
  if (const auto index = pool_->find(entry.question)) memory_[*index] = stateOf(entry);
}

StudyRecord StudyRecord::fromPoolOrder(const StudyPool& pool, std::vector<QuestionMemory> memory) {
  StudyRecord record(pool, std::span<const RecordedMemory>());
  memory.resize(pool.questionCount());
  record.memory_ = std::move(memory);
  return record;
}

StudyRecord StudyRecord::fromLog(const StudyPool& pool, std::span<const RecordedAnswer> log) {
  const std::vector<RecordedMemory> memory = replayMemory(log);
  return StudyRecord(pool, memory);
}

void StudyRecord::addAnswer(std::string_view question, Rating rating, std::int64_t time) {
  if (const auto index = pool_->find(question)) memory_[*index] = applyAnswer(memory_[*index], rating, time);
}

std::vector<double> StudyRecord::groupChances(std::int64_t now) const {
  std::vector<double> groups(pool_->groupCount(), 0.0);
  for (std::size_t q = 0; q < memory_.size(); ++q) groups[pool_->groupOf(q)] += chanceRight(memory_[q], now);
  for (std::size_t g = 0; g < groups.size(); ++g) groups[g] /= static_cast<double>(pool_->groupSize(g));
  return groups;
}

double StudyRecord::chanceOfPassing(std::int64_t now) const { return passingChance(*pool_, memory_, now); }

std::vector<double> StudyRecord::gains(std::int64_t now) const {
  const std::vector<double> deciding = decidingChances(groupChances(now), pool_->passMark());
  std::vector<double> result(memory_.size());
  for (std::size_t q = 0; q < memory_.size(); ++q) {
    const std::size_t group = pool_->groupOf(q);
    result[q] = studyGain(deciding[group], chanceRight(memory_[q], now), pool_->groupSize(group));
  }
  return result;
}

std::vector<std::string> StudyRecord::studySession(std::int64_t now, std::size_t count) const {
  std::vector<TieRank> ranks(memory_.size());
  std::transform(memory_.begin(), memory_.end(), ranks.begin(), tieRank);
  std::vector<std::string> session;
  for (std::size_t index : studyOrder(gains(now), ranks, count)) session.push_back(pool_->question(index));
  return session;
}

Progress StudyRecord::progress(std::int64_t now) const {
  Progress total;
  for (std::size_t q = 0; q < memory_.size(); ++q) {
    const std::string& id = pool_->question(q);
    const char subelement = id.size() > 1 ? id[1] : '?';
    if (total.subelements.empty() || total.subelements.back().subelement != subelement)
      total.subelements.push_back({subelement});
    SubelementProgress& part = total.subelements.back();
    const QuestionMemory& memory = memory_[q];
    part.questions += 1;
    part.seen += memory.has_value();
    part.known += isKnown(memory, now);
    part.due += isDue(memory, now);
  }
  for (const SubelementProgress& part : total.subelements) {
    total.questions += part.questions;
    total.seen += part.seen;
    total.known += part.known;
    total.due += part.due;
  }
  return total;
}

DailyChances::DailyChances(const StudyPool& pool, std::int64_t now, int utcOffsetSeconds, int days)
    : pool_(&pool),
      now_(now),
      utcOffsetSeconds_(utcOffsetSeconds),
      today_(floorDiv(now + utcOffsetSeconds, kSecondsPerDay)),
      day_(today_ - days + 1),
      memory_(pool.questionCount()) {
  chances_.reserve(static_cast<std::size_t>(std::max(days, 0)));
}

std::int64_t DailyChances::dayEnd(std::int64_t day) const {
  return std::min(now_, endOfLocalDay(day, utcOffsetSeconds_));
}

void DailyChances::closeDay() {
  chances_.push_back(passingChance(*pool_, memory_, dayEnd(day_)));
  ++day_;
}

void DailyChances::add(const RecordedAnswer& answer) {
  // Today takes every answer left, so no answer closes it.
  while (day_ < today_ && answer.time > dayEnd(day_)) closeDay();
  if (const auto index = pool_->find(answer.question))
    memory_[*index] = applyAnswer(memory_[*index], ratingOf(answer), answer.time);
}

std::vector<double> DailyChances::finish() {
  while (day_ <= today_) closeDay();
  return std::move(chances_);
}

std::vector<double> dailyChances(const StudyPool& pool, std::span<const RecordedAnswer> log, std::int64_t now,
                                 int utcOffsetSeconds, int days) {
  DailyChances chances(pool, now, utcOffsetSeconds, days);
  for (const RecordedAnswer& answer : countedAnswers(log)) chances.add(answer);
  return chances.finish();
}

std::vector<ExamLine> examLines(std::span<const RecordedExam> exams, const StudyPool& pool) {
  const int questions = static_cast<int>(pool.groupCount());
  std::vector<ExamLine> lines;
  for (const RecordedExam& exam : exams) {
    ExamLine line{exam.started, exam.right, questions};
    if (exam.right && questions > 0) {
      line.score = *exam.right * 100 / questions;
      line.passed = *exam.right >= pool.passMark();
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace pentrill::study
