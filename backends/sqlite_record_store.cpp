#include "backends/sqlite_record_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "study/record_csv.h"
#include "study/study_record.h"

namespace pentrill {

namespace {

// "Pntr": tells a Pentrill record from every other SQLite database.
constexpr std::int32_t kApplicationId = 0x506E7472;
constexpr int kSchemaVersion = 2;
// Bumped when the model's arithmetic changes, so that cached states are rebuilt.
// 2: the last answer's rating decides whether a question counts as recalled.
constexpr int kModelVersion = 2;

constexpr const char* kTables = R"sql(
CREATE TABLE exam(
  id INTEGER PRIMARY KEY,
  pool TEXT NOT NULL,
  started INTEGER NOT NULL,
  finished INTEGER,
  right_answers INTEGER,
  questions TEXT);
CREATE INDEX exam_by_pool ON exam(pool, started);
CREATE TABLE answer(
  id INTEGER PRIMARY KEY,
  time INTEGER NOT NULL,
  pool TEXT NOT NULL,
  question TEXT NOT NULL,
  answer TEXT NOT NULL,
  correct INTEGER NOT NULL,
  rating INTEGER NOT NULL,
  mode TEXT NOT NULL,
  exam INTEGER REFERENCES exam(id));
CREATE INDEX answer_by_pool ON answer(pool, time);
CREATE INDEX answer_by_question ON answer(pool, question, time);
CREATE UNIQUE INDEX answer_of_exam ON answer(exam, question) WHERE exam IS NOT NULL;
-- Derived from the answer log: the model's state of each answered question,
-- and how much of the log (all pools) it covers; rebuilt when that does not
-- match. Counting the whole table and its largest id is quick in SQLite.
CREATE TABLE memory(
  pool TEXT NOT NULL,
  question TEXT NOT NULL,
  stability REAL NOT NULL,
  difficulty REAL NOT NULL,
  last_answer INTEGER NOT NULL,
  last_rating INTEGER NOT NULL DEFAULT 1,
  PRIMARY KEY(pool, question)) WITHOUT ROWID;
CREATE TABLE memory_cover(
  answers INTEGER NOT NULL,
  last_id INTEGER NOT NULL,
  model INTEGER NOT NULL);
-- Settings kept with the record, such as the pool chosen last.
CREATE TABLE setting(
  name TEXT PRIMARY KEY,
  value TEXT NOT NULL) WITHOUT ROWID;
)sql";

// A new record: the tables of this version, the cache covering the empty log.
const std::string kSchema =
    std::string(kTables) + "INSERT INTO memory_cover VALUES (0, 0, " + std::to_string(kModelVersion) + ");\n";

// What brings a record of version v to v + 1 (entry v - 1). Answers and exams
// are never touched. The memory cache of an older model is rebuilt from the
// log at its first read, as the model version it records is not this one.
// A copy of the older program still running on the record keeps working: the
// rating's column has a default, and what it caches is rebuilt in turn.
constexpr std::array<const char*, kSchemaVersion - 1> kMigrations = {
    R"sql(
ALTER TABLE memory ADD COLUMN last_rating INTEGER NOT NULL DEFAULT 1;
ALTER TABLE exam ADD COLUMN questions TEXT;
CREATE TABLE setting(
  name TEXT PRIMARY KEY,
  value TEXT NOT NULL) WITHOUT ROWID;
)sql",
};

constexpr const char* kLocked = "locked by another program";
constexpr const char* kDamaged = "damaged record";
constexpr const char* kDiskFull = "disk full";
constexpr const char* kAnswerColumns = "time, pool, question, answer, correct, rating, mode, exam";

std::string reasonFor(int code) {
  if (code == SQLITE_IOERR_WRITE) return "write failed";  // e.g. a file that may grow no more
  switch (code & 0xff) {
    case SQLITE_FULL: return kDiskFull;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return kLocked;
    case SQLITE_NOTADB: return "not a Pentrill record";
    case SQLITE_CORRUPT: return kDamaged;
    case SQLITE_READONLY: return "file not writable";
    case SQLITE_PERM:
    case SQLITE_CANTOPEN: return "cannot open the file";
    case SQLITE_IOERR: return "read or write error";
    default: return sqlite3_errstr(code);
  }
}

// The reason, with the system's own error where SQLite's code is vague: a
// full disk shows as an I/O error when the WAL index cannot grow.
std::string reasonFor(sqlite3* db, int code) {
  const int primary = code & 0xff;
  const int error = sqlite3_system_errno(db);
  if ((primary == SQLITE_IOERR || primary == SQLITE_FULL || primary == SQLITE_CANTOPEN) &&
      (error == ENOSPC || error == EDQUOT))
    return kDiskFull;
  return reasonFor(code);
}

std::int32_t bigEndian32(const unsigned char* bytes) {
  return static_cast<std::int32_t>((std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                                   (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]});
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Looks at the file's first bytes without SQLite (which could roll back a
// journal it finds): a failure, or empty with `fresh` set when there is no
// record yet (no file, or an empty one).
std::string checkExistingFile(const std::string& path, bool& fresh) {
  fresh = false;
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT) {
      fresh = true;
      return "";
    }
    return std::strerror(errno);
  }
  if (!S_ISREG(status.st_mode)) return "not a Pentrill record";
  if (status.st_size == 0) {
    fresh = true;
    return "";
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "file not readable";
  std::array<unsigned char, 100> header{};
  const std::size_t got = std::fread(header.data(), 1, header.size(), file);
  std::fclose(file);
  static constexpr char kMagic[] = "SQLite format 3";  // with its terminating zero: 16 bytes
  if (got < header.size() || std::memcmp(header.data(), kMagic, sizeof kMagic) != 0 ||
      bigEndian32(header.data() + 68) != kApplicationId)
    return "not a Pentrill record";
  if (bigEndian32(header.data() + 60) > kSchemaVersion) return "written by a newer Pentrill";
  return "";
}

