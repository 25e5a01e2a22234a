// The character set the terminal takes: the locale's, as for every curses
// program.
#pragma once

namespace pentrill {

// UTF-8 where the locale says so, else ASCII, which any terminal shows
// (UTF-8 guessed wrongly would show garbage). Only the character type is
// taken from the environment: the program's number texts must not follow a
// local decimal comma.
bool localeIsUtf8();

}  // namespace pentrill
