#pragma once

#include "reliability/BoostFamilyRecord.h"

namespace Opt {

// The normal (Gaussian) distribution of a random input, by its mean (p1) and
// standard deviation (p2); Boost's normal_distribution does the work.
//
// The density vanishes and the distribution function reaches 0 or 1 at an
// infinite x; a NaN x is a domain error. The quantile of 0 or 1 is an overflow
// error, as under Boost's default policy.
class DNORMAL_Parameter : public BoostFamilyRecord<DNORMAL_Parameter> {
public:
    static constexpr int kTypeCode = 0;

    DNORMAL_Parameter(double mean, double standardDeviation);

    BoostDistribution<boost::math::normal_distribution> boostDistribution() const;

    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "NORMAL"; }
};

extern template class BoostFamilyRecord<DNORMAL_Parameter>;

} // namespace Opt
