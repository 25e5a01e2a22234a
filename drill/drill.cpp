#include "drill/drill.h"

#include <algorithm>

#include "screen/run_clock.h"
#include "screen/text.h"
#include "session/shuffle.h"

namespace pentrill {

// Every drill is seeded anew from the clock and the time spent at the menu;
// the answer shuffling draws from the same generator.
Drill::Drill(Session& session, std::vector<const Question*> questions, std::string title, AnswerMode mode)
    : session_(&session), title_(std::move(title)), mode_(mode) {
  items_.reserve(questions.size());
  for (const Question* question : questions) items_.push_back({asPublished(*question)});
  const TimePoint now = session.clock.now();
  started_ = clockReading(now).value_or(0);
  session.random.seedRandom(static_cast<double>(started_) + secondsSinceMidnight(now) + session.menuSeconds);
}

bool Drill::startAt(std::string_view typed) {
  const long long start = roundedNumberValue(trimBlanks(typed.substr(0, typed.find(','))));
  if (start < 1 || start > size()) return false;
  for (long long i = 0; i + 1 < start; ++i) items_[static_cast<std::size_t>(i)].done = true;
  current_ = static_cast<int>(start) - 2;
  shownNumber_ = static_cast<int>(start);
  return true;
}

bool Drill::complete() const {
  return std::all_of(items_.begin(), items_.end(), [](const DrillItem& item) { return item.done; });
}

int Drill::doneCount() const {
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const DrillItem& item) { return item.done; }));
}

void Drill::pickRandom() {
  do {
    current_ = session_->random.drawRandom(1, size()) - 1;
  } while (items_[static_cast<std::size_t>(current_)].done);
  ++shownNumber_;
}

// After the last question the sequence starts again at the first one not
// done, so a question answered wrongly comes back and the sequence never
// steps past the end.
void Drill::pickInSequence() {
  auto notDone = [](const DrillItem& item) { return !item.done; };
  auto next = std::find_if(items_.begin() + (current_ + 1), items_.end(), notDone);
  if (next == items_.end()) next = std::find_if(items_.begin(), items_.end(), notDone);
  current_ = static_cast<int>(next - items_.begin());
  shownNumber_ = current_ + 1;
}

void Drill::nextQuestion() {
  if (order_ == DrillOrder::Sequence) {
    pickInSequence();
  } else {
    pickRandom();
  }
  answerRevealed_ = false;
  shuffleAnswers(session_->random, items_[static_cast<std::size_t>(current_)].asked);
}

Drill::Answered Drill::answer(char shownLetter) {
  DrillItem& item = items_[static_cast<std::size_t>(current_)];
  const bool right = shownLetter == item.asked.correct;
  recordAnswer(session_->record, session_->edition(), item.asked, shownLetter,
               study::rateAnswer(right, session_->peekOn, answerRevealed_), mode_, session_->utcNow());
  if (right) item.done = true;
  return {right, item.asked.correct};
}

Drill subelementDrill(Session& session, int subelement) {
  const PoolEdition& edition = session.edition();
  std::vector<const Question*> questions;
  std::string_view title;
  if (subelement >= 0 && subelement < kSubelementCount) {
    for (const Question& question : edition.subelements[static_cast<std::size_t>(subelement)].questions)
      questions.push_back(&question);
    title = edition.subelementTitles[static_cast<std::size_t>(subelement)];
  }
  const int count = static_cast<int>(questions.size());
  Drill drill(session, std::move(questions), countedTitle(title, count), AnswerMode::Drill);
  drill.setOffersAnother(true);
  return drill;
}

Drill drillOfQuestions(Session& session, const std::vector<std::string>& ids,
                       std::string (*title)(int questions), AnswerMode mode) {
  std::vector<const Question*> questions;
  for (const std::string& id : ids)
    if (const Question* question = findQuestion(session.edition(), id)) questions.push_back(question);
  const int count = static_cast<int>(questions.size());
  return Drill(session, std::move(questions), title(count), mode);
}

std::string countedTitle(std::string_view title, int questions) {
  return std::string(title) + " [" + plainNumberText(questions) + " Questions]";
}

}  // namespace pentrill
