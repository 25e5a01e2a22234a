// The study record in an SQLite database (WAL journal, so that two running
// copies both record everything). A file that is not a Pentrill record, or
// that cannot be used now, is never written: opening it returns the reason.
// The files are private (mode 0600). A write that finds the record locked by
// another program is kept in memory and committed first at the next write,
// so that no key waits on the record for long.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/record_store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace pentrill {

// $XDG_STATE_HOME/pentrill/record.sqlite3, XDG_STATE_HOME defaulting to
// HOME/.local/state (an empty or relative XDG_STATE_HOME is ignored). Empty
// when neither gives an absolute folder.
std::string recordPathFor(std::string_view xdgStateHome, std::string_view home);

// The default place from the environment, or why there is none: "no home
// folder" when neither gives an absolute folder, "home folder not found"
// when the place is under a HOME that does not exist (which is never made).
struct RecordPlace {
  std::string path;
  std::string failure;
};
RecordPlace defaultRecordPlace();

struct RecordOpenOptions {
  // How long to wait for another copy's commit. Start-up waits for a locked
  // file; once the record is open, a write waits a moment only, then its
  // answer is kept for the next write: a key never waits on the record for
  // long, even while another program holds it.
  int openBusyTimeoutMilliseconds = 1000;
  int busyTimeoutMilliseconds = 100;
};

// How long the writes still kept at the end of a run wait for the record
// (after the terminal is given back): a commit takes milliseconds, but on a
// loaded machine another copy's fsync can stall for seconds.
inline constexpr int kLastChanceMilliseconds = 5000;

class SqliteRecordStore;

struct RecordOpening {
  std::unique_ptr<SqliteRecordStore> store;  // empty when the record is off
  std::string failure;                       // then why: "not a Pentrill record", ...
};

// Opens (or creates, when no file exists) the record at `path`; its folder
// must exist.
RecordOpening openRecord(const std::string& path, const RecordOpenOptions& options = {});
// Creates the folder of `path` (mode 0700, parents as needed), then opens it.
RecordOpening openRecordCreatingFolder(const std::string& path, const RecordOpenOptions& options = {});
// Opens an existing record only to read it, also when it or its folder is
// read-only; such a record is read without leaving a file beside it. An
// empty file opens as no store and no failure: nothing is recorded yet.
RecordOpening openRecordForReading(const std::string& path);

class SqliteRecordStore final : public RecordStore {
 public:
  ~SqliteRecordStore() override;
  SqliteRecordStore(const SqliteRecordStore&) = delete;
  SqliteRecordStore& operator=(const SqliteRecordStore&) = delete;

  bool appendAnswer(const RecordedAnswer& answer) override;
  std::optional<std::int64_t> startExam(std::string_view pool, std::int64_t time, std::string_view questions) override;
  bool recordExamAnswer(const RecordedAnswer& answer) override;
  bool finishExam(std::int64_t exam, std::int64_t time, int right) override;
  bool visitLog(std::string_view pool, const std::function<void(const RecordedAnswer&)>& visit) override;
  bool visitMemory(std::string_view pool, const std::function<void(const RecordedMemory&)>& visit) override;
  std::optional<std::vector<RecordedExam>> readLastExams(std::string_view pool, int count) override;
  std::optional<std::vector<RecordedAnswer>> readAllAnswers() override;
  std::optional<std::string> readSetting(std::string_view name) override;
  bool writeSetting(std::string_view name, std::string_view value) override;
  std::optional<bool> soundness(bool checkNow) override;
  const std::string& lastFailure() const override { return failure_; }

  const std::string& path() const { return path_; }

  // The answers among the writes kept from a locked record so far (reads
  // count them all, as if committed).
  std::size_t keptAnswers() const;
  bool keepsWrites() const { return !kept_.empty(); }
  // Whether the last failure was another program's lock, which passes.
  bool locked() const;
  // Commits the kept writes in order, waiting up to `milliseconds` for
  // another program's lock; false while they stay kept (lastFailure() says
  // why).
  bool commitKept(int milliseconds);

  // A write as it was asked for, kept until it can be committed.
  struct Write {
    enum class Kind { Answer, ExamAnswer, StartExam, FinishExam } kind;
    RecordedAnswer answer;  // Answer, ExamAnswer
    RecordedExam exam;      // StartExam (with a provisional id), FinishExam
  };

 private:
  friend RecordOpening openStore(sqlite3* db, const std::string& path, int busyTimeoutMilliseconds, bool readOnly);
  SqliteRecordStore(sqlite3* db, std::string path, int busyTimeoutMilliseconds, bool readOnly);

  using AnswerVisit = std::function<void(const RecordedAnswer&)>;
  using MemoryVisit = std::function<void(const RecordedMemory&)>;
  struct Statements;
  bool prepare();
  bool fail(int code);
  bool execute(const char* sql);
  enum class Check { NotYet, Sound, Damaged };
  static Check quickCheck(sqlite3* db, int& code);
  Check checkOnOwnConnection(int& code) const;
  bool checkedSound();
  bool beginWrite(int milliseconds);
  bool write(Write write);
  bool apply(const Write& write, std::map<std::int64_t, std::int64_t>& started);
  std::int64_t examId(std::int64_t id, const std::map<std::int64_t, std::int64_t>& started = {}) const;
  std::vector<RecordedAnswer> keptAnswersWhere(const std::function<bool(const RecordedAnswer&)>& belongs) const;
  bool replacedByKept(const RecordedAnswer& answer) const;
  bool visitWithKept(sqlite3_stmt* statement, const std::function<bool(const RecordedAnswer&)>& belongs,
                     const AnswerVisit& visit);
  bool visitCachedWithKept(std::string_view pool, const MemoryVisit& visit);
  bool visitReplayedPool(std::string_view pool, const MemoryVisit& visit);
  bool visitReplayedQuestion(std::string_view pool, const std::string& question, const MemoryVisit& visit);
  std::vector<RecordedExam> withKeptExams(std::vector<RecordedExam> exams, std::string_view pool, int count) const;
  bool replaceExamAnswer(const RecordedAnswer& answer);
  bool insertAndRefresh(const RecordedAnswer& answer, int replaced);
  bool refreshQuestion(std::string_view pool, std::string_view question);
  bool saveMemory(std::string_view pool, const RecordedMemory& entry);
  std::optional<bool> memoryCoversLog();
  bool visitCachedMemory(std::string_view pool, const std::function<void(const RecordedMemory&)>& visit);
  bool rebuildMemory();
  bool visitAnswers(sqlite3_stmt* statement, const std::function<void(const RecordedAnswer&)>& visit);
  std::optional<std::vector<RecordedAnswer>> readAnswers(sqlite3_stmt* statement);

  sqlite3* db_;
  std::string path_;
  std::string failure_;
  std::unique_ptr<Statements> statements_;
  int busyTimeoutMilliseconds_;
  bool readOnly_;  // opened for reading: nothing is written, not even the cache
  Check check_ = Check::NotYet;
  std::vector<Write> kept_;  // in the order asked for
  std::map<std::int64_t, std::int64_t> examIds_;  // provisional exam id to the committed one
  std::int64_t nextProvisionalExam_ = -1;         // committed ids are positive
};

}  // namespace pentrill