// One prepared statement, reset and unbound when its use ends.
class Use {
 public:
  explicit Use(sqlite3_stmt* statement) : statement_(statement) {}
  ~Use() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

  Use& text(int index, std::string_view value) {
    sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Use& integer(int index, std::int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
  }
  Use& real(int index, double value) {
    sqlite3_bind_double(statement_, index, value);
    return *this;
  }
  Use& null(int index) {
    sqlite3_bind_null(statement_, index);
    return *this;
  }
  int step() { return sqlite3_step(statement_); }
  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_;
};

std::string columnText(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  return text == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(text));
}

RecordedAnswer answerFromRow(sqlite3_stmt* statement) {
  RecordedAnswer answer;
  answer.time = sqlite3_column_int64(statement, 0);
  answer.pool = columnText(statement, 1);
  answer.question = columnText(statement, 2);
  const std::string letter = columnText(statement, 3);
  answer.answer = letter.empty() ? '?' : letter[0];
  answer.correct = sqlite3_column_int(statement, 4) != 0;
  answer.rating = sqlite3_column_int(statement, 5);
  answer.mode = study::answerModeFromName(columnText(statement, 6)).value_or(AnswerMode::Drill);
  if (sqlite3_column_type(statement, 7) != SQLITE_NULL) answer.exam = sqlite3_column_int64(statement, 7);
  return answer;
}

// The first column of a one-row query (a PRAGMA), or the failing code.
int queryInteger(sqlite3* db, const char* sql, std::int64_t& value) {
  sqlite3_stmt* statement = nullptr;
  int code = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  if (code == SQLITE_OK) {
    code = sqlite3_step(statement);
    if (code == SQLITE_ROW) {
      value = sqlite3_column_int64(statement, 0);
      code = SQLITE_OK;
    }
  }
  sqlite3_finalize(statement);
  return code;
}

// What an existing file holds, read by SQLite before anything is written.
std::string checkOurs(sqlite3* db) {
  std::int64_t application = 0;
  std::int64_t version = 0;
  int code = queryInteger(db, "PRAGMA application_id", application);
  if (code == SQLITE_OK) code = queryInteger(db, "PRAGMA user_version", version);
  if (code != SQLITE_OK) return reasonFor(db, code);
  if (application != kApplicationId) return "not a Pentrill record";
  if (version > kSchemaVersion) return "written by a newer Pentrill";
  if (version < 1) return kDamaged;
  return "";
}

