#include "reliability/DBETA_Parameter.h"

#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

// Beta(2, 3) scaled to [1, 6]. On t = (x − 1)/5 the density is 12t(1 − t)²
// (B(2, 3) = 1/12) and the cdf I_t(2, 3) = 6t²(1 − t)² + 4t³(1 − t) + t⁴.
class BetaDistribution : public ::testing::Test {
protected:
    static constexpr double kLower = 1.0;
    static constexpr double kWidth = 5.0;
    const DBETA_Parameter record{kLower, kLower + kWidth, 2.0, 3.0};
};

TEST_F(BetaDistribution, MomentsAreScaledToTheInterval)
{
    const double a = 2.0, b = 3.0, sum = a + b;
    const double standardVariance = a * b / (sum * sum * (sum + 1.0));
    // Excess kurtosis 6[(a − b)²(a + b + 1) − ab(a + b + 2)] / [ab(a + b + 2)(a + b + 3)].
    const double excess =
        6.0 * ((a - b) * (a - b) * (sum + 1.0) - a * b * (sum + 2.0)) / (a * b * (sum + 2.0) * (sum + 3.0));
    const double skewness = 2.0 * (b - a) * std::sqrt(sum + 1.0) / ((sum + 2.0) * std::sqrt(a * b));
    expectMoments(record, {kLower + a / sum * kWidth, std::sqrt(standardVariance) * kWidth, skewness, 3.0 + excess},
                  1e-14);
}

TEST_F(BetaDistribution, DistributionFunctionsAtTheStandardisedValue)
{
    for (double t : {0.0, 0.1, 0.3, 0.5, 0.8, 1.0}) {
        const double x = kLower + kWidth * t;
        const double cdf = 6.0 * t * t * (1.0 - t) * (1.0 - t) + 4.0 * t * t * t * (1.0 - t) + t * t * t * t;
        EXPECT_NEAR(record.pdf(x), 12.0 * t * (1.0 - t) * (1.0 - t), 1e-14); // not divided by the width
        EXPECT_NEAR(record.cdf(x), cdf, 1e-14);
        EXPECT_NEAR(record.quantile(cdf), x, 1e-12);
    }
    expectCdfInvertsQuantile(record, 1e-14);
}

TEST_F(BetaDistribution, PointsOutsideTheIntervalAndBadParametersFail)
{
    EXPECT_THROW(record.pdf(0.5), std::domain_error);
    EXPECT_THROW(record.cdf(6.5), std::domain_error);
    expectErrorMentioning<std::domain_error>([] { DBETA_Parameter(0.0, 1.0, 0.0, 1.0); },
                                             "Alpha argument is 0, but must be > 0 !");
    expectErrorMentioning<std::domain_error>([] { DBETA_Parameter(6.0, 1.0, 2.0, 3.0); },
                                             "lower parameter is 6, but must be less than upper!");
}

} // namespace
} // namespace Opt
