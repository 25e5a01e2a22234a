// Everything that touches the outside world, handed by reference to the
// program flow so that it can run against fakes in tests.
#pragma once
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/picture_windows.h"
#include "platform/sound.h"

namespace pentrill {

struct Platform {
  Console& console;
  PictureWindows& windows;
  Sound& sound;
  Clock& clock;
  Files& files;
};

}  // namespace pentrill
