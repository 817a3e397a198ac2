#pragma once

#include "reliability/DISTRIBUTION_Parameter.h"

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
class DGAMMA_Parameter : public DISTRIBUTION_Parameter {
public:
    static constexpr int kTypeCode = 5;

    DGAMMA_Parameter(double shift, double shape, double scale);

    double shape() const { return familyParameters()[1]; }
    double scale() const { return familyParameters()[2]; }

    double mean() const override;
    double standardDeviation() const override;
    double variance() const override;
    double skewness() const override;
    double kurtosis() const override;
    double pdf(double x) const override;
    double cdf(double x) const override;
    double shift() const override { return familyParameters()[0]; }
    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "GAMMA"; }
    double quantile(double p) const override;
};

} // namespace Opt
