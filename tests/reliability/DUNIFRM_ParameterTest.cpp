#include "reliability/DUNIFRM_Parameter.h"

#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

class UniformDistribution : public ::testing::Test {
protected:
    const DUNIFRM_Parameter record{1.0, 5.0};
};

TEST_F(UniformDistribution, Moments)
{
    expectMoments(record, {3.0, 4.0 / std::sqrt(12.0), 0.0, 1.8}, 1e-15);
}

TEST_F(UniformDistribution, DistributionFunctionsInsideAndOutsideTheInterval)
{
    for (double p : {0.0, 0.2, 0.5, 0.9, 1.0}) {
        const double x = 1.0 + 4.0 * p;
        EXPECT_DOUBLE_EQ(record.pdf(x), 0.25);
        EXPECT_DOUBLE_EQ(record.cdf(x), p);
        EXPECT_DOUBLE_EQ(record.quantile(p), x);
    }
    EXPECT_EQ(record.pdf(0.5), 0.0);
    EXPECT_EQ(record.pdf(6.0), 0.0);
    EXPECT_EQ(record.cdf(0.5), 0.0);
    EXPECT_EQ(record.cdf(6.0), 1.0);
    expectCdfInvertsQuantile(record, 1e-15);
}

TEST_F(UniformDistribution, EmptyOrInfiniteIntervalsFail)
{
    for (double upper : {5.0, 1.0}) {
        expectErrorMentioning<std::domain_error>([upper] { DUNIFRM_Parameter(5.0, upper); },
                                                 "lower parameter is 5, but must be less than upper!");
    }
    expectErrorMentioning<std::domain_error>([] { DUNIFRM_Parameter(0.0, kInfinity); },
                                             "Upper parameter is inf, but must be finite!");
}

} // namespace
} // namespace Opt
