#include "reliability/DRAYLGH_Parameter.h"

#include <boost/math/distributions/rayleigh.hpp>

#include "reliability/BoostFamilyRecordImpl.h"

namespace Opt {

DRAYLGH_Parameter::DRAYLGH_Parameter(double shift, double sigma)
    : BoostFamilyRecord({shift, sigma, 0.0, 0.0})
{
    requireFiniteShift("Opt::DRAYLGH_Parameter::DRAYLGH_Parameter", shift);
    boostDistribution(); // rejects a bad sigma now rather than at first use
}

boost::math::rayleigh_distribution<> DRAYLGH_Parameter::boostDistribution() const
{
    return boost::math::rayleigh_distribution<>(sigma());
}

template class BoostFamilyRecord<DRAYLGH_Parameter>;

} // namespace Opt
