// The program's entry flow: the menu and what it leads to, on any face.
#pragma once
#include <string_view>

#include "app/app_view.h"

namespace pentrill {

inline constexpr const char* kWindowTitle = "Pentrill By Tarvold QQ0QQQ v2021.05.03a";
// The version that --version reports; the window title ends with it.
inline constexpr std::string_view kVersion = "2021.05.03a";
static_assert(std::string_view(kWindowTitle).ends_with(kVersion));

inline constexpr std::string_view kStudySessionTitle = "Study Session \x96 Your Chance of Passing";
inline constexpr std::string_view kMissedTitle = "Missed in the Practice Exam";

}  // namespace pentrill
