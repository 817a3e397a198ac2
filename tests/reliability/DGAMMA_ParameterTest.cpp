#include "reliability/DGAMMA_Parameter.h"

#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

// Shape 3 makes it an Erlang distribution, whose cdf has a closed form.
class GammaDistribution : public ::testing::Test {
protected:
    static constexpr double kShift = 1.0;
    static constexpr double kShape = 3.0;
    static constexpr double kScale = 2.0;
    const DGAMMA_Parameter record{kShift, kShape, kScale};
};

TEST_F(GammaDistribution, Moments)
{
    expectMoments(record, {kShape * kScale + kShift, std::sqrt(kShape) * kScale, 2.0 / std::sqrt(kShape),
                           6.0 / kShape + 3.0}, 1e-14);
}

TEST_F(GammaDistribution, DistributionFunctionsOfTheShiftedVariate)
{
    for (double y : {0.5, 2.0, 6.0, 11.0, 24.0}) {
        const double u = y / kScale;
        const double erlangCdf = 1.0 - std::exp(-u) * (1.0 + u + 0.5 * u * u);
        EXPECT_NEAR(record.pdf(kShift + y), u * u * std::exp(-u) / (2.0 * kScale), 1e-15);
        EXPECT_NEAR(record.cdf(kShift + y), erlangCdf, 1e-14);
        EXPECT_NEAR(record.quantile(erlangCdf), kShift + y, 1e-11);
    }
    EXPECT_EQ(record.quantile(0.0), kShift);
    expectCdfInvertsQuantile(record, 1e-14);
}

TEST_F(GammaDistribution, PointsBelowTheShiftAndBadParametersFail)
{
    EXPECT_THROW(record.pdf(0.5), std::domain_error);
    expectErrorMentioning<std::domain_error>([] { DGAMMA_Parameter(0.0, 0.0, 1.0); },
                                             "Shape parameter is 0, but must be > 0 !");
    expectErrorMentioning<std::domain_error>([] { DGAMMA_Parameter(0.0, 1.0, -1.0); },
                                             "Scale parameter is -1, but must be > 0 !");
}

} // namespace
} // namespace Opt
