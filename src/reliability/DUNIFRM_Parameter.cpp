#include "reliability/DUNIFRM_Parameter.h"

#include <boost/math/distributions/uniform.hpp>

#include "reliability/BoostFamilyRecordImpl.h"

namespace Opt {

DUNIFRM_Parameter::DUNIFRM_Parameter(double lower, double upper)
    : BoostFamilyRecord({lower, upper, 0.0, 0.0}, lower, upper)
{
    boostDistribution(); // rejects a bad interval now rather than at first use
}

boost::math::uniform_distribution<> DUNIFRM_Parameter::boostDistribution() const
{
    return boost::math::uniform_distribution<>(lowerEnd(), upperEnd());
}

template class BoostFamilyRecord<DUNIFRM_Parameter>;

} // namespace Opt
