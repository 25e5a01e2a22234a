// Plain mode through pipes, as a screen reader's user or a script meets it:
// the real binary, its lines read as they come and answered line by line,
// the right answers looked up in the published pool text. What it records
// is read back with --export-record; no byte of its output is an escape.
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../bitmap_maker.h"
#include "pty_terminal.h"

namespace pentrill::e2e {
namespace {

constexpr const char* kBinary = PENTRILL_BINARY;

// A question of the published pool: its text and its right answer's text.
struct PoolQuestion {
  std::string id;
  std::string text;
  std::string right;
};

// Every question of a pool text file (UTF-8, as the program shows it).
std::vector<PoolQuestion> poolQuestions(const std::string& file) {
  std::ifstream in(std::string(PENTRILL_SOURCE_DIR) + "/pool/data/" + file);
  std::vector<PoolQuestion> questions;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 9 || line[5] != ' ' || line[6] != '(') continue;
    PoolQuestion question{line.substr(0, 5), "", ""};
    const char correct = line[7];
    std::getline(in, question.text);
    for (char letter = 'A'; letter <= 'D'; ++letter) {
      std::getline(in, line);
      if (letter == correct) question.right = line.substr(3);
    }
    questions.push_back(question);
  }
  return questions;
}

class PlainEndToEnd : public ::testing::Test {
 protected:
  std::vector<std::string> exported() const {
    const DetachedRun run = runDetached(kBinary, DetachedInput::DevNull, {"--record", record, "--export-record"});
    std::vector<std::string> result;
    std::istringstream in(run.standardOutput);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }

  // The terminal shows the pool's non-breaking hyphen as a plain one.
  static std::string asShown(std::string text) {
    for (size_t at; (at = text.find("\u2011")) != std::string::npos;) text.replace(at, 3, "-");
    return text;
  }
  // The letter under which a question written as lines shows its right answer.
  static char rightLetter(const std::vector<std::string>& lines, const std::string& right) {
    for (const std::string& line : lines)
      if (line.size() > 3 && line[1] == '.' && line.substr(3) == asShown(right)) return line[0];
    ADD_FAILURE() << "no answer \"" << right << "\"";
    return '?';
  }
  static char otherThan(char letter) { return letter == 'A' ? 'B' : 'A'; }
  // The position line of a question written as lines; the question's text
  // follows it, then a figure's description where it names one.
  static size_t headerAt(const std::vector<std::string>& lines) {
    size_t header = lines.empty() ? 0 : lines.size() - 1;
    while (header > 0 && !lines[header].starts_with("Question ")) --header;
    EXPECT_LT(header + 1, lines.size());
    return header;
  }
  static std::string header(const std::vector<std::string>& lines) {
    return lines.empty() ? std::string() : lines[headerAt(lines)];
  }
  static std::string textOf(const std::vector<std::string>& lines) {
    const size_t at = headerAt(lines);
    return at + 1 < lines.size() ? lines[at + 1] : std::string();
  }

  TemporaryFolder folder;
  std::string record = folder.path + "/record.sqlite3";
  std::vector<PoolQuestion> pool = poolQuestions("element4-2020-2024.txt");
  const PoolQuestion& byId(const std::string& id) const {
    for (const PoolQuestion& question : pool)
      if (question.id == id) return question;
    return pool.front();
  }
  const PoolQuestion& byText(const std::string& text) const {
    for (const PoolQuestion& question : pool)
      if (asShown(question.text) == text) return question;
    ADD_FAILURE() << "no question \"" << text << "\"";
    return pool.front();
  }
};

