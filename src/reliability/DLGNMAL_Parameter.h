#pragma once

#include "reliability/BoostFamilyRecord.h"

namespace Opt {

// The lognormal distribution of a random input X: ln X is normal with location
// m (p1) and scale s (p2). Boost's lognormal_distribution does the work; its
// moments are those of X: mean exp(m + s²/2), variance
// (exp(s²) − 1)·exp(2m + s²), skewness (exp(s²) + 2)·√(exp(s²) − 1) and
// kurtosis exp(4s²) + 2exp(3s²) + 3exp(2s²) − 3. A negative x is outside the
// support and a domain error.
//
// Hosts describe a lognormal input by the mean and standard deviation of X
// itself; fromMeanAndStandardDeviation converts them. A zero standard deviation
// gives s = 0, which fails with Boost's scale message; a non-positive mean leaves
// no lognormal with that mean and fails on the location or scale it produces.
// Decision: a negative standard deviation is rejected with the scale message
// rather than silently taken by its magnitude.
class DLGNMAL_Parameter : public BoostFamilyRecord<DLGNMAL_Parameter> {
public:
    static constexpr int kTypeCode = 1;

    DLGNMAL_Parameter(double logLocation, double logScale);

    static DLGNMAL_Parameter fromMeanAndStandardDeviation(double mean, double standardDeviation);

    double logLocation() const { return familyParameters()[0]; }
    double logScale() const { return familyParameters()[1]; }

    BoostDistribution<boost::math::lognormal_distribution> boostDistribution() const;

    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "LOG NORMAL"; }
};

extern template class BoostFamilyRecord<DLGNMAL_Parameter>;

} // namespace Opt
