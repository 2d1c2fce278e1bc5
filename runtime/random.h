// The runtime's pseudo-random numbers.
#pragma once

#include <cstdint>

namespace rt {

// A deterministic generator that is never seeded: every run draws the same sequence.
class Random {
 public:
  // The next number of the sequence: at least 0 and strictly below 1.
  float Next();

 private:
  std::uint64_t state_ = 0x2545F4914F6CDD1DULL;
};

}  // namespace rt
