#include "session/random.h"

#include <bit>
#include <cmath>
#include <utility>

namespace pentrill {

namespace {
std::uint64_t splitMix(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
}  // namespace

// Any seed, fraction included, gives its own sequence.
void Random::seedRandom(double seed) {
  std::uint64_t x = std::bit_cast<std::uint64_t>(seed);
  for (auto& word : state_) word = splitMix(x);
}

// xoshiro256**
std::uint64_t Random::next() {
  const std::uint64_t result = std::rotl(state_[1] * 5, 7) * 9;
  const std::uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = std::rotl(state_[3], 45);
  return result;
}

int Random::drawRandom(int lo, int hi) {
  if (lo > hi) std::swap(lo, hi);
  double r = static_cast<double>(next() >> 11) * 0x1.0p-53;  // uniform in [0, 1)
  return lo + static_cast<int>(std::floor(r * (static_cast<double>(hi) - lo + 1)));
}

}  // namespace pentrill
