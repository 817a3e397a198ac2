#include "reliability/DistributionFit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/special_functions/erf.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/math/tools/toms748_solve.hpp>

#include "reliability/DBETA_Parameter.h"
#include "reliability/DEXP_Parameter.h"
#include "reliability/DGAMMA_Parameter.h"
#include "reliability/DLGNMAL_Parameter.h"
#include "reliability/DNORMAL_Parameter.h"
#include "reliability/DRAYLGH_Parameter.h"
#include "reliability/DUNIFRM_Parameter.h"
#include "reliability/DWEIBULL_Parameter.h"

namespace Opt {

namespace {

using Parameters = std::array<double, kFittedParameterCount>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kSupportMargin = 1e-9; // of the sample's range
constexpr int kFittedTypes = 8;
constexpr std::array<int, kFittedFamilyCount> kParameterCounts{2, 2, 2, 2, 2, 3, 3, 4, 3};
constexpr std::array<int, kFittedTypes> kFirstSlot{0, 2, 4, 6, 8, 10, 13, 16};
const double kHalfPiRoot = std::sqrt(std::acos(-1.0) / 2.0);
constexpr double kShapeLow = 0.02;   // the gamma shape is sought in [0.02, 2000]
constexpr double kShapeHigh = 2000.0;

struct Sample {
    const std::vector<double>& s;
    const ResponseStatistics& stats;
    double min() const { return s.front(); }
    double max() const { return s.back(); }
    double n() const { return static_cast<double>(s.size()); }
    double below() const { return min() - kSupportMargin * (max() - min()); }
    double widening() const { return (max() - min()) / (n() - 1.0); }
    double S(int k) const { return stats.weightedSums[static_cast<std::size_t>(k)]; }
};

// E[min of p standard gamma(k) draws] = integral of Q(k, x)^p over x >= 0.
// Q is 1 up to rounding below k - 12 sqrt(k) and 0 beyond k + 12 sqrt(k) + 40,
// so only the band between is integrated (an infinite interval would let the
// quadrature miss the band for large k).
double gammaMinimumMean(double k, int p)
{
    if (p == 1) {
        return k;
    }
    const double spread = 12.0 * std::sqrt(k);
    const double from = std::max(0.0, k - spread);
    const auto survival = [k, p](double x) { return std::pow(boost::math::gamma_q(k, x), p); };
    return from + boost::math::quadrature::gauss_kronrod<double, 31>::integrate(
                      survival, from, k + spread + 40.0, 15, 1e-10);
}

// The root of an increasing function of ln k on [ln 0.02, ln 2000], clamped to
// the interval's ends, found to 1e-10 in ln k by Alefeld, Potra and Shi's
// bracketing method (TOMS 748), which keeps the bracket as bisection does and
// needs a handful of evaluations where bisection needs forty. fLow and fHigh
// are f at the two ends, which do not depend on the sample.
double solveShape(const std::function<double(double)>& f, double target, double fLow,
                  double fHigh)
{
    const double lo = std::log(kShapeLow);
    const double hi = std::log(kShapeHigh);
    if (fLow >= target || std::isnan(target)) {
        return kShapeLow;
    }
    if (fHigh <= target) {
        return kShapeHigh;
    }
    const auto g = [&f, target](double u) { return f(std::exp(u)) - target; };
    const auto close = [](double a, double b) { return std::fabs(b - a) <= 1e-10; };
    std::uintmax_t iterations = 100;
    const std::pair<double, double> bracket = boost::math::tools::toms748_solve(
        g, lo, hi, fLow - target, fHigh - target, close, iterations);
    return std::exp(0.5 * (bracket.first + bracket.second));
}

// (E2 - E4)/(k - E2) and E2/k with E_p the mean of the minimum of p standard
// gamma(k) draws: both increase with k, and fix the shape from the weighted
// sums (with the shift free, and with it pinned).
double freeShiftRatio(double shape)
{
    const double e2 = gammaMinimumMean(shape, 2);
    return (e2 - gammaMinimumMean(shape, 4)) / (shape - e2);
}

double pinnedShiftRatio(double shape)
{
    return gammaMinimumMean(shape, 2) / shape;
}

// The two ratios at the ends of the shape interval, computed once.
struct ShapeEnds {
    double freeLow = freeShiftRatio(kShapeLow);
    double freeHigh = freeShiftRatio(kShapeHigh);
    double pinnedLow = pinnedShiftRatio(kShapeLow);
    double pinnedHigh = pinnedShiftRatio(kShapeHigh);
};

const ShapeEnds& shapeEnds()
{
    static const ShapeEnds ends;
    return ends;
}

void fitLognormal(const Sample& x, Parameters& p)
{
    const double l1 = x.stats.mean;
    const double ratio = (x.S(0) - x.S(1)) / l1;
    if (x.min() <= 0.0 || !(ratio > 0.0 && ratio < 1.0)) {
        return;
    }
    const double s = 2.0 * boost::math::erf_inv(ratio);
    p[2] = std::log(l1) - s * s / 2.0;
    p[3] = s;
}

void fitExponential(const Sample& x, Parameters& p)
{
    const double shift = std::min(x.min() - (x.stats.mean - x.min()) / (x.n() - 1.0), x.below());
    p[4] = shift;
    p[5] = 1.0 / (x.stats.mean - shift);
}

void fitRayleigh(const Sample& x, Parameters& p)
{
    const double sigma = (x.S(0) - x.S(1)) / (kHalfPiRoot * (1.0 - 1.0 / std::sqrt(2.0)));
    p[8] = std::min(x.stats.mean - sigma * kHalfPiRoot, x.below());
    p[9] = sigma;
}

void fitGamma(const Sample& x, Parameters& p)
{
    const double t = (x.S(1) - x.S(2)) / (x.S(0) - x.S(1));
    const ShapeEnds& ends = shapeEnds();
    double k = solveShape(freeShiftRatio, t, ends.freeLow, ends.freeHigh);
    double theta = (x.S(0) - x.S(1)) / (k - gammaMinimumMean(k, 2));
    double shift = x.S(0) - k * theta;
    if (k < 1.0 || shift > x.below()) {
        shift = x.below();
        const double r = (x.S(1) - shift) / (x.S(0) - shift);
        k = solveShape(pinnedShiftRatio, r, ends.pinnedLow, ends.pinnedHigh);
        theta = (x.S(0) - shift) / k;
    }
    p[10] = shift;
    p[11] = k;
    p[12] = theta;
}

void fitWeibull(const Sample& x, Parameters& p)
{
    const double t = (x.S(1) - x.S(2)) / (x.S(0) - x.S(1));
    if (!(t > 0.0 && t < 1.0)) {
        return;
    }
    double k = -std::log(2.0) / std::log(t);
    double g = std::tgamma(1.0 + 1.0 / k);
    double scale = (x.S(0) - x.S(1)) / (g * (1.0 - std::pow(2.0, -1.0 / k)));
    double shift = x.S(0) - scale * g;
    if (k < 1.0 || shift > x.below()) {
        shift = x.below();
        const double r = (x.S(1) - shift) / (x.S(0) - shift);
        k = -std::log(2.0) / std::log(r);
        scale = (x.S(0) - shift) / std::tgamma(1.0 + 1.0 / k);
    }
    p[13] = shift;
    p[14] = k;
    p[15] = scale;
}

// Four moments (skewness g, excess kurtosis e): nu = alpha + beta =
// 3(e - g^2 + 2)/(1.5 g^2 - e), the range from the variance.
bool fitBetaByMoments(const Sample& x, Parameters& p)
{
    const double g = x.stats.skewness;
    const double e = x.stats.kurtosis;
    const double nu = 3.0 * (e - g * g + 2.0) / (1.5 * g * g - e);
    if (!(nu > 0.0) || !std::isfinite(nu)) {
        return false;
    }
    double a = nu / 2.0;
    double b = nu / 2.0;
    if (std::fabs(g) > 1e-12) {
        const double d = 1.0 / std::sqrt(1.0 + 16.0 * (nu + 1.0) / ((nu + 2.0) * (nu + 2.0) * g * g));
        a = nu / 2.0 * (1.0 + (g < 0.0 ? d : -d));
        b = nu - a;
    }
    if (a < 1.0 || b < 1.0) {
        return false;
    }
    const double range = x.stats.standardDeviation / 2.0 *
                         std::sqrt((2.0 + nu) * (2.0 + nu) * g * g + 16.0 * (1.0 + nu));
    p[16] = x.stats.mean - a / nu * range;
    p[17] = p[16] + range;
    p[18] = a;
    p[19] = b;
    return true;
}

void fitBeta(const Sample& x, Parameters& p)
{
    if (!fitBetaByMoments(x, p)) {
        const double lower = x.min() - x.widening();
        const double range = x.max() + x.widening() - lower;
        const double m = (x.stats.mean - lower) / range;
        const double v = x.stats.standardDeviation * x.stats.standardDeviation / (range * range);
        const double common = m * (1.0 - m) / v - 1.0;
        p[16] = lower;
        p[17] = lower + range;
        p[18] = m * common;
        p[19] = (1.0 - m) * common;
    }
    const double margin = kSupportMargin * (x.max() - x.min());
    p[16] = std::min(p[16], x.min() - margin);
    p[17] = std::max(p[17], x.max() + margin);
}

Parameters estimate(const Sample& x)
{
    Parameters p;
    p.fill(kNaN);
    p[0] = x.stats.mean;
    p[1] = x.stats.standardDeviation;
    fitLognormal(x, p);
    fitExponential(x, p);
    p[6] = x.min() - x.widening();
    p[7] = x.max() + x.widening();
    fitRayleigh(x, p);
    fitGamma(x, p);
    fitWeibull(x, p);
    fitBeta(x, p);
    return p;
}

// The Kolmogorov-Smirnov distance max_k |F(s_k) - k/(N - 1)| without
// evaluating F at every sample. F is non-decreasing and s sorted, so between
// two positions a < b where F is known every term is at most
// max(F(s_b) - a/(N - 1), b/(N - 1) - F(s_a)); a run whose bound does not
// exceed the largest term found so far cannot hold a larger one and is
// skipped, any other is halved. The terms that are evaluated are the full
// sweep's, so the distance is the same number. kMonotoneSlack is added to the
// bound for a cdf whose rounding is not monotone in its last places. A sample
// fitted well is settled in a few thousand evaluations rather than N.
class KolmogorovSweep {
public:
    KolmogorovSweep(const DISTRIBUTION_Parameter& record, const std::vector<double>& sorted)
        : f(record), s(sorted), last(static_cast<double>(sorted.size() - 1))
    {
    }

