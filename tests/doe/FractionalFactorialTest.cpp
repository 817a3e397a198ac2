#include "doe/FractionalFactorial.h"

#include <array>

#include <gtest/gtest.h>

#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {

using namespace Testing;

// In normalised units a generated factor is 1 where the two factors of its pair
// agree (the product of two equal signs is +1) and 0 where they differ.
double product(double a, double b)
{
    return a == b ? 1.0 : 0.0;
}

// Runs, and the (generated factor, pair) of every generated factor, by k.
struct Fraction {
    int factors;
    int runs;
    std::vector<std::array<int, 3>> generated;
};

TEST(FractionalFactorial, GeneratesFactorsFromThePairSequence)
{
    const std::vector<Fraction> fractions{
        {4, 16, {}},
        {5, 16, {{4, 0, 1}}},
        {7, 64, {{6, 0, 1}}},
        {8, 64, {{6, 0, 1}, {7, 0, 2}}},
        {10, 128, {{7, 0, 1}, {8, 0, 2}, {9, 0, 3}}},
        {12, 256, {{8, 0, 1}, {9, 0, 2}, {10, 0, 3}, {11, 0, 4}}},
        {20, 512, {{9, 0, 1}, {17, 0, 9}, {18, 0, 10}, {19, 0, 11}}},
    };
    for (const auto& fraction : fractions) {
        const FractionalFactorial design(unitVariables(fraction.factors));
        const auto& points = design.pointSet->points;
        ASSERT_EQ(design.pointCount, fraction.runs) << fraction.factors << " factors";
        for (const auto& [c, a, b] : fraction.generated) {
            for (const auto& point : points) {
                ASSERT_EQ(point[c], product(point[a], point[b]))
                    << fraction.factors << " factors, generated factor " << c;
            }
        }
    }
    // With 16 factors the eighth generated factor uses the pair (0, 8), and factor
    // 8 is itself the product of factors 0 and 1, so factor 15 repeats factor 1:
    // the rule is kept although the design confounds the two.
    const FractionalFactorial sixteen(unitVariables(16));
    EXPECT_EQ(sixteen.pointCount, 256);
    EXPECT_EQ(column(sixteen.pointSet->points, 15), column(sixteen.pointSet->points, 1));
}

} // namespace
} // namespace Opt::DOE
