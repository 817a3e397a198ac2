#pragma once

#include "reliability/DISTRIBUTION_Parameter.h"

namespace Opt {

// The normal (Gaussian) distribution of a random input, by its mean (p1) and
// standard deviation (p2); Boost's normal_distribution does the work.
//
// The density vanishes and the distribution function reaches 0 or 1 at an
// infinite x; a NaN x is a domain error. The quantile of 0 or 1 is an overflow
// error, as under Boost's default policy.
class DNORMAL_Parameter : public DISTRIBUTION_Parameter {
public:
    static constexpr int kTypeCode = 0;

    DNORMAL_Parameter(double mean, double standardDeviation);

    double mean() const override;
    double standardDeviation() const override;
    double variance() const override;
    double skewness() const override;
    double kurtosis() const override;
    double pdf(double x) const override;
    double cdf(double x) const override;
    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "NORMAL"; }
    double quantile(double p) const override;
};

} // namespace Opt
