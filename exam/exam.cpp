#include "exam/exam.h"

#include "screen/text.h"
#include "exam/missed.h"
#include "session/study_log.h"

namespace pentrill {

float runningScore(const ExamCounts& counts) {
  const float answered = counts.correct + counts.incorrect;
  if (answered == 0) return 0;
  return roundToHundredths(100.0f * counts.correct / answered);
}

float finalScore(const ExamCounts& counts) {
  const float questions = counts.correct + counts.incorrect + counts.skipped;
  if (questions == 0) return 0;
  return roundToHundredths(100.0f * counts.correct / questions);
}

bool passes(float score) { return score > kPassPercent; }

Exam::Exam(Session& session, std::vector<AskedQuestion> questions)
    : session_(&session), started_(session.utcNow()) {
  items_.reserve(questions.size());
  for (const AskedQuestion& asked : questions) items_.push_back({asked, std::nullopt});
}

// The exam enters the record with its first answer: an exam ended before
// any answer leaves nothing behind.
Exam::Move Exam::answer(char letter) {
  ExamItem& item = items_[static_cast<std::size_t>(current_)];
  item.answer = letter;
  if (!recorded_)
    recorded_ = recordExamStart(session_->record, session_->edition(), started_, examQuestionsText(items_));
  recordExamAnswer(session_->record, recorded_, session_->edition(), item.asked, letter, session_->utcNow());
  if (current_ + 1 < size()) {
    ++current_;
    return {};
  }
  return {false, true};
}

Exam::Move Exam::next() {
  if (current_ + 1 < size()) {
    ++current_;
    return {};
  }
  return {true, true};
}

Exam::Move Exam::previous() {
  if (current_ > 0) {
    --current_;
    return {};
  }
  return {true, false};
}

bool Exam::goTo(int number) {
  if (number < 1 || number > size()) return false;
  current_ = number - 1;
  return true;
}

void Exam::finish() {
  recordExamEnd(session_->record, recorded_, session_->utcNow(), static_cast<int>(counts().correct));
}

ExamCounts Exam::counts() const {
  ExamCounts counts;
  for (const ExamItem& item : items_) {
    if (!item.answer) {
      counts.skipped += 1;
    } else if (item.right()) {
      counts.correct += 1;
    } else {
      counts.incorrect += 1;
    }
  }
  return counts;
}

}  // namespace pentrill
