#include "reliability/DWEIBULL_Parameter.h"

#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

class WeibullDistribution : public ::testing::Test {
protected:
    static constexpr double kShift = 1.0;
    static constexpr double kShape = 1.5;
    static constexpr double kScale = 2.0;
    const DWEIBULL_Parameter record{kShift, kShape, kScale};

    // E[(X − shift)^n] = scale^n Γ(1 + n/shape).
    static double rawMoment(int n) { return std::pow(kScale, n) * std::tgamma(1.0 + n / kShape); }
};

TEST_F(WeibullDistribution, Moments)
{
    const double mu = rawMoment(1);
    const double var = rawMoment(2) - mu * mu;
    const double third = rawMoment(3) - 3.0 * mu * var - mu * mu * mu;
    const double fourth =
        rawMoment(4) - 4.0 * mu * rawMoment(3) + 6.0 * mu * mu * rawMoment(2) - 3.0 * std::pow(mu, 4);
    expectMoments(record, {kShift + mu, std::sqrt(var), third / std::pow(var, 1.5), fourth / (var * var)}, 1e-12);
}

TEST_F(WeibullDistribution, DistributionFunctionsOfTheShiftedVariate)
{
    for (double p : {0.0, 0.1, 0.5, 0.9, 0.999}) {
        const double u = std::pow(-std::log(1.0 - p), 1.0 / kShape); // (x − shift)/scale
        EXPECT_NEAR(record.pdf(kShift + kScale * u),
                    kShape / kScale * std::pow(u, kShape - 1.0) * std::exp(-std::pow(u, kShape)), 1e-15);
        EXPECT_NEAR(record.cdf(kShift + kScale * u), 1.0 - std::exp(-std::pow(u, kShape)), 1e-15);
        EXPECT_NEAR(record.quantile(p), kShift + kScale * u, 1e-12);
    }
    expectCdfInvertsQuantile(record, 1e-14);
}

TEST_F(WeibullDistribution, PointsBelowTheShiftAndBadParametersFail)
{
    EXPECT_THROW(record.cdf(0.5), std::domain_error);
    expectErrorMentioning<std::domain_error>([] { DWEIBULL_Parameter(0.0, -2.0, 1.0); },
                                             "Shape parameter is -2, but must be > 0 !");
    expectErrorMentioning<std::domain_error>([] { DWEIBULL_Parameter(0.0, 2.0, 0.0); },
                                             "Scale parameter is 0, but must be > 0 !");
}

} // namespace
} // namespace Opt
