#pragma once

#include "reliability/BoostFamilyRecord.h"

namespace Opt {

// The shifted Weibull distribution of a random input: X − shift is Weibull
// with shape k and scale lambda, F(x) = 1 − exp(−((x − shift)/lambda)^k) (the
// shift is p1, k p2, lambda p3). Boost's weibull_distribution is evaluated at
// x − shift; the shift is added to the mean and the quantile; the kurtosis is
// Boost's excess kurtosis plus 3.
//
// A point below the shift is outside the support: pdf and cdf raise Boost's
// domain error there rather than answering 0. A non-finite shift is rejected
// with Boost's location message.
class DWEIBULL_Parameter : public BoostFamilyRecord<DWEIBULL_Parameter> {
public:
    static constexpr int kTypeCode = 6;

    DWEIBULL_Parameter(double shift, double shape, double scale);

    double shape() const { return familyParameters()[1]; }
    double scale() const { return familyParameters()[2]; }

    double kurtosis() const override;
    double shift() const override { return familyParameters()[0]; }
    BoostDistribution<boost::math::weibull_distribution> boostDistribution() const;

    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "WEIBULL"; }
};

extern template class BoostFamilyRecord<DWEIBULL_Parameter>;

} // namespace Opt
