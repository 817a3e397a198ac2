#include "doe/OneDParameterStudy.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {

using Testing::column;

class OneDStudy : public ::testing::Test {
protected:
    // A continuous variable on [0, 8] starting at 6, a discrete one on [10, 20]
    // with levels 12 and 17 starting at 12.
    std::vector<DesignVariable> variables{DesignVariable({0.0, 8.0}, 6.0),
                                          DesignVariable({10.0, 12.0, 17.0, 20.0}, 12.0)};
};

TEST_F(OneDStudy, WalksTheStudiedFactorWithTheOthersAtTheirStart)
{
    const OneDParameterStudy study(variables, 0, 5);
    ASSERT_EQ(study.pointCount, 5);
    EXPECT_EQ(column(study.pointSet->points, 0), (std::vector<double>{0, 2, 4, 6, 8}));
    for (const auto& point : study.pointSet->points) {
        EXPECT_DOUBLE_EQ(point[1], 12.0);
    }
    EXPECT_EQ(study.levels, 0);
}

TEST_F(OneDStudy, OnePointIsTheCentreOfEveryBound)
{
    const OneDParameterStudy study(variables, 1, 1);
    ASSERT_EQ(study.pointCount, 1);
    EXPECT_EQ(study.pointSet->points[0], (std::vector<double>{4.0, 15.0}));
}

TEST_F(OneDStudy, SnapAllStudiesEachDiscreteLevel)
{
    const OneDParameterStudy study(variables, 1, 7, true);
    ASSERT_EQ(study.pointCount, 2) << "one point per level, whatever the sample count";
    EXPECT_DOUBLE_EQ(study.pointSet->points[0][1], 12.0);
    EXPECT_DOUBLE_EQ(study.pointSet->points[1][1], 17.0);
    EXPECT_DOUBLE_EQ(study.pointSet->points[0][0], 6.0);
    EXPECT_DOUBLE_EQ(study.pointSet->points[1][0], 6.0);
}

TEST_F(OneDStudy, NeitherSnapsNorRemovesDuplicatesOtherwise)
{
    // The discrete factor is not the studied one: its start stays as it is, and
    // a continuous studied factor keeps all its points even with snapAll.
    const OneDParameterStudy study(variables, 0, 3, true);
    EXPECT_EQ(study.pointCount, 3);
    const std::vector<DesignVariable> fixed{DesignVariable({3.0, 3.0}, 3.0)};
    const OneDParameterStudy repeated(fixed, 0, 4, true);
    EXPECT_EQ(column(repeated.pointSet->points, 0), (std::vector<double>(4, 3.0)));
}

TEST_F(OneDStudy, RejectsInconsistentArguments)
{
    EXPECT_THROW(OneDParameterStudy(variables, 2, 5), std::invalid_argument);
    EXPECT_THROW(OneDParameterStudy(variables, -1, 5), std::invalid_argument);
    EXPECT_THROW(OneDParameterStudy(variables, 0, -1), std::invalid_argument);
    variables[1].start = std::nan("");
    EXPECT_THROW(OneDParameterStudy(variables, 0, 5), std::invalid_argument);
}

} // namespace
} // namespace Opt::DOE
