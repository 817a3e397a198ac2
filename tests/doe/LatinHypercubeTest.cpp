#include "doe/LatinHypercube.h"

#include <algorithm>
#include <stdexcept>

#include <gtest/gtest.h>

#include "DesignTestSupport.h"

namespace Opt::DOE {
namespace {

using Testing::column;
using Testing::pointLimitMessage;
using Testing::thrownMessage;
using Testing::unitVariables;

constexpr int kFixedSeeds = 0;
constexpr int kClockSeeds = 1;

// Every factor has exactly one point in each cell [m/n, (m+1)/n): sorted, the
// m-th value lies in cell m.
void expectOnePointPerCell(const LatinHypercube& design)
{
    const auto n = design.pointSet->points.size();
    for (std::size_t j = 0; j < static_cast<std::size_t>(design.factorCount); ++j) {
        auto values = column(design.pointSet->points, j);
        std::sort(values.begin(), values.end());
        for (std::size_t m = 0; m < n; ++m) {
            EXPECT_GE(values[m], static_cast<double>(m) / static_cast<double>(n)) << "factor " << j;
            EXPECT_LT(values[m], static_cast<double>(m + 1) / static_cast<double>(n)) << "factor " << j;
        }
    }
}

TEST(LatinHypercube, CellCornersOfOneFactorAreInOrder)
{
    const LatinHypercube design(unitVariables(1), 5, LatinHypercube::kCellCorners, kFixedSeeds);
    EXPECT_EQ(column(design.pointSet->points, 0), (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
}

// Seed 0 gives the outputs 38, 7719, 21238, so the one shuffle of four cells
// swaps entry 0 with 1 + 38 mod 3 = 3, entry 1 with 2 + 7719 mod 2 = 3, and
// entry 2 with 3: 0123 -> 3120 -> 3021 -> 3012.
TEST(LatinHypercube, LaterFactorsTakeTheShuffledCells)
{
    const LatinHypercube design(unitVariables(2), 4, LatinHypercube::kCellCorners, kFixedSeeds);
    const auto& points = design.pointSet->points;
    EXPECT_EQ(column(points, 0), (std::vector<double>{0.0, 1.0 / 3, 2.0 / 3, 1.0}));
    EXPECT_EQ(column(points, 1), (std::vector<double>{1.0, 0.0, 1.0 / 3, 2.0 / 3}));
}

TEST(LatinHypercube, OneCornerSampleIsTheCentreOfTheBounds)
{
    const std::vector<DesignVariable> variables{DesignVariable({2.0, 6.0}, 2.0),
                                                DesignVariable({-3.0, -1.0}, -1.0)};
    const LatinHypercube design(variables, 1, LatinHypercube::kCellCorners, kClockSeeds);
    ASSERT_EQ(design.pointCount, 1);
    EXPECT_EQ(design.pointSet->points[0], (std::vector<double>{4.0, -2.0}));
}

TEST(LatinHypercube, FixedSeedsReproduceTheSampleWithOnePointPerCell)
{
    const LatinHypercube first(unitVariables(4), 50, LatinHypercube::kRandomInCell, kFixedSeeds);
    const LatinHypercube second(unitVariables(4), 50, LatinHypercube::kRandomInCell, kFixedSeeds);
    EXPECT_EQ(first.pointSet->points, second.pointSet->points);
    expectOnePointPerCell(first);
    // The first factor takes the cells in order.
    for (std::size_t i = 0; i < 50; ++i) {
        EXPECT_GE(first.pointSet->points[i][0], i / 50.0);
        EXPECT_LT(first.pointSet->points[i][0], (i + 1) / 50.0);
    }
}

// MT19937 seeded with 0 first returns 2357136044, so the first point of the
// first factor lies that far (times 2^-32) into cell 0.
TEST(LatinHypercube, RandomPositionsComeFromTheMersenneTwisterSeededWithZero)
{
    const LatinHypercube design(unitVariables(1), 10, LatinHypercube::kRandomInCell, kFixedSeeds);
    EXPECT_EQ(design.pointSet->points[0][0], 2357136044.0 / 4294967296.0 / 10.0);
}

TEST(LatinHypercube, ClockSeededSamplesAreLatinHypercubesToo)
{
    expectOnePointPerCell(LatinHypercube(unitVariables(3), 40, LatinHypercube::kRandomInCell, kClockSeeds));
}

TEST(LatinHypercube, UnknownVariantLeavesThePointsAtTheLowerBounds)
{
    const std::vector<DesignVariable> variables{DesignVariable({1.0, 2.0}, 1.0)};
    const LatinHypercube design(variables, 3, 7, kFixedSeeds);
    EXPECT_EQ(column(design.pointSet->points, 0), (std::vector<double>(3, 1.0)));
}

TEST(LatinHypercube, HoldsAtMostTenThousandSamples)
{
    EXPECT_EQ(LatinHypercube(unitVariables(2), 10000, LatinHypercube::kCellCorners, kFixedSeeds)
                  .pointCount,
              10000);
    EXPECT_EQ(thrownMessage([] {
                  LatinHypercube design(unitVariables(2), 10001, LatinHypercube::kCellCorners,
                                        kFixedSeeds);
              }),
              pointLimitMessage());
    EXPECT_THROW(LatinHypercube(unitVariables(2), -1, LatinHypercube::kCellCorners, kFixedSeeds),
                 std::invalid_argument);
}

} // namespace
} // namespace Opt::DOE
