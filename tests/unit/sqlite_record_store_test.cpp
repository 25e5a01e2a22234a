// The SQLite record: what is written comes back, the cached memory equals
// the replayed log, two stores share a file, and a file that cannot be used
// is refused with a reason and left byte for byte as it was.
#include "backends/sqlite_record_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <latch>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "study/record_csv.h"
#include "study/study_record.h"
#include "tests/fakes/memory_record_store.h"

namespace pentrill {
namespace {

namespace fs = std::filesystem;

class TemporaryFolder {
 public:
  TemporaryFolder() {
    std::string name = (fs::temp_directory_path() / "pentrill-record-test-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = name;
  }
  ~TemporaryFolder() {
    chmod(path_.c_str(), 0700);
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string bytesOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::set<std::string> namesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

// SQL run on the file by another connection, as another program would.
void runSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
  sqlite3_free(error);
  sqlite3_close(db);
}

RecordedAnswer drill(std::string pool, std::string question, std::int64_t time, bool correct) {
  return {time, std::move(pool), std::move(question), 'C', correct, correct ? 3 : 1, AnswerMode::Drill, std::nullopt};
}

RecordedAnswer examAnswer(std::int64_t exam, std::string question, std::int64_t time, char letter, bool correct) {
  return {time, "2024-2028", std::move(question), letter, correct, correct ? 3 : 1, AnswerMode::Exam, exam};
}

std::unique_ptr<SqliteRecordStore> open(const std::string& path) {
  RecordOpening opening = openRecord(path);
  EXPECT_TRUE(opening.store) << path << ": " << opening.failure;
  return std::move(opening.store);
}

// The cache must hold exactly what replaying the log gives, bit for bit.
void expectMemoryIsTheReplayedLog(SqliteRecordStore& store, const std::string& pool) {
  const auto log = store.readLog(pool);
  const auto memory = store.readMemory(pool);
  ASSERT_TRUE(log && memory) << store.lastFailure();
  const std::vector<RecordedMemory> replayed = study::replayMemory(*log);
  ASSERT_EQ(memory->size(), replayed.size()) << pool;
  std::map<std::string, RecordedMemory> byQuestion;
  for (const RecordedMemory& entry : *memory) byQuestion[entry.question] = entry;
  for (const RecordedMemory& expected : replayed) {
    const RecordedMemory& cached = byQuestion[expected.question];
    EXPECT_EQ(cached.stability, expected.stability) << expected.question;
    EXPECT_EQ(cached.difficulty, expected.difficulty) << expected.question;
    EXPECT_EQ(cached.lastAnswer, expected.lastAnswer) << expected.question;
    EXPECT_EQ(cached.lastRating, expected.lastRating) << expected.question;
  }
}

TEST(SqliteRecordStore, KeepsAnswersAndExamsAcrossRuns) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  std::int64_t finished = 0;
  {
    auto store = open(path);
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->appendAnswer(drill("2024-2028", "E5C10", 1000, true)));
    ASSERT_TRUE(store->appendAnswer(drill("2020-2024", "E5C10", 1100, false)));
    ASSERT_TRUE(store->appendAnswer(drill("2024-2028", "E5C10", 900, false)));  // another copy's clock
    const auto exam = store->startExam("2024-2028", 2000, "");
    ASSERT_TRUE(exam);
    finished = *exam;
    ASSERT_TRUE(store->recordExamAnswer(examAnswer(*exam, "E1A01", 2010, 'A', false)));
    ASSERT_TRUE(store->recordExamAnswer(examAnswer(*exam, "E1B02", 2020, 'B', true)));
    ASSERT_TRUE(store->recordExamAnswer(examAnswer(*exam, "E1A01", 2030, 'D', true)));  // changed its mind
    ASSERT_TRUE(store->finishExam(*exam, 2100, 41));
    const auto unfinished = store->startExam("2024-2028", 3000, "");
    ASSERT_TRUE(unfinished);
    ASSERT_TRUE(store->recordExamAnswer(examAnswer(*unfinished, "E1A01", 3010, 'A', false)));
    ASSERT_TRUE(store->writeSetting("pool", "2020-2024"));
    ASSERT_TRUE(store->writeSetting("pool", "2024-2028"));
    ASSERT_TRUE(store->writeSetting("other", ""));
  }
  auto store = open(path);
  ASSERT_TRUE(store);
  EXPECT_EQ(store->readSetting("pool"), "2024-2028");
  EXPECT_EQ(store->readSetting("other"), "");
  EXPECT_EQ(store->readSetting("never written"), std::nullopt);
  const auto log = store->readLog("2024-2028");
  ASSERT_TRUE(log);
  std::vector<std::string> summary;
  for (const RecordedAnswer& answer : *log)
    summary.push_back(std::to_string(answer.time) + " " + answer.question + " " + answer.answer +
                      (answer.correct ? " right " : " wrong ") + std::to_string(answer.rating) + " " +
                      std::string(study::answerModeName(answer.mode)) +
                      (answer.exam ? " " + std::to_string(*answer.exam - finished) : ""));
  EXPECT_EQ(summary, (std::vector<std::string>{"900 E5C10 C wrong 1 drill", "1000 E5C10 C right 3 drill",
                                               "2020 E1B02 B right 3 exam 0", "2030 E1A01 D right 3 exam 0",
                                               "3010 E1A01 A wrong 1 exam 1"}));
  const auto all = store->readAllAnswers();
  ASSERT_TRUE(all);
  ASSERT_EQ(all->size(), 6u);
  EXPECT_EQ((*all)[2].pool, "2020-2024");
  EXPECT_EQ((*all)[2].time, 1100);

