#include "reliability/DLGNMAL_Parameter.h"

#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

// X with mean 2 and standard deviation 0.5, so coefficient of variation c = 0.25;
// ln X is normal with scale s = √ln(1 + c²) and location m = ln 2 − s²/2.
class LognormalDistribution : public ::testing::Test {
protected:
    static constexpr double kVariation = 0.25;
    const double s = std::sqrt(std::log(1.0 + kVariation * kVariation));
    const double m = std::log(2.0) - 0.5 * s * s;
    const DLGNMAL_Parameter record = DLGNMAL_Parameter::fromMeanAndStandardDeviation(2.0, 0.5);
};

TEST_F(LognormalDistribution, MomentsAreThoseOfXItself)
{
    // Skewness 3c + c³ and excess kurtosis 16c² + 15c⁴ + 6c⁶ + c⁸.
    const double c2 = kVariation * kVariation;
    expectMoments(record, {2.0, 0.5, 3.0 * kVariation + kVariation * c2,
                           3.0 + c2 * (16.0 + c2 * (15.0 + c2 * (6.0 + c2)))}, 1e-13);
}

TEST_F(LognormalDistribution, DistributionFunctions)
{
    for (double z : {-2.5, -1.0, 0.0, 1.0, 3.0}) {
        const double x = std::exp(m + s * z);
        EXPECT_NEAR(record.pdf(x), std::exp(-0.5 * z * z) / (x * s * std::sqrt(2.0 * kPi)), 1e-14);
        EXPECT_NEAR(record.cdf(x), standardNormalCdf(z), 1e-14);
        EXPECT_NEAR(record.quantile(standardNormalCdf(z)), x, 1e-12);
    }
    EXPECT_EQ(record.pdf(0.0), 0.0);
    expectCdfInvertsQuantile(record, 1e-14);
}

TEST_F(LognormalDistribution, DegenerateOrNegativeInputsFail)
{
    expectErrorMentioning<std::domain_error>(
        [] { DLGNMAL_Parameter::fromMeanAndStandardDeviation(1.0, 0.0); },
        "Scale parameter is 0, but must be > 0 !");
    expectErrorMentioning<std::domain_error>(
        [] { DLGNMAL_Parameter::fromMeanAndStandardDeviation(1.0, -0.5); },
        "Scale parameter is -0.5, but must be > 0 !");
    expectErrorMentioning<std::domain_error>(
        [] { DLGNMAL_Parameter::fromMeanAndStandardDeviation(-2.0, 0.5); }, "must be finite!");
    EXPECT_THROW(record.pdf(-1.0), std::domain_error);
}

} // namespace
} // namespace Opt
