#include "doe/FullFactorial.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {

using Testing::column;
using Testing::pointLimitMessage;
using Testing::thrownMessage;
using Testing::unitVariables;

TEST(FullFactorial, TwoLevelsRunFactorZeroFastest)
{
    const FullFactorial design(unitVariables(3), 2);
    ASSERT_EQ(design.pointCount, 8);
    const auto& points = design.pointSet->points;
    EXPECT_EQ(column(points, 0), (std::vector<double>{0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(column(points, 1), (std::vector<double>{0, 0, 1, 1, 0, 0, 1, 1}));
    EXPECT_EQ(column(points, 2), (std::vector<double>{0, 0, 0, 0, 1, 1, 1, 1}));
}

TEST(FullFactorial, ThreeLevelsIncludeTheMiddle)
{
    const FullFactorial design(unitVariables(2), 3);
    ASSERT_EQ(design.pointCount, 9);
    const auto& points = design.pointSet->points;
    EXPECT_EQ(column(points, 0), (std::vector<double>{0, 0.5, 1, 0, 0.5, 1, 0, 0.5, 1}));
    EXPECT_EQ(column(points, 1), (std::vector<double>{0, 0, 0, 0.5, 0.5, 0.5, 1, 1, 1}));
}

TEST(FullFactorial, OneLevelIsTheCentre)
{
    const std::vector<DesignVariable> variables{DesignVariable({2.0, 4.0}, 2.0),
                                                DesignVariable({-1.0, 0.0}, 0.0)};
    const FullFactorial design(variables, 1);
    ASSERT_EQ(design.pointCount, 1);
    EXPECT_EQ(design.pointSet->points[0], (std::vector<double>{3.0, -0.5}));
}

TEST(FullFactorial, RefusesDesignsBeyondThePointLimit)
{
    // 3^8 = 6561 points are built, 3^9 = 19683 are not; 2^40 must not overflow
    // on its way to the refusal.
    EXPECT_EQ(FullFactorial(unitVariables(8), 3).pointCount, 6561);
    EXPECT_EQ(thrownMessage([] { FullFactorial design(unitVariables(9), 3); }), pointLimitMessage());
    EXPECT_EQ(thrownMessage([] { FullFactorial design(unitVariables(40), 2); }), pointLimitMessage());
}

TEST(FullFactorial, RejectsFewerThanOneLevel)
{
    EXPECT_THROW(FullFactorial(unitVariables(2), 0), std::invalid_argument);
    EXPECT_THROW(FullFactorial(unitVariables(2), -3), std::invalid_argument);
}

} // namespace
} // namespace Opt::DOE
