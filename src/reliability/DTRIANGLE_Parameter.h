#pragma once

#include "reliability/BoostFamilyRecord.h"

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
class DTRIANGLE_Parameter : public BoostFamilyRecord<DTRIANGLE_Parameter> {
public:
    static constexpr int kTypeCode = 8;

    DTRIANGLE_Parameter(double lower, double mode, double upper);

    double mode() const { return familyParameters()[1]; }

    BoostDistribution<boost::math::triangular_distribution> boostDistribution() const;

    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "TRIANGLE"; }
};

extern template class BoostFamilyRecord<DTRIANGLE_Parameter>;

} // namespace Opt
