// The study record of the real program: answers given in a pseudo-terminal
// are in --export-record, also after a kill -9; a file that is not a record
// is left as it was and the menu says the record is off; --no-record writes
// no file at all.
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "pty_terminal.h"

namespace pentrill::e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBinary = PENTRILL_BINARY;
constexpr int kColumns = 100;
constexpr const char* kMenuPrompt = "Pick the sub element you want to practice (0-9, P, ?)";
constexpr const char* kOrderPrompt = "Do you want the questions to be presented [R]andomly or in [S]equence?";
constexpr const char* kStartPrompt = "Start with Question: ";
constexpr const char* kRule = "\u2500";

// A folder of the test's own, removed at its end.
class RecordEndToEnd : public ::testing::Test {
 protected:
  RecordEndToEnd() {
    std::string pattern = (fs::temp_directory_path() / "pentrill-record-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) folder = pattern;
  }
  ~RecordEndToEnd() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  PtyOptions options(std::vector<std::string> arguments, std::vector<std::string> environment = {}) const {
    PtyOptions result;
    result.workingDirectory = folder.string();
    result.arguments = std::move(arguments);
    result.environment = std::move(environment);
    return result;
  }

  std::string defaultRecord() const { return (folder / "state" / "pentrill" / "record.sqlite3").string(); }

  fs::path folder;
};

// Question `number` of an E0 drill in sequence drawn with peek on: the
// correct letter stands after the identifier.
bool peekedQuestionDrawn(const PtyTerminal& term, int number) {
  const std::string numberText = (number < 10 ? "00" : "0") + std::to_string(number) + ". ";
  return term.textAt(4, 5, 5) == numberText && term.textAt(2, 2, 16) == "Question ID: E0A" &&
         term.textAt(25, 90, 8) == "Peek On " && term.cell(26, kColumns).text == kRule &&
         std::string_view("ABCD").find(term.cell(2, 21).text) != std::string_view::npos;
}

// From the menu into an E0 drill in sequence from question 1, peek on.
::testing::AssertionResult startPeekedDrill(PtyTerminal& term) {
  if (auto shown = term.waitForText(20, 20, kMenuPrompt); !shown) return shown;
  term.send("0");
  if (auto shown = term.waitForText(21, 15, kOrderPrompt); !shown) return shown;
  term.send("s");
  if (auto shown = term.waitForText(23, 15, kStartPrompt); !shown) return shown;
  term.send("1\r");
  if (!term.waitFor([&] { return term.textAt(4, 5, 5) == "001. "; }))
    return ::testing::AssertionFailure() << "no first question\n" << term.screenDump();
  term.send(" ");
  if (!term.waitFor([&] { return peekedQuestionDrawn(term, 1); }))
    return ::testing::AssertionFailure() << "no peek\n" << term.screenDump();
  return ::testing::AssertionSuccess();
}

void killNow(PtyTerminal& term) {
  ASSERT_EQ(::kill(term.pid(), SIGKILL), 0);
  const std::optional<ExitStatus> status = term.waitExit();
  ASSERT_TRUE(status);
  EXPECT_FALSE(status->exited);
  EXPECT_EQ(status->signal, SIGKILL);
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

std::string fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file under a folder, folders left out.
std::vector<std::string> filesUnder(const fs::path& root) {
  std::vector<std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
    if (!entry.is_directory()) files.push_back(entry.path().string());
  return files;
}

TEST_F(RecordEndToEnd, AnswersGivenAreExportedAndAKillAfterAnAnswerKeepsIt) {
  ASSERT_FALSE(folder.empty());
  {
    PtyTerminal term(kBinary, options({}));
    ASSERT_TRUE(startPeekedDrill(term));
    term.send(term.cell(2, 21).text);  // right, with peek on: an Again
    ASSERT_TRUE(term.waitFor([&] { return peekedQuestionDrawn(term, 2); })) << term.screenDump();
    const std::string wrong = term.cell(2, 21).text == "A" ? "b" : "a";
    term.send(wrong);
    ASSERT_TRUE(term.waitForText(21, 29, "Incorrect Answer, the correct answer is"));
    killNow(term);  // while the notice of the wrong answer waits for a key
  }
  const DetachedRun run =
      runDetached(kBinary, DetachedInput::DevNull, {"--record", defaultRecord(), "--export-record"});
  ASSERT_TRUE(run.status && run.status->exited && run.status->code == 0) << run.standardError;
  const std::vector<std::string> csv = lines(run.standardOutput);
  ASSERT_EQ(csv.size(), 3u) << run.standardOutput;
  EXPECT_EQ(csv[0], "time,pool,question,answer,correct,rating,mode");
  EXPECT_TRUE(csv[1].find(",2020-2024,E0A01,") == 20 && csv[1].ends_with(",1,1,drill")) << csv[1];
  EXPECT_TRUE(csv[2].find(",2020-2024,E0A02,") == 20 && csv[2].ends_with(",0,1,drill")) << csv[2];

  const DetachedRun stats = runDetached(kBinary, DetachedInput::DevNull, {"--record", defaultRecord(), "--stats"});
  ASSERT_TRUE(stats.status && stats.status->exited && stats.status->code == 0) << stats.standardError;
  EXPECT_NE(stats.standardOutput.find("Chance of passing an exam today: 0.0%\n"), std::string::npos);
  EXPECT_NE(stats.standardOutput.find("Seen: 2"), std::string::npos) << stats.standardOutput;
}

// The correct letter shown with peek on after the identifier (and the
// figure, if any) on row 2 of the drill screen; empty while there is none.
std::string peekedLetter(const PtyTerminal& term) {
  std::istringstream words(term.textAt(2, 15, 40));
  std::string word;
  words >> word;  // the identifier
  if (!(words >> word)) return {};
  if (word.starts_with("Figure:") && !(words >> word)) return {};
  return word.size() == 1 && std::string_view("ABCD").find(word) != std::string_view::npos ? word : std::string();
}

std::string threeDigits(int number) {
  const std::string digits = "00" + std::to_string(number);
  return digits.substr(digits.size() - 3);
}

TEST_F(RecordEndToEnd, AStudySessionOfTwentyQuestionsThenTheProgressScreen) {
  ASSERT_FALSE(folder.empty());
  {
    PtyTerminal term(kBinary, options({}));
    ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
    term.send("R");
    ASSERT_TRUE(term.waitFor([&] { return term.textAt(4, 5, 5) == "001. "; })) << term.screenDump();
    EXPECT_NE(term.textAt(2, 1, kColumns).find("Study Session"), std::string::npos) << term.screenDump();
    term.send(" ");  // peek on: every answer right (rated Again)
    for (int number = 1; number <= 20; ++number) {
      SCOPED_TRACE("question " + std::to_string(number));
      ASSERT_TRUE(term.waitFor([&] {
        return term.textAt(4, 5, 5) == threeDigits(number) + ". " && term.textAt(25, 90, 8) == "Peek On " &&
               term.cell(26, kColumns).text == kRule && !peekedLetter(term).empty();
      })) << term.screenDump();
      term.send(peekedLetter(term));
    }
    ASSERT_TRUE(term.waitFor([&] {
      return term.textAt(21, 1, kColumns).find("Your chance of passing went from 0% to 0%.") != std::string::npos;
    })) << term.screenDump();
    term.send(" ");
    ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
    EXPECT_TRUE(
        term.waitForText(22, 10, "Chance of passing an exam today: 0%   Known: 20 of 620   Due for review: 0"));
    term.send("T");
    ASSERT_TRUE(term.waitForText(2, 10, "Your progress in the 2020-2024 pool")) << term.screenDump();
    EXPECT_TRUE(term.waitForText(19, 12, "none yet"));
    term.send(" ");
    ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
    killNow(term);
  }
  const DetachedRun run =
      runDetached(kBinary, DetachedInput::DevNull, {"--record", defaultRecord(), "--export-record"});
  ASSERT_TRUE(run.status && run.status->exited && run.status->code == 0) << run.standardError;
  const std::vector<std::string> csv = lines(run.standardOutput);
  ASSERT_EQ(csv.size(), 21u) << run.standardOutput;
  for (size_t i = 1; i < csv.size(); ++i) EXPECT_TRUE(csv[i].ends_with(",1,1,session")) << csv[i];
}

TEST_F(RecordEndToEnd, AFileOfRandomBytesIsLeftAsItWasAndTheMenuSaysTheRecordIsOff) {
  ASSERT_FALSE(folder.empty());
  const fs::path junk = folder / "junk.sqlite3";
  std::mt19937 generator(15);
  std::string bytes(8192, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
  std::ofstream(junk, std::ios::binary) << bytes;
  {
    PtyTerminal term(kBinary, options({"--record", junk.string()}));
    ASSERT_TRUE(term.waitForText(20, 20, kMenuPrompt));
    const std::string off = "Study record off: " + junk.string() + " (";
    EXPECT_TRUE(term.waitForText(22, 10, off)) << term.screenDump();
    EXPECT_EQ(term.textAt(24, 1, kColumns), std::string(kColumns, ' '));
    // The program runs on without it: a drill answer is taken.
    term.send("0");
    EXPECT_TRUE(term.waitForText(21, 15, kOrderPrompt));
    killNow(term);
  }
  EXPECT_EQ(fileBytes(junk), bytes);
  EXPECT_EQ(filesUnder(folder), std::vector<std::string>{junk.string()});
  const DetachedRun run = runDetached(kBinary, DetachedInput::DevNull, {"--record", junk.string(), "--export-record"});
  ASSERT_TRUE(run.status && run.status->exited);
  EXPECT_EQ(run.status->code, 1);
  EXPECT_NE(run.standardError.find("cannot read the study record"), std::string::npos) << run.standardError;
  EXPECT_EQ(fileBytes(junk), bytes);
}

TEST_F(RecordEndToEnd, NoRecordWritesNoFileUnderHomeOrTheWorkingDirectory) {
  ASSERT_FALSE(folder.empty());
  const fs::path home = folder / "home";
  fs::create_directory(home);
  const std::vector<std::string> environment{"HOME=" + home.string(), "XDG_STATE_HOME="};
  for (const bool recording : {false, true}) {
    SCOPED_TRACE(recording ? "with a record" : "--no-record");
    {
      PtyTerminal term(kBinary, options(recording ? std::vector<std::string>{} : std::vector<std::string>{"--no-record"},
                                        environment));
      ASSERT_TRUE(startPeekedDrill(term));
      if (!recording) {
        EXPECT_EQ(term.textAt(22, 1, kColumns), std::string(kColumns, ' '));
      }
      term.send(term.cell(2, 21).text);
      ASSERT_TRUE(term.waitFor([&] { return peekedQuestionDrawn(term, 2); })) << term.screenDump();
      killNow(term);
    }
    const std::vector<std::string> files = filesUnder(folder);
    if (recording) {
      // The same run with a record: the check sees the file it makes.
      EXPECT_NE(std::find(files.begin(), files.end(), (home / ".local/state/pentrill/record.sqlite3").string()),
                files.end());
    } else {
      EXPECT_TRUE(files.empty()) << files.front();
      EXPECT_FALSE(fs::exists(folder / "state"));
      EXPECT_FALSE(fs::exists(home / ".local"));
    }
  }
}

}  // namespace
}  // namespace pentrill::e2e
