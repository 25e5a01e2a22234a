// Pentrill: drills the Amateur Extra (Element 4) question pool in a terminal.
#include <unistd.h>

#include <cstdio>
#include <exception>

#include "drill/program.h"
#include "drill/program_state.h"
#include "screen/platform.h"
#include "screen/platform/sdl_sound.h"
#include "screen/platform/system_clock.h"
#include "screen/platform/terminal_console.h"

namespace {

// Everything lives inside this call, so that the console's destructor has
// given the terminal back before main reports anything or exits. The console
// comes last so that it goes first: the terminal is restored at once, before
// the sound thread is shut down.
int runInTerminal() {
  pentrill::ProgramState state;
  pentrill::SystemClock clock;
  pentrill::SdlSound sound;  // starts SDL only at the first alert
  pentrill::NoPictureWindows windows;
  pentrill::TerminalConsole console;
  pentrill::Platform platform{console, windows, sound, clock};
  return pentrill::runProgram(platform, state);
}

}  // namespace

int main() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    std::fputs("pentrill: needs an interactive terminal\n", stderr);
    return 1;
  }
  try {
    return runInTerminal();
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
