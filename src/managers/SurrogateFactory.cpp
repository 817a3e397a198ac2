#include "managers/SurrogateFactory.h"

#include <stdexcept>
#include <string>

#include "rsm/EnsembleOfSurrogates.h"
#include "rsm/Kriging.h"
#include "rsm/OrdinaryKrigingGeo.h"
#include "rsm/PolynomialRegression.h"
#include "rsm/RadialBasisFunction.h"
#include "rsm/SupportVectorRegression.h"

namespace Opt::RSM {

namespace {

constexpr int kFullQuadratic = 4;
constexpr int kConstantTrend = 0;
constexpr int kDefaultCorrelation = 2;
constexpr int kGaussianBasis = 3;
constexpr int kGaussianKernel = 2;
constexpr int kSolverDefault = -999;
constexpr double kSolverSettingDefault = -999.0;
constexpr double kUnitSlope = 1.0;

int optionOr(int option, int fallback) { return option < 0 ? fallback : option; }

} // namespace

std::shared_ptr<RSMBase> createSurrogate(const SurrogateSettings& settings, int responseId,
                                         int variableCount, int pointCount)
{
    const int option = settings.option;
    switch (settings.modelType) {
    case 1:
        return std::make_shared<PolynomialRegression>(optionOr(option, kFullQuadratic), responseId,
                                                      variableCount, pointCount);
    case 2:
        return std::make_shared<Kriging>(kConstantTrend, optionOr(option, kDefaultCorrelation),
                                         Kriging::kCholeskySolve, pointCount, variableCount,
                                         responseId);
    case 3:
        return std::make_shared<RadialBasisFunction>(responseId, optionOr(option, kGaussianBasis),
                                                     variableCount, pointCount);
    case 4:
        return std::make_shared<SupportVectorRegression>(
            responseId, optionOr(option, kGaussianKernel), kSolverSettingDefault,
            kSolverSettingDefault, kSolverSettingDefault, kSolverDefault, variableCount,
            pointCount);
    case 5: {
        EnsembleMemberSettings members;
        members.variableCount = variableCount;
        members.pointCount = pointCount;
        return std::make_shared<EnsembleOfSurrogates>(responseId, members,
                                                      optionOr(option, variableCount));
    }
    case 6:
        return std::make_shared<OrdinaryKrigingGeo>(responseId, 0, variableCount, kUnitSlope,
                                                    pointCount);
    default:
        throw std::invalid_argument("surrogate study: response " + std::to_string(responseId) +
                                    " asks for model type " +
                                    std::to_string(settings.modelType) + " (1 to 6 exist)");
    }
}

} // namespace Opt::RSM
