// The one table layout in which questions are held: the drill pool, the exam
// composer's pool and the practice exam.
#pragma once
#include <array>
#include <string>
#include <vector>

namespace pentrill {

// Field numbers of a question, 1 to 7.
enum Field : int { kId = 1, kText = 2, kAnswerA = 3, kAnswerB = 4, kAnswerC = 5, kAnswerD = 6, kCorrect = 7 };
inline constexpr int kFieldCount = 7;

// One question: seven 8-bit (Windows-1252) text fields addressed 1 to 7.
class Question {
 public:
  std::string& field(int f) { return fields_.at(static_cast<size_t>(f - 1)); }
  const std::string& field(int f) const { return fields_.at(static_cast<size_t>(f - 1)); }
  // The bare five-character identifier (field 1 without any figure tag).
  std::string bareId() const { return field(kId).substr(0, 5); }

 private:
  std::array<std::string, kFieldCount> fields_;
};

// Rows 0 to lastRow of seven text fields. Row 0 is the header: cell (0, 1)
// holds the question count as number text, cell (0, 2) the row that the
// answer shuffle is to work on.
class QuestionTable {
 public:
  explicit QuestionTable(int lastRow) : rows_(static_cast<size_t>(lastRow) + 1) {}

  int lastRow() const { return static_cast<int>(rows_.size()) - 1; }
  Question& row(int r) { return rows_.at(static_cast<size_t>(r)); }
  const Question& row(int r) const { return rows_.at(static_cast<size_t>(r)); }
  std::string& cell(int r, int f) { return row(r).field(f); }
  const std::string& cell(int r, int f) const { return row(r).field(f); }

  // Question count, read back from its text in cell (0, 1).
  int count() const;
  void setCount(int n);
  // The row handed to the answer shuffle, through cell (0, 2).
  int workRow() const;
  void setWorkRow(int r);

  // Every cell becomes the empty text.
  void clear();

 private:
  std::vector<Question> rows_;
};

inline constexpr int kPoolLastRow = 150;  // at most 149 questions and the end marker
inline constexpr int kExamLastRow = 50;

struct SubelementPool : QuestionTable {
  SubelementPool() : QuestionTable(kPoolLastRow) {}
};

struct PracticeExam : QuestionTable {
  PracticeExam() : QuestionTable(kExamLastRow) {}
};

}  // namespace pentrill
