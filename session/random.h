// The program's one pseudo-random generator.
#pragma once
#include <cstdint>

namespace pentrill {

class Random {
 public:
  // Seeds the generator from any number (the drill uses clock readings).
  void seedRandom(double seed);
  // A uniform whole number from lo to hi inclusive (swapped when lo > hi).
  int drawRandom(int lo, int hi);

 private:
  std::uint64_t next();
  std::uint64_t state_[4] = {0x9E3779B97F4A7C15ull, 0xBF58476D1CE4E5B9ull, 0x94D049BB133111EBull, 1};
};

}  // namespace pentrill
