#include "doe/OrthogonalArray.h"

#include <array>
#include <set>

#include <gtest/gtest.h>

#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {

using Testing::column;
using Testing::thrownMessage;
using Testing::unitVariables;

const std::string kNoArray = "CANNOT FIND ADEQUATE ORTHGONAL ARRAY TABLE.";

// Eight factors do not fit the seven columns of the 8-run array, and no array
// has 27 runs, 6 or 1 levels, or negative runs.
TEST(OrthogonalArray, RejectsSizesOutsideTheCatalogue)
{
    EXPECT_EQ(OrthogonalArray(unitVariables(7), 2, 8).pointCount, 8);
    for (const auto& [factors, levels, runs] :
         std::vector<std::array<int, 3>>{{8, 2, 8}, {4, 3, 27}, {2, 6, 36}, {2, 1, 4}, {2, 2, -4}}) {
        EXPECT_EQ(thrownMessage([&] { OrthogonalArray design(unitVariables(factors), levels, runs); }), kNoArray)
            << factors << " factors, " << levels << " levels, " << runs << " runs";
    }
}

TEST(OrthogonalArray, FourRunDesignIsTheL4InNormalisedUnits)
{
    const OrthogonalArray design(unitVariables(3), 2, 4);
    const std::vector<std::vector<double>> expected{{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}};
    EXPECT_EQ(design.pointSet->points, expected);
}

TEST(OrthogonalArray, FourLevelsUseTheFifteenDigitThirds)
{
    const OrthogonalArray design(unitVariables(5), 4, 16);
    for (std::size_t j = 0; j < 5; ++j) {
        const auto values = column(design.pointSet->points, j);
        const std::set<double> distinct(values.begin(), values.end());
        EXPECT_EQ(distinct, (std::set<double>{0.0, 0.3333333333333335, 0.6666666666666665, 1.0}));
    }
}

TEST(OrthogonalArray, LevelsAreEvenlySpacedInCallerUnits)
{
    const std::vector<DesignVariable> variables{DesignVariable({10.0, 30.0}, 10.0),
                                                DesignVariable({-1.0, 1.0}, 0.0)};
    const OrthogonalArray fiveLevels(variables, 5, 50);
    const auto values = column(fiveLevels.pointSet->points, 0);
    EXPECT_EQ(std::set<double>(values.begin(), values.end()),
              (std::set<double>{10.0, 15.0, 20.0, 25.0, 30.0}));
    const OrthogonalArray threeLevels(variables, 3, 18);
    const auto coded = column(threeLevels.pointSet->points, 1);
    EXPECT_EQ(std::set<double>(coded.begin(), coded.end()), (std::set<double>{-1.0, 0.0, 1.0}));
}

} // namespace
} // namespace Opt::DOE
