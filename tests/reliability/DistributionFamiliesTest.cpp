// Every family against closed-form reference values: the four moments, and pdf,
// cdf and quantile at several points of the support.
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "reliability/DBETA_Parameter.h"
#include "reliability/DEXP_Parameter.h"
#include "reliability/DGAMMA_Parameter.h"
#include "reliability/DLGNMAL_Parameter.h"
#include "reliability/DNORMAL_Parameter.h"
#include "reliability/DRAYLGH_Parameter.h"
#include "reliability/DTRIANGLE_Parameter.h"
#include "reliability/DUNIFRM_Parameter.h"
#include "reliability/DWEIBULL_Parameter.h"
#include "reliability/DistributionTestSupport.h"

namespace Opt {
namespace {

struct Family {
    const char* name;
    std::function<std::shared_ptr<DISTRIBUTION_Parameter>()> make;
    Moments moments;
    double momentTolerance;
    std::vector<double> points;
    std::function<std::array<double, 3>(double)> reference; // point -> {x, pdf(x), cdf(x)}
    double pdfTolerance, cdfTolerance, quantileTolerance; // 0: equal to 4 ulps
    double inverseTolerance = 1e-14; // cdf(quantile(p)) = p
};

// Moments of Weibull(shift 1, shape 1.5, scale 2) from E[(X − shift)^n] = scale^n Γ(1 + n/shape).
Moments weibullMoments()
{
    const auto raw = [](int n) { return std::pow(2.0, n) * std::tgamma(1.0 + n / 1.5); };
    const double mu = raw(1), var = raw(2) - mu * mu;
    const double third = raw(3) - 3.0 * mu * var - mu * mu * mu;
    const double fourth = raw(4) - 4.0 * mu * raw(3) + 6.0 * mu * mu * raw(2) - 3.0 * std::pow(mu, 4);
    return {1.0 + mu, std::sqrt(var), third / std::pow(var, 1.5), fourth / (var * var)};
}

std::vector<Family> families()
{
    const double sqrt2pi = std::sqrt(2.0 * kPi);
    // Beta(2, 3) scaled to [1, 6]. On t = (x − 1)/5 the density is 12t(1 − t)²
    // (B(2, 3) = 1/12) and the cdf I_t(2, 3) = 6t²(1 − t)² + 4t³(1 − t) + t⁴;
    // excess kurtosis 6[(a − b)²(a + b + 1) − ab(a + b + 2)] / [ab(a + b + 2)(a + b + 3)].
    const double a = 2.0, b = 3.0, sum = a + b;
    const Moments beta{1.0 + a / sum * 5.0, std::sqrt(a * b / (sum * sum * (sum + 1.0))) * 5.0,
                       2.0 * (b - a) * std::sqrt(sum + 1.0) / ((sum + 2.0) * std::sqrt(a * b)),
                       3.0 + 6.0 * ((a - b) * (a - b) * (sum + 1.0) - a * b * (sum + 2.0))
                                 / (a * b * (sum + 2.0) * (sum + 3.0))};
    // Lognormal X with mean 2, sd 0.5, so c = 0.25; ln X is normal with scale
    // s = √ln(1 + c²) and location m = ln 2 − s²/2. Skewness 3c + c³, excess
    // kurtosis 16c² + 15c⁴ + 6c⁶ + c⁸.
    const double c = 0.25, c2 = c * c, s = std::sqrt(std::log(1.0 + c2)), m = std::log(2.0) - 0.5 * s * s;
    // Triangle with lower 1, mode 2, upper 5.
    const double q = 1.0 + 25.0 + 4.0 - 5.0 - 2.0 - 10.0;
    const double fourMinusPi = 4.0 - kPi;
    return {
        {"Normal", [] { return std::make_shared<DNORMAL_Parameter>(10.0, 2.0); }, {10.0, 2.0, 0.0, 3.0}, 1e-15,
         {-3.0, -1.0, 0.0, 0.75, 2.0},
         [=](double z) { return std::array<double, 3>{10.0 + 2.0 * z, std::exp(-0.5 * z * z) / (2.0 * sqrt2pi),
                                                      standardNormalCdf(z)}; },
         1e-15, 1e-14, 1e-12},
        {"Lognormal", [] { return std::make_shared<DLGNMAL_Parameter>(DLGNMAL_Parameter::fromMeanAndStandardDeviation(2.0, 0.5)); },
         {2.0, 0.5, 3.0 * c + c * c2, 3.0 + c2 * (16.0 + c2 * (15.0 + c2 * (6.0 + c2)))}, 1e-13,
         {-2.5, -1.0, 0.0, 1.0, 3.0},
         [=](double z) {
             const double x = std::exp(m + s * z);
             return std::array<double, 3>{x, std::exp(-0.5 * z * z) / (x * s * sqrt2pi), standardNormalCdf(z)};
         },
         1e-14, 1e-14, 1e-12},
        {"Exponential", [] { return std::make_shared<DEXP_Parameter>(2.0, 0.5); }, {4.0, 2.0, 2.0, 9.0}, 1e-14,
         {0.0, 0.1, 0.5, 0.9, 0.999},
         [](double p) {
             const double y = -std::log(1.0 - p) / 0.5;
             return std::array<double, 3>{2.0 + y, 0.5 * std::exp(-0.5 * y), 1.0 - std::exp(-0.5 * y)};
         },
         1e-15, 1e-15, 1e-12},
        {"Uniform", [] { return std::make_shared<DUNIFRM_Parameter>(1.0, 5.0); },
         {3.0, 4.0 / std::sqrt(12.0), 0.0, 1.8}, 1e-15, {0.0, 0.2, 0.5, 0.9, 1.0},
         [](double p) { return std::array<double, 3>{1.0 + 4.0 * p, 0.25, p}; }, 0.0, 0.0, 0.0, 1e-15},
        {"Rayleigh", [] { return std::make_shared<DRAYLGH_Parameter>(1.0, 2.0); },
         {1.0 + 2.0 * std::sqrt(kPi / 2.0), 2.0 * std::sqrt(fourMinusPi / 2.0),
          2.0 * std::sqrt(kPi) * (kPi - 3.0) / std::pow(fourMinusPi, 1.5),
          3.0 - (6.0 * kPi * kPi - 24.0 * kPi + 16.0) / (fourMinusPi * fourMinusPi)},
         1e-14, {0.0, 0.1, 0.5, 0.9, 0.999},
         [](double p) {
             const double y = 2.0 * std::sqrt(-2.0 * std::log(1.0 - p)), tail = std::exp(-y * y / 8.0);
             return std::array<double, 3>{1.0 + y, y / 4.0 * tail, 1.0 - tail};
         },
         1e-15, 1e-15, 1e-12},
        // Shape 3 makes it an Erlang distribution, whose cdf has a closed form.
        {"Gamma", [] { return std::make_shared<DGAMMA_Parameter>(1.0, 3.0, 2.0); },
         {7.0, std::sqrt(3.0) * 2.0, 2.0 / std::sqrt(3.0), 5.0}, 1e-14, {0.5, 2.0, 6.0, 11.0, 24.0},
         [](double y) {
             const double u = y / 2.0;
             return std::array<double, 3>{1.0 + y, u * u * std::exp(-u) / 4.0,
                                          1.0 - std::exp(-u) * (1.0 + u + 0.5 * u * u)};
         },
         1e-15, 1e-14, 1e-11},
        {"Weibull", [] { return std::make_shared<DWEIBULL_Parameter>(1.0, 1.5, 2.0); }, weibullMoments(), 1e-12,
         {0.0, 0.1, 0.5, 0.9, 0.999},
         [](double p) {
             const double u = std::pow(-std::log(1.0 - p), 1.0 / 1.5); // (x − shift)/scale
             return std::array<double, 3>{1.0 + 2.0 * u, 0.75 * std::pow(u, 0.5) * std::exp(-std::pow(u, 1.5)),
                                          1.0 - std::exp(-std::pow(u, 1.5))};
         },
         1e-15, 1e-15, 1e-12},
        {"Beta", [] { return std::make_shared<DBETA_Parameter>(1.0, 6.0, 2.0, 3.0); }, beta, 1e-14,
         {0.0, 0.1, 0.3, 0.5, 0.8, 1.0},
         [](double t) { // the pdf is not divided by the width
             return std::array<double, 3>{1.0 + 5.0 * t, 12.0 * t * (1.0 - t) * (1.0 - t),
                                          6.0 * t * t * (1.0 - t) * (1.0 - t) + 4.0 * t * t * t * (1.0 - t)
                                              + t * t * t * t};
         },
         1e-14, 1e-14, 1e-12},
        {"Triangle", [] { return std::make_shared<DTRIANGLE_Parameter>(1.0, 2.0, 5.0); },
         {8.0 / 3.0, std::sqrt(q / 18.0), std::sqrt(2.0) * 2.0 * -5.0 * -7.0 / (5.0 * std::pow(q, 1.5)), 2.4},
         1e-14, {1.0, 1.5, 2.0, 3.0, 4.5, 5.0},
         [](double x) {
             const bool rising = x <= 2.0;
             return std::array<double, 3>{x, rising ? 2.0 * (x - 1.0) / 4.0 : 2.0 * (5.0 - x) / 12.0,
                                          rising ? (x - 1.0) * (x - 1.0) / 4.0 : 1.0 - (5.0 - x) * (5.0 - x) / 12.0};
         },
         1e-15, 1e-15, 1e-13},
    };
}

void expectClose(double actual, double expected, double tolerance, const char* what, double x)
{
    if (tolerance == 0.0) {
        EXPECT_DOUBLE_EQ(actual, expected) << what << " at " << x;
    } else {
        EXPECT_NEAR(actual, expected, tolerance) << what << " at " << x;
    }
}

class DistributionFamily : public ::testing::TestWithParam<Family> {};

TEST_P(DistributionFamily, MomentsAndDistributionFunctionsMatchTheClosedForms)
{
    const Family& family = GetParam();
    const auto record = family.make();
    expectMoments(*record, family.moments, family.momentTolerance);
    for (double point : family.points) {
        const auto [x, pdf, cdf] = family.reference(point);
        expectClose(record->pdf(x), pdf, family.pdfTolerance, "pdf", x);
        expectClose(record->cdf(x), cdf, family.cdfTolerance, "cdf", x);
        expectClose(record->quantile(cdf), x, family.quantileTolerance, "quantile", x);
    }
    expectCdfInvertsQuantile(*record, family.inverseTolerance);
}

INSTANTIATE_TEST_SUITE_P(, DistributionFamily, ::testing::ValuesIn(families()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DistributionLimits, SupportTailsAndBadParameters)
{
    const DNORMAL_Parameter normal(10.0, 2.0);
    // R: qnorm(0.975) = 1.959963984540054, qnorm(0.05) = -1.644853626951472
    EXPECT_NEAR(normal.quantile(0.975), 10.0 + 2.0 * 1.959963984540054, 1e-12);
    EXPECT_NEAR(normal.quantile(0.05), 10.0 - 2.0 * 1.644853626951472, 1e-12);
    EXPECT_EQ(normal.pdf(kInfinity), 0.0);
    EXPECT_EQ(normal.pdf(-kInfinity), 0.0);
    EXPECT_EQ(normal.cdf(kInfinity), 1.0);
    EXPECT_EQ(normal.cdf(-kInfinity), 0.0);
    EXPECT_EQ(DEXP_Parameter(2.0, 0.5).quantile(0.0), 2.0);
    EXPECT_EQ(DGAMMA_Parameter(1.0, 3.0, 2.0).quantile(0.0), 1.0);
    EXPECT_EQ(DLGNMAL_Parameter::fromMeanAndStandardDeviation(2.0, 0.5).pdf(0.0), 0.0);
    const DTRIANGLE_Parameter triangle(1.0, 2.0, 5.0);
    const DUNIFRM_Parameter uniform(1.0, 5.0);
    for (const DISTRIBUTION_Parameter* record : {static_cast<const DISTRIBUTION_Parameter*>(&triangle),
                                                 static_cast<const DISTRIBUTION_Parameter*>(&uniform)}) {
        EXPECT_EQ(record->pdf(0.5), 0.0);
        EXPECT_EQ(record->pdf(6.0), 0.0);
        EXPECT_EQ(record->cdf(0.5), 0.0);
        EXPECT_EQ(record->cdf(6.0), 1.0);
    }
    const DEXP_Parameter exponential(2.0, 0.5);
    const std::vector<std::pair<std::function<void()>, const char*>> failures{
        {[] { DNORMAL_Parameter(0.0, 0.0); }, "Scale parameter is 0, but must be > 0 !"},
        {[&] { normal.quantile(1.5); }, "Probability argument is 1.5, but must be >= 0 and <= 1 !"},
        {[&] { normal.pdf(std::nan("")); }, "must be finite!"},
        {[&] { exponential.pdf(1.5); }, "The random variable must be >= 0, but was: -0.5."},
        {[] { DEXP_Parameter(0.0, 0.0); }, "The scale parameter \"lambda\" must be > 0, but was: 0."},
        {[] { DEXP_Parameter(kInfinity, 1.0); }, "Location parameter is inf, but must be finite!"},
        {[] { DLGNMAL_Parameter::fromMeanAndStandardDeviation(1.0, 0.0); }, "Scale parameter is 0, but must be > 0 !"},
        {[] { DLGNMAL_Parameter::fromMeanAndStandardDeviation(1.0, -0.5); }, "Scale parameter is -0.5, but must be > 0 !"},
        {[] { DLGNMAL_Parameter::fromMeanAndStandardDeviation(-2.0, 0.5); }, "must be finite!"},
        {[] { DLGNMAL_Parameter::fromMeanAndStandardDeviation(2.0, 0.5).pdf(-1.0); }, ""},
        {[] { DUNIFRM_Parameter(5.0, 5.0); }, "lower parameter is 5, but must be less than upper!"},
        {[] { DUNIFRM_Parameter(5.0, 1.0); }, "lower parameter is 5, but must be less than upper!"},
        {[] { DUNIFRM_Parameter(0.0, kInfinity); }, "Upper parameter is inf, but must be finite!"},
        {[] { DRAYLGH_Parameter(1.0, 2.0).pdf(0.5); }, ""},
        {[] { DRAYLGH_Parameter(0.0, -1.0); }, "The scale parameter \"sigma\" must be > 0 and finite, but was: -1."},
        {[] { DGAMMA_Parameter(1.0, 3.0, 2.0).pdf(0.5); }, ""},
        {[] { DGAMMA_Parameter(0.0, 0.0, 1.0); }, "Shape parameter is 0, but must be > 0 !"},
        {[] { DGAMMA_Parameter(0.0, 1.0, -1.0); }, "Scale parameter is -1, but must be > 0 !"},
        {[] { DWEIBULL_Parameter(1.0, 1.5, 2.0).cdf(0.5); }, ""},
        {[] { DWEIBULL_Parameter(0.0, -2.0, 1.0); }, "Shape parameter is -2, but must be > 0 !"},
        {[] { DWEIBULL_Parameter(0.0, 2.0, 0.0); }, "Scale parameter is 0, but must be > 0 !"},
        {[] { DBETA_Parameter(1.0, 6.0, 2.0, 3.0).pdf(0.5); }, ""},
        {[] { DBETA_Parameter(1.0, 6.0, 2.0, 3.0).cdf(6.5); }, ""},
        {[] { DBETA_Parameter(0.0, 1.0, 0.0, 1.0); }, "Alpha argument is 0, but must be > 0 !"},
        {[] { DBETA_Parameter(6.0, 1.0, 2.0, 3.0); }, "lower parameter is 6, but must be less than upper!"},
        {[] { DTRIANGLE_Parameter(1.0, 0.0, 5.0); }, "mode parameter is 1, but must be >= than lower!"},
        {[] { DTRIANGLE_Parameter(5.0, 5.0, 5.0); }, "lower parameter is 5, but must be less than upper!"},
    };
    for (const auto& [call, message] : failures) {
        expectErrorMentioning<std::domain_error>(call, message);
    }
    EXPECT_THROW(normal.quantile(0.0), std::overflow_error);
    EXPECT_THROW(exponential.quantile(1.0), std::overflow_error);
}

} // namespace
} // namespace Opt
