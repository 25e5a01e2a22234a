#include "resources/resources.h"

// Defined by the sources that cmake/Embed.cmake generates.
namespace pentrill::embedded {
std::span<const unsigned char> alert_wave();
}  // namespace pentrill::embedded

namespace pentrill {

std::span<const unsigned char> alertSoundWave() { return embedded::alert_wave(); }

}  // namespace pentrill
