// The drill over one subelement.
#pragma once
#include "drill/program_state.h"
#include "platform/platform.h"

namespace pentrill {

// Drill over subelement 0 to 9 on the loaded drill pool. True when the
// program is to end (the user declined another drill).
bool runDrill(int subelement, Platform& platform, ProgramState& state);

}  // namespace pentrill
