#include "reliability/DGAMMA_Parameter.h"

#include <boost/math/distributions/gamma.hpp>

#include "reliability/BoostFamilyRecordImpl.h"

namespace Opt {

DGAMMA_Parameter::DGAMMA_Parameter(double shift, double shape, double scale)
    : BoostFamilyRecord({shift, shape, scale, 0.0})
{
    requireFiniteShift("Opt::DGAMMA_Parameter::DGAMMA_Parameter", shift);
    boostDistribution(); // rejects a bad shape or scale now rather than at first use
}

boost::math::gamma_distribution<> DGAMMA_Parameter::boostDistribution() const
{
    return boost::math::gamma_distribution<>(shape(), scale());
}

template class BoostFamilyRecord<DGAMMA_Parameter>;

} // namespace Opt
