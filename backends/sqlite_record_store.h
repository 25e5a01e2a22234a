// The study record in an SQLite database (WAL journal, so that two running
// copies both record everything). A file that is not a Pentrill record, or
// that cannot be used now, is never written: opening it returns the reason.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "platform/record_store.h"

struct sqlite3;
struct sqlite3_stmt;

namespace pentrill {

// $XDG_STATE_HOME/pentrill/record.sqlite3, XDG_STATE_HOME defaulting to
// HOME/.local/state (an empty or relative XDG_STATE_HOME is ignored). Empty
// when neither gives an absolute folder.
std::string recordPathFor(std::string_view xdgStateHome, std::string_view home);
std::string defaultRecordPath();  // from the environment

struct RecordOpenOptions {
  // How long to wait for another copy's commit. A commit takes milliseconds,
  // but on a loaded machine the other copy's fsync can stall for seconds.
  // Start-up waits the shorter time for a locked file; once the record is
  // open, waiting a stall out beats turning the record off for the run.
  int openBusyTimeoutMilliseconds = 1000;
  int busyTimeoutMilliseconds = 10'000;
};

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

class SqliteRecordStore final : public RecordStore {
 public:
  ~SqliteRecordStore() override;
  SqliteRecordStore(const SqliteRecordStore&) = delete;
  SqliteRecordStore& operator=(const SqliteRecordStore&) = delete;

  bool appendAnswer(const RecordedAnswer& answer) override;
  std::optional<std::int64_t> startExam(std::string_view pool, std::int64_t time) override;
  bool recordExamAnswer(const RecordedAnswer& answer) override;
  bool finishExam(std::int64_t exam, std::int64_t time, int right) override;
  bool visitLog(std::string_view pool, const std::function<void(const RecordedAnswer&)>& visit) override;
  bool visitMemory(std::string_view pool, const std::function<void(const RecordedMemory&)>& visit) override;
  std::optional<std::vector<RecordedExam>> readLastExams(std::string_view pool, int count) override;
  std::optional<std::vector<RecordedAnswer>> readAllAnswers() override;
  std::optional<std::string> readSetting(std::string_view name) override;
  bool writeSetting(std::string_view name, std::string_view value) override;
  const std::string& lastFailure() const override { return failure_; }

  const std::string& path() const { return path_; }

 private:
  friend RecordOpening openRecord(const std::string& path, const RecordOpenOptions& options);
  SqliteRecordStore(sqlite3* db, std::string path);

  struct Statements;
  bool prepare();
  bool fail(int code);
  bool execute(const char* sql);
  bool inWriteTransaction(bool (SqliteRecordStore::*work)(const RecordedAnswer&), const RecordedAnswer& answer);
  bool insertAnswer(const RecordedAnswer& answer);
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
};

}  // namespace pentrill
