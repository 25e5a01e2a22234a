// Pentrill: drills the question pools of the US amateur radio licence exams
// in a terminal.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"
#include "app/study_report.h"
#include "drill/program_state.h"
#include "platform/platform.h"
#include "screen/calendar.h"
#include "backends/sdl_sound.h"
#include "backends/sdl_windows.h"
#include "backends/sqlite_record_store.h"
#include "backends/system_clock.h"
#include "backends/terminal_console.h"

namespace {

// The pool chosen with --pool, else the default.
const pentrill::PoolEdition& poolInUse(const pentrill::CommandLine& commandLine) {
  return commandLine.edition != nullptr ? *commandLine.edition : *pentrill::poolEditions().front();
}

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
      poolInUse(commandLine), pentrill::utcSecondsNow(clock), pentrill::utcOffsetSecondsNow(clock));
  return pentrill::deliver(answer, stdout, stderr);
}

// Everything lives inside this call, so that the console's destructor has
// given the terminal back before main reports anything or exits. The console
// comes last so that it goes first: the terminal is restored at once, before
// the windows are closed and the SDL thread is shut down.
int runInTerminal(const pentrill::CommandLine& commandLine) {
  pentrill::ProgramState state(poolInUse(commandLine));
  // A record that cannot be used never stops the program: it runs without one.
  pentrill::RecordOpening record;
  state.record.kept = !commandLine.noRecord;
  if (state.record.kept) {
    state.record.path = recordPath(commandLine);
    record = state.record.path.empty() ? pentrill::RecordOpening{nullptr, "no home folder"}
                                       : pentrill::openRecordCreatingFolder(state.record.path);
    state.record.store = record.store.get();
    state.record.offReason = record.failure;
  }
  pentrill::SystemClock clock;
  pentrill::SdlThread sdl;  // loads SDL2 and starts only at the first alert or window
  pentrill::SdlSound sound(sdl);
  pentrill::SdlPictureWindows windows(sdl);
  pentrill::TerminalConsole console(commandLine.figures.value_or(pentrill::FigureProtocolSetting::Auto));
  pentrill::Platform platform{console, windows, sound, clock};
  return pentrill::runProgram(platform, state);
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
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    std::fputs("pentrill: needs an interactive terminal\n", stderr);
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
