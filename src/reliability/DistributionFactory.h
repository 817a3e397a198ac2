#pragma once

#include <memory>

#include "reliability/DISTRIBUTION_Parameter.h"

namespace Opt {

// Hosts describe each random variable by a row of six doubles: column 0 the
// type code, then the family's values in columns 1..5.
constexpr int kDistributionRowLength = 6;

// Type codes 0..8 name the nine families; 9 and above name none.
constexpr int kDistributionTypeCount = 9;

// The distribution record described by a host's input row, for random variable
// variableIndex, or null when the type code names no family. The columns read:
//
//   0 normal       mean = 1, standard deviation = 2
//   1 lognormal    mean = 1, standard deviation = 2 (of X itself, not of ln X)
//   2 exponential  rate lambda = 1, shift = 3
//   3 uniform      lower = 4, upper = 5
//   4 Rayleigh     sigma = 1, shift = 3
//   5 gamma        shape = 1, scale = 2, shift = 3
//   6 Weibull      shape = 1, scale = 2, shift = 3
//   7 beta         alpha = 1, beta = 2, lower = 4, upper = 5
//   8 triangle     mode = 1, lower = 4, upper = 5
//
// The other columns are ignored. row must hold kDistributionRowLength entries;
// a null row builds nothing. Parameters outside a family's domain throw Boost's
// error from the record's constructor.
//
// Decisions: the type code is truncated toward zero, as a host's conversion to
// an integer would (2.7 is the exponential); a negative or non-finite code names
// no family, like a code of 9 or above.
std::shared_ptr<DISTRIBUTION_Parameter> createDistribution(const double* row, int variableIndex);

} // namespace Opt
