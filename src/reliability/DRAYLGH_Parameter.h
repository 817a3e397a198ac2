#pragma once

#include "reliability/DISTRIBUTION_Parameter.h"

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
class DRAYLGH_Parameter : public DISTRIBUTION_Parameter {
public:
    static constexpr int kTypeCode = 4;

    DRAYLGH_Parameter(double shift, double sigma);

    double sigma() const { return familyParameters()[1]; }

    double mean() const override;
    double standardDeviation() const override;
    double variance() const override;
    double skewness() const override;
    double kurtosis() const override;
    double pdf(double x) const override;
    double cdf(double x) const override;
    double shift() const override { return familyParameters()[0]; }
    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "RAYLEIGH"; }
    double quantile(double p) const override;
};

} // namespace Opt
