#pragma once

#include <cstdint>

namespace Opt::DOE {

// The linear congruential generator of the classic C runtime rand():
//   state <- 214013 * state + 2531011 (mod 2^32), output (state >> 16) & 0x7FFF,
// so outputs lie in 0..kMax = 32767. seed(s) sets the state to s itself; seed 1
// gives 41, 18467, 6334, 26500, ... The Latin hypercube shuffles use this
// sequence. We implement it ourselves rather than call rand(), whose algorithm
// differs between C libraries, so that a seeded design has the same points on
// every platform.
class LinearCongruentialRandom {
public:
    static constexpr int kMax = 32767;

    explicit LinearCongruentialRandom(std::uint32_t seed = 1u) : state(seed) {}

    void seed(std::uint32_t seed) { state = seed; }
    int next();

private:
    std::uint32_t state;
};

} // namespace Opt::DOE
