#include "exam/missed.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace pentrill {

namespace {

// "E5C10:2031": the question and the pool's answer at each shown place.
std::optional<AskedQuestion> askedOf(const PoolEdition& edition, std::string_view entry) {
  const size_t colon = entry.find(':');
  if (colon == std::string_view::npos || entry.size() != colon + 1 + kAnswerCount) return std::nullopt;
  const Question* question = findQuestion(edition, entry.substr(0, colon));
  if (question == nullptr) return std::nullopt;
  AskedQuestion asked = asPublished(*question);
  for (int place = 0; place < kAnswerCount; ++place) {
    const int answer = entry[colon + 1 + static_cast<size_t>(place)] - '0';
    if (answer < 0 || answer >= kAnswerCount) return std::nullopt;
    asked.order[static_cast<size_t>(place)] = static_cast<std::uint8_t>(answer);
    if (answerLetter(answer) == question->correct) asked.correct = answerLetter(place);
  }
  return asked;
}

// The letter shown for the pool's letter.
char shownLetter(const AskedQuestion& asked, char poolLetter) {
  for (int place = 0; place < kAnswerCount; ++place)
    if (asked.order[static_cast<size_t>(place)] == answerPosition(poolLetter)) return answerLetter(place);
  return poolLetter;
}

}  // namespace

std::string examQuestionsText(std::span<const ExamItem> items) {
  std::string text;
  for (const ExamItem& item : items) {
    text += text.empty() ? "" : " ";
    text += item.asked.question->id;
    text += ':';
    for (std::uint8_t answer : item.asked.order) text += static_cast<char>('0' + answer);
  }
  return text;
}

std::vector<MissedQuestion> missedQuestions(const Exam& exam) {
  std::vector<MissedQuestion> missed;
  for (int index = 0; index < exam.size(); ++index) {
    const ExamItem& item = exam.item(index);
    if (!item.right()) missed.push_back({index + 1, item.asked, item.answer});
  }
  return missed;
}

std::optional<std::vector<MissedQuestion>> readMissedQuestions(StudyLog& log, const PoolEdition& edition,
                                                               const RecordedExam& exam) {
  if (!log.on() || exam.questions.empty()) return std::nullopt;
  std::map<std::string, char> given;  // question, the pool's letter
  if (!log.store->visitLog(edition.name, [&](const RecordedAnswer& answer) {
        if (answer.exam == exam.id) given[answer.question] = answer.answer;
      })) {
    log.turnOff(log.store->lastFailure());
    return std::nullopt;
  }
  std::vector<MissedQuestion> missed;
  // Split by hand: a string stream would bring the C++ library's locale code
  // into the program (0.7 MB).
  constexpr std::string_view kBlanks = " \t\n\r\f\v";
  std::string_view entries = exam.questions;
  int number = 0;
  for (size_t start = entries.find_first_not_of(kBlanks); start != std::string_view::npos;
       start = entries.find_first_not_of(kBlanks)) {
    entries.remove_prefix(start);
    const std::string_view entry = entries.substr(0, entries.find_first_of(kBlanks));
    entries.remove_prefix(entry.size());
    ++number;
    const std::optional<AskedQuestion> asked = askedOf(edition, entry);
    if (!asked) return std::nullopt;
    const auto found = given.find(std::string(asked->question->id));
    const std::optional<char> letter =
        found == given.end() ? std::nullopt : std::optional<char>(shownLetter(*asked, found->second));
    if (letter != asked->correct) missed.push_back({number, *asked, letter});
  }
  return missed;
}

std::vector<std::string> missedIds(const std::vector<MissedQuestion>& missed) {
  std::vector<std::string> ids;
  for (const MissedQuestion& question : missed) ids.emplace_back(question.asked.question->id);
  return ids;
}

}  // namespace pentrill