  const auto exams = store->readLastExams("2024-2028", 10);
  ASSERT_TRUE(exams);
  ASSERT_EQ(exams->size(), 2u);
  EXPECT_EQ((*exams)[0].started, 3000);
  EXPECT_FALSE((*exams)[0].right);
  EXPECT_FALSE((*exams)[0].finished);
  EXPECT_EQ((*exams)[1].right, 41);
  EXPECT_EQ((*exams)[1].finished, 2100);
  EXPECT_TRUE(store->readLastExams("2020-2024", 10)->empty());

  expectMemoryIsTheReplayedLog(*store, "2024-2028");
  expectMemoryIsTheReplayedLog(*store, "2020-2024");
}

TEST(SqliteRecordStore, RebuildsTheCachedMemoryWhenTheLogChangedBehindIt) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  auto store = open(path);
  ASSERT_TRUE(store);
  for (int i = 0; i < 30; ++i)
    ASSERT_TRUE(store->appendAnswer(drill("2024-2028", i % 2 ? "E2A01" : "E2A02", 1000 + i * 40'000, i % 3 != 0)));
  expectMemoryIsTheReplayedLog(*store, "2024-2028");
  // Answers added and removed without the cache being told.
  runSql(path,
         "INSERT INTO answer(time, pool, question, answer, correct, rating, mode) "
         "VALUES (5000000, '2024-2028', 'E2A01', 'A', 0, 1, 'drill');");
  expectMemoryIsTheReplayedLog(*store, "2024-2028");
  runSql(path, "DELETE FROM answer WHERE id = (SELECT min(id) FROM answer WHERE question = 'E2A02');");
  expectMemoryIsTheReplayedLog(*store, "2024-2028");
}

constexpr int kDrillAnswers = 150;

// One copy's work on the shared record: drill answers in its own pool and a
// practice exam with changed answers. Empty when every write succeeded.
std::string answerAway(const std::string& path, int copy) {
  RecordOpening opening = openRecord(path);
  if (!opening.store) return "open: " + opening.failure;
  std::mt19937 random(static_cast<unsigned>(copy));
  const std::string pool = copy ? "2020-2024" : "2024-2028";
  for (int i = 0; i < kDrillAnswers; ++i) {
    const std::string question = "E" + std::to_string(random() % 10) + "A0" + std::to_string(1 + random() % 9);
    if (!opening.store->appendAnswer(drill(pool, question, 10'000 + i * 1000 + copy, random() % 2)))
      return opening.store->lastFailure();
  }
  const auto exam = opening.store->startExam("2024-2028", 500'000, "");
  if (!exam) return "exam: " + opening.store->lastFailure();
  for (int i = 0; i < 20; ++i)  // ten questions, each answered twice
    if (!opening.store->recordExamAnswer(examAnswer(*exam, "E9B0" + std::to_string(i % 10), 500'000 + i, 'A', i % 2)))
      return opening.store->lastFailure();
  if (!opening.store->finishExam(*exam, 600'000, 30)) return opening.store->lastFailure();
  // What the other copy's lock kept back, as at the end of a run.
  if (!opening.store->commitKept(kLastChanceMilliseconds)) return "at the end: " + opening.store->lastFailure();
  return "";
}

void expectBothCopiesRecorded(const std::string& path) {
  auto store = open(path);
  ASSERT_TRUE(store);
  EXPECT_EQ(store->readAllAnswers()->size(), 2u * kDrillAnswers + 2 * 10);
  EXPECT_EQ(store->readLog("2020-2024")->size(), static_cast<std::size_t>(kDrillAnswers));
  EXPECT_EQ(store->readLastExams("2024-2028", 10)->size(), 2u);
  expectMemoryIsTheReplayedLog(*store, "2024-2028");
  expectMemoryIsTheReplayedLog(*store, "2020-2024");
}

TEST(SqliteRecordStore, TwoStoresOnOneFileBothRecordEverything) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");  // created by whichever comes first
  std::latch start(2);
  std::vector<std::string> failures(2);
  auto copy = [&](int number) {
    start.arrive_and_wait();
    failures[static_cast<std::size_t>(number)] = answerAway(path, number);
  };
  std::thread first(copy, 0), second(copy, 1);
  first.join();
  second.join();
  EXPECT_EQ(failures, (std::vector<std::string>{"", ""}));
  expectBothCopiesRecorded(path);
}

// File locks belong to processes: two running copies of the program are two.
// Both copies start together on a record that does not exist yet, so that
// both make it at once; the meeting goes wrong only now and then (once in
// about sixty tries when a copy gave up on a busy file), hence the rounds.
TEST(SqliteRecordStore, TwoProcessesOnOneFileBothRecordEverything) {
  TemporaryFolder folder;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string path = folder.file("record-" + std::to_string(round) + ".sqlite3");
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> children;
    for (int number = 0; number < 2; ++number) {
      const pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        close(go[1]);
        char byte = 0;
        if (read(go[0], &byte, 1) != 1) _exit(3);  // both start together
        _exit(answerAway(path, number).empty() ? 0 : 1);
      }
      children.push_back(child);
    }
    close(go[0]);
    EXPECT_EQ(write(go[1], "gg", 2), 2);
    close(go[1]);
    for (pid_t child : children) {
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a copy failed to record";
    }
    expectBothCopiesRecorded(path);
  }
}

// Opening `path` is refused with `reason`, and neither the file nor its
// folder changes.
void expectRefusedUntouched(const std::string& path, const std::string& reason, const RecordOpenOptions& options = {}) {
  const std::string folder = fs::path(path).parent_path().string();
  const std::string before = bytesOf(path);
  const std::set<std::string> namesBefore = namesIn(folder);
  const RecordOpening opening = openRecord(path, options);
  EXPECT_FALSE(opening.store);
  EXPECT_EQ(opening.failure, reason);
  EXPECT_EQ(bytesOf(path), before) << "the file changed";
  EXPECT_EQ(namesIn(folder), namesBefore) << "files appeared or went";
}

TEST(SqliteRecordStoreRefuses, AFileOfRandomBytes) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  std::mt19937 random(7);
  std::string bytes(8192, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  std::ofstream(path, std::ios::binary) << bytes;
  expectRefusedUntouched(path, "not a Pentrill record");
  // Even with the SQLite magic at its head.
  std::ofstream(path, std::ios::binary) << std::string("SQLite format 3\0", 16) << bytes;
  expectRefusedUntouched(path, "not a Pentrill record");
}

TEST(SqliteRecordStoreRefuses, AnotherProgramsDatabase) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  runSql(path, "CREATE TABLE answer(id INTEGER PRIMARY KEY, text TEXT); INSERT INTO answer(text) VALUES ('mine');");
  expectRefusedUntouched(path, "not a Pentrill record");
  runSql(path, "PRAGMA journal_mode = WAL; PRAGMA application_id = 1234;");
  expectRefusedUntouched(path, "not a Pentrill record");
}

TEST(SqliteRecordStoreRefuses, ARecordOfANewerPentrill) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  {
    auto store = open(path);
    ASSERT_TRUE(store && store->appendAnswer(drill("2024-2028", "E3A01", 1000, true)));
  }
  runSql(path, "PRAGMA user_version = 3;");
  expectRefusedUntouched(path, "written by a newer Pentrill");
}

// A record of the first version, as that version made it: no rating in its
// memory cache (whose rows cover the log but hold another model's states),
// no settings.
constexpr const char* kFirstVersion = R"sql(
CREATE TABLE exam(id INTEGER PRIMARY KEY, pool TEXT NOT NULL, started INTEGER NOT NULL, finished INTEGER,
  right_answers INTEGER);
CREATE INDEX exam_by_pool ON exam(pool, started);
CREATE TABLE answer(id INTEGER PRIMARY KEY, time INTEGER NOT NULL, pool TEXT NOT NULL, question TEXT NOT NULL,
  answer TEXT NOT NULL, correct INTEGER NOT NULL, rating INTEGER NOT NULL, mode TEXT NOT NULL,
  exam INTEGER REFERENCES exam(id));
CREATE INDEX answer_by_pool ON answer(pool, time);
CREATE INDEX answer_by_question ON answer(pool, question, time);
CREATE UNIQUE INDEX answer_of_exam ON answer(exam, question) WHERE exam IS NOT NULL;
CREATE TABLE memory(pool TEXT NOT NULL, question TEXT NOT NULL, stability REAL NOT NULL, difficulty REAL NOT NULL,
  last_answer INTEGER NOT NULL, PRIMARY KEY(pool, question)) WITHOUT ROWID;
CREATE TABLE memory_cover(answers INTEGER NOT NULL, last_id INTEGER NOT NULL, model INTEGER NOT NULL);
INSERT INTO exam VALUES (1, '2024-2028', 2000, 2100, 38);
INSERT INTO answer VALUES (1, 1000, '2024-2028', 'E5C10', 'C', 1, 3, 'drill', NULL);
INSERT INTO answer VALUES (2, 1060, '2024-2028', 'E5C10', 'A', 0, 1, 'drill', NULL);
INSERT INTO answer VALUES (3, 2010, '2024-2028', 'E1A01', 'B', 1, 3, 'exam', 1);
INSERT INTO answer VALUES (4, 3000, '2020-2024', 'E2B03', 'D', 1, 1, 'session', NULL);
INSERT INTO memory VALUES ('2024-2028', 'E5C10', 0.5, 7.0, 1060), ('2024-2028', 'E1A01', 2.3065, 2.1181, 2010),
  ('2020-2024', 'E2B03', 0.212, 6.4133, 3000);
INSERT INTO memory_cover VALUES (4, 4, 1);
PRAGMA application_id = 1349416050;  -- "Pntr"
PRAGMA user_version = 1;
PRAGMA journal_mode = WAL;
)sql";

TEST(SqliteRecordStore, ARecordOfTheFirstVersionKeepsEveryAnswerAndGainsRatingsAndSettings) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  runSql(path, kFirstVersion);
  const std::string answersBefore =
      "time,pool,question,answer,correct,rating,mode\n"
      "1970-01-01T00:16:40Z,2024-2028,E5C10,C,1,3,drill\n"
      "1970-01-01T00:17:40Z,2024-2028,E5C10,A,0,1,drill\n"
      "1970-01-01T00:33:30Z,2024-2028,E1A01,B,1,3,exam\n"
      "1970-01-01T00:50:00Z,2020-2024,E2B03,D,1,1,session\n";
  {
    auto store = open(path);
    ASSERT_TRUE(store);
    EXPECT_EQ(study::recordCsv(*store->readAllAnswers()), answersBefore);
    const auto exams = store->readLastExams("2024-2028", 10);
    ASSERT_TRUE(exams && exams->size() == 1u);
    EXPECT_EQ((*exams)[0].right, 38);
    // The cache of the older model is replaced by the replayed log: E5C10,
    // missed last, is a guess again.
    expectMemoryIsTheReplayedLog(*store, "2024-2028");
    expectMemoryIsTheReplayedLog(*store, "2020-2024");
    const auto memory = store->readMemory("2024-2028");
    ASSERT_TRUE(memory);
    for (const RecordedMemory& entry : *memory) EXPECT_EQ(entry.lastRating, entry.question == "E5C10" ? 1 : 3);
    EXPECT_TRUE(store->writeSetting("pool", "2020-2024")) << store->lastFailure();
    EXPECT_TRUE(store->appendAnswer(drill("2024-2028", "E5C10", 90'000, true)));
  }
  // Opened again as a record of this version (a second migration would fail).
  auto store = open(path);
  ASSERT_TRUE(store);
  EXPECT_EQ(store->readSetting("pool"), "2020-2024");
  const std::string answersAfter = study::recordCsv(*store->readAllAnswers());
  EXPECT_TRUE(answersAfter.starts_with(answersBefore)) << answersAfter;
  expectMemoryIsTheReplayedLog(*store, "2024-2028");
}

TEST(SqliteRecordStoreRefuses, AFileLockedByAnotherProgram) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  {
    auto store = open(path);
    ASSERT_TRUE(store && store->appendAnswer(drill("2024-2028", "E3A01", 1000, true)));
  }
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr),
            SQLITE_OK);
  expectRefusedUntouched(path, "locked by another program", {.openBusyTimeoutMilliseconds = 50});
  sqlite3_close(holder);
}

TEST(SqliteRecordStoreRefuses, ARecordInAFolderItCannotWriteTo) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  {
    auto store = open(path);
    ASSERT_TRUE(store && store->appendAnswer(drill("2024-2028", "E3A01", 1000, true)));
  }
  ASSERT_EQ(chmod(path.c_str(), 0666), 0);
  ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
  if (geteuid() != 0) {
    expectRefusedUntouched(path, "folder not writable");
    return;
  }
  // Root writes anywhere: the check runs as an ordinary user in a child.
  const std::string before = bytesOf(path);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    const RecordOpening opening = openRecord(path);
    _exit(!opening.store && opening.failure == "folder not writable" ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot become an ordinary user (uid 65534) here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "not refused with \"folder not writable\"";
  EXPECT_EQ(bytesOf(path), before);
  EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"record.sqlite3"}));
}

// Every read of both stores, exam ids left out (each store numbers its own).
std::string everything(RecordStore& store) {
  std::string text;
  const auto all = store.readAllAnswers();
  const auto exams = store.readLastExams("2024-2028", 10);
  if (!all || !exams) return "unreadable: " + store.lastFailure();
  for (const RecordedAnswer& answer : *all)
    text += std::to_string(answer.time) + " " + answer.pool + " " + answer.question + " " + answer.answer +
            (answer.exam ? " exam\n" : "\n");
  for (const std::string pool : {"2024-2028", "2020-2024"}) {
    const auto read = store.readMemory(pool);
    if (!read) return "unreadable: " + store.lastFailure();
    std::map<std::string, RecordedMemory> memory;
    for (const RecordedMemory& entry : *read) memory[entry.question] = entry;
    for (const auto& [question, entry] : memory)
      text += pool + " " + question + " " + std::to_string(entry.stability) + " " + std::to_string(entry.difficulty) +
              " " + std::to_string(entry.lastAnswer) + "\n";
  }
  for (const RecordedExam& exam : *exams)
    text += "exam " + std::to_string(exam.started) + " " + std::to_string(exam.finished.value_or(-1)) + " " +
            std::to_string(exam.right.value_or(-1)) + "\n";
  return text;
}

// While another program holds the write lock, every write is kept (in
// order, none refused) and every read counts it as the in-memory store
// does; the next write after the lock commits them all, exams started
// meanwhile included.
TEST(SqliteRecordStore, WritesALockKeepsBackAreReadAsIfCommittedAndCommittedAtTheNextWrite) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  RecordOpening opening = openRecord(path);
  ASSERT_TRUE(opening.store);
  SqliteRecordStore& store = *opening.store;
  MemoryRecordStore expected;
  const auto both = [&](const auto& write) { return write(static_cast<RecordStore&>(store)) && write(expected); };
  ASSERT_TRUE(both([](RecordStore& s) { return s.appendAnswer(drill("2024-2028", "E3A01", 1000, true)); }));
  const auto earlier = store.startExam("2024-2028", 2000, "");
  const auto earlierExpected = expected.startExam("2024-2028", 2000, "");
  ASSERT_TRUE(earlier && earlierExpected);
  ASSERT_TRUE(store.recordExamAnswer(examAnswer(*earlier, "E1A01", 2010, 'A', false)));
  ASSERT_TRUE(expected.recordExamAnswer(examAnswer(*earlierExpected, "E1A01", 2010, 'A', false)));

  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_TRUE(both([](RecordStore& s) { return s.appendAnswer(drill("2024-2028", "E3A01", 3000, false)); }));
  ASSERT_TRUE(both([](RecordStore& s) { return s.appendAnswer(drill("2020-2024", "E3A01", 900, true)); }));
  ASSERT_TRUE(both([](RecordStore& s) { return s.appendAnswer(drill("2024-2028", "E3A02", 3000, true)); }));
  ASSERT_TRUE(store.recordExamAnswer(examAnswer(*earlier, "E1A01", 3010, 'D', true)));  // replaces a committed one
  ASSERT_TRUE(expected.recordExamAnswer(examAnswer(*earlierExpected, "E1A01", 3010, 'D', true)));
  ASSERT_TRUE(store.finishExam(*earlier, 3020, 40) && expected.finishExam(*earlierExpected, 3020, 40));
  const auto later = store.startExam("2024-2028", 4000, "");
  const auto laterExpected = expected.startExam("2024-2028", 4000, "");
  ASSERT_TRUE(later && laterExpected);
  ASSERT_TRUE(store.recordExamAnswer(examAnswer(*later, "E2B03", 4010, 'B', false)));
  ASSERT_TRUE(store.recordExamAnswer(examAnswer(*later, "E2B03", 4020, 'C', true)));  // replaces a kept one
  ASSERT_TRUE(expected.recordExamAnswer(examAnswer(*laterExpected, "E2B03", 4020, 'C', true)));
  EXPECT_EQ(store.keptAnswers(), 6u);
  EXPECT_EQ(everything(store), everything(expected));
  EXPECT_FALSE(store.commitKept(0));  // the end of a run with the lock still held
  EXPECT_TRUE(store.locked());

  ASSERT_EQ(sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_TRUE(store.recordExamAnswer(examAnswer(*later, "E2B04", 4030, 'A', true)));
  ASSERT_TRUE(expected.recordExamAnswer(examAnswer(*laterExpected, "E2B04", 4030, 'A', true)));
  ASSERT_TRUE(store.finishExam(*later, 4040, 38) && expected.finishExam(*laterExpected, 4040, 38));
  EXPECT_FALSE(store.keepsWrites());
  sqlite3_close(holder);
  RecordOpening reopened = openRecord(path);
  ASSERT_TRUE(reopened.store);
  EXPECT_EQ(everything(*reopened.store), everything(expected));
  expectMemoryIsTheReplayedLog(*reopened.store, "2024-2028");
}

TEST(SqliteRecordStore, AFileThatCannotGrowFailsTheWriteAndKeepsEveryCommittedAnswer) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  { ASSERT_TRUE(open(path)); }
  // A child whose files may not grow past 256 KiB, as on a full disk.
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{256 * 1024, 256 * 1024};
    RecordOpening opening = openRecord(path);
    if (!opening.store || setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
    int committed = 0;
    while (committed < 100'000 &&
           opening.store->appendAnswer(drill("2024-2028", "E4A0" + std::to_string(committed % 9 + 1),
                                             1000 + committed * 10, committed % 2)))
      ++committed;
    const bool failedWithReason = committed < 100'000 && opening.store->lastFailure() == "write failed";
    if (write(pipeEnds[1], &committed, sizeof committed) != sizeof committed) _exit(2);
    _exit(failedWithReason ? 0 : 1);
  }
  close(pipeEnds[1]);
  int committed = -1;
  EXPECT_EQ(read(pipeEnds[0], &committed, sizeof committed), static_cast<ssize_t>(sizeof committed));
  close(pipeEnds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "2: could not set up, 1: no \"write failed\" reported";
  EXPECT_GT(committed, 0);
  auto store = open(path);
  ASSERT_TRUE(store);
  EXPECT_EQ(store->readLog("2024-2028")->size(), static_cast<std::size_t>(committed));
  expectMemoryIsTheReplayedLog(*store, "2024-2028");
}

// A damaged record (page 2, the exams' table, zeroed) whose check was not
// made yet (the menu makes it; the end-to-end test covers that): the first
// answer makes it, and is refused without a byte written.
TEST(SqliteRecordStoreRefuses, ADamagedRecordEvenToItsFirstWrite) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  ASSERT_TRUE(open(path)->appendAnswer(drill("2024-2028", "E3A01", 1000, true)));
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(4096);
    file.write(std::string(4096, '\0').data(), 4096);
  }
  auto bytesOf = [&path] {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string bytes = bytesOf();
  auto store = open(path);
  ASSERT_TRUE(store);
  EXPECT_FALSE(store->appendAnswer(drill("2024-2028", "E3A02", 2000, true)));
  EXPECT_EQ(store->lastFailure(), "damaged record");
  EXPECT_TRUE(bytesOf() == bytes);
}

TEST(SqliteRecordStoreRefuses, AFileInAFolderThatDoesNotExist) {
  TemporaryFolder folder;
  const RecordOpening opening = openRecord(folder.file("missing/record.sqlite3"));
  EXPECT_FALSE(opening.store);
  EXPECT_EQ(opening.failure, "no such folder");
  EXPECT_FALSE(fs::exists(folder.file("missing")));
}

TEST(SqliteRecordStore, AnEmptyFileBecomesARecord) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  std::ofstream(path).close();
  auto store = open(path);
  ASSERT_TRUE(store && store->appendAnswer(drill("2024-2028", "E3A01", 1000, true)));
}

// A study record is private, whatever the umask: its folders 0700, the
// record and its journal's files 0600.
TEST(SqliteRecordStore, DefaultPlaceFollowsXdgStateHomeAndIsPrivate) {
  EXPECT_EQ(recordPathFor("/x/state", "/home/ann"), "/x/state/pentrill/record.sqlite3");
  EXPECT_EQ(recordPathFor("", "/home/ann"), "/home/ann/.local/state/pentrill/record.sqlite3");
  EXPECT_EQ(recordPathFor("relative/state", "/home/ann"), "/home/ann/.local/state/pentrill/record.sqlite3");
  EXPECT_EQ(recordPathFor("", ""), "");

  TemporaryFolder folder;
  const std::string path = recordPathFor(folder.file("state"), "/nowhere");
  const mode_t umaskBefore = umask(0);
  RecordOpening opening = openRecordCreatingFolder(path);
  umask(umaskBefore);
  ASSERT_TRUE(opening.store) << opening.failure;
  EXPECT_TRUE(opening.store->appendAnswer(drill("2024-2028", "E3A01", 1000, true)));
  const std::map<std::string, unsigned> modes = {{folder.file("state"), 0700u},
                                                 {folder.file("state/pentrill"), 0700u},
                                                 {path, 0600u},
                                                 {path + "-wal", 0600u},
                                                 {path + "-shm", 0600u}};
  for (const auto& [created, mode] : modes) {
    struct stat status {};
    ASSERT_EQ(stat(created.c_str(), &status), 0) << created;
    EXPECT_EQ(status.st_mode & 0777, mode) << created;
  }
}

// Runs `check` in a child process as an ordinary user (uid 65534 when the
// test runs as root, for whom no file is read-only); its exit status, or
// none when the child could not become that user.
std::optional<int> asOrdinaryUser(const std::function<bool()>& check) {
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(77);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 77) return std::nullopt;
  return WEXITSTATUS(status);
}