// E0 in sequence from question 9 with TERM=dumb: one wrong answer, which
// comes back after the last question, then the end of the section.
TEST_F(PlainEndToEnd, ASequenceDrillBringsTheWrongQuestionBackAndRecordsEveryAnswer) {
  PipedProgram plain(kBinary, {"--record", record}, {"TERM=dumb"});
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.sendLine("0");
  plain.linesThrough("Do you want the questions to be presented [R]andomly or in [S]equence?");
  plain.sendLine("s");
  plain.linesThrough("Start with Question (1 to 11):");
  plain.sendLine("12");  // refused, asked again
  EXPECT_EQ(plain.nextLine(), "There is no such question here; the questions are 1 to 11.");
  plain.linesThrough("Start with Question (1 to 11):");
  plain.sendLine("9");
  std::vector<std::string> answered;  // question, right or wrong
  for (const char* expected : {"E0A09", "E0A10", "E0A11", "E0A09"}) {
    const std::vector<std::string> question = plain.linesThrough("Answer A, B, C or D");
    ASSERT_GE(question.size(), 7u);
    const std::string header = PlainEndToEnd::header(question);
    EXPECT_TRUE(header.starts_with("Question ") && header.ends_with(std::string(", ") + expected + "."))
        << header;
    const char right = rightLetter(question, byId(expected).right);
    const bool wrong = answered.empty();  // only the first, once
    plain.sendLine(std::string(" ") + static_cast<char>((wrong ? otherThan(right) : right) - 'A' + 'a'));
    EXPECT_EQ(plain.nextLine(), wrong ? "Wrong. The right answer is " + std::string(1, right) + ": " +
                                            byId(expected).right + "."
                                      : std::string("Right."));
    answered.push_back(std::string(expected) + (wrong ? ",wrong" : ",right"));
  }
  EXPECT_EQ(plain.nextLine(), "You have correctly answered all of the questions in this section.");
  EXPECT_EQ(plain.nextLine(), "Would you like to drill on another section? [Y] or [N]o?");
  plain.sendLine("n");
  EXPECT_EQ(plain.nextLine(), "Thanks for playing.  Have a real nice day.");
  EXPECT_EQ(plain.shellStatus(), 0);
  EXPECT_EQ(plain.output().find('\x1b'), std::string::npos);

  const std::vector<std::string> lines = exported();
  ASSERT_EQ(lines.size(), 5u) << plain.output();
  for (size_t i = 0; i < answered.size(); ++i) {
    const std::string id = answered[i].substr(0, 5);
    const bool right = answered[i].ends_with("right");
    EXPECT_NE(lines[i + 1].find(",2020-2024," + id + ","), std::string::npos) << lines[i + 1];
    EXPECT_TRUE(lines[i + 1].ends_with(right ? ",1,3,drill" : ",0,1,drill")) << lines[i + 1];
  }
}

