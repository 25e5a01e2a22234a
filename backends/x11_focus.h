// Keeping the keyboard with the terminal when a picture window appears on an
// X11 display. Window managers give a new window the focus unless it says it
// takes no keyboard input; without a window manager SDL itself moves the
// focus to every window it shows. Both are undone here, through the X11
// library that SDL has already loaded (nothing is loaded for it).
#pragma once
#include "backends/sdl_library.h"

namespace pentrill {

// What had the keyboard before a window was shown.
struct X11Focus {
  bool known = false;
  unsigned long window = 0;  // an X11 Window
  int revertTo = 0;
};

// For a window not yet shown: marks it as one that takes no keyboard input
// and must not be activated when it appears, and returns who has the
// keyboard now. Nothing where the window is not an X11 window.
X11Focus refuseKeyboardFocus(const SdlApi& api, SDL_Window* window);

// After the window is shown: gives the keyboard back if the window took it.
void restoreKeyboardFocus(const SdlApi& api, SDL_Window* window, const X11Focus& before);

// The descriptor of the X11 connection a window lives on, which becomes
// readable when the display has events for SDL; -1 for a window that is not
// an X11 window.
int x11Connection(const SdlApi& api, SDL_Window* window);

}  // namespace pentrill
