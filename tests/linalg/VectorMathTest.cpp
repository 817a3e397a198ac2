// The array exponential against std::exp: every length (the vector loop's
// remainders included), the ends of the double range, and values the kriging
// fill produces (exp(-inf) from coincident coordinates).
#include "linalg/VectorMath.h"

#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace Opt {
namespace {

TEST(VectorMath, ExponentiateMatchesStdExpToAFewUlpsAtEveryLength)
{
    for (std::size_t count = 0; count <= 19; ++count) {
        std::vector<double> values(count);
        for (std::size_t i = 0; i < count; ++i) {
            values[i] = -30.0 + 3.7 * static_cast<double>(i);
        }
        const std::vector<double> arguments = values;
        Linalg::exponentiate(values.data(), count);
        for (std::size_t i = 0; i < count; ++i) {
            const double expected = std::exp(arguments[i]);
            EXPECT_NEAR(values[i], expected, 8.0 * std::numeric_limits<double>::epsilon() * expected)
                << "length " << count << ", argument " << arguments[i];
        }
    }
}

TEST(VectorMath, ExponentiateHandlesTheEndsOfTheRange)
{
    const double infinity = std::numeric_limits<double>::infinity();
    std::vector<double> values = {-infinity, 0.0, -745.2, -800.0, 709.0, 710.0, infinity, -1e-300};
    Linalg::exponentiate(values.data(), values.size());
    EXPECT_EQ(values[0], 0.0);
    EXPECT_EQ(values[1], 1.0);
    EXPECT_GE(values[2], 0.0); // subnormal or zero, never negative or NaN
    EXPECT_EQ(values[3], 0.0);
    EXPECT_NEAR(values[4], std::exp(709.0), 1e-14 * std::exp(709.0));
    EXPECT_EQ(values[5], infinity);
    EXPECT_EQ(values[6], infinity);
    EXPECT_EQ(values[7], 1.0);
}

TEST(VectorMath, ExponentiatePropagatesNaN)
{
    std::vector<double> values = {1.0, std::numeric_limits<double>::quiet_NaN(), 2.0};
    Linalg::exponentiate(values.data(), values.size());
    EXPECT_TRUE(std::isnan(values[1]));
    EXPECT_DOUBLE_EQ(values[2], std::exp(2.0));
}

} // namespace
} // namespace Opt