    double distance()
    {
        const std::size_t n = s.size();
        std::size_t a = 0;
        double fa = evaluate(0);
        while (a + 1 < n) {
            const std::size_t b = std::min(a + kCoarseStep, n - 1);
            const double fb = evaluate(b);
            runs.push_back({a, b, fa, fb});
            a = b;
            fa = fb;
        }
        // The coarse grid first, so that the largest term is near its final
        // value before any run is judged.
        while (!runs.empty()) {
            const Run run = runs.back();
            runs.pop_back();
            if (run.b - run.a < 2 || bound(run) + kMonotoneSlack <= largest) {
                continue;
            }
            const std::size_t mid = run.a + (run.b - run.a) / 2;
            const double fm = evaluate(mid);
            runs.push_back({run.a, mid, run.fa, fm});
            runs.push_back({mid, run.b, fm, run.fb});
        }
        return largest;
    }

private:
    struct Run {
        std::size_t a;
        std::size_t b;
        double fa;
        double fb;
    };
    static constexpr std::size_t kCoarseStep = 64;
    static constexpr double kMonotoneSlack = 1e-9;

    double evaluate(std::size_t k)
    {
        const double value = f.cdf(s[k]);
        largest = std::max(largest, std::fabs(value - static_cast<double>(k) / last));
        return value;
    }
    double bound(const Run& run) const
    {
        return std::max(run.fb - static_cast<double>(run.a) / last,
                        static_cast<double>(run.b) / last - run.fa);
    }

