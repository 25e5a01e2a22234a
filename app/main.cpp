// Pentrill: drills the US amateur radio licence exams' question pools in a
// terminal, on the full screen or as plain lines.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"
#include "app/study_report.h"
#include "fullscreen/full_face.h"
#include "plain/plain_face.h"
#include "platform/platform.h"
#include "session/session.h"
#include "backends/posix_files.h"
#include "backends/stdio_lines.h"
#include "backends/sdl_sound.h"
#include "backends/sdl_windows.h"
#include "backends/sqlite_record_store.h"
#include "backends/system_clock.h"
#include "backends/terminal_console.h"

namespace {

std::string recordPath(const pentrill::CommandLine& commandLine) {
  return commandLine.recordPath ? *commandLine.recordPath : pentrill::defaultRecordPath();
}

// --stats and --export-record read the record without creating one.
int answerFromRecord(const pentrill::CommandLine& commandLine, pentrill::Clock& clock) {
  const std::string path = recordPath(commandLine);
  pentrill::RecordOpening record;
  // Only a record that does not exist reads as empty; one that cannot even
  // be looked at (a folder in its path not readable) is a failure.
  struct stat status {};
  if (!path.empty() && (stat(path.c_str(), &status) == 0 || errno != ENOENT)) {
    record = pentrill::openRecord(path);
    if (!record.store) {
      std::fprintf(stderr, "pentrill: cannot read the study record %s: %s\n", path.c_str(), record.failure.c_str());
      return 1;
    }
  }
  const pentrill::CommandAnswer answer = pentrill::answerFromRecord(
      commandLine.action == pentrill::CommandLine::Action::ExportRecord, record.store.get(), path,
      *commandLine.edition, pentrill::utcSecondsNow(clock), pentrill::utcOffsetSecondsNow(clock));
  return pentrill::deliver(answer, stdout, stderr);
}

// The study record the session writes to. A record that cannot be used
// never stops the program: it runs without one, and the menu says why.
pentrill::RecordOpening openSessionRecord(pentrill::Session& session, const pentrill::CommandLine& commandLine) {
  pentrill::RecordOpening record;
  session.record.kept = !commandLine.noRecord;
  if (session.record.kept) {
    session.record.path = recordPath(commandLine);
    record = session.record.path.empty() ? pentrill::RecordOpening{nullptr, "no home folder"}
                                         : pentrill::openRecordCreatingFolder(session.record.path);
    session.record.store = record.store.get();
    session.record.offReason = record.failure;
  }
  return record;
}

// Everything lives inside this call, so that the console's destructor has
// given the terminal back before main reports anything or exits. The console
// comes last so that it goes first: the terminal is restored at once, before
// the windows are closed and the SDL thread is shut down.
int runInTerminal(const pentrill::CommandLine& commandLine) {
  pentrill::SystemClock clock;
  pentrill::PosixFiles files;
  pentrill::Session session(*commandLine.edition, clock, files);
  const pentrill::RecordOpening record = openSessionRecord(session, commandLine);
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
int runPlain(const pentrill::CommandLine& commandLine) {
  std::signal(SIGPIPE, SIG_IGN);  // a closed pipe is a write that fails, not a death
  pentrill::SystemClock clock;
  pentrill::PosixFiles files;
  pentrill::Session session(*commandLine.edition, clock, files);
  const pentrill::RecordOpening record = openSessionRecord(session, commandLine);
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

}  // namespace

int main(int argc, char** argv) {
  // Help, version and a wrong command line are answered before the terminal
  // is looked at, so they work without one and leave its modes alone.
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const pentrill::CommandLine commandLine = pentrill::parseCommandLine(arguments);
  pentrill::SystemClock clock;
  if (const std::optional<pentrill::CommandAnswer> answer =
          pentrill::answerWithoutTerminal(commandLine, pentrill::localDate(clock.now())))
    return pentrill::deliver(*answer, stdout, stderr);
  if (commandLine.action != pentrill::CommandLine::Action::Run) return answerFromRecord(commandLine, clock);
  if (wantsPlain(commandLine)) return runPlain(commandLine);
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    std::fputs("pentrill: needs an interactive terminal (pentrill --plain works without one)\n", stderr);
    return 1;
  }
  try {
    return runInTerminal(commandLine);
  } catch (const pentrill::ProgramExit& exit) {
    return exit.status;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pentrill: %s\n", error.what());
    return 1;
  } catch (...) {
    std::fputs("pentrill: unexpected failure\n", stderr);
    return 1;
  }
}
