#include "doe/LinearCongruentialRandom.h"

namespace Opt::DOE {

namespace {

constexpr std::uint32_t kMultiplier = 214013u;
constexpr std::uint32_t kIncrement = 2531011u;

} // namespace

int LinearCongruentialRandom::next()
{
    // Unsigned 32-bit arithmetic wraps, which is the reduction mod 2^32.
    state = kMultiplier * state + kIncrement;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

} // namespace Opt::DOE