// A whole exam: a wrong answer changed by going back to it by number, a
// skip, a right answer, the answer sheet, the stop and the results.
TEST_F(PlainEndToEnd, APracticeExamWithASkipAndAChangedAnswerEndsInItsResults) {
  PipedProgram plain(kBinary, {"--plain", "--record", record});
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.sendLine("p");
  EXPECT_EQ(plain.nextLine(), "Practice exam: 50 questions, one from each group of the pool; 37 right answers pass.");
  std::vector<std::string> first = plain.linesThrough("Answer A, B, C or D");
  EXPECT_EQ(header(first), "Question 1 of 50.");
  const PoolQuestion& one = byText(textOf(first));
  const char oneRight = rightLetter(first, one.right);
  plain.sendLine(std::string(1, otherThan(oneRight)));  // wrong, on to question 2
  std::vector<std::string> second = plain.linesThrough("Answer A, B, C or D");
  EXPECT_EQ(header(second), "Question 2 of 50.");
  plain.sendLine("N");  // skipped
  std::vector<std::string> third = plain.linesThrough("Answer A, B, C or D");
  EXPECT_EQ(header(third), "Question 3 of 50.");
  plain.sendLine(std::string(1, rightLetter(third, byText(textOf(third)).right)));
  plain.linesThrough("Answer A, B, C or D");
  plain.sendLine("51");  // no such question: the commands are named, nothing moves
  EXPECT_EQ(plain.nextLine(), "Type A, B, C or D to answer, or N next, P previous, R answer sheet, F figure, S stop, "
                              "or a number from 1 to 50.");
  plain.sendLine("1");  // back to question 1 by its number
  std::vector<std::string> again = plain.linesThrough("Answer A, B, C or D");
  EXPECT_EQ(header(again), "Question 1 of 50. Your answer: " + std::string(1, otherThan(oneRight)) + ".");
  plain.sendLine(std::string(1, oneRight));
  plain.linesThrough("Answer A, B, C or D");
  plain.sendLine("r");
  EXPECT_EQ(plain.nextLine(), "Answer sheet:");
  EXPECT_EQ(plain.nextLine(), "1 " + std::string(1, oneRight) + ", 2 none, 3 " +
                                  std::string(1, rightLetter(third, byText(textOf(third)).right)) +
                                  ", 4 none, 5 none, 6 none, 7 none, 8 none, 9 none, 10 none.");
  plain.linesThrough("Correct answers: 2. Incorrect answers: 0. Your current score: 100%. Current test status: Pass.");
  plain.linesThrough("Answer A, B, C or D");
  plain.sendLine("s");
  EXPECT_EQ(plain.nextLine(), "Are you sure you want to end the Exam? [Y] or [N]");
  plain.sendLine("y");
  for (const char* line : {"Correct Answers: 2", "Incorrect Answers: 0", "Skipped Questions: 48", "Your Score: 4%",
                           "Your Status: Fail"})
    EXPECT_EQ(plain.nextLine(), line);
  EXPECT_EQ(plain.nextLine(),
            "Type M for the questions you missed with the right answers, D for a drill of them, or Enter to go on.");
  plain.sendLine("m");
  EXPECT_EQ(plain.nextLine(), "The questions you missed in the practice exam: 48.");
  EXPECT_EQ(plain.nextLine(), "Question 2, " + byText(textOf(second)).id + ".");
  plain.linesThrough("Type D for a drill of these questions, or Enter to go back.");
  plain.sendLine("d");
  EXPECT_EQ(plain.nextLine(), "Missed in the Practice Exam [48 Questions].");
  EXPECT_TRUE(plain.nextLine().value_or("").starts_with("Question 1 of 48, ")) << plain.output();
  plain.linesThrough("Answer A, B, C or D");
  plain.sendLine("s");
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.sendLine("q");
  EXPECT_EQ(plain.shellStatus(), 0);
  EXPECT_EQ(plain.output().find('\x1b'), std::string::npos);
  const std::vector<std::string> lines = exported();
  ASSERT_EQ(lines.size(), 3u);  // the header, questions 1 (its last answer) and 3
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_TRUE(lines[i].ends_with(",1,3,exam")) << lines[i];
}

// The end of input in the middle of an exam ends the program as Q does:
// status 0, the answers given are kept, the exam stays unfinished.
TEST_F(PlainEndToEnd, EndOfInputInAnExamKeepsItsAnswersAndEndsCleanly) {
  PipedProgram plain(kBinary, {"--plain", "--record", record});
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.sendLine("P");
  plain.linesThrough("Answer A, B, C or D");
  plain.sendLine("a");
  plain.linesThrough("Answer A, B, C or D");
  plain.sendLine("b");
  plain.linesThrough("Answer A, B, C or D");
  plain.closeInput();
  EXPECT_EQ(plain.nextLine(), "Thanks for playing.  Have a real nice day.");
  EXPECT_EQ(plain.shellStatus(), 0);
  EXPECT_EQ(exported().size(), 3u);
  const DetachedRun stats = runDetached(kBinary, DetachedInput::DevNull, {"--record", record, "--stats"});
  EXPECT_NE(stats.standardOutput.find("left unfinished"), std::string::npos) << stats.standardOutput;
}

