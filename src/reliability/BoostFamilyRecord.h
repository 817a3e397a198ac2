#pragma once

#include <boost/math/distributions/fwd.hpp>
#include <boost/math/policies/policy.hpp>

#include "reliability/DISTRIBUTION_Parameter.h"

namespace Opt {

// A Boost.Math distribution over double with Boost's default policy, named
// without its header (family headers declare their boostDistribution() with it).
template <template <class, class> class Distribution>
using BoostDistribution = Distribution<double, boost::math::policies::policy<>>;

// The distribution record of a family whose variate is that of a Boost.Math
// distribution moved by the record's shift (0 for the families without one):
// the moments, the density, the distribution function and the quantile all
// come from Boost here, once for every such family. Family derives from it and
// provides `boostDistribution()`, the Boost distribution of its parameters.
//
// The members are defined in BoostFamilyRecordImpl.h and instantiated once, in
// the family's own source, which is the only place that includes the Boost
// headers of its distribution.
template <class Family>
class BoostFamilyRecord : public DISTRIBUTION_Parameter {
public:
    double mean() const override;
    double standardDeviation() const override;
    double variance() const override;
    double skewness() const override;
    double kurtosis() const override;
    double pdf(double x) const override;
    double cdf(double x) const override;
    double quantile(double p) const override;

protected:
    explicit BoostFamilyRecord(const FamilyParameters& familyValues, double lower = 0.0,
                               double upper = 0.0)
        : DISTRIBUTION_Parameter(familyValues, lower, upper)
    {
    }

private:
    auto distribution() const { return static_cast<const Family&>(*this).boostDistribution(); }
};

} // namespace Opt