    const DISTRIBUTION_Parameter& f;
    const std::vector<double>& s;
    const double last;
    double largest = 0.0;
    std::vector<Run> runs;
};

double kolmogorovDistance(const DISTRIBUTION_Parameter& record, const std::vector<double>& s)
{
    return KolmogorovSweep(record, s).distance();
}

double distanceOf(int type, const Parameters& p, const std::vector<double>& s)
{
    try {
        const auto record = fittedRecord(type, p);
        return record == nullptr ? 1.0 : kolmogorovDistance(*record, s);
    } catch (const std::exception&) {
        return 1.0; // estimates outside the family's domain: not fitted
    }
}

int parsimoniousBest(const std::array<double, kFittedFamilyCount>& d, double n)
{
    const double smallest = *std::min_element(d.begin(), d.end());
    int best = -1;
    for (int t = 0; t < kFittedFamilyCount; ++t) {
        const auto u = static_cast<std::size_t>(t);
        if (d[u] > smallest + 1.0 / std::sqrt(n)) {
            continue;
        }
        const auto b = static_cast<std::size_t>(best);
        if (best < 0 || kParameterCounts[u] < kParameterCounts[b] ||
            (kParameterCounts[u] == kParameterCounts[b] && d[u] < d[b])) {
            best = t;
        }
    }
    return best;
}

} // namespace

FamilyFits fitFamilies(const std::vector<double>& sorted, const ResponseStatistics& stats)
{
    FamilyFits fits;
    fits.parameters = estimate(Sample{sorted, stats});
    fits.distances.fill(1.0);
    for (int t = 0; t < kFittedTypes; ++t) {
        fits.distances[static_cast<std::size_t>(t)] = distanceOf(t, fits.parameters, sorted);
    }
    fits.bestType = parsimoniousBest(fits.distances, static_cast<double>(sorted.size()));
    return fits;
}

std::shared_ptr<DISTRIBUTION_Parameter> fittedRecord(int typeCode, const Parameters& p)
{
    if (typeCode < 0 || typeCode >= kFittedTypes) {
        return nullptr;
    }
    const auto first = static_cast<std::size_t>(kFirstSlot[static_cast<std::size_t>(typeCode)]);
    for (int k = 0; k < kParameterCounts[static_cast<std::size_t>(typeCode)]; ++k) {
        if (std::isnan(p[first + static_cast<std::size_t>(k)])) {
            return nullptr;
        }
    }
    switch (typeCode) {
    case DNORMAL_Parameter::kTypeCode: return std::make_shared<DNORMAL_Parameter>(p[0], p[1]);
    case DLGNMAL_Parameter::kTypeCode: return std::make_shared<DLGNMAL_Parameter>(p[2], p[3]);
    case DEXP_Parameter::kTypeCode: return std::make_shared<DEXP_Parameter>(p[4], p[5]);
    case DUNIFRM_Parameter::kTypeCode: return std::make_shared<DUNIFRM_Parameter>(p[6], p[7]);
    case DRAYLGH_Parameter::kTypeCode: return std::make_shared<DRAYLGH_Parameter>(p[8], p[9]);
    case DGAMMA_Parameter::kTypeCode: return std::make_shared<DGAMMA_Parameter>(p[10], p[11], p[12]);
    case DWEIBULL_Parameter::kTypeCode:
        return std::make_shared<DWEIBULL_Parameter>(p[13], p[14], p[15]);
    default: return std::make_shared<DBETA_Parameter>(p[16], p[17], p[18], p[19]);
    }
}

} // namespace Opt
