// Pentrill: drills the Amateur Extra (Element 4) question pool in a terminal.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"
#include "drill/program_state.h"
#include "platform/platform.h"
#include "backends/sdl_sound.h"
#include "backends/sdl_windows.h"
#include "backends/system_clock.h"
#include "backends/terminal_console.h"

namespace {

// Everything lives inside this call, so that the console's destructor has
// given the terminal back before main reports anything or exits. The console
// comes last so that it goes first: the terminal is restored at once, before
// the windows are closed and the SDL thread is shut down.
int runInTerminal(const pentrill::PoolEdition& edition) {
  pentrill::ProgramState state(edition);
  pentrill::SystemClock clock;
  pentrill::SdlThread sdl;  // loads SDL2 and starts only at the first alert or window
  pentrill::SdlSound sound(sdl);
  pentrill::SdlPictureWindows windows(sdl);
  pentrill::TerminalConsole console;
  pentrill::Platform platform{console, windows, sound, clock};
  return pentrill::runProgram(platform, state);
}

}  // namespace

int main(int argc, char** argv) {
  // Help, version and a wrong command line are answered before the terminal
  // is looked at, so they work without one and leave its modes alone.
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const pentrill::CommandLine commandLine = pentrill::parseCommandLine(arguments);
  pentrill::SystemClock clock;
  if (std::optional<int> status =
          pentrill::answerWithoutTerminal(commandLine, pentrill::localDate(clock.now()), std::cout, std::cerr))
    return *status;
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    std::fputs("pentrill: needs an interactive terminal\n", stderr);
    return 1;
  }
  try {
    return runInTerminal(*commandLine.edition);
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
