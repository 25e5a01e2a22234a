// Everything that touches the outside world, handed by reference to the
// program flow so that it can run against fakes in tests.
#pragma once
#include "screen/clock.h"
#include "screen/console.h"
#include "screen/picture_windows.h"
#include "screen/sound.h"

namespace pentrill {

struct Platform {
  Console& console;
  PictureWindows& windows;
  Sound& sound;
  Clock& clock;
};

}  // namespace pentrill
