// The program's entry flow: start-up, main menu, help and farewell screens.
#pragma once
#include <string_view>

#include "drill/program_state.h"
#include "platform/platform.h"

namespace pentrill {

inline constexpr const char* kWindowTitle = "Pentrill By Tarvold QQ0QQQ v2021.05.03a";
// The version that --version reports; the window title ends with it.
inline constexpr std::string_view kVersion = "2021.05.03a";
static_assert(std::string_view(kWindowTitle).ends_with(kVersion));

// Sets up the console and runs the menu until the farewell screen; returns
// the process exit status.
int runProgram(Platform& platform, ProgramState& state);

void showHelpScreen(Platform& platform, const PoolEdition& edition);
void showFarewellScreen(Platform& platform);

}  // namespace pentrill
