#pragma once

#include "reliability/BoostFamilyRecord.h"

namespace Opt {

// The shifted Rayleigh distribution of a random input: X − shift is Rayleigh
// with scale sigma (the shift is p1, sigma p2). Boost's rayleigh_distribution is
// evaluated at x − shift; the shift is added to the mean and the quantile. The
// skewness (0.6311106578189372) and kurtosis (3.245089300687638) are the same
// for every sigma.
//
// A point below the shift is outside the support: pdf and cdf raise Boost's
// domain error there rather than answering 0. A non-finite shift is rejected
// with Boost's location message.
class DRAYLGH_Parameter : public BoostFamilyRecord<DRAYLGH_Parameter> {
public:
    static constexpr int kTypeCode = 4;

    DRAYLGH_Parameter(double shift, double sigma);

    double sigma() const { return familyParameters()[1]; }

    double shift() const override { return familyParameters()[0]; }
    BoostDistribution<boost::math::rayleigh_distribution> boostDistribution() const;

    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "RAYLEIGH"; }
};

extern template class BoostFamilyRecord<DRAYLGH_Parameter>;

} // namespace Opt
