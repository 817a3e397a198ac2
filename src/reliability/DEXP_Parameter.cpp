#include "reliability/DEXP_Parameter.h"

#include <boost/math/distributions/exponential.hpp>

#include "reliability/BoostFamilyRecordImpl.h"

namespace Opt {

DEXP_Parameter::DEXP_Parameter(double shift, double rate)
    : BoostFamilyRecord({shift, rate, 0.0, 0.0})
{
    requireFiniteShift("Opt::DEXP_Parameter::DEXP_Parameter", shift);
    boostDistribution(); // rejects a bad rate now rather than at first use
}

boost::math::exponential_distribution<> DEXP_Parameter::boostDistribution() const
{
    return boost::math::exponential_distribution<>(rate());
}

template class BoostFamilyRecord<DEXP_Parameter>;

} // namespace Opt
