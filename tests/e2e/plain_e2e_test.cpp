// Plain mode through pipes, as a screen reader's user or a script meets it:
// the real binary, its lines read as they come and answered line by line,
// the right answers looked up in the published pool text. What it records
// is read back with --export-record; no byte of its output is an escape.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "pty_terminal.h"

namespace pentrill::e2e {
namespace {

namespace fs = std::filesystem;
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

// The program in plain mode on pipes, spoken to a line at a time.
class PlainConversation {
 public:
  PlainConversation(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> commandLine{kBinary};
    commandLine.insert(commandLine.end(), arguments.begin(), arguments.end());
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry)
      if (!std::string_view(*entry).starts_with("TERM=") && !std::string_view(*entry).starts_with("LANG=") &&
          !std::string_view(*entry).starts_with("LC_") && !std::string_view(*entry).starts_with("DISPLAY="))
        variables.emplace_back(*entry);
    variables.emplace_back("LANG=C.UTF-8");
    variables.insert(variables.end(), environment.begin(), environment.end());
    std::vector<char*> argv, envp;
    for (std::string& text : commandLine) argv.push_back(text.data());
    argv.push_back(nullptr);
    for (std::string& text : variables) envp.push_back(text.data());
    envp.push_back(nullptr);
    if (::posix_spawn(&pid_, kBinary, &actions, nullptr, argv.data(), envp.data()) != 0) std::abort();
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
  }
  ~PlainConversation() {
    closeInput();
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(output_);
  }

