#pragma once

#include "reliability/DISTRIBUTION_Parameter.h"

namespace Opt {

// The triangular distribution of a random input on [lower, upper] with its peak
// at mode (p1 lower, p2 mode, p3 upper; lower and upper are also the record's
// support ends). Boost's triangular_distribution does the work: mean
// (lower + mode + upper)/3, variance (a² + c² + b² − ac − ab − cb)/18 with a
// lower, c mode, b upper, kurtosis 2.4 and Boost's skewness.
//
// The ends must be finite with lower below upper and lower ≤ mode ≤ upper, or
// the record fails when built with Boost's message. Outside the interval the
// density is 0 and the distribution function 0 or 1; a non-finite x is a domain
// error.
class DTRIANGLE_Parameter : public DISTRIBUTION_Parameter {
public:
    static constexpr int kTypeCode = 8;

    DTRIANGLE_Parameter(double lower, double mode, double upper);

    double mode() const { return familyParameters()[1]; }

    double mean() const override;
    double standardDeviation() const override;
    double variance() const override;
    double skewness() const override;
    double kurtosis() const override;
    double pdf(double x) const override;
    double cdf(double x) const override;
    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "TRIANGLE"; }
    double quantile(double p) const override;
};

} // namespace Opt
