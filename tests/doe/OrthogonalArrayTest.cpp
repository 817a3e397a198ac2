#include "doe/OrthogonalArray.h"

#include <array>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {

using namespace Testing;

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
