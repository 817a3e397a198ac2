#pragma once

#include "reliability/BoostFamilyRecord.h"

namespace Opt {

// The shifted exponential distribution of a random input: X − shift is
// exponential with rate lambda, so the support starts at the shift (p1) and
// the rate (p2) is the inverse of the mean excess over it. Boost's
// exponential_distribution is evaluated at x − shift; the shift is added to the
// mean and the quantile (quantile(0) is the shift itself).
//
// A point below the shift is outside the support: pdf and cdf raise Boost's
// domain error there rather than answering 0. A non-finite shift is rejected
// with Boost's location message.
class DEXP_Parameter : public BoostFamilyRecord<DEXP_Parameter> {
public:
    static constexpr int kTypeCode = 2;

    DEXP_Parameter(double shift, double rate);

    double rate() const { return familyParameters()[1]; }

    double shift() const override { return familyParameters()[0]; }
    BoostDistribution<boost::math::exponential_distribution> boostDistribution() const;

    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "EXPONENTIAL"; }
};

extern template class BoostFamilyRecord<DEXP_Parameter>;

} // namespace Opt