// --stats and --export-record read a record that is read-only, or in a
// read-only folder, and leave nothing beside it.
TEST(SqliteRecordStore, AReadOnlyRecordIsReadWithoutAFileLeftBeside) {
  TemporaryFolder folder;
  const std::string path = folder.file("record.sqlite3");
  {
    auto store = open(path);
    ASSERT_TRUE(store && store->appendAnswer(drill("2024-2028", "E3A01", 1000, true)));
  }
  const std::string bytes = bytesOf(path);
  for (const auto& [fileMode, folderMode] : {std::pair{0444, 0777}, std::pair{0644, 0555}}) {
    SCOPED_TRACE("file " + std::to_string(fileMode) + ", folder " + std::to_string(folderMode));
    ASSERT_EQ(chmod(path.c_str(), static_cast<mode_t>(fileMode)), 0);
    ASSERT_EQ(chmod(folder.path().c_str(), static_cast<mode_t>(folderMode)), 0);
    const std::optional<int> status = asOrdinaryUser([&] {
      RecordOpening opening = openRecordForReading(path);
      const auto answers = opening.store ? opening.store->readAllAnswers() : std::nullopt;
      const auto memory = opening.store ? opening.store->readMemory("2024-2028") : std::nullopt;
      return answers && answers->size() == 1 && memory && memory->size() == 1;
    });
    chmod(folder.path().c_str(), 0700);
    if (!status) GTEST_SKIP() << "cannot become an ordinary user (uid 65534) here";
    EXPECT_EQ(*status, 0) << "not read";
    EXPECT_EQ(bytesOf(path), bytes);
    EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"record.sqlite3"}));
  }
}

