#include "reliability/DWEIBULL_Parameter.h"

#include <boost/math/distributions/weibull.hpp>

#include "reliability/BoostFamilyRecordImpl.h"

namespace Opt {

DWEIBULL_Parameter::DWEIBULL_Parameter(double shift, double shape, double scale)
    : BoostFamilyRecord({shift, shape, scale, 0.0})
{
    requireFiniteShift("Opt::DWEIBULL_Parameter::DWEIBULL_Parameter", shift);
    boostDistribution(); // rejects a bad shape or scale now rather than at first use
}

double DWEIBULL_Parameter::kurtosis() const
{
    return boost::math::kurtosis_excess(boostDistribution()) + 3.0;
}

boost::math::weibull_distribution<> DWEIBULL_Parameter::boostDistribution() const
{
    return boost::math::weibull_distribution<>(shape(), scale());
}

template class BoostFamilyRecord<DWEIBULL_Parameter>;

} // namespace Opt
