#include "doe/AdditionalDOE.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace Opt::DOE {

namespace {

void checkPoints(const std::vector<std::vector<double>>& normalisedPoints, std::size_t factorCount)
{
    for (std::size_t i = 0; i < normalisedPoints.size(); ++i) {
        const auto& point = normalisedPoints[i];
        if (point.size() != factorCount) {
            throw std::invalid_argument("AdditionalDOE: point " + std::to_string(i) + " has " +
                                        std::to_string(point.size()) + " values for " +
                                        std::to_string(factorCount) + " design variables");
        }
        for (const double value : point) {
            if (!std::isfinite(value)) {
                throw std::invalid_argument("AdditionalDOE: point " + std::to_string(i) +
                                            " has a non-finite value");
            }
        }
    }
}

} // namespace

AdditionalDOE::AdditionalDOE(const std::vector<DesignVariable>& designVariables,
                             const std::vector<std::vector<double>>& normalisedPoints,
                             bool snapAllFactors, std::vector<int> discreteFactorIndices)
    : DOEBase(designVariables, snapAllFactors, std::move(discreteFactorIndices))
{
    checkPoints(normalisedPoints, variables.size());
    const std::size_t count = normalisedPoints.size();
    allocatePoints(count > DOESamplingPointSet::kPointLimit ? DOESamplingPointSet::kPointLimit + 1
                                                           : static_cast<int>(count));
    points() = normalisedPoints;
    finishConstruction();
}

} // namespace Opt::DOE
