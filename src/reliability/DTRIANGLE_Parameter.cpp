#include "reliability/DTRIANGLE_Parameter.h"

#include <boost/math/distributions/triangular.hpp>

#include "reliability/BoostFamilyRecordImpl.h"

namespace Opt {

DTRIANGLE_Parameter::DTRIANGLE_Parameter(double lower, double mode, double upper)
    : BoostFamilyRecord({lower, mode, upper, 0.0}, lower, upper)
{
    boostDistribution(); // rejects a bad lower, mode or upper now rather than at first use
}

boost::math::triangular_distribution<> DTRIANGLE_Parameter::boostDistribution() const
{
    return boost::math::triangular_distribution<>(lowerEnd(), mode(), upperEnd());
}

template class BoostFamilyRecord<DTRIANGLE_Parameter>;

} // namespace Opt
