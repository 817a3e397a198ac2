#pragma once

#include <cstdint>
#include <random>

namespace Opt {

// The library's random source: the 32-bit Mersenne Twister MT19937 held by value,
// so that copying an engine copies its generator state exactly (saved and
// restored runs continue the same sequence).
//
// uniform() is one 32-bit output times 2^-32, a value in [0, 1). An output that
// would round to 1.0 or more is discarded and the next one taken; with 32-bit
// outputs and doubles this cannot happen, but the rule keeps the interval
// half-open whatever the arithmetic.
class RandomSource {
public:
    static constexpr std::uint32_t kDefaultSeed = 5489u;

    explicit RandomSource(std::uint32_t seed = kDefaultSeed);

    // A source seeded from the clock: the current UTC second within the minute
    // times 100 plus the millisecond.
    static RandomSource fromClock();

    void seed(std::uint32_t seed);
    std::uint32_t next();
    double uniform();

    bool operator==(const RandomSource& other) const { return generator == other.generator; }

private:
    std::mt19937 generator;
};

} // namespace Opt
