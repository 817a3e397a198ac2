#include "reliability/DNORMAL_Parameter.h"

#include <boost/math/distributions/normal.hpp>

#include "reliability/BoostFamilyRecordImpl.h"

namespace Opt {

DNORMAL_Parameter::DNORMAL_Parameter(double mean, double standardDeviation)
    : BoostFamilyRecord({mean, standardDeviation, 0.0, 0.0})
{
    boostDistribution(); // rejects a bad parameter now rather than at first use
}

boost::math::normal_distribution<> DNORMAL_Parameter::boostDistribution() const
{
    const auto& p = familyParameters();
    return boost::math::normal_distribution<>(p[0], p[1]);
}

template class BoostFamilyRecord<DNORMAL_Parameter>;

} // namespace Opt
