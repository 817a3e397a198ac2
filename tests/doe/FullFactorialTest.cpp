#include "doe/FullFactorial.h"

#include <stdexcept>
#include <tuple>

#include <gtest/gtest.h>

#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {

using namespace Testing;

// Factor 0 runs fastest; three levels include the middle; one level is the centre.
TEST(FullFactorial, PointsInRunOrder)
{
    const std::vector<DesignVariable> offset{DesignVariable({2.0, 4.0}, 2.0), DesignVariable({-1.0, 0.0}, 0.0)};
    const std::vector<std::tuple<std::vector<DesignVariable>, int, std::vector<std::vector<double>>>> cases{
        {unitVariables(3), 2, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}}},
        {unitVariables(2), 3,
         {{0, 0}, {0.5, 0}, {1, 0}, {0, 0.5}, {0.5, 0.5}, {1, 0.5}, {0, 1}, {0.5, 1}, {1, 1}}},
        {offset, 1, {{3.0, -0.5}}},
    };
    for (const auto& [variables, levels, expected] : cases) {
        const FullFactorial design(variables, levels);
        EXPECT_EQ(design.pointCount, static_cast<int>(expected.size())) << levels << " levels";
        EXPECT_EQ(design.pointSet->points, expected) << levels << " levels";
    }
}

// 3^8 = 6561 points are built, 3^9 = 19683 are not; 2^40 must not overflow on
// its way to the refusal.
TEST(FullFactorial, RefusesDesignsBeyondThePointLimitAndFewerThanOneLevel)
{
    EXPECT_EQ(FullFactorial(unitVariables(8), 3).pointCount, 6561);
    EXPECT_EQ(thrownMessage([] { FullFactorial design(unitVariables(9), 3); }), pointLimitMessage());
    EXPECT_EQ(thrownMessage([] { FullFactorial design(unitVariables(40), 2); }), pointLimitMessage());
    EXPECT_THROW(FullFactorial(unitVariables(2), 0), std::invalid_argument);
    EXPECT_THROW(FullFactorial(unitVariables(2), -3), std::invalid_argument);
}

} // namespace
} // namespace Opt::DOE
