#include "reliability/DRAYLGH_Parameter.h"

#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

class RayleighDistribution : public ::testing::Test {
protected:
    static constexpr double kShift = 1.0;
    static constexpr double kSigma = 2.0;
    const DRAYLGH_Parameter record{kShift, kSigma};
};

TEST_F(RayleighDistribution, Moments)
{
    const double fourMinusPi = 4.0 - kPi;
    expectMoments(record,
                  {kShift + kSigma * std::sqrt(kPi / 2.0), kSigma * std::sqrt(fourMinusPi / 2.0),
                   2.0 * std::sqrt(kPi) * (kPi - 3.0) / std::pow(fourMinusPi, 1.5),
                   3.0 - (6.0 * kPi * kPi - 24.0 * kPi + 16.0) / (fourMinusPi * fourMinusPi)},
                  1e-14);
}

TEST_F(RayleighDistribution, DistributionFunctionsOfTheShiftedVariate)
{
    for (double p : {0.0, 0.1, 0.5, 0.9, 0.999}) {
        const double y = kSigma * std::sqrt(-2.0 * std::log(1.0 - p));
        const double tail = std::exp(-y * y / (2.0 * kSigma * kSigma));
        EXPECT_NEAR(record.pdf(kShift + y), y / (kSigma * kSigma) * tail, 1e-15);
        EXPECT_NEAR(record.cdf(kShift + y), 1.0 - tail, 1e-15);
        EXPECT_NEAR(record.quantile(p), kShift + y, 1e-12);
    }
    expectCdfInvertsQuantile(record, 1e-14);
}

TEST_F(RayleighDistribution, PointsBelowTheShiftAndBadSigmaFail)
{
    EXPECT_THROW(record.pdf(0.5), std::domain_error);
    expectErrorMentioning<std::domain_error>(
        [] { DRAYLGH_Parameter(0.0, -1.0); },
        "The scale parameter \"sigma\" must be > 0 and finite, but was: -1.");
}

} // namespace
} // namespace Opt
