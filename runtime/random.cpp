#include "runtime/random.h"

namespace rt {

float Random::Next() {
  // SplitMix64: a full-period 64-bit sequence with well-mixed output bits.
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  // The top 24 bits fill a float's significand exactly, so the result is a multiple of 2^-24
  // no larger than 1 - 2^-24: it can never round up to 1.
  return static_cast<float>(z >> 40) * 0x1.0p-24F;
}

}  // namespace rt
