// The exported design services as a host calls them.
#include "api/zelkor.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "doe/CentralComposite.h"
#include "DesignTestSupport.h"


namespace Opt::DOE {
namespace {

using namespace Testing;

constexpr int kNoDesign = 0;
constexpr int kInconsistentInput = -1;

// Factorial types are built to be counted; the sampled types report entry 3,
// so an array the catalogue lacks still reports its runs.
TEST(DesignServices, CountsThePointsOfEachDesignTypeAndNoneOutsideTheTables)
{
    const std::vector<std::pair<std::array<int, 4>, int>> counts{
        {{0, 0, 2, 0}, 8}, {{0, 0, 3, 0}, 27}, {{1, 0, 2, 0}, 15},
        {{2, 0, 0, 37}, 37}, {{3, 0, 1, 11}, 11}, {{4, 0, 3, 27}, 27}};
    for (const auto& [settings, count] : counts) {
        EXPECT_EQ(get_nexp(settings.data(), 3), count) << "type " << settings[0];
    }
    for (const auto& settings : std::vector<std::array<int, 4>>{
             {5, 0, 2, 10}, {-1, 0, 2, 10}, {0, 0, 4, 0}, {0, 0, 0, 0}, {1, 0, 3, 0},
             {2, 0, 0, -5}, {3, 0, 3, 5}, {3, 0, -1, 5}}) {
        EXPECT_EQ(get_nexp(settings.data(), 3), kNoDesign) << settings[0] << " " << settings[2];
        std::vector<std::vector<double>> points{{1.0}};
        const std::vector<std::vector<double>> bounds(3, {0.0, 1.0});
        EXPECT_EQ(arrangeDOE(settings.data(), nullptr, &bounds, &points), kNoDesign);
        EXPECT_TRUE(points.empty());
    }
}

TEST(DesignServices, FlatFormWritesTheDesignRowByRow)
{
    const int settings[4] = {1, 0, 0, 0};
    const double boundLists[] = {0.0, 10.0, -1.0, 1.0};
    std::vector<double> points(9 * 2, -99.0);
    ASSERT_EQ(arrangeDOE_(settings, 2, nullptr, boundLists, nullptr, points.data(), 9), 9);
    const CentralComposite expected({DesignVariable({0.0, 10.0}, 5.0), DesignVariable({-1.0, 1.0}, 0.0)},
                                    CentralComposite::kFaceCentred);
    std::vector<double> rows;
    for (const auto& point : expected.pointSet->points) {
        rows.insert(rows.end(), point.begin(), point.end());
    }
    EXPECT_EQ(points, rows);
    // A shorter array receives the first rows; the count stays the design's.
    std::vector<double> firstRow(2, -99.0);
    EXPECT_EQ(arrangeDOE_(settings, 2, nullptr, boundLists, nullptr, firstRow.data(), 1), 9);
    EXPECT_EQ(firstRow, (std::vector<double>{points[0], points[1]}));
    EXPECT_EQ(arrangeDOE_(settings, 2, nullptr, boundLists, nullptr, nullptr, 0), 9);
}

TEST(DesignServices, StudiesStartFromTheGivenDesignInBothForms)
{
    // A one-dimensional study of the discrete second variable: one point per level.
    const int settings[4] = {3, 1, 1, 5};
    const double start[] = {3.0, 0.0};
    const double boundLists[] = {0.0, 4.0, 0.0, 1.0, 2.0, 7.0, 10.0}; // [0, 4], [0, 1, 2, 7, 10]
    const int listLengths[] = {2, 5};
    std::vector<double> points(6, 0.0);
    ASSERT_EQ(arrangeDOE_(settings, 2, start, boundLists, listLengths, points.data(), 3), 3);
    EXPECT_EQ(points, (std::vector<double>{3.0, 1.0, 3.0, 2.0, 3.0, 7.0}));
    // The vector form uses the start as the study base too.
    const int continuous[4] = {3, 0, 0, 3};
    const std::vector<std::vector<double>> bounds{{0.0, 2.0}, {0.0, 10.0}};
    const std::vector<double> base{1.0, 2.5};
    std::vector<std::vector<double>> rows;
    ASSERT_EQ(arrangeDOE(continuous, &base, &bounds, &rows), 3);
    const std::vector<std::vector<double>> expected{{0.0, 2.5}, {1.0, 2.5}, {2.0, 2.5}};
    EXPECT_EQ(rows, expected);
}

TEST(DesignServices, PointLimitReachesTheCaller)
{
    const int bigFactorial[4] = {0, 0, 3, 0};
    EXPECT_EQ(get_nexp(bigFactorial, 8), 6561);
    EXPECT_EQ(thrownMessage([&] { get_nexp(bigFactorial, 9); }), pointLimitMessage());

    const int bigSample[4] = {2, 0, 1, 10001};
    const std::vector<std::vector<double>> bounds(2, {0.0, 1.0});
    std::vector<std::vector<double>> points;
    EXPECT_EQ(thrownMessage([&] { arrangeDOE(bigSample, nullptr, &bounds, &points); }),
              pointLimitMessage());
    const double boundLists[] = {0.0, 1.0, 0.0, 1.0};
    EXPECT_EQ(thrownMessage([&] { arrangeDOE_(bigSample, 2, nullptr, boundLists, nullptr, nullptr, 0); }),
              pointLimitMessage());
    const int largestSample[4] = {2, 0, 1, 10000};
    EXPECT_EQ(arrangeDOE(largestSample, nullptr, &bounds, &points), 10000);
}

TEST(DesignServices, MissingOrthogonalArrayGivesNoDesignAndItsMessage)
{
    const int settings[4] = {4, 0, 2, 8};
    const std::vector<std::vector<double>> bounds(8, {0.0, 1.0});
    std::vector<std::vector<double>> points{{1.0}};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(arrangeDOE(settings, nullptr, &bounds, &points), kNoDesign);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "arrangeDOE: CANNOT FIND ADEQUATE ORTHGONAL ARRAY TABLE.\n");
    EXPECT_TRUE(points.empty());
    const std::vector<std::vector<double>> seven(7, {0.0, 1.0});
    EXPECT_EQ(arrangeDOE(settings, nullptr, &seven, &points), 8);
}

TEST(DesignServices, InconsistentInputGivesMinusOneAndALine)
{
    const int settings[4] = {0, 0, 2, 0};
    const double boundLists[] = {0.0, 1.0, 0.0, 1.0};
    const double inverted[] = {0.0, 1.0, 2.0, 1.0};
    const double notFinite[] = {0.0, 1.0, 0.0, std::nan("")};
    const int shortList[] = {2, 1};
    const double unordered[] = {0.0, 0.6, 0.3, 1.0};
    const int unorderedLength[] = {4};
    double point[2];
    const std::vector<std::vector<double>> bounds(2, {0.0, 1.0});
    const std::vector<double> shortStart{0.5};
    std::vector<std::vector<double>> points{{7.0}};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(get_nexp(nullptr, 2), kInconsistentInput);
    EXPECT_EQ(get_nexp(settings, 0), kInconsistentInput);
    EXPECT_EQ(arrangeDOE_(settings, 2, nullptr, nullptr, nullptr, point, 1), kInconsistentInput);
    EXPECT_EQ(arrangeDOE_(settings, 2, nullptr, boundLists, nullptr, nullptr, 1), kInconsistentInput);
    EXPECT_EQ(arrangeDOE_(settings, 2, nullptr, inverted, nullptr, point, 1), kInconsistentInput);
    EXPECT_EQ(arrangeDOE_(settings, 2, nullptr, notFinite, nullptr, point, 1), kInconsistentInput);
    EXPECT_EQ(arrangeDOE_(settings, 2, nullptr, boundLists, shortList, point, 1), kInconsistentInput);
    EXPECT_EQ(arrangeDOE_(settings, 1, nullptr, unordered, unorderedLength, point, 1), kInconsistentInput);
    EXPECT_EQ(arrangeDOE(settings, &shortStart, &bounds, &points), kInconsistentInput);
    EXPECT_EQ(arrangeDOE(settings, nullptr, nullptr, &points), kInconsistentInput);
    const std::string lines = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(points, (std::vector<std::vector<double>>{{7.0}})) << "untouched on bad input";
    EXPECT_NE(lines.find("arrangeDOE_: design variable 1 has lower bound 2 above its upper bound 1; "
                         "no design arranged\n"),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find("arrangeDOE: start holds 1 values for 2 design variables"), std::string::npos)
        << lines;
}

} // namespace
} // namespace Opt::DOE
