#include "doe/OrthogonalArray.h"

#include <stdexcept>
#include <set>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {

using namespace Testing;

const std::string kNoArray = "CANNOT FIND ADEQUATE ORTHGONAL ARRAY TABLE.";

// Eight factors do not fit the seven columns of the 8-run array, and no array
// has 27 runs or 6 or 1 levels; the points are allocated first, so more runs than
// the point limit report that limit even though no array has them either.
TEST(OrthogonalArray, RejectsSizesOutsideTheCatalogueAfterThePointLimit)
{
    EXPECT_EQ(OrthogonalArray(unitVariables(7), 2, 8).pointCount, 8);
    const std::vector<std::tuple<int, int, int, std::string>> cases{
        {8, 2, 8, kNoArray},  {4, 3, 27, kNoArray},    {2, 6, 36, kNoArray},
        {2, 1, 4, kNoArray},  {2, 2, 10000, kNoArray}, {2, 2, 10001, pointLimitMessage()},
        {2, 6, 20000, pointLimitMessage()},
    };
    for (const auto& [factors, levels, runs, message] : cases) {
        EXPECT_EQ(thrownMessage([&] { OrthogonalArray design(unitVariables(factors), levels, runs); }), message)
            << factors << " factors, " << levels << " levels, " << runs << " runs";
    }
    EXPECT_THROW(OrthogonalArray(unitVariables(2), 2, -4), std::invalid_argument);
}

TEST(OrthogonalArray, FourRunDesignIsTheL4InNormalisedUnits)
{
    const OrthogonalArray design(unitVariables(3), 2, 4);
    const std::vector<std::vector<double>> expected{{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}};
    EXPECT_EQ(design.pointSet->points, expected);
}

// The levels of a column, evenly spaced between the bounds: four levels in
// unit variables are the fifteen-digit thirds.
TEST(OrthogonalArray, LevelsAreEvenlySpacedInCallerUnits)
{
    const DesignVariable wide({10.0, 30.0}, 10.0);
    const std::vector<std::tuple<std::vector<DesignVariable>, int, int, std::set<double>>> cases{
        {unitVariables(5), 4, 16, {0.0, 0.3333333333333335, 0.6666666666666665, 1.0}},
        {{wide, wide}, 5, 50, {10.0, 15.0, 20.0, 25.0, 30.0}},
        {{DesignVariable({-1.0, 1.0}, 0.0)}, 3, 18, {-1.0, 0.0, 1.0}},
    };
    for (const auto& [factors, levels, runs, expected] : cases) {
        const OrthogonalArray design(factors, levels, runs);
        for (std::size_t j = 0; j < factors.size(); ++j) {
            const auto values = column(design.pointSet->points, j);
            EXPECT_EQ(std::set<double>(values.begin(), values.end()), expected) << levels << " levels";
        }
    }
}

} // namespace
} // namespace Opt::DOE