// A record that does not exist yet gets its schema, before the WAL journal
// (so that the header says Pentrill from the first byte on disk). Another
// copy may be doing the same: the write lock decides, the loser finds the
// schema in place.
std::string createIfEmpty(sqlite3* db) {
  if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
    return reasonFor(db, sqlite3_extended_errcode(db));
  std::int64_t application = 0;
  std::int64_t tables = 0;
  int code = queryInteger(db, "PRAGMA application_id", application);
  if (code == SQLITE_OK) code = queryInteger(db, "SELECT count(*) FROM sqlite_master", tables);
  std::string failure;
  if (code != SQLITE_OK) {
    failure = reasonFor(db, code);
  } else if (application == 0 && tables == 0) {
    const std::string setup = std::string(kSchema) + "PRAGMA application_id = " + std::to_string(kApplicationId) +
                              "; PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
    if (sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      failure = reasonFor(db, sqlite3_extended_errcode(db));
  }
  if (sqlite3_get_autocommit(db) == 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  return failure;
}

std::string useWal(sqlite3* db) {
  sqlite3_stmt* statement = nullptr;
  int code = sqlite3_prepare_v2(db, "PRAGMA journal_mode = WAL", -1, &statement, nullptr);
  std::string mode;
  if (code == SQLITE_OK && (code = sqlite3_step(statement)) == SQLITE_ROW) mode = columnText(statement, 0);
  sqlite3_finalize(statement);
  if (mode != "wal") return code == SQLITE_ROW || code == SQLITE_DONE ? "cannot use a WAL journal" : reasonFor(db, code);
  // A commit survives the program being killed at any moment; only a power
  // cut may lose the last ones (WAL with synchronous NORMAL).
  if (sqlite3_exec(db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr) != SQLITE_OK)
    return reasonFor(db, sqlite3_extended_errcode(db));
  return "";
}

// Before SQLite's first use only (later calls are refused, harmlessly): the
// page cache grows page by page instead of starting with 20 pages.
void configureSqliteOnce() {
  static const bool configured = sqlite3_config(SQLITE_CONFIG_PAGECACHE, nullptr, 0, 0) == SQLITE_OK;
  (void)configured;
}

// The record is read in a few small queries: no lookaside memory (set
// before the connection's first use), a page cache of 64 KiB and no
// memory-mapped file keep a copy of the program small whatever the record's
// size (a count over a long log reuses the same few pages instead of keeping
// them all).
void useNoLookaside(sqlite3* db) { sqlite3_db_config(db, SQLITE_DBCONFIG_LOOKASIDE, nullptr, 0, 0); }

std::string useSmallCache(sqlite3* db) {
  if (sqlite3_exec(db, "PRAGMA cache_size = -64; PRAGMA mmap_size = 0", nullptr, nullptr, nullptr) != SQLITE_OK)
    return reasonFor(db, sqlite3_extended_errcode(db));
  return "";
}

// Brings a record of an earlier version to this one, in one transaction
// under the write lock: another copy doing the same at once finds it done.
std::string migrate(sqlite3* db) {
  std::int64_t version = 0;
  if (const int code = queryInteger(db, "PRAGMA user_version", version); code != SQLITE_OK) return reasonFor(code);
  if (version >= kSchemaVersion) return "";
  if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
    return reasonFor(sqlite3_errcode(db));
  // Read again under the lock: another copy may have migrated it meanwhile.
  std::string failure;
  if (const int code = queryInteger(db, "PRAGMA user_version", version); code != SQLITE_OK) failure = reasonFor(code);
  if (failure.empty() && version >= 1 && version < kSchemaVersion) {
    for (; failure.empty() && version < kSchemaVersion; ++version)
      if (sqlite3_exec(db, kMigrations[static_cast<std::size_t>(version - 1)], nullptr, nullptr, nullptr) != SQLITE_OK)
        failure = reasonFor(sqlite3_errcode(db));
    const std::string done = "PRAGMA user_version = " + std::to_string(kSchemaVersion) + "; COMMIT;";
    if (failure.empty() && sqlite3_exec(db, done.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
      failure = reasonFor(sqlite3_errcode(db));
  }
  if (sqlite3_get_autocommit(db) == 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  return failure;
}

// Everything an opening does before the record is used; one for reading
// changes nothing.
std::string setUp(sqlite3* db, bool fresh, bool readOnly) {
  std::string failure = fresh ? createIfEmpty(db) : "";
  if (failure.empty()) failure = checkOurs(db);
  if (failure.empty() && !readOnly) failure = useWal(db);
  if (failure.empty()) failure = useSmallCache(db);
  if (failure.empty() && !readOnly) failure = migrate(db);
  return failure;
}

bool exists(const std::string& path) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0;
}

// A new record's file, made private before SQLite opens it: SQLite gives the
// WAL journal's files the record's mode. Another copy making it at the same
// moment is no failure; `made` says whether this call made it.
std::string makePrivateFile(const std::string& path, bool& made) {
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  made = file >= 0;
  if (made) {
    close(file);
    return "";
  }
  if (errno == EEXIST) return "";
  return errno == ENOSPC || errno == EDQUOT ? kDiskFull : "cannot create the file";
}

// After a failed opening: the WAL journal's files, when there were none
// before (so no other copy has the record open) and nothing was journalled,
// and the record's file, when this opening made it and it is still empty.
void removeWhatOpeningLeft(const std::string& path, bool journalBefore, bool made) {
  struct stat status {};
  const std::string wal = path + "-wal";
  if (!journalBefore && (stat(wal.c_str(), &status) != 0 || status.st_size == 0)) {
    unlink(wal.c_str());
    unlink((path + "-shm").c_str());
  }
  if (made && stat(path.c_str(), &status) == 0 && status.st_size == 0) {
    unlink((path + "-journal").c_str());
    unlink(path.c_str());
  }
}

// `path` as an SQLite URI: bytes other than letters, digits and "/._-~" escaped.
std::string uriOf(const std::string& path) {
  std::string uri = "file:";
  for (const char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       std::string_view("/._-~").find(c) != std::string_view::npos;
    if (plain) {
      uri += c;
      continue;
    }
    std::array<char, 4> escaped{};
    std::snprintf(escaped.data(), escaped.size(), "%%%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
    uri += escaped.data();
  }
  return uri;
}

bool makeFolders(const std::string& folder) {
  if (folder.empty() || folder == "/" || folder == ".") return true;
  struct stat status {};
  if (stat(folder.c_str(), &status) == 0) return S_ISDIR(status.st_mode);
  if (!makeFolders(folderOf(folder))) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

std::string recordPathFor(std::string_view xdgStateHome, std::string_view home) {
  if (!xdgStateHome.empty() && xdgStateHome.front() == '/') return std::string(xdgStateHome) + "/pentrill/record.sqlite3";
  if (!home.empty() && home.front() == '/') return std::string(home) + "/.local/state/pentrill/record.sqlite3";
  return "";
}

RecordPlace defaultRecordPlace() {
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  RecordPlace place{recordPathFor(state ? state : "", home ? home : ""), ""};
  if (place.path.empty()) {
    place.failure = "no home folder";
  } else if (state == nullptr || state[0] != '/') {
    struct stat status {};
    if (stat(home, &status) == 0 ? !S_ISDIR(status.st_mode) : errno == ENOENT || errno == ENOTDIR)
      place.failure = "home folder not found";
  }
  return place;
}

// The store on an open connection, once its statements are prepared.
RecordOpening openStore(sqlite3* db, const std::string& path, int busyTimeoutMilliseconds, bool readOnly) {
  std::unique_ptr<SqliteRecordStore> store(new SqliteRecordStore(db, path, busyTimeoutMilliseconds, readOnly));
  if (!store->prepare()) return {nullptr, store->lastFailure()};
  return {std::move(store), ""};
}

namespace {

// Opens `name` (the path, or a URI for it) with SQLite and sets it up.
RecordOpening openSqlite(const std::string& name, int flags, const std::string& path, bool fresh, bool readOnly,
                         const RecordOpenOptions& options) {
  sqlite3* db = nullptr;
  configureSqliteOnce();
  if (const int code = sqlite3_open_v2(name.c_str(), &db, flags, nullptr); code != SQLITE_OK) {
    const std::string failure = reasonFor(db, code);
    sqlite3_close(db);
    return {nullptr, failure};
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, options.openBusyTimeoutMilliseconds);
  useNoLookaside(db);
  // Two copies making the record at once can meet where SQLite reports
  // "busy" at once instead of waiting (turning the new file to WAL while the
  // other copy reads it): the set-up is tried again until the busy timeout.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.openBusyTimeoutMilliseconds);
  std::string failure;
  for (;;) {
    failure = setUp(db, fresh, readOnly);
    if (failure != kLocked || std::chrono::steady_clock::now() >= deadline) break;
    sqlite3_sleep(5);
  }
  if (!failure.empty()) {
    sqlite3_close(db);
    return {nullptr, failure};
  }
  sqlite3_busy_timeout(db, options.busyTimeoutMilliseconds);
  return openStore(db, path, options.busyTimeoutMilliseconds, readOnly);
}

}  // namespace

RecordOpening openRecord(const std::string& path, const RecordOpenOptions& options) {
  bool fresh = false;
  if (std::string failure = checkExistingFile(path, fresh); !failure.empty()) return {nullptr, failure};
  // The WAL journal needs files beside the record, and a new record the folder.
  if (access(folderOf(path).c_str(), W_OK | X_OK) != 0)
    return {nullptr, errno == ENOENT ? "no such folder" : "folder not writable"};
  if (!fresh && access(path.c_str(), R_OK | W_OK) != 0) return {nullptr, "file not writable"};
  const bool journalBefore = exists(path + "-wal") || exists(path + "-shm");
  bool made = false;
  if (fresh)
    if (std::string failure = makePrivateFile(path, made); !failure.empty()) return {nullptr, failure};
  RecordOpening opening = openSqlite(path, SQLITE_OPEN_READWRITE, path, fresh, false, options);
  if (!opening.store) removeWhatOpeningLeft(path, journalBefore, made);
  return opening;
}

RecordOpening openRecordCreatingFolder(const std::string& path, const RecordOpenOptions& options) {
  if (path.empty()) return {nullptr, "no home folder"};
  if (!makeFolders(folderOf(path))) return {nullptr, "cannot create the folder"};
  return openRecord(path, options);
}

RecordOpening openRecordForReading(const std::string& path) {
  bool fresh = false;
  if (std::string failure = checkExistingFile(path, fresh); !failure.empty()) return {nullptr, failure};
  if (fresh) return {nullptr, ""};
  const RecordOpenOptions options;
  // Where this program could write, an ordinary connection leaves nothing
  // behind when it closes; it only reads.
  if (access(path.c_str(), R_OK | W_OK) == 0 && access(folderOf(path).c_str(), W_OK | X_OK) == 0)
    return openSqlite(path, SQLITE_OPEN_READWRITE, path, false, true, options);
  // Elsewhere SQLite would leave the WAL journal's files behind, or could
  // not make them. Without a WAL journal no copy has the record open, and
  // the file, as it stands, is the whole record: it is read as unchanging.
  const std::string uri = uriOf(path) + (exists(path + "-wal") ? "?mode=ro" : "?mode=ro&immutable=1");
  return openSqlite(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, path, false, true, options);
}

struct SqliteRecordStore::Statements {
  sqlite3_stmt* insertAnswer = nullptr;
  sqlite3_stmt* deleteExamAnswer = nullptr;
  sqlite3_stmt* questionLog = nullptr;
  sqlite3_stmt* saveMemory = nullptr;
  sqlite3_stmt* advanceCover = nullptr;
  sqlite3_stmt* readCover = nullptr;
  sqlite3_stmt* logExtent = nullptr;
  sqlite3_stmt* readMemory = nullptr;
  sqlite3_stmt* clearMemory = nullptr;
  sqlite3_stmt* saveCover = nullptr;
  sqlite3_stmt* poolLog = nullptr;
  sqlite3_stmt* allLog = nullptr;
  sqlite3_stmt* startExam = nullptr;
  sqlite3_stmt* finishExam = nullptr;
  sqlite3_stmt* lastExams = nullptr;
  sqlite3_stmt* readSetting = nullptr;
  sqlite3_stmt* writeSetting = nullptr;

  auto all() {
    return std::array{&insertAnswer, &deleteExamAnswer, &questionLog, &saveMemory,  &advanceCover, &readCover,
                      &logExtent,    &readMemory,       &clearMemory, &saveCover,   &poolLog,      &allLog,
                      &startExam,    &finishExam,       &lastExams,   &readSetting, &writeSetting};
  }
};

SqliteRecordStore::SqliteRecordStore(sqlite3* db, std::string path, int busyTimeoutMilliseconds, bool readOnly)
    : db_(db),
      path_(std::move(path)),
      statements_(std::make_unique<Statements>()),
      busyTimeoutMilliseconds_(busyTimeoutMilliseconds),
      readOnly_(readOnly) {}

SqliteRecordStore::~SqliteRecordStore() {
  for (sqlite3_stmt** statement : statements_->all()) sqlite3_finalize(*statement);
  sqlite3_close(db_);
}

bool SqliteRecordStore::prepare() {
  const std::string columns = kAnswerColumns;
  const std::array<std::pair<sqlite3_stmt**, std::string>, 17> sources = {{
      {&statements_->insertAnswer, "INSERT INTO answer(" + columns + ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"},
      {&statements_->deleteExamAnswer, "DELETE FROM answer WHERE exam = ?1 AND question = ?2"},
      {&statements_->questionLog,
       "SELECT " + columns + " FROM answer WHERE pool = ?1 AND question = ?2 ORDER BY time, id"},
      {&statements_->saveMemory,
       "INSERT OR REPLACE INTO memory(pool, question, stability, difficulty, last_answer, last_rating) "
       "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"},
      {&statements_->advanceCover,
       "UPDATE memory_cover SET answers = answers + ?1, last_id = ?2 WHERE model = ?3"},
      {&statements_->readCover, "SELECT answers, last_id, model FROM memory_cover"},
      {&statements_->logExtent, "SELECT (SELECT count(*) FROM answer), (SELECT coalesce(max(id), 0) FROM answer)"},
      {&statements_->readMemory,
       "SELECT question, stability, difficulty, last_answer, last_rating FROM memory WHERE pool = ?1"},
      {&statements_->clearMemory, "DELETE FROM memory"},
      {&statements_->saveCover, "UPDATE memory_cover SET answers = ?1, last_id = ?2, model = ?3"},
      {&statements_->poolLog, "SELECT " + columns + " FROM answer WHERE pool = ?1 ORDER BY time, id"},
      {&statements_->allLog, "SELECT " + columns + " FROM answer ORDER BY time, id"},
      {&statements_->startExam, "INSERT INTO exam(pool, started, questions) VALUES (?1, ?2, ?3)"},
      {&statements_->finishExam, "UPDATE exam SET finished = ?2, right_answers = ?3 WHERE id = ?1"},
      {&statements_->lastExams,
       "SELECT id, pool, started, finished, right_answers, questions FROM exam WHERE pool = ?1 "
       "ORDER BY started DESC, id DESC LIMIT ?2"},
      {&statements_->readSetting, "SELECT value FROM setting WHERE name = ?1"},
      {&statements_->writeSetting, "INSERT OR REPLACE INTO setting(name, value) VALUES (?1, ?2)"},
  }};
  for (const auto& [statement, sql] : sources)
    if (sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr) != SQLITE_OK) {
      failure_ = "damaged record";
      return false;
    }
  return true;
}

bool SqliteRecordStore::fail(int code) {
  failure_ = reasonFor(db_, code);
  if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return false;
}

bool SqliteRecordStore::execute(const char* sql) {
  const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  return code == SQLITE_OK || fail(code);
}

// SQLite's verdict on the record; NotYet, with the code, where it could not
// check ("locked", ...).
SqliteRecordStore::Check SqliteRecordStore::quickCheck(sqlite3* db, int& code) {
  sqlite3_stmt* statement = nullptr;
  code = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &statement, nullptr);
  std::string verdict;
  if (code == SQLITE_OK && (code = sqlite3_step(statement)) == SQLITE_ROW) verdict = columnText(statement, 0);
  sqlite3_finalize(statement);
  const int primary = code & 0xff;
  if (code == SQLITE_ROW) return verdict == "ok" ? Check::Sound : Check::Damaged;
  if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) return Check::Damaged;
  return Check::NotYet;
}

// On a connection of its own that only reads, which changes nothing even
// where it is the last one open on the record, with a small cache: the
// check reads each page once, and a large cache would stay in the program's
// memory after it.
SqliteRecordStore::Check SqliteRecordStore::checkOnOwnConnection(int& code) const {
  sqlite3* db = nullptr;
  code = sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  Check check = Check::NotYet;
  if (code == SQLITE_OK) code = sqlite3_db_config(db, SQLITE_DBCONFIG_LOOKASIDE, nullptr, 0, 0);
  if (code == SQLITE_OK) code = sqlite3_exec(db, "PRAGMA cache_size = -64", nullptr, nullptr, nullptr);
  if (code == SQLITE_OK) check = quickCheck(db, code);
  sqlite3_close(db);
  return check;
}

// Once per run, before the first write: a record that SQLite finds damaged
// is never written to (writing could spread the damage), and stays as found.
bool SqliteRecordStore::checkedSound() {
  int code = SQLITE_OK;
  if (check_ == Check::NotYet) check_ = checkOnOwnConnection(code);
  if (check_ == Check::NotYet) check_ = quickCheck(db_, code);
  if (check_ == Check::NotYet) return fail(code);
  if (check_ == Check::Damaged) failure_ = kDamaged;
  return check_ == Check::Sound;
}

// A record that could not be checked is taken as sound here: the first
// write checks it again.
std::optional<bool> SqliteRecordStore::soundness(bool checkNow) {
  if (check_ == Check::NotYet && checkNow && !readOnly_) {
    int code = SQLITE_OK;
    check_ = checkOnOwnConnection(code);
  }
  if (check_ == Check::NotYet) return checkNow ? std::optional<bool>(true) : std::nullopt;
  if (check_ != Check::Damaged) return true;
  failure_ = kDamaged;
  return false;
}

// Takes the write lock first (BEGIN IMMEDIATE), so that waiting for another
// copy goes through the busy timeout instead of failing half-way.
bool SqliteRecordStore::beginWrite(int milliseconds) {
  if (readOnly_) {
    failure_ = "opened for reading";
    return false;
  }
  if (!checkedSound()) return false;
  sqlite3_busy_timeout(db_, milliseconds);
  const bool begun = execute("BEGIN IMMEDIATE");
  sqlite3_busy_timeout(db_, busyTimeoutMilliseconds_);
  return begun;
}

// Every write goes through the kept ones, committed first and in order; one
// that finds the record locked stays kept and counts as done.
bool SqliteRecordStore::write(Write write) {
  kept_.push_back(std::move(write));
  return commitKept(busyTimeoutMilliseconds_) || failure_ == kLocked;
}

std::size_t SqliteRecordStore::keptAnswers() const {
  return static_cast<std::size_t>(std::count_if(kept_.begin(), kept_.end(), [](const Write& write) {
    return write.kind == Write::Kind::Answer || write.kind == Write::Kind::ExamAnswer;
  }));
}

bool SqliteRecordStore::locked() const { return failure_ == kLocked; }

// All kept writes in one transaction: all committed, or all still kept.
bool SqliteRecordStore::commitKept(int milliseconds) {
  if (kept_.empty()) return true;
  if (!beginWrite(milliseconds)) return false;
  std::map<std::int64_t, std::int64_t> started;  // this transaction's exams
  for (const Write& write : kept_)
    if (!apply(write, started)) return false;
  if (!execute("COMMIT")) return false;
  examIds_.merge(started);
  kept_.clear();
  return true;
}

bool SqliteRecordStore::apply(const Write& write, std::map<std::int64_t, std::int64_t>& started) {
  switch (write.kind) {
    case Write::Kind::Answer:
      return insertAndRefresh(write.answer, 0);
    case Write::Kind::ExamAnswer: {
      RecordedAnswer answer = write.answer;
      answer.exam = examId(*answer.exam, started);
      return replaceExamAnswer(answer);
    }
    case Write::Kind::StartExam: {
      Use insert(statements_->startExam);
      insert.text(1, write.exam.pool).integer(2, write.exam.started).text(3, write.exam.questions);
      if (const int code = insert.step(); code != SQLITE_DONE) return fail(code);
      started[write.exam.id] = sqlite3_last_insert_rowid(db_);
      return true;
    }
    case Write::Kind::FinishExam: {
      Use update(statements_->finishExam);
      update.integer(1, examId(write.exam.id, started)).integer(2, write.exam.finished.value_or(0));
      update.integer(3, write.exam.right.value_or(0));
      if (const int code = update.step(); code != SQLITE_DONE) return fail(code);
      return true;
    }
  }
  return false;
}

// The committed id of an exam started while the record was locked.
std::int64_t SqliteRecordStore::examId(std::int64_t id, const std::map<std::int64_t, std::int64_t>& started) const {
  if (const auto found = started.find(id); found != started.end()) return found->second;
  if (const auto found = examIds_.find(id); found != examIds_.end()) return found->second;
  return id;
}

bool SqliteRecordStore::appendAnswer(const RecordedAnswer& answer) {
  return write({Write::Kind::Answer, answer, {}});
}

bool SqliteRecordStore::recordExamAnswer(const RecordedAnswer& answer) {
  if (!answer.exam) {
    failure_ = "exam answer without its exam";
    return false;
  }
  return write({Write::Kind::ExamAnswer, answer, {}});
}

bool SqliteRecordStore::replaceExamAnswer(const RecordedAnswer& answer) {
  Use remove(statements_->deleteExamAnswer);
  remove.integer(1, *answer.exam).text(2, answer.question);
  if (const int code = remove.step(); code != SQLITE_DONE) return fail(code);
  return insertAndRefresh(answer, sqlite3_changes(db_));
}

// Inserts the answer and brings the cached memory of its question (and what
// the cache covers) up to date in the same transaction.
bool SqliteRecordStore::insertAndRefresh(const RecordedAnswer& answer, int replaced) {
  {
    Use insert(statements_->insertAnswer);
    insert.integer(1, answer.time).text(2, answer.pool).text(3, answer.question);
    insert.text(4, std::string_view(&answer.answer, 1)).integer(5, answer.correct ? 1 : 0);
    insert.integer(6, answer.rating).text(7, study::answerModeName(answer.mode));
    if (answer.exam)
      insert.integer(8, *answer.exam);
    else
      insert.null(8);
    if (const int code = insert.step(); code != SQLITE_DONE) return fail(code);
  }
  const std::int64_t id = sqlite3_last_insert_rowid(db_);
  if (!refreshQuestion(answer.pool, answer.question)) return false;
  Use cover(statements_->advanceCover);
  cover.integer(1, 1 - replaced).integer(2, id).integer(3, kModelVersion);
  if (const int code = cover.step(); code != SQLITE_DONE) return fail(code);
  return true;
}

// The question's state replayed from its own answers: exact also when an
// answer was replaced or arrived out of time order from another copy.
bool SqliteRecordStore::refreshQuestion(std::string_view pool, std::string_view question) {
  std::optional<std::vector<RecordedAnswer>> log;
  {
    Use read(statements_->questionLog);
    read.text(1, pool).text(2, question);
    log = readAnswers(read.get());
  }
  if (!log) return false;
  const std::vector<RecordedMemory> memory = study::replayMemory(*log);
  return memory.empty() || saveMemory(pool, memory.front());
}

bool SqliteRecordStore::saveMemory(std::string_view pool, const RecordedMemory& entry) {
  Use save(statements_->saveMemory);
  save.text(1, pool).text(2, entry.question).real(3, entry.stability).real(4, entry.difficulty);
  save.integer(5, entry.lastAnswer).integer(6, entry.lastRating);
  if (const int code = save.step(); code != SQLITE_DONE) return fail(code);
  return true;
}

bool SqliteRecordStore::visitAnswers(sqlite3_stmt* statement,
                                     const std::function<void(const RecordedAnswer&)>& visit) {
  int code;
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) visit(answerFromRow(statement));
  return code == SQLITE_DONE || fail(code);
}

std::optional<std::vector<RecordedAnswer>> SqliteRecordStore::readAnswers(sqlite3_stmt* statement) {
  std::vector<RecordedAnswer> answers;
  if (!visitAnswers(statement, [&answers](const RecordedAnswer& answer) { answers.push_back(answer); }))
    return std::nullopt;
  return answers;
}

// Its id, provisional while the record is locked: later calls with it are
// matched to the committed one.
std::optional<std::int64_t> SqliteRecordStore::startExam(std::string_view pool, std::int64_t time,
                                                         std::string_view questions) {
  const std::int64_t provisional = nextProvisionalExam_--;
  if (!write({Write::Kind::StartExam, {}, {provisional, std::string(pool), time, {}, {}, std::string(questions)}}))
    return std::nullopt;
  return examId(provisional);
}

bool SqliteRecordStore::finishExam(std::int64_t exam, std::int64_t time, int right) {
  return write({Write::Kind::FinishExam, {}, {exam, {}, 0, time, right, {}}});
}

// The kept answers that `belongs` takes, as they will read once committed:
// a changed exam answer replaces the earlier one; in time order, and in the
// order given where times are equal.
std::vector<RecordedAnswer> SqliteRecordStore::keptAnswersWhere(
    const std::function<bool(const RecordedAnswer&)>& belongs) const {
  std::vector<RecordedAnswer> answers;
  for (const Write& write : kept_) {
    if ((write.kind != Write::Kind::Answer && write.kind != Write::Kind::ExamAnswer) || !belongs(write.answer))
      continue;
    RecordedAnswer answer = write.answer;
    if (write.kind == Write::Kind::ExamAnswer) {
      answer.exam = examId(*answer.exam);
      std::erase_if(answers, [&answer](const RecordedAnswer& earlier) {
        return earlier.exam == answer.exam && earlier.question == answer.question;
      });
    }
    answers.push_back(std::move(answer));
  }
  std::stable_sort(answers.begin(), answers.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
  return answers;
}

// A recorded exam answer that a kept one replaces.
bool SqliteRecordStore::replacedByKept(const RecordedAnswer& answer) const {
  return answer.exam && std::any_of(kept_.begin(), kept_.end(), [&](const Write& write) {
           return write.kind == Write::Kind::ExamAnswer && examId(*write.answer.exam) == *answer.exam &&
                  write.answer.question == answer.question;
         });
}

// The answers `statement` reads (in time order, then as recorded) with the
// kept ones that `belongs` takes, where they will stand once committed: after
// every recorded answer of the same time.
bool SqliteRecordStore::visitWithKept(sqlite3_stmt* statement,
                                      const std::function<bool(const RecordedAnswer&)>& belongs,
                                      const AnswerVisit& visit) {
  const std::vector<RecordedAnswer> kept = keptAnswersWhere(belongs);
  std::size_t next = 0;
  const bool read = visitAnswers(statement, [&](const RecordedAnswer& answer) {
    if (!kept_.empty() && replacedByKept(answer)) return;
    for (; next < kept.size() && kept[next].time < answer.time; ++next) visit(kept[next]);
    visit(answer);
  });
  for (; read && next < kept.size(); ++next) visit(kept[next]);
  return read;
}

bool SqliteRecordStore::visitLog(std::string_view pool, const std::function<void(const RecordedAnswer&)>& visit) {
  Use read(statements_->poolLog);
  read.text(1, pool);
  return visitWithKept(read.get(), [pool](const RecordedAnswer& answer) { return answer.pool == pool; }, visit);
}

std::optional<std::vector<RecordedAnswer>> SqliteRecordStore::readAllAnswers() {
  Use read(statements_->allLog);
  std::vector<RecordedAnswer> answers;
  if (!visitWithKept(read.get(), [](const RecordedAnswer&) { return true; },
                     [&answers](const RecordedAnswer& answer) { answers.push_back(answer); }))
    return std::nullopt;
  return answers;
}

// The exams read with the kept ones: those started while the record was
// locked come first among equal start times (they will have the largest
// ids), and a kept end finishes its exam.
std::vector<RecordedExam> SqliteRecordStore::withKeptExams(std::vector<RecordedExam> exams, std::string_view pool,
                                                           int count) const {
  for (const Write& write : kept_)
    if (write.kind == Write::Kind::StartExam && write.exam.pool == pool) exams.insert(exams.begin(), write.exam);
  for (const Write& write : kept_)
    if (write.kind == Write::Kind::FinishExam)
      for (RecordedExam& exam : exams)
        if (examId(exam.id) == examId(write.exam.id)) {
          exam.finished = write.exam.finished;
          exam.right = write.exam.right;
        }
  std::stable_sort(exams.begin(), exams.end(), [](const auto& a, const auto& b) { return a.started > b.started; });
  if (exams.size() > static_cast<std::size_t>(count)) exams.resize(static_cast<std::size_t>(count));
  return exams;
}

std::optional<std::vector<RecordedExam>> SqliteRecordStore::readLastExams(std::string_view pool, int count) {
  Use read(statements_->lastExams);
  read.text(1, pool).integer(2, count);
  std::vector<RecordedExam> exams;
  int code;
  while ((code = read.step()) == SQLITE_ROW) {
    sqlite3_stmt* row = read.get();
    RecordedExam exam{sqlite3_column_int64(row, 0), columnText(row, 1), sqlite3_column_int64(row, 2), {}, {}, {}};
    if (sqlite3_column_type(row, 3) != SQLITE_NULL) exam.finished = sqlite3_column_int64(row, 3);
    if (sqlite3_column_type(row, 4) != SQLITE_NULL) exam.right = sqlite3_column_int(row, 4);
    exam.questions = columnText(row, 5);
    exams.push_back(std::move(exam));
  }
  if (code != SQLITE_DONE) {
    fail(code);
    return std::nullopt;
  }
  return withKeptExams(std::move(exams), pool, count);
}

// Whether the cached memory covers exactly the log's answers.
std::optional<bool> SqliteRecordStore::memoryCoversLog() {
  std::int64_t answers = -1, lastId = -1, model = -1;
  {
    Use cover(statements_->readCover);
    const int code = cover.step();
    if (code == SQLITE_ROW) {
      answers = sqlite3_column_int64(cover.get(), 0);
      lastId = sqlite3_column_int64(cover.get(), 1);
      model = sqlite3_column_int64(cover.get(), 2);
    } else if (code != SQLITE_DONE) {
      fail(code);
      return std::nullopt;
    }
  }
  Use extent(statements_->logExtent);
  if (const int code = extent.step(); code != SQLITE_ROW) {
    fail(code);
    return std::nullopt;
  }
  return model == kModelVersion && answers == sqlite3_column_int64(extent.get(), 0) &&
         lastId == sqlite3_column_int64(extent.get(), 1);
}

bool SqliteRecordStore::visitCachedMemory(std::string_view pool,
                                          const std::function<void(const RecordedMemory&)>& visit) {
  Use read(statements_->readMemory);
  read.text(1, pool);
  int code;
  while ((code = read.step()) == SQLITE_ROW) {
    sqlite3_stmt* row = read.get();
    visit({columnText(row, 0), sqlite3_column_double(row, 1), sqlite3_column_double(row, 2),
           sqlite3_column_int64(row, 3), sqlite3_column_int(row, 4)});
  }
  return code == SQLITE_DONE || fail(code);
}

bool SqliteRecordStore::visitMemory(std::string_view pool, const std::function<void(const RecordedMemory&)>& visit) {
  // One read transaction: the cover check and the rows see the same moment.
  if (!execute("BEGIN")) return false;
  const std::optional<bool> covered = memoryCoversLog();
  if (!covered) return false;
  if (*covered) return visitCachedWithKept(pool, visit) && execute("COMMIT");
  if (!execute("COMMIT")) return false;
  // The cache is rebuilt from the log alone, so the kept writes go first.
  if (!readOnly_ && checkedSound() && commitKept(busyTimeoutMilliseconds_) && rebuildMemory())
    return visitCachedMemory(pool, visit);
  // A record that cannot be written now is still read: the log replayed.
  return (readOnly_ || failure_ == kLocked) && visitReplayedPool(pool, visit);
}

// The cached states, but those of questions with kept answers replayed with
// them.
bool SqliteRecordStore::visitCachedWithKept(std::string_view pool, const MemoryVisit& visit) {
  std::set<std::string> touched;
  for (const RecordedAnswer& answer : keptAnswersWhere([pool](const auto& answer) { return answer.pool == pool; }))
    touched.insert(answer.question);
  if (!visitCachedMemory(pool, [&](const RecordedMemory& entry) {
        if (!touched.contains(entry.question)) visit(entry);
      }))
    return false;
  return std::all_of(touched.begin(), touched.end(),
                     [&](const std::string& question) { return visitReplayedQuestion(pool, question, visit); });
}

bool SqliteRecordStore::visitReplayedQuestion(std::string_view pool, const std::string& question,
                                              const MemoryVisit& visit) {
  std::vector<RecordedAnswer> log;
  {
    Use read(statements_->questionLog);
    read.text(1, pool).text(2, question);
    const auto belongs = [&](const RecordedAnswer& answer) { return answer.pool == pool && answer.question == question; };
    if (!visitWithKept(read.get(), belongs, [&log](const RecordedAnswer& answer) { log.push_back(answer); }))
      return false;
  }
  for (const RecordedMemory& entry : study::replayMemory(log)) visit(entry);
  return true;
}

bool SqliteRecordStore::visitReplayedPool(std::string_view pool, const MemoryVisit& visit) {
  const std::optional<std::vector<RecordedAnswer>> log = readLog(pool);
  if (!log) return false;
  for (const RecordedMemory& entry : study::replayMemory(*log)) visit(entry);
  return true;
}

// Replays the whole log, pool by pool, and stores the result as the new cache.
bool SqliteRecordStore::rebuildMemory() {
  if (!execute("BEGIN IMMEDIATE")) return false;
  const std::optional<std::vector<RecordedAnswer>> log = readAllAnswers();
  if (!log) return false;
  std::map<std::string, std::vector<RecordedAnswer>> pools;
  for (const RecordedAnswer& answer : *log) pools[answer.pool].push_back(answer);
  {
    Use clear(statements_->clearMemory);
    if (const int code = clear.step(); code != SQLITE_DONE) return fail(code);
  }
  for (const auto& [pool, answers] : pools)
    for (const RecordedMemory& entry : study::replayMemory(answers))
      if (!saveMemory(pool, entry)) return false;
  {
    Use extent(statements_->logExtent);
    if (const int code = extent.step(); code != SQLITE_ROW) return fail(code);
    Use cover(statements_->saveCover);
    cover.integer(1, sqlite3_column_int64(extent.get(), 0)).integer(2, sqlite3_column_int64(extent.get(), 1));
    cover.integer(3, kModelVersion);
    if (const int code = cover.step(); code != SQLITE_DONE) return fail(code);
  }
  return execute("COMMIT");
}

std::optional<std::string> SqliteRecordStore::readSetting(std::string_view name) {
  Use read(statements_->readSetting);
  read.text(1, name);
  const int code = read.step();
  if (code == SQLITE_ROW) return columnText(read.get(), 0);
  if (code != SQLITE_DONE) fail(code);
  return std::nullopt;
}

bool SqliteRecordStore::writeSetting(std::string_view name, std::string_view value) {
  if (!execute("BEGIN IMMEDIATE")) return false;
  {
    Use write(statements_->writeSetting);
    write.text(1, name).text(2, value);
    if (const int code = write.step(); code != SQLITE_DONE) return fail(code);
  }
  return execute("COMMIT");
}

}  // namespace pentrill
