// The steps every design shares: the point store and its limit, snapping to
// discrete levels, duplicate removal and scaling. AdditionalDOE runs them on
// points we choose.
#include "doe/DOEBase.h"

#include <cmath>
#include <stdexcept>

#include <gtest/gtest.h>

#include "doe/AdditionalDOE.h"
#include "doe/DOESamplingPointSet.h"
#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {

using Testing::column;
using Testing::thrownMessage;

TEST(DOESamplingPointSet, HoldsAtMostTenThousandPoints)
{
    DOESamplingPointSet set;
    EXPECT_EQ(thrownMessage([&] { set.allocate(2, 0, 10000); }), "");
    EXPECT_EQ(set.points.size(), 10000u);
    EXPECT_FALSE(set.hasResponses) << "no response table without responses";
    EXPECT_EQ(thrownMessage([&] { set.allocate(2, 1, 10001); }),
              "THE NUMBER OF EXPERIMENTAL POINT EXCEEDS IT'S LIMIT.");
    EXPECT_EQ(set.points.size(), 10000u) << "a refused allocation changes nothing";
    EXPECT_FALSE(set.hasResponses);
    EXPECT_THROW(set.allocate(2, 0, -1), std::invalid_argument);
}

class CommonSteps : public ::testing::Test {
protected:
    // A continuous variable on [10, 20] and a discrete one on [0, 10] with the
    // levels 2, 5 and 6 (normalised 0.2, 0.5, 0.6).
    std::vector<DesignVariable> variables{DesignVariable({10.0, 20.0}, 15.0),
                                          DesignVariable({0.0, 2.0, 5.0, 6.0, 10.0}, 5.0)};
};

TEST_F(CommonSteps, ScalesNormalisedPointsToTheBounds)
{
    const AdditionalDOE design(variables, {{0.0, 0.0}, {0.25, 1.0}, {1.0, 0.55}});
    const std::vector<std::vector<double>> expected{{10.0, 0.0}, {12.5, 10.0}, {20.0, 5.5}};
    EXPECT_EQ(design.pointSet->points, expected);
    EXPECT_EQ(design.pointCount, 3);
    EXPECT_EQ(design.factorCount, 2);
}

TEST_F(CommonSteps, SnapsClampingToTheLevelsAndTakingTheNearerOne)
{
    const AdditionalDOE design(variables,
                               {{0.0, 0.0}, {0.1, 0.3}, {0.2, 0.54}, {0.3, 0.56}, {0.4, 1.0}},
                               true);
    // 0 clamps to the first level; 0.3 is nearer 0.2; 0.54 nearer 0.5; 0.56
    // nearer 0.6; 1 clamps to the last level. The continuous factor is untouched.
    EXPECT_EQ(column(design.pointSet->points, 1), (std::vector<double>{2.0, 2.0, 5.0, 6.0, 6.0}));
    EXPECT_EQ(column(design.pointSet->points, 0), (std::vector<double>{10.0, 11.0, 12.0, 13.0, 14.0}));
}

TEST_F(CommonSteps, SnapsATieToTheLowerLevel)
{
    const std::vector<DesignVariable> halves{DesignVariable({0.0, 1.0, 3.0, 4.0}, 0.0)};
    const AdditionalDOE design(halves, {{0.5}}, true);
    EXPECT_EQ(design.pointSet->points[0][0], 1.0);
}

TEST_F(CommonSteps, SnappingTwoPointsOntoTheSameLevelsLeavesTheFirst)
{
    const AdditionalDOE design(variables, {{0.5, 0.45}, {0.5, 0.52}, {0.7, 0.45}}, true);
    const std::vector<std::vector<double>> expected{{15.0, 5.0}, {17.0, 5.0}};
    EXPECT_EQ(design.pointSet->points, expected);
    EXPECT_EQ(design.pointCount, 2);
}

TEST_F(CommonSteps, ListedDiscreteFactorsSnapWithoutSnapAll)
{
    const std::vector<DesignVariable> twoDiscrete{variables[1], variables[1]};
    const AdditionalDOE design(twoDiscrete, {{0.3, 0.3}}, false, {1});
    EXPECT_EQ(design.pointSet->points[0], (std::vector<double>{3.0, 2.0}));
}

TEST_F(CommonSteps, RemovesDuplicatesOnlyWhenSnappingIsRequested)
{
    const std::vector<std::vector<double>> twins{{0.5, 0.7}, {0.5, 0.7}};
    EXPECT_EQ(AdditionalDOE(variables, twins).pointCount, 2);
    // Snapping a continuous factor changes nothing, but the request still
    // removes the twin.
    EXPECT_EQ(AdditionalDOE(variables, twins, false, {0}).pointCount, 1);
}

TEST_F(CommonSteps, RemovedPointsStillRemoveTheirNeighbours)
{
    const std::vector<DesignVariable> line{DesignVariable({0.0, 1.0}, 0.0)};
    const AdditionalDOE design(line, {{0.5}, {0.50006}, {0.50012}, {0.9}}, true);
    EXPECT_EQ(column(design.pointSet->points, 0), (std::vector<double>{0.5, 0.9}));
}

TEST_F(CommonSteps, RejectsInconsistentInput)
{
    EXPECT_THROW(AdditionalDOE({}, {}), std::invalid_argument);
    EXPECT_THROW(AdditionalDOE(variables, {{0.5}}), std::invalid_argument);
    EXPECT_THROW(AdditionalDOE(variables, {{0.5, std::nan("")}}), std::invalid_argument);
    EXPECT_THROW(AdditionalDOE(variables, {{0.5, 0.5}}, false, {2}), std::invalid_argument);
}

} // namespace
} // namespace Opt::DOE