// Runs `check` in a child process whose `folder` is a small file system of
// its own, full: a mount namespace of its own (and a user namespace when not
// root). Its exit status, or none where namespaces are not allowed.
std::optional<int> onAFullDisk(const std::string& folder, const std::function<bool()>& check) {
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (unshare(CLONE_NEWNS) != 0) {
      if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) _exit(77);
      std::ofstream("/proc/self/setgroups") << "deny";
      std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
      std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=512k") != 0)
      _exit(77);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 77) return std::nullopt;
  return WEXITSTATUS(status);
}

// Fills the file system of `folder` with a file named "fill".
bool fill(const std::string& folder) {
  std::FILE* file = std::fopen((folder + "/fill").c_str(), "wb");
  if (file == nullptr) return false;
  const std::string block(4096, '\0');
  while (std::fwrite(block.data(), 1, block.size(), file) == block.size() && std::fflush(file) == 0) {
  }
  std::fclose(file);
  return true;
}

// With the disk full at start, a record (one there and one to be made) is
// refused as "disk full" and nothing is left beside what was there.
TEST(SqliteRecordStoreRefuses, ARecordOnAFullDisk) {
  TemporaryFolder folder;
  const std::string disk = folder.file("disk");
  ASSERT_EQ(mkdir(disk.c_str(), 0700), 0);
  const std::optional<int> status = onAFullDisk(disk, [&] {
    const std::string path = disk + "/record.sqlite3";
    {
      RecordOpening opening = openRecord(path);
      if (!opening.store || !opening.store->appendAnswer(drill("2024-2028", "E3A01", 1000, true))) return false;
    }
    if (!fill(disk)) return false;
    const std::set<std::string> names{"fill", "record.sqlite3"};
    const RecordOpening there = openRecord(path);
    const RecordOpening made = openRecord(disk + "/new.sqlite3");
    return !there.store && there.failure == "disk full" && !made.store && made.failure == "disk full" &&
           namesIn(disk) == names;
  });
  if (!status) GTEST_SKIP() << "no mount namespace for a small file system here";
  EXPECT_EQ(*status, 0) << "not refused as \"disk full\", or files left beside the record";
}

}  // namespace
}  // namespace pentrill
