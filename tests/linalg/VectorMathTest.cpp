// The array maths against the scalar functions: every length (the vector
// loop's remainders included), the ends of the double range, values the kriging
// fill produces (exp(-inf) from coincident coordinates), and the grouped sums
// and base-2 powers of a kriging prediction.
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

// Every width from one column to three passes of four, at a length with a
// remainder: the grouped passes must weight each column by its own weight.
TEST(VectorMath, ExponentiatedWeightedSumEqualsTheScalarFormula)
{
    constexpr std::size_t kLength = 13;
    std::vector<double> base(9 * kLength + 5);
    for (std::size_t i = 0; i < base.size(); ++i) {
        base[i] = 0.01 * static_cast<double>((i * 37) % 101);
    }
    const std::vector<std::size_t> offsets = {5, 0, 3 * kLength, kLength + 2, 8 * kLength,
                                              2 * kLength, 7 * kLength, 4 * kLength, 6 * kLength};
    const std::vector<double> weights = {0.5, 1.5, 0.25, 2.0, 0.75, 3.0, 0.125, 1.0, 0.3};
    for (std::size_t width = 1; width <= offsets.size(); ++width) {
        std::vector<double> results(kLength);
        Linalg::exponentiateWeightedSum(base.data(), offsets.data(), weights.data(), width, -1.0,
                                        results.data(), kLength);
        for (std::size_t i = 0; i < kLength; ++i) {
            double sum = 0.0;
            for (std::size_t k = 0; k < width; ++k) {
                sum += weights[k] * base[offsets[k] + i];
            }
            EXPECT_NEAR(results[i], std::exp(-sum), 1e-14) << "width " << width << ", entry " << i;
        }
    }
}

// The kriging powers d^p = 2^(p log2 d), 0 at d = 0, and the lane-wise dot.
TEST(VectorMath, BaseTwoPowersAndDotProduct)
{
    const std::vector<double> distances = {0.0, 1e-8, 0.3, 1.0, 1.7, 2.0, 3.5, 1e3, 0.05};
    std::vector<double> logarithms(distances.size());
    std::vector<double> powers(distances.size());
    Linalg::logarithmBase2(distances.data(), logarithms.data(), distances.size());
    Linalg::exponentiateBase2(logarithms.data(), 1.83, powers.data(), powers.size());
    double sequential = 0.0;
    for (std::size_t i = 0; i < distances.size(); ++i) {
        const double expected = std::pow(distances[i], 1.83);
        EXPECT_NEAR(powers[i], expected, 1e-14 * expected) << "distance " << distances[i];
        sequential += powers[i] * distances[i];
    }
    EXPECT_EQ(powers[0], 0.0);
    EXPECT_NEAR(Linalg::dot(powers, distances), sequential, 1e-15 * sequential);
}

} // namespace
} // namespace Opt
