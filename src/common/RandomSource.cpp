#include "common/RandomSource.h"

#include "platform/Platform.h"

namespace Opt {

RandomSource::RandomSource(std::uint32_t seedValue) : generator(seedValue) {}

RandomSource RandomSource::fromClock()
{
    return RandomSource(static_cast<std::uint32_t>(Platform::clockSeed()));
}

void RandomSource::seed(std::uint32_t seedValue)
{
    generator.seed(seedValue);
}

std::uint32_t RandomSource::next()
{
    return static_cast<std::uint32_t>(generator());
}

double RandomSource::uniform()
{
    constexpr double kTwoToMinus32 = 1.0 / 4294967296.0;
    for (;;) {
        const double u = static_cast<double>(next()) * kTwoToMinus32;
        if (u < 1.0) {
            return u;
        }
    }
}

} // namespace Opt
