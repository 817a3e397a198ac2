// Real chromosomes: copying genes and the polynomial mutation.
#include "ga/GARealString.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace Opt {
namespace {

TEST(GARealStringMutation, GenesAtTheBoundsDoNotMove)
{
    for (double u : {0.0, 0.1, 0.5, 0.9, 0.999}) {
        EXPECT_EQ(GARealString::mutationStep(0.0, u, 0), 0.0) << u;
        EXPECT_EQ(GARealString::mutationStep(1.0, u, 7), 0.0) << u;
        EXPECT_EQ(GARealString::mutationStep(5e-9, u, 0), 0.0) << "within 1e-8 of a bound";
    }
}

TEST(GARealStringMutation, DrawBelowAHalfMovesDownAboveAHalfUp)
{
    // u = 0.5 gives (1)^(1/e) - 1 = 0; the step is antisymmetric about x = 0.5.
    EXPECT_EQ(GARealString::mutationStep(0.3, 0.5, 0), 0.0);
    EXPECT_LT(GARealString::mutationStep(0.3, 0.1, 0), 0.0);
    EXPECT_GT(GARealString::mutationStep(0.3, 0.9, 0), 0.0);
    EXPECT_NEAR(GARealString::mutationStep(0.3, 0.1, 4), -GARealString::mutationStep(0.7, 0.9, 4),
                1e-15);
    // The extreme draws reach the nearer bound: (2u)^(1/e) - 1 with delta = x.
    EXPECT_NEAR(GARealString::mutationStep(0.3, 0.0, 0), -0.3, 1e-12);
}

TEST(GARealStringMutation, StepsNarrowAsGenerationsPass)
{
    const double early = std::fabs(GARealString::mutationStep(0.4, 0.05, 0));
    const double late = std::fabs(GARealString::mutationStep(0.4, 0.05, 400));
    EXPECT_GT(early, 2.0 * late);
    // Distribution index 100: (2u + (1 - 2u)(1 - x)^101)^(1/101) - 1.
    const double expected = std::pow(0.1 + 0.9 * std::pow(0.6, 101), 1.0 / 101) - 1.0;
    EXPECT_NEAR(GARealString::mutationStep(0.4, 0.05, 0), expected, 1e-15);
}

TEST(GARealStringMutation, GeneStaysInsideOrIsReported)
{
    GARealString string;
    string.assign({0.2, 0.8, 1.5});
    testing::internal::CaptureStdout();
    for (int k = 0; k < 200; ++k) {
        string.mutateGene(k % 2, (k + 0.5) / 200.0, k % 5);
        ASSERT_GE(string.gene(k % 2), 0.0);
        ASSERT_LE(string.gene(k % 2), 1.0);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    // A gene already outside [0, 1] moves on and is reported with delta and step.
    testing::internal::CaptureStdout();
    string.mutateGene(2, 0.9, 0);
    const std::string report = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 3);
    EXPECT_EQ(report.substr(report.find('\n') + 1, 5), "-0.5\n");
    string.mutateGene(3, 0.9, 0); // no such gene: nothing
}

TEST(GARealStringCoding, DecodeCopiesAndAssignReplaces)
{
    GARealString string;
    string.resize(3);
    string.assign({0.25, 0.5, 0.75});
    std::vector<double> out(3, -1.0);
    string.decode(out, {99});
    EXPECT_EQ(out, (std::vector<double>{0.25, 0.5, 0.75}));
    RandomSource generator(3u);
    RandomSource expected = generator;
    string.randomize(generator);
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(string.gene(j), expected.uniform());
    }
}

} // namespace
} // namespace Opt
