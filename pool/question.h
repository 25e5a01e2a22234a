// The typed pool: questions, the groups they are drawn from for an exam and
// the subelements a drill covers. The build generates them as constant data
// from each pool's published text (tools/pool_tables).
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace pentrill {

inline constexpr int kAnswerCount = 4;
inline constexpr int kSubelementCount = 10;  // subelements 0 to 9 of every pool

// The letter of answer position 0 to 3, 'A' to 'D'.
constexpr char answerLetter(int position) { return static_cast<char>('A' + position); }
// The position 0 to 3 of letter 'A' to 'D'.
constexpr int answerPosition(char letter) { return letter - 'A'; }

// A question as the pool publishes it. The answers are held without their
// "A. " labels: a label is the answer's place on the screen, which the
// shuffle changes, so the screens write it in front of the text.
struct Question {
  std::string_view id;                 // "E5C10"
  std::optional<std::uint8_t> figure;  // index into the edition's figure table
  std::string_view text;
  std::array<std::string_view, kAnswerCount> answers;
  char correct = 'A';  // 'A' to 'D'
};

// A group ("E5C"): an exam asks one of its questions.
struct Group {
  std::string_view id;
  std::span<const Question> questions;
};

// A subelement (E0 to E9): its questions in pool order, which the drill
// walks, and the same questions by group.
struct Subelement {
  std::span<const Question> questions;
  std::span<const Group> groups;
};

// A question as it is asked: the pool's question with its answers in the
// order shown (the shuffle's work) and the letter of the correct one there.
struct AskedQuestion {
  const Question* question = nullptr;
  std::array<std::uint8_t, kAnswerCount> order{0, 1, 2, 3};  // shown position -> the pool's answer
  char correct = 'A';

  // The answer shown at position 0 to 3, without its label.
  std::string_view answer(int position) const { return question->answers[order[static_cast<size_t>(position)]]; }
};

// The question with its answers as published.
constexpr AskedQuestion asPublished(const Question& question) {
  return AskedQuestion{&question, {0, 1, 2, 3}, question.correct};
}

}  // namespace pentrill
