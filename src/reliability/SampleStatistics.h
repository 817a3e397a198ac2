#pragma once

#include <array>
#include <vector>

namespace Opt {

// Sizes of the per-response statistics of a reliability analysis.
constexpr int kOrderStatisticCount = 99;  // the 1 % ... 99 % quantiles
constexpr int kWeightedSumCount = 3;      // weights (1 - k/N)^1, ^2, ^4
constexpr int kFittedParameterCount = 20; // see DistributionFit.h for the layout
constexpr int kFittedFamilyCount = 9;     // one distance per type code 0..8
// Kurtosis divides by (N - 1)(N - 2)(N - 3): fewer samples have none.
constexpr int kMinimumSampleCount = 4;

// What a reliability analysis reports for one response (or for one sample
// vector given to the statistics service).
struct ResponseStatistics {
    std::array<double, kOrderStatisticCount> orderStatistics{};
    double mean = 0.0;
    double standardDeviation = 0.0; // divisor N - 1
    double skewness = 0.0;          // adjusted Fisher-Pearson coefficient
    double kurtosis = 0.0;          // excess (a normal sample gives about 0)
    // s_0 + sum_k w_k (s_k - s_{k-1}) over the sorted sample with w_k =
    // (1 - k/N)^p, p = 1, 2, 4: estimates of E[min of p draws].
    std::array<double, kWeightedSumCount> weightedSums{};
    std::array<double, kFittedParameterCount> fittedParameters{};
    std::array<double, kFittedFamilyCount> fitDistances{};
    int bestType = 0;
};

// The statistics of one sample, which is sorted ascending in place: order
// statistics at positions ceil(jN/100) - 1 (for N = 100000 these are 1000j - 1,
// j = 1..99), moments, the weighted sums and the family fits (DistributionFit).
// Throws std::invalid_argument for fewer than kMinimumSampleCount values, a
// non-finite value, or a constant sample (no standard deviation to divide by).
ResponseStatistics describeSample(std::vector<double>& values);

// Pearson correlations with divisor N - 1 of every pair i < j of the columns
// (same length, unsorted: rows pair up), in row order: (0,1), (0,2), ...,
// (1,2), ...; n(n-1)/2 values for n columns. stats[i] holds column i's mean
// and standard deviation.
std::vector<double> pairCorrelations(const std::vector<std::vector<double>>& columns,
                                     const std::vector<ResponseStatistics>& stats);

} // namespace Opt
