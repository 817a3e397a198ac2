#pragma once

#include "reliability/BoostFamilyRecord.h"

namespace Opt {

// The shifted gamma distribution of a random input: X − shift is gamma with
// shape k and scale theta (the shift is p1, k p2, theta p3). Boost's
// gamma_distribution is evaluated at x − shift; the shift is added to the mean
// and the quantile. Mean k·theta + shift, variance k·theta², skewness 2/√k,
// kurtosis 6/k + 3.
//
// A point below the shift is outside the support: pdf and cdf raise Boost's
// domain error there rather than answering 0. A non-finite shift is rejected
// with Boost's location message.
class DGAMMA_Parameter : public BoostFamilyRecord<DGAMMA_Parameter> {
public:
    static constexpr int kTypeCode = 5;

    DGAMMA_Parameter(double shift, double shape, double scale);

    double shape() const { return familyParameters()[1]; }
    double scale() const { return familyParameters()[2]; }

    double shift() const override { return familyParameters()[0]; }
    BoostDistribution<boost::math::gamma_distribution> boostDistribution() const;

    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "GAMMA"; }
};

extern template class BoostFamilyRecord<DGAMMA_Parameter>;

} // namespace Opt
