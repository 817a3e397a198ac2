#include "reliability/DEXP_Parameter.h"

#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

class ExponentialDistribution : public ::testing::Test {
protected:
    static constexpr double kShift = 2.0;
    static constexpr double kRate = 0.5;
    const DEXP_Parameter record{kShift, kRate};
};

TEST_F(ExponentialDistribution, Moments)
{
    expectMoments(record, {1.0 / kRate + kShift, 1.0 / kRate, 2.0, 9.0}, 1e-14);
}

TEST_F(ExponentialDistribution, DistributionFunctionsOfTheShiftedVariate)
{
    for (double p : {0.0, 0.1, 0.5, 0.9, 0.999}) {
        const double x = kShift - std::log(1.0 - p) / kRate;
        EXPECT_NEAR(record.pdf(x), kRate * std::exp(-kRate * (x - kShift)), 1e-15);
        EXPECT_NEAR(record.cdf(x), 1.0 - std::exp(-kRate * (x - kShift)), 1e-15);
        EXPECT_NEAR(record.quantile(p), x, 1e-12);
    }
    EXPECT_EQ(record.quantile(0.0), kShift);
    expectCdfInvertsQuantile(record, 1e-14);
}

TEST_F(ExponentialDistribution, PointsBelowTheShiftAndBadParametersFail)
{
    expectErrorMentioning<std::domain_error>([this] { record.pdf(1.5); },
                                             "The random variable must be >= 0, but was: -0.5.");
    expectErrorMentioning<std::domain_error>([] { DEXP_Parameter(0.0, 0.0); },
                                             "The scale parameter \"lambda\" must be > 0, but was: 0.");
    expectErrorMentioning<std::domain_error>([] { DEXP_Parameter(kInfinity, 1.0); },
                                             "Location parameter is inf, but must be finite!");
    EXPECT_THROW(record.quantile(1.0), std::overflow_error);
}

} // namespace
} // namespace Opt
