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

// Scaling, snapping and duplicate removal on chosen normalised points.
TEST_F(CommonSteps, ScaleSnapRemoveDuplicatesAndRejectInconsistentInput)
{
    const DesignVariable line({0.0, 1.0}, 0.0);
    struct Case {
        const char* name;
        std::vector<DesignVariable> variables;
        std::vector<std::vector<double>> normalised;
        bool snapAll;
        std::vector<int> snapped;
        std::vector<std::vector<double>> expected;
    };
    const std::vector<Case> cases{
        {"scaled to the bounds", variables, {{0.0, 0.0}, {0.25, 1.0}, {1.0, 0.55}}, false, {},
         {{10.0, 0.0}, {12.5, 10.0}, {20.0, 5.5}}},
        // 0 clamps to the first level; 0.3 is nearer 0.2; 0.54 nearer 0.5; 0.56
        // nearer 0.6; 1 clamps to the last level. The continuous factor is untouched.
        {"snapped to the nearer level", variables,
         {{0.0, 0.0}, {0.1, 0.3}, {0.2, 0.54}, {0.3, 0.56}, {0.4, 1.0}}, true, {},
         {{10.0, 2.0}, {11.0, 2.0}, {12.0, 5.0}, {13.0, 6.0}, {14.0, 6.0}}},
        {"a tie snaps low", {DesignVariable({0.0, 1.0, 3.0, 4.0}, 0.0)}, {{0.5}}, true, {}, {{1.0}}},
        {"snapped twins leave the first", variables, {{0.5, 0.45}, {0.5, 0.52}, {0.7, 0.45}}, true, {},
         {{15.0, 5.0}, {17.0, 5.0}}},
        {"listed factors snap without snapAll", {variables[1], variables[1]}, {{0.3, 0.3}}, false, {1},
         {{3.0, 2.0}}},
        {"twins stay without snapping", variables, {{0.5, 0.7}, {0.5, 0.7}}, false, {}, {{15.0, 7.0}, {15.0, 7.0}}},
        // Snapping a continuous factor changes nothing, but the request still removes the twin.
        {"any snap request removes twins", variables, {{0.5, 0.7}, {0.5, 0.7}}, false, {0}, {{15.0, 7.0}}},
        {"removed points still remove their neighbours", {line}, {{0.5}, {0.50006}, {0.50012}, {0.9}}, true, {},
         {{0.5}, {0.9}}},
    };
    for (const auto& c : cases) {
        const AdditionalDOE design(c.variables, c.normalised, c.snapAll, c.snapped);
        EXPECT_EQ(design.pointSet->points, c.expected) << c.name;
        EXPECT_EQ(design.pointCount, static_cast<int>(c.expected.size())) << c.name;
        EXPECT_EQ(design.factorCount, static_cast<int>(c.variables.size())) << c.name;
    }
    EXPECT_THROW(AdditionalDOE({}, {}), std::invalid_argument);
    EXPECT_THROW(AdditionalDOE(variables, {{0.5}}), std::invalid_argument);
    EXPECT_THROW(AdditionalDOE(variables, {{0.5, std::nan("")}}), std::invalid_argument);
    EXPECT_THROW(AdditionalDOE(variables, {{0.5, 0.5}}, false, {2}), std::invalid_argument);
}

} // namespace
} // namespace Opt::DOE
