// Pentrill: drills the US amateur radio licence exams' question pools in a
// terminal, on the full screen or as plain lines.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"
#include "app/study_report.h"
#include "fullscreen/full_face.h"
#include "plain/plain_face.h"
#include "platform/platform.h"
#include "screen/calendar.h"
#include "session/session.h"
#include "backends/posix_files.h"
#include "backends/sdl_sound.h"
#include "backends/sdl_windows.h"
#include "backends/sqlite_record_store.h"
#include "backends/locale_charset.h"
#include "backends/stdio_lines.h"
#include "backends/system_clock.h"
#include "backends/terminal_console.h"

namespace {

pentrill::RecordPlace recordPlace(const pentrill::CommandLine& commandLine) {
  return commandLine.recordPath ? pentrill::RecordPlace{*commandLine.recordPath, ""} : pentrill::defaultRecordPlace();
}

// --stats and --export-record read the record without creating one, and
// without writing to it: a read-only record is read.
int answerFromRecord(const pentrill::CommandLine& commandLine, pentrill::Clock& clock) {
  const pentrill::RecordPlace place = recordPlace(commandLine);
  pentrill::RecordOpening record{nullptr, place.failure};
  // Only a record that does not exist reads as empty; one that cannot even
  // be looked at (a folder in its path not readable) is a failure.
  struct stat status {};
  if (place.failure.empty() && (stat(place.path.c_str(), &status) == 0 || errno != ENOENT))
    record = pentrill::openRecordForReading(place.path);
  if (!record.failure.empty()) {
    std::fprintf(stderr, "pentrill: cannot read the study record %s: %s\n", place.path.c_str(), record.failure.c_str());
    return 1;
  }
  const pentrill::CommandAnswer answer = pentrill::answerFromRecord(
      commandLine.action == pentrill::CommandLine::Action::ExportRecord, record.store.get(), place.path,
      pentrill::startingPool(commandLine.edition, record.store.get()), pentrill::utcSecondsNow(clock),
      pentrill::utcOffsetSecondsNow(clock));
  return pentrill::deliver(answer, stdout, stderr);
}

// A record that cannot be used never stops the program: it runs without one.
pentrill::RecordOpening openRunRecord(const pentrill::RecordPlace& place) {
  if (!place.failure.empty()) return {nullptr, place.failure};
  return pentrill::openRecordCreatingFolder(place.path);
}

// The session's record as the run opened it: wanted unless --no-record.
void attachRecord(pentrill::Session& session, const pentrill::CommandLine& commandLine, const std::string& path,
                  const pentrill::RecordOpening& record) {
  session.record.kept = !commandLine.noRecord;
  session.record.path = path;
  session.record.store = record.store.get();
  session.record.offReason = record.failure;
}

// Everything lives inside this call, so that the console's destructor has
// given the terminal back before main reports anything or exits. The console
// comes last so that it goes first: the terminal is restored at once, before
// the windows are closed and the SDL thread is shut down.
int runInTerminal(const pentrill::CommandLine& commandLine, const std::string& recordPath,
                  const pentrill::RecordOpening& record) {
  pentrill::SystemClock clock;
  pentrill::PosixFiles files;
  pentrill::Session session(pentrill::startingPool(commandLine.edition, record.store.get()), clock, files);
  attachRecord(session, commandLine, recordPath, record);
  pentrill::SdlThread sdl;  // loads SDL2 and starts only at the first alert or window
  pentrill::SdlSound sound(sdl);
  pentrill::SdlPictureWindows windows(sdl);
  pentrill::TerminalConsole console(commandLine.figures.value_or(pentrill::FigureProtocolSetting::Auto));
  pentrill::Platform platform{console, windows, sound, clock, files};
  pentrill::FullScreenFace face(platform);
  return pentrill::runProgram(session, face);
}

// Libraries that print (the sound's, the windows') would put their words
// among the lines a screen reader reads: standard error goes to /dev/null
// while the plain face runs, and comes back for the program's own report.
class QuietStandardError {
 public:
  QuietStandardError() : saved_(dup(STDERR_FILENO)) {
    const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull >= 0) {
      dup2(devNull, STDERR_FILENO);
      close(devNull);
    }
  }
  ~QuietStandardError() {
    if (saved_ < 0) return;
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_;
};

// The plain face on standard input and output. The end of input ends the
// program as Q does; output that cannot be written ends it with status 1.
int runPlain(const pentrill::CommandLine& commandLine, const std::string& recordPath,
             const pentrill::RecordOpening& record) {
  std::signal(SIGPIPE, SIG_IGN);  // a closed pipe is a write that fails, not a death
  pentrill::SystemClock clock;
  pentrill::PosixFiles files;
  pentrill::Session session(pentrill::startingPool(commandLine.edition, record.store.get()), clock, files);
  attachRecord(session, commandLine, recordPath, record);
  int failure = 0;
  {
    const QuietStandardError quiet;
    pentrill::SdlThread sdl;
    pentrill::SdlSound sound(sdl);
    pentrill::SdlPictureWindows windows(sdl);
    pentrill::StdioLines lines(stdin, stdout, pentrill::localeIsUtf8());
    pentrill::PlainFace face(lines, sound, windows, clock);
    try {
      try {
        return pentrill::runProgram(session, face);
      } catch (const pentrill::EndOfInput&) {
        face.farewell();
        return 0;
      }
    } catch (const pentrill::OutputFailed& failed) {
      failure = failed.error;
    }
  }
  std::fprintf(stderr, "pentrill: cannot write to standard output: %s\n", std::strerror(failure));
  return 1;
}

// TERM=dumb names a terminal that can do nothing but lines.
bool wantsPlain(const pentrill::CommandLine& commandLine) {
  const char* term = std::getenv("TERM");
  return commandLine.plain || (term != nullptr && std::string_view(term) == "dumb");
}

// "3 answers given in this run are", "a practice exam's start or end is".
std::string keptWritesText(const pentrill::SqliteRecordStore& store) {
  const std::size_t answers = store.keptAnswers();
  if (answers == 0) return "a practice exam's start or end is";
  return std::to_string(answers) + (answers == 1 ? " answer given in this run is" : " answers given in this run are");
}

// At the end of the run, with the terminal given back: what a locked record
// kept gets a last, longer chance; what still cannot be written is reported,
// never lost silently. False then.
bool commitKeptAtEnd(pentrill::SqliteRecordStore* store) {
  if (store == nullptr || !store->keepsWrites() || store->commitKept(0)) return true;
  const std::string kept = keptWritesText(*store);
  if (store->locked()) {
    std::fprintf(stderr, "pentrill: the study record %s is locked by another program: waiting up to %d s\n",
                 store->path().c_str(), pentrill::kLastChanceMilliseconds / 1000);
    if (store->commitKept(pentrill::kLastChanceMilliseconds)) return true;
  }
  std::fprintf(stderr, "pentrill: cannot write to the study record %s (%s): %s not in it\n", store->path().c_str(),
               store->lastFailure().c_str(), kept.c_str());
  return false;
}

// One run of a face, on the record opened before it; what the record kept
// back is settled after it, with the terminal given back.
int runWithRecord(const pentrill::CommandLine& commandLine, bool plain) {
  pentrill::RecordPlace place;
  pentrill::RecordOpening record;
  if (!commandLine.noRecord) {
    place = recordPlace(commandLine);
    record = openRunRecord(place);
  }
  int status = 1;
  try {
    status = plain ? runPlain(commandLine, place.path, record) : runInTerminal(commandLine, place.path, record);
  } catch (const pentrill::ProgramExit& exit) {
    status = exit.status;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pentrill: %s\n", error.what());
  } catch (...) {
    std::fputs("pentrill: unexpected failure\n", stderr);
  }
  const bool allWritten = commitKeptAtEnd(record.store.get());
  return allWritten ? status : std::max(status, 1);
}

}  // namespace

int main(int argc, char** argv) {
  // Help, version and a wrong command line are answered before the terminal
  // is looked at, so they work without one and leave its modes alone.
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  pentrill::SystemClock clock;
  const pentrill::CivilDate today = pentrill::localDate(clock.now());
  const pentrill::CommandLine commandLine = pentrill::parseCommandLine(arguments, today);
  if (const std::optional<pentrill::CommandAnswer> answer = pentrill::answerWithoutTerminal(commandLine, today))
    return pentrill::deliver(*answer, stdout, stderr);
  if (commandLine.action != pentrill::CommandLine::Action::Run) return answerFromRecord(commandLine, clock);
  if (wantsPlain(commandLine)) return runWithRecord(commandLine, true);
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    std::fputs("pentrill: needs an interactive terminal (pentrill --plain works without one)\n", stderr);
    return 1;
  }
  return runWithRecord(commandLine, false);
}
