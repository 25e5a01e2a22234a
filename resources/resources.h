// Files stored inside the program.
#pragma once
#include <span>

namespace pentrill {

// The alert sound: a WAVE file (8-bit mono PCM, 22,050 samples per second).
std::span<const unsigned char> alertSoundWave();

}  // namespace pentrill
