#include "common/DesignVariable.h"

#include <cassert>
#include <cmath>

#include "common/NumericConstants.h"

namespace Opt {

namespace {

constexpr double kMiddle = 0.5;

} // namespace

DesignVariable::DesignVariable(const std::vector<double>& boundList, double startValue)
    : start(startValue), accepted(startValue), value(startValue), startCopy(startValue)
{
    assert(boundList.size() >= 2);
    lower = boundList.front();
    upper = boundList.back();
    for (std::size_t i = 1; i + 1 < boundList.size(); ++i) {
        levels.push_back(hasZeroRange() ? kMiddle : (boundList[i] - lower) / (upper - lower));
    }
}

bool DesignVariable::hasZeroRange() const
{
    return std::fabs(upper - lower) < kNumericZero;
}

double DesignVariable::toNormalised(double callerValue) const
{
    if (hasZeroRange()) {
        return kMiddle;
    }
    return (callerValue - lower) / (upper - lower);
}

} // namespace Opt