// A question that names a figure is followed by the figure's description,
// and F says it again.
TEST_F(PlainEndToEnd, AQuestionNamingAFigureIsFollowedByItsDescription) {
  PipedProgram plain(kBinary, {"--plain", "--no-record", "--pool", "technician"});
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.sendLine("6");
  plain.linesThrough("Do you want the questions");
  plain.sendLine("s");
  plain.linesThrough("Start with Question");
  plain.sendLine("25");
  EXPECT_EQ(plain.nextLine(), "Question 25 of 46, T6C02.");
  EXPECT_EQ(plain.nextLine(), "What is component 1 in figure T-1?");
  const std::optional<std::string> first = plain.nextLine();
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->starts_with("Figure T-1: ")) << *first;
  const std::vector<std::string> rest = plain.linesThrough("Answer A, B, C or D");
  plain.sendLine("f");
  EXPECT_EQ(plain.nextLine(), first);
  EXPECT_EQ(plain.linesThrough(rest[rest.size() - 6]).back(), rest[rest.size() - 6]);  // the description's last line
  plain.sendLine("s");
  plain.linesThrough("Type 0 to 9 for a drill");
}

// A hint naming a picture in the folder the program starts in: H says the
// hint and names its picture, and so does F on a question without a figure
// (no display here: no window opens).
TEST_F(PlainEndToEnd, AHintsPictureIsNamedOnHAndOnF) {
  std::filesystem::create_directories(folder.path + "/Figures");
  std::ofstream(folder.path + "/hints.txt") << "E0A01: [p. 9] See the phase. ~Figure phase.bmp\n";
  testing::writeFile(folder.path + "/Figures/phase.bmp", testing::makeBitmap({.width = 12, .height = 8}));
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path);
  PipedProgram plain(kBinary, {"--plain", "--no-record"});
  std::filesystem::current_path(previous);
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.sendLine("0");
  plain.linesThrough("Do you want the questions");
  plain.sendLine("s");
  plain.linesThrough("Start with Question");
  plain.sendLine("1");
  plain.linesThrough("Answer A, B, C or D");
  plain.sendLine("h");
  EXPECT_TRUE(plain.nextLine().value_or("").starts_with("The right answer is "));
  EXPECT_EQ(plain.nextLine(), "Hint: [p. 9] See the phase.");
  EXPECT_EQ(plain.nextLine(), "The hint's picture: Figure phase.");
  plain.sendLine("f");
  EXPECT_EQ(plain.nextLine(), "The hint's picture: Figure phase.");
}

// A Technician exam: 35 questions, one from each of its 35 groups; 26
// right answers pass (the score of 25 and its verdict are the unit tests').
TEST_F(PlainEndToEnd, ATechnicianExamHasOneQuestionOfEachGroupAndPassesWith26Of35) {
  pool = poolQuestions("element2-2026-2030.txt");
  PipedProgram plain(kBinary, {"--plain", "--no-record", "--pool", "technician"});
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.sendLine("p");
  EXPECT_EQ(plain.nextLine(), "Practice exam: 35 questions, one from each group of the pool; 26 right answers pass.");
  std::set<std::string> groups;
  for (int number = 1; number <= 35; ++number) {
    const std::vector<std::string> question = plain.linesThrough("Answer A, B, C or D");
    EXPECT_TRUE(header(question).starts_with("Question " + std::to_string(number) + " of 35.")) << header(question);
    const PoolQuestion& asked = byText(textOf(question));
    groups.insert(asked.id.substr(0, 3));
    const char letter = rightLetter(question, asked.right);
    plain.sendLine(std::string(1, number <= 26 ? letter : otherThan(letter)));
  }
  EXPECT_EQ(groups.size(), 35u);
  plain.linesThrough("This was the last question");
  plain.linesThrough("Answer A, B, C or D");
  plain.sendLine("s");
  plain.linesThrough("Are you sure you want to end the Exam?");
  plain.sendLine("y");
  for (const char* line : {"Correct Answers: 26", "Incorrect Answers: 9", "Skipped Questions: 0", "Your Score: 74.29%",
                           "Your Status: Pass"})
    EXPECT_EQ(plain.nextLine(), line);
  EXPECT_EQ(plain.shellStatus(), 0);
}

}  // namespace
}  // namespace pentrill::e2e
