// The drill over one subelement.
#pragma once
#include <string>
#include <vector>

#include "drill/program_state.h"
#include "platform/platform.h"

namespace pentrill {

// Drill over subelement 0 to 9 on the loaded drill pool. True when the
// program is to end (the user declined another drill).
bool runDrill(int subelement, Platform& platform, ProgramState& state);

// A study session over the questions named (identifiers of the edition),
// asked like a random drill until each has been answered right, or until the
// user stops it. True when every question was answered right.
bool runStudySession(const std::vector<std::string>& questions, Platform& platform, ProgramState& state);

}  // namespace pentrill
