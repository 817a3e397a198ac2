#include "reliability/SampleStatistics.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "reliability/DistributionFit.h"

namespace Opt {

namespace {

void requireUsableSample(const std::vector<double>& values)
{
    if (values.size() < static_cast<std::size_t>(kMinimumSampleCount)) {
        throw std::invalid_argument("a sample of " + std::to_string(values.size()) +
                                    " values has no kurtosis (at least " +
                                    std::to_string(kMinimumSampleCount) + " are needed)");
    }
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (!std::isfinite(values[k])) {
            throw std::invalid_argument("sample value " + std::to_string(k) + " is not finite");
        }
    }
}

void setMoments(const std::vector<double>& s, ResponseStatistics& out)
{
    const double n = static_cast<double>(s.size());
    double sum = 0.0;
    for (const double v : s) {
        sum += v;
    }
    out.mean = sum / n;
    double m2 = 0.0;
    double m3 = 0.0;
    double m4 = 0.0;
    for (const double v : s) {
        const double d = v - out.mean;
        m2 += d * d;
        m3 += d * d * d;
        m4 += d * d * d * d;
    }
    out.standardDeviation = std::sqrt(m2 / (n - 1.0));
    // Relative to the values' magnitude: rounding leaves a spread of a few ulps
    // in a constant sample.
    if (!(out.standardDeviation > 1e-14 * std::max(std::fabs(s.front()), std::fabs(s.back())))) {
        throw std::invalid_argument("the sample is constant (" + std::to_string(s.front()) +
                                    "): it has no spread to describe");
    }
    const double sd = out.standardDeviation;
    out.skewness = n / ((n - 1.0) * (n - 2.0)) * m3 / (sd * sd * sd);
    out.kurtosis = n * (n + 1.0) / ((n - 1.0) * (n - 2.0) * (n - 3.0)) * m4 / (sd * sd * sd * sd) -
                   3.0 * (n - 1.0) * (n - 1.0) / ((n - 2.0) * (n - 3.0));
}

void setWeightedSums(const std::vector<double>& s, ResponseStatistics& out)
{
    const double n = static_cast<double>(s.size());
    std::array<double, kWeightedSumCount> sums{s[0], s[0], s[0]};
    for (std::size_t k = 1; k < s.size(); ++k) {
        const double w = 1.0 - static_cast<double>(k) / n;
        const double step = s[k] - s[k - 1];
        sums[0] += w * step;
        sums[1] += w * w * step;
        sums[2] += w * w * w * w * step;
    }
    out.weightedSums = sums;
}

void setOrderStatistics(const std::vector<double>& s, ResponseStatistics& out)
{
    const std::size_t n = s.size();
    for (std::size_t j = 1; j <= static_cast<std::size_t>(kOrderStatisticCount); ++j) {
        const std::size_t position = std::max<std::size_t>((j * n + 99) / 100, 1) - 1;
        out.orderStatistics[j - 1] = s[std::min(position, n - 1)];
    }
}

} // namespace

ResponseStatistics describeSample(std::vector<double>& values)
{
    requireUsableSample(values);
    std::sort(values.begin(), values.end());
    ResponseStatistics out;
    setMoments(values, out);
    setWeightedSums(values, out);
    setOrderStatistics(values, out);
    const FamilyFits fits = fitFamilies(values, out);
    out.fittedParameters = fits.parameters;
    out.fitDistances = fits.distances;
    out.bestType = fits.bestType;
    return out;
}

std::vector<double> pairCorrelations(const std::vector<std::vector<double>>& columns,
                                     const std::vector<ResponseStatistics>& stats)
{
    std::vector<double> result;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        for (std::size_t j = i + 1; j < columns.size(); ++j) {
            double sum = 0.0;
            for (std::size_t k = 0; k < columns[i].size(); ++k) {
                sum += (columns[i][k] - stats[i].mean) * (columns[j][k] - stats[j].mean);
            }
            const double n = static_cast<double>(columns[i].size());
            result.push_back(sum / (n - 1.0) /
                             (stats[i].standardDeviation * stats[j].standardDeviation));
        }
    }
    return result;
}

} // namespace Opt
