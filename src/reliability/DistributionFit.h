#pragma once

#include <array>
#include <memory>
#include <vector>

#include "reliability/DISTRIBUTION_Parameter.h"
#include "reliability/SampleStatistics.h"

namespace Opt {

// Fits the eight fitted families (type codes 0..7) to a sorted sample and
// measures each fit by its Kolmogorov-Smirnov distance, the largest
// |cdf(s_k) - k/(N - 1)| over the sorted sample s_0..s_{N-1}. The triangle
// (code 8) is not fitted; its distance is 1.
//
// The 20 parameters, in type order:
//   [0, 1]   normal       mean, standard deviation (the sample's)
//   [2, 3]   lognormal    m, s of ln X, from the L-moments l1 = mean and
//                         l2 = S1 - S2: s = 2 erfinv(l2/l1), m = ln l1 - s^2/2
//   [4, 5]   exponential  shift = min - (mean - min)/(N - 1) (E[min] of a
//                         shifted exponential is shift + 1/(N lambda)),
//                         lambda = 1/(mean - shift)
//   [6, 7]   uniform      the range widened by (max - min)/(N - 1) at each end
//   [8, 9]   Rayleigh     from l1 and l2 (the minimum of two Rayleigh(sigma)
//                         draws is Rayleigh(sigma/sqrt 2))
//   [10..12] gamma        shift, k, theta from the weighted sums S1, S2, S4:
//                         (S2 - S4)/(S1 - S2) depends on k alone
//   [13..15] Weibull      shift, k, scale in closed form: 2^(-1/k) =
//                         (S2 - S4)/(S1 - S2)
//   [16..19] beta         lower, upper, alpha, beta by the four moments when
//                         both shapes come out >= 1, otherwise from the widened
//                         range with the mean and standard deviation
// S_p (ResponseStatistics::weightedSums) estimates E[min of p draws]. The
// gamma and Weibull shifts are pinned just below the minimum when the shape is
// below 1 (the shift estimate is unstable there), and k is then taken from
// (S2 - shift)/(S1 - shift).
//
// Every fitted support holds the whole sample: shifts and lower ends are
// capped a hair (1e-9 of the range) below the minimum and the beta interval is
// widened to reach past the maximum, so that no cdf of the sweep throws. A
// family that cannot be fitted (the lognormal of a sample with a minimum <= 0,
// estimates outside a family's domain) gets NaN parameters and distance 1.
//
// The best family is chosen by parsimony, a deviation of ours from taking the
// smallest distance outright: among the families whose distance is within
// 1/sqrt(N) of the smallest, the one with the fewest parameters wins, then the
// smallest distance, then the lower type code. A richer family containing the
// true one (gamma and Weibull contain the exponential, beta the uniform) fits
// sampling noise and would otherwise win most of the time.
struct FamilyFits {
    std::array<double, kFittedParameterCount> parameters{};
    std::array<double, kFittedFamilyCount> distances{};
    int bestType = 0;
};

// sorted must be ascending; stats holds its moments and weighted sums.
FamilyFits fitFamilies(const std::vector<double>& sorted, const ResponseStatistics& stats);

// The record of family typeCode (0..7) with the parameters of the 20-entry
// vector, or null when that family was not fitted (NaN parameters). Throws
// Boost's domain error for parameters outside the family's domain.
std::shared_ptr<DISTRIBUTION_Parameter>
fittedRecord(int typeCode, const std::array<double, kFittedParameterCount>& parameters);

} // namespace Opt
