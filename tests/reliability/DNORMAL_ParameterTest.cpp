#include "reliability/DNORMAL_Parameter.h"

#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

class NormalDistribution : public ::testing::Test {
protected:
    static constexpr double kMean = 10.0;
    static constexpr double kSd = 2.0;
    const DNORMAL_Parameter record{kMean, kSd};
};

TEST_F(NormalDistribution, Moments)
{
    expectMoments(record, {kMean, kSd, 0.0, 3.0}, 1e-15);
}

TEST_F(NormalDistribution, DistributionFunctions)
{
    for (double z : {-3.0, -1.0, 0.0, 0.75, 2.0}) {
        const double x = kMean + kSd * z;
        EXPECT_NEAR(record.pdf(x), std::exp(-0.5 * z * z) / (kSd * std::sqrt(2.0 * kPi)), 1e-15);
        EXPECT_NEAR(record.cdf(x), standardNormalCdf(z), 1e-14);
        EXPECT_NEAR(record.quantile(standardNormalCdf(z)), x, 1e-12);
    }
    // R: qnorm(0.975) = 1.959963984540054, qnorm(0.05) = -1.644853626951472
    EXPECT_NEAR(record.quantile(0.975), kMean + kSd * 1.959963984540054, 1e-12);
    EXPECT_NEAR(record.quantile(0.05), kMean - kSd * 1.644853626951472, 1e-12);
    expectCdfInvertsQuantile(record, 1e-14);
}

TEST_F(NormalDistribution, InfiniteVariatesHaveLimitValues)
{
    EXPECT_EQ(record.pdf(kInfinity), 0.0);
    EXPECT_EQ(record.pdf(-kInfinity), 0.0);
    EXPECT_EQ(record.cdf(kInfinity), 1.0);
    EXPECT_EQ(record.cdf(-kInfinity), 0.0);
}

TEST_F(NormalDistribution, BadArgumentsRaiseBoostErrors)
{
    expectErrorMentioning<std::domain_error>([] { DNORMAL_Parameter(0.0, 0.0); },
                                             "Scale parameter is 0, but must be > 0 !");
    expectErrorMentioning<std::domain_error>([this] { record.quantile(1.5); },
                                             "Probability argument is 1.5, but must be >= 0 and <= 1 !");
    expectErrorMentioning<std::domain_error>([this] { record.pdf(std::nan("")); }, "must be finite!");
    EXPECT_THROW(record.quantile(0.0), std::overflow_error);
}

} // namespace
} // namespace Opt
