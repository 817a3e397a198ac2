#include "doe/OneDParameterStudy.h"

#include <cmath>
#include <stdexcept>
#include <tuple>

#include <gtest/gtest.h>

#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {


class OneDStudy : public ::testing::Test {
protected:
    // A continuous variable on [0, 8] starting at 6, a discrete one on [10, 20]
    // with levels 12 and 17 starting at 12.
    std::vector<DesignVariable> variables{DesignVariable({0.0, 8.0}, 6.0),
                                          DesignVariable({10.0, 12.0, 17.0, 20.0}, 12.0)};
};

// The studied factor walks its bounds with the others at their start; one point
// is the centre of every bound; snapAll studies each level of a discrete factor
// (one point per level, whatever the sample count) but neither snaps nor
// removes duplicates of a continuous one.
TEST_F(OneDStudy, WalksTheStudiedFactorWithTheOthersAtTheirStartAndRejectsBadArguments)
{
    const std::vector<DesignVariable> fixed{DesignVariable({3.0, 3.0}, 3.0)};
    const std::vector<std::tuple<std::vector<DesignVariable>, int, int, bool, std::vector<std::vector<double>>>> cases{
        {variables, 0, 5, false, {{0, 12}, {2, 12}, {4, 12}, {6, 12}, {8, 12}}},
        {variables, 1, 1, false, {{4, 15}}},
        {variables, 1, 7, true, {{6, 12}, {6, 17}}},
        {variables, 0, 3, true, {{0, 12}, {4, 12}, {8, 12}}},
        {fixed, 0, 4, true, {{3}, {3}, {3}, {3}}},
    };
    for (const auto& [studied, factor, samples, snapAll, expected] : cases) {
        const OneDParameterStudy study(studied, factor, samples, snapAll);
        EXPECT_EQ(study.pointCount, static_cast<int>(expected.size()));
        EXPECT_EQ(study.pointSet->points, expected) << "factor " << factor << ", " << samples << " samples";
        EXPECT_EQ(study.levels, factor);
    }
    EXPECT_THROW(OneDParameterStudy(variables, 2, 5), std::invalid_argument);
    EXPECT_THROW(OneDParameterStudy(variables, -1, 5), std::invalid_argument);
    EXPECT_THROW(OneDParameterStudy(variables, 0, -1), std::invalid_argument);
    variables[1].start = std::nan("");
    EXPECT_THROW(OneDParameterStudy(variables, 0, 5), std::invalid_argument);
}

} // namespace
} // namespace Opt::DOE
