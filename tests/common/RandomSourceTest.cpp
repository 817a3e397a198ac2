#include "common/RandomSource.h"

#include <gtest/gtest.h>

namespace Opt {
namespace {

// The C++ standard fixes the 10000th output of a default-seeded MT19937
// ([rand.predef]): 4123659995.
TEST(RandomSource, IsTheStandardMersenneTwister)
{
    RandomSource source;
    std::uint32_t value = 0;
    for (int i = 0; i < 10000; ++i) {
        value = source.next();
    }
    EXPECT_EQ(value, 4123659995u);
}

TEST(RandomSource, UniformIsTheOutputTimesTwoToTheMinus32)
{
    RandomSource outputs(42u);
    RandomSource uniforms(42u);
    for (int i = 0; i < 1000; ++i) {
        const double expected = static_cast<double>(outputs.next()) / 4294967296.0;
        const double u = uniforms.uniform();
        EXPECT_EQ(u, expected);
        EXPECT_GE(u, 0.0);
        EXPECT_LT(u, 1.0);
    }
}

TEST(RandomSource, CopiesContinueTheSameSequence)
{
    RandomSource source(7u);
    source.uniform();
    RandomSource copy = source;
    EXPECT_TRUE(copy == source);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(copy.next(), source.next());
    }
    source.seed(8u);
    EXPECT_FALSE(copy == source);
}

} // namespace
} // namespace Opt
