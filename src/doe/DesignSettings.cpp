#include "doe/DesignSettings.h"

#include "doe/CentralComposite.h"
#include "doe/FractionalFactorial.h"
#include "doe/FullFactorial.h"
#include "doe/LatinHypercube.h"
#include "doe/OneDParameterStudy.h"
#include "doe/OrthogonalArray.h"

namespace Opt::DOE {

namespace {

constexpr int kSeededFromClock = 1;
constexpr int kSeededWithZero = 0;

std::vector<DesignVariable> placeholderVariables(int factorCount)
{
    return std::vector<DesignVariable>(static_cast<std::size_t>(factorCount),
                                       DesignVariable({0.0, 1.0}, 0.5));
}

} // namespace

DesignSettings DesignSettings::fromFlat(const int* settings)
{
    DesignSettings result;
    result.type = settings[0];
    result.snapAll = settings[1] == 1;
    result.option = settings[2];
    result.count = settings[3];
    return result;
}

DesignSettings DesignSettings::fromStudyFlat(const int* settings)
{
    DesignSettings result = fromFlat(settings);
    result.studyCodes = true;
    return result;
}

bool DesignSettings::selectsDesign(int factorCount) const
{
    if (factorCount < 1) {
        return false;
    }
    switch (type) {
    case kFullFactorial: return option >= 1 && option <= kLargestFactorialLevels;
    case kCentralComposite: return CentralComposite::isAxialType(option);
    case kLatinHypercube: return count >= 0;
    case kOneDParameterStudy: return count >= 0 && option >= 0 && option < factorCount;
    case kOrthogonalArray: return count >= 0;
    case kFractionalFactorial: return studyCodes;
    default: return false;
    }
}

std::shared_ptr<DOEBase> DesignSettings::arrange(const std::vector<DesignVariable>& variables) const
{
    if (!selectsDesign(static_cast<int>(variables.size()))) {
        return nullptr;
    }
    switch (type) {
    case kFullFactorial:
        return std::make_shared<FullFactorial>(variables, option, snapAll);
    case kCentralComposite:
        return std::make_shared<CentralComposite>(variables, option, snapAll);
    case kLatinHypercube:
        return std::make_shared<LatinHypercube>(variables, count, option,
                                                seededFromClock ? kSeededFromClock : kSeededWithZero,
                                                snapAll);
    case kOneDParameterStudy:
        return std::make_shared<OneDParameterStudy>(variables, option, count, snapAll);
    case kOrthogonalArray:
        return std::make_shared<OrthogonalArray>(variables, option, count, snapAll);
    case kFractionalFactorial:
        return std::make_shared<FractionalFactorial>(variables, snapAll);
    default:
        return nullptr;
    }
}

int DesignSettings::pointCount(int factorCount) const
{
    if (!selectsDesign(factorCount)) {
        return 0;
    }
    if (type == kFullFactorial || type == kCentralComposite || type == kFractionalFactorial) {
        return arrange(placeholderVariables(factorCount))->pointCount;
    }
    return count;
}

} // namespace Opt::DOE
