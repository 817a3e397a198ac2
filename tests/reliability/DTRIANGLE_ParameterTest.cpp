#include "reliability/DTRIANGLE_Parameter.h"

#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

// The closed forms name the ends as usual: a lower, c mode, b upper.
class TriangleDistribution : public ::testing::Test {
protected:
    const double a = 1.0, c = 2.0, b = 5.0;
    const DTRIANGLE_Parameter record{a, c, b};
};

TEST_F(TriangleDistribution, Moments)
{
    const double q = a * a + b * b + c * c - a * b - a * c - b * c;
    expectMoments(record, {(a + b + c) / 3.0, std::sqrt(q / 18.0),
                           std::sqrt(2.0) * (a + b - 2.0 * c) * (2.0 * a - b - c) * (a - 2.0 * b + c)
                               / (5.0 * std::pow(q, 1.5)), 2.4},
                  1e-14);
}

TEST_F(TriangleDistribution, DistributionFunctionsOnBothSlopesAndOutside)
{
    for (double x : {1.0, 1.5, 2.0, 3.0, 4.5, 5.0}) {
        const bool rising = x <= c;
        const double pdf = rising ? 2.0 * (x - a) / ((b - a) * (c - a)) : 2.0 * (b - x) / ((b - a) * (b - c));
        const double cdf =
            rising ? (x - a) * (x - a) / ((b - a) * (c - a)) : 1.0 - (b - x) * (b - x) / ((b - a) * (b - c));
        EXPECT_NEAR(record.pdf(x), pdf, 1e-15);
        EXPECT_NEAR(record.cdf(x), cdf, 1e-15);
        EXPECT_NEAR(record.quantile(cdf), x, 1e-13);
    }
    EXPECT_EQ(record.pdf(0.0), 0.0);
    EXPECT_EQ(record.pdf(6.0), 0.0);
    EXPECT_EQ(record.cdf(0.0), 0.0);
    EXPECT_EQ(record.cdf(6.0), 1.0);
    expectCdfInvertsQuantile(record, 1e-14);
}

TEST_F(TriangleDistribution, MisplacedEndsOrModeFail)
{
    expectErrorMentioning<std::domain_error>([] { DTRIANGLE_Parameter(1.0, 0.0, 5.0); },
                                             "mode parameter is 1, but must be >= than lower!");
    expectErrorMentioning<std::domain_error>([] { DTRIANGLE_Parameter(5.0, 5.0, 5.0); },
                                             "lower parameter is 5, but must be less than upper!");
}

} // namespace
} // namespace Opt