  // The next line the program writes; empty when none comes in time.
  std::optional<std::string> nextLine() {
    const auto deadline = std::chrono::steady_clock::now() + kDefaultTimeout;
    for (;;) {
      const size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd watched{output_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
      char buffer[4096];
      const ssize_t count = ::read(output_, buffer, sizeof buffer);
      if (count <= 0) return std::nullopt;
      pending_.append(buffer, static_cast<size_t>(count));
      everything_.append(buffer, static_cast<size_t>(count));
    }
  }
  // The lines up to and including the first that begins with `prefix`.
  std::vector<std::string> linesThrough(std::string_view prefix) {
    std::vector<std::string> lines;
    while (std::optional<std::string> line = nextLine()) {
      lines.push_back(*line);
      if (line->starts_with(prefix)) return lines;
    }
    ADD_FAILURE() << "no line beginning \"" << prefix << "\"; the output was:\n" << everything_;
    return lines;
  }
  void send(const std::string& line) {
    const std::string bytes = line + "\n";
    EXPECT_EQ(::write(input_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  void closeInput() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
  }
  int exitCode() {
    closeInput();
    while (nextLine()) {
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    ended_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  const std::string& everything() const { return everything_; }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  bool ended_ = false;
  std::string pending_;
  std::string everything_;
};

class PlainEndToEnd : public ::testing::Test {
 protected:
  PlainEndToEnd() {
    std::string pattern = (fs::temp_directory_path() / "pentrill-plain-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) folder = pattern;
    record = (folder / "record.sqlite3").string();
  }
  ~PlainEndToEnd() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

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

  fs::path folder;
  std::string record;
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
  PlainConversation plain({"--record", record}, {"TERM=dumb"});
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.send("0");
  plain.linesThrough("Do you want the questions to be presented [R]andomly or in [S]equence?");
  plain.send("s");
  plain.linesThrough("Start with Question (1 to 11):");
  plain.send("12");  // refused, asked again
  EXPECT_EQ(plain.nextLine(), "There is no such question here; the questions are 1 to 11.");
  plain.linesThrough("Start with Question (1 to 11):");
  plain.send("9");
  std::vector<std::string> answered;  // question, right or wrong
  for (const char* expected : {"E0A09", "E0A10", "E0A11", "E0A09"}) {
    const std::vector<std::string> question = plain.linesThrough("Answer A, B, C or D");
    ASSERT_GE(question.size(), 7u);
    const std::string header = PlainEndToEnd::header(question);
    EXPECT_TRUE(header.starts_with("Question ") && header.ends_with(std::string(", ") + expected + "."))
        << header;
    const char right = rightLetter(question, byId(expected).right);
    const bool wrong = answered.empty();  // only the first, once
    plain.send(std::string(" ") + static_cast<char>((wrong ? otherThan(right) : right) - 'A' + 'a'));
    EXPECT_EQ(plain.nextLine(), wrong ? "Wrong. The right answer is " + std::string(1, right) + ": " +
                                            byId(expected).right + "."
                                      : std::string("Right."));
    answered.push_back(std::string(expected) + (wrong ? ",wrong" : ",right"));
  }
  EXPECT_EQ(plain.nextLine(), "You have correctly answered all of the questions in this section.");
  EXPECT_EQ(plain.nextLine(), "Would you like to drill on another section? [Y] or [N]o?");
  plain.send("n");
  EXPECT_EQ(plain.nextLine(), "Thanks for playing.  Have a real nice day.");
  EXPECT_EQ(plain.exitCode(), 0);
  EXPECT_EQ(plain.everything().find('\x1b'), std::string::npos);

  const std::vector<std::string> lines = exported();
  ASSERT_EQ(lines.size(), 5u) << plain.everything();
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
  PlainConversation plain({"--plain", "--record", record}, {});
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.send("p");
  EXPECT_EQ(plain.nextLine(), "Practice exam: 50 questions, one from each group of the pool; 37 right answers pass.");
  std::vector<std::string> first = plain.linesThrough("Answer A, B, C or D");
  EXPECT_EQ(header(first), "Question 1 of 50.");
  const PoolQuestion& one = byText(textOf(first));
  const char oneRight = rightLetter(first, one.right);
  plain.send(std::string(1, otherThan(oneRight)));  // wrong, on to question 2
  std::vector<std::string> second = plain.linesThrough("Answer A, B, C or D");
  EXPECT_EQ(header(second), "Question 2 of 50.");
  plain.send("N");  // skipped
  std::vector<std::string> third = plain.linesThrough("Answer A, B, C or D");
  EXPECT_EQ(header(third), "Question 3 of 50.");
  plain.send(std::string(1, rightLetter(third, byText(textOf(third)).right)));
  plain.linesThrough("Answer A, B, C or D");
  plain.send("1");  // back to question 1 by its number
  std::vector<std::string> again = plain.linesThrough("Answer A, B, C or D");
  EXPECT_EQ(header(again), "Question 1 of 50. Your answer: " + std::string(1, otherThan(oneRight)) + ".");
  plain.send(std::string(1, oneRight));
  plain.linesThrough("Answer A, B, C or D");
  plain.send("r");
  EXPECT_EQ(plain.nextLine(), "Answer sheet:");
  EXPECT_EQ(plain.nextLine(), "1 " + std::string(1, oneRight) + ", 2 none, 3 " +
                                  std::string(1, rightLetter(third, byText(textOf(third)).right)) +
                                  ", 4 none, 5 none, 6 none, 7 none, 8 none, 9 none, 10 none.");
  plain.linesThrough("Correct answers: 2. Incorrect answers: 0. Your current score: 100%. Current test status: Pass.");
  plain.linesThrough("Answer A, B, C or D");
  plain.send("s");
  EXPECT_EQ(plain.nextLine(), "Are you sure you want to end the Exam? [Y] or [N]");
  plain.send("y");
  for (const char* line : {"Correct Answers: 2", "Incorrect Answers: 0", "Skipped Questions: 48", "Your Score: 4%",
                           "Your Status: Fail"})
    EXPECT_EQ(plain.nextLine(), line);
  EXPECT_EQ(plain.nextLine(),
            "Type M for the questions you missed with the right answers, D for a drill of them, or Enter to go on.");
  plain.send("m");
  EXPECT_EQ(plain.nextLine(), "The questions you missed in the practice exam: 48.");
  EXPECT_EQ(plain.nextLine(), "Question 2, " + byText(textOf(second)).id + ".");
  plain.linesThrough("Type D for a drill of these questions, or Enter to go back.");
  plain.send("");
  plain.linesThrough("Type M for the questions you missed");
  plain.send("");
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.send("q");
  EXPECT_EQ(plain.exitCode(), 0);
  EXPECT_EQ(plain.everything().find('\x1b'), std::string::npos);
  const std::vector<std::string> lines = exported();
  ASSERT_EQ(lines.size(), 3u);  // the header, questions 1 (its last answer) and 3
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_TRUE(lines[i].ends_with(",1,3,exam")) << lines[i];
}

// The end of input in the middle of an exam ends the program as Q does:
// status 0, the answers given are kept, the exam stays unfinished.
TEST_F(PlainEndToEnd, EndOfInputInAnExamKeepsItsAnswersAndEndsCleanly) {
  PlainConversation plain({"--plain", "--record", record}, {});
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.send("P");
  plain.linesThrough("Answer A, B, C or D");
  plain.send("a");
  plain.linesThrough("Answer A, B, C or D");
  plain.send("b");
  plain.linesThrough("Answer A, B, C or D");
  plain.closeInput();
  EXPECT_EQ(plain.nextLine(), "Thanks for playing.  Have a real nice day.");
  EXPECT_EQ(plain.exitCode(), 0);
  EXPECT_EQ(exported().size(), 3u);
  const DetachedRun stats = runDetached(kBinary, DetachedInput::DevNull, {"--record", record, "--stats"});
  EXPECT_NE(stats.standardOutput.find("left unfinished"), std::string::npos) << stats.standardOutput;
}

// A question that names a figure is followed by the figure's description,
// and F says it again.
TEST_F(PlainEndToEnd, AQuestionNamingAFigureIsFollowedByItsDescription) {
  PlainConversation plain({"--plain", "--no-record", "--pool", "technician"}, {});
  plain.linesThrough("Type 0 to 9 for a drill");
  plain.send("6");
  plain.linesThrough("Do you want the questions");
  plain.send("s");
  plain.linesThrough("Start with Question");
  plain.send("25");
  EXPECT_EQ(plain.nextLine(), "Question 25 of 46, T6C02.");
  EXPECT_EQ(plain.nextLine(), "What is component 1 in figure T-1?");
  const std::optional<std::string> first = plain.nextLine();
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->starts_with("Figure T-1: ")) << *first;
  const std::vector<std::string> rest = plain.linesThrough("Answer A, B, C or D");
  plain.send("f");
  EXPECT_EQ(plain.nextLine(), first);
  EXPECT_EQ(plain.linesThrough(rest[rest.size() - 6]).back(), rest[rest.size() - 6]);  // the description's last line
  plain.send("s");
  plain.linesThrough("Type 0 to 9 for a drill");
}

// A Technician exam: 35 questions, one from each of its 35 groups; 26
// right answers pass and 25 fail, by the same rule as 37 and 36 of 50.
TEST_F(PlainEndToEnd, ATechnicianExamHasOneQuestionOfEachGroupAndPassesWith26Of35) {
  pool = poolQuestions("element2-2026-2030.txt");
  for (const int right : {26, 25}) {
    SCOPED_TRACE(std::to_string(right) + " right");
    PlainConversation plain({"--plain", "--no-record", "--pool", "technician"}, {});
    plain.linesThrough("Type 0 to 9 for a drill");
    plain.send("p");
    EXPECT_EQ(plain.nextLine(), "Practice exam: 35 questions, one from each group of the pool; 26 right answers pass.");
    std::set<std::string> groups;
    for (int number = 1; number <= 35; ++number) {
      const std::vector<std::string> question = plain.linesThrough("Answer A, B, C or D");
      EXPECT_TRUE(header(question).starts_with("Question " + std::to_string(number) + " of 35.")) << header(question);
      const PoolQuestion& asked = byText(textOf(question));
      groups.insert(asked.id.substr(0, 3));
      const char letter = rightLetter(question, asked.right);
      plain.send(std::string(1, number <= right ? letter : otherThan(letter)));
    }
    EXPECT_EQ(groups.size(), 35u);
    plain.linesThrough("This was the last question");
    plain.linesThrough("Answer A, B, C or D");
    plain.send("s");
    plain.linesThrough("Are you sure you want to end the Exam?");
    plain.send("y");
    EXPECT_EQ(plain.nextLine(), "Correct Answers: " + std::to_string(right));
    EXPECT_EQ(plain.nextLine(), "Incorrect Answers: " + std::to_string(35 - right));
    EXPECT_EQ(plain.nextLine(), "Skipped Questions: 0");
    EXPECT_EQ(plain.nextLine(), right == 26 ? "Your Score: 74.29%" : "Your Score: 71.43%");
    EXPECT_EQ(plain.nextLine(), right == 26 ? "Your Status: Pass" : "Your Status: Fail");
    plain.closeInput();
    EXPECT_EQ(plain.exitCode(), 0);
  }
}

}  // namespace
}  // namespace pentrill::e2e
