#include "doe/CentralComposite.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {

using Testing::unitVariables;

TEST(CentralComposite, TwoFactorsCircumscribed)
{
    const CentralComposite design(unitVariables(2), CentralComposite::kCircumscribed);
    ASSERT_EQ(design.pointCount, 9);
    const double reach = std::sqrt(2.0) / 2.0;
    const std::vector<std::vector<double>> expected{
        {0, 0}, {1, 0}, {0, 1}, {1, 1},
        {0.5 + reach, 0.5}, {0.5 - reach, 0.5}, {0.5, 0.5 + reach}, {0.5, 0.5 - reach},
        {0.5, 0.5}};
    EXPECT_EQ(design.pointSet->points, expected);
}

TEST(CentralComposite, FiveFactorsUseTheHalfFraction)
{
    const CentralComposite design(unitVariables(5), CentralComposite::kFaceCentred);
    ASSERT_EQ(design.pointCount, 16 + 10 + 1);
    const auto& points = design.pointSet->points;
    for (std::size_t p = 0; p < 16; ++p) {
        EXPECT_EQ(points[p][4], points[p][0] == points[p][1] ? 1.0 : 0.0) << "run " << p;
    }
    for (std::size_t j = 0; j < 5; ++j) {
        std::vector<double> high(5, 0.5);
        std::vector<double> low(5, 0.5);
        high[j] = 1.0;
        low[j] = 0.0;
        EXPECT_EQ(points[16 + 2 * j], high);
        EXPECT_EQ(points[17 + 2 * j], low);
    }
    EXPECT_EQ(points[26], std::vector<double>(5, 0.5));
}

TEST(CentralComposite, InscribedShrinksTheFactorialRunsAndUnknownAxialTypesFail)
{
    const CentralComposite design(unitVariables(4), CentralComposite::kInscribed);
    ASSERT_EQ(design.pointCount, 16 + 8 + 1);
    const auto& points = design.pointSet->points;
    const double halfWidth = 0.5 * std::pow(2.0, -1.0); // 2^(-k/4) with k = 4
    EXPECT_DOUBLE_EQ(points[0][0], 0.5 - halfWidth);
    EXPECT_DOUBLE_EQ(points[15][3], 0.5 + halfWidth);
    EXPECT_EQ(points[16][0], 1.0) << "the axial points stay on the bounds";
    EXPECT_EQ(points[17][0], 0.0);
    EXPECT_THROW(CentralComposite(unitVariables(2), 3), std::invalid_argument);
    EXPECT_THROW(CentralComposite(unitVariables(2), -1), std::invalid_argument);
}

} // namespace
} // namespace Opt::DOE
