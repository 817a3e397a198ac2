#pragma once

#include "reliability/BoostFamilyRecord.h"

namespace Opt {

// The continuous uniform distribution of a random input on [lower, upper]
// (p1, p2, and the record's support ends). Boost's uniform_distribution does
// the work: mean (lower + upper)/2, skewness 0, kurtosis 1.8.
//
// lower must be below upper and both finite, or the record fails when built
// with Boost's message ("lower parameter is …, but must be less than upper!").
// Outside the interval the density is 0 and the distribution function 0 or 1;
// a non-finite x is a domain error.
class DUNIFRM_Parameter : public BoostFamilyRecord<DUNIFRM_Parameter> {
public:
    static constexpr int kTypeCode = 3;

    DUNIFRM_Parameter(double lower, double upper);

    BoostDistribution<boost::math::uniform_distribution> boostDistribution() const;

    int typeCode() const override { return kTypeCode; }
    std::string name() const override { return "UNIFORM"; }
};

extern template class BoostFamilyRecord<DUNIFRM_Parameter>;

} // namespace Opt
