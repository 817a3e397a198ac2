#include "reliability/DISTRIBUTION_Parameter.h"

#include <cmath>

#include <boost/math/policies/error_handling.hpp>
#include <boost/math/policies/policy.hpp>

namespace Opt {

namespace {

void raiseDomainError(const char* function, const char* message, double value)
{
    boost::math::policies::raise_domain_error<double>(function, message, value,
                                                      boost::math::policies::policy<>());
}

} // namespace

DISTRIBUTION_Parameter::DISTRIBUTION_Parameter(const FamilyParameters& familyValues, double lower,
                                               double upper)
    : supportLower(lower), supportUpper(upper), parameters(familyValues)
{
}

double DISTRIBUTION_Parameter::shift() const
{
    return 0.0;
}

void DISTRIBUTION_Parameter::requireFiniteShift(const char* function, double shift)
{
    if (!std::isfinite(shift)) {
        raiseDomainError(function, "Location parameter is %1%, but must be finite!", shift);
    }
}

void DISTRIBUTION_Parameter::requireFiniteInterval(const char* function, double lower, double upper)
{
    if (!std::isfinite(lower)) {
        raiseDomainError(function, "Lower parameter is %1%, but must be finite!", lower);
    }
    if (!std::isfinite(upper)) {
        raiseDomainError(function, "Upper parameter is %1%, but must be finite!", upper);
    }
    if (lower >= upper) {
        raiseDomainError(function, "lower parameter is %1%, but must be less than upper!", lower);
    }
}

} // namespace Opt
