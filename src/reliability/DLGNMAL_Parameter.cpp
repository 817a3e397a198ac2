#include "reliability/DLGNMAL_Parameter.h"

#include <cmath>

#include <boost/math/distributions/lognormal.hpp>

#include "reliability/BoostFamilyRecordImpl.h"
#include <boost/math/policies/error_handling.hpp>

namespace Opt {

DLGNMAL_Parameter::DLGNMAL_Parameter(double logLocation, double logScale)
    : BoostFamilyRecord({logLocation, logScale, 0.0, 0.0})
{
    boostDistribution(); // rejects a bad parameter now rather than at first use
}

DLGNMAL_Parameter DLGNMAL_Parameter::fromMeanAndStandardDeviation(double mean,
                                                                  double standardDeviation)
{
    if (standardDeviation < 0.0) {
        boost::math::policies::raise_domain_error<double>(
            "Opt::DLGNMAL_Parameter::fromMeanAndStandardDeviation",
            "Scale parameter is %1%, but must be > 0 !", standardDeviation,
            boost::math::policies::policy<>());
    }
    const double ratio = standardDeviation / mean;
    // log1p keeps s accurate when the coefficient of variation is small.
    const double logScale = std::sqrt(std::log1p(ratio * ratio));
    const double logLocation = std::log(mean) - 0.5 * logScale * logScale;
    return DLGNMAL_Parameter(logLocation, logScale);
}

boost::math::lognormal_distribution<> DLGNMAL_Parameter::boostDistribution() const
{
    return boost::math::lognormal_distribution<>(logLocation(), logScale());
}

template class BoostFamilyRecord<DLGNMAL_Parameter>;

} // namespace Opt
