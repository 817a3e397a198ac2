#include "doe/CentralComposite.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace Opt::DOE {

namespace {

constexpr double kCentre = 0.5;
constexpr double kHalfRange = 0.5;

} // namespace

CentralComposite::CentralComposite(const std::vector<DesignVariable>& designVariables,
                                   int axial, bool snapAllFactors,
                                   std::vector<int> discreteFactorIndices)
    : FractionalFactorial(designVariables, snapAllFactors, std::move(discreteFactorIndices),
                          DeferConstruction{})
{
    if (!isAxialType(axial)) {
        throw std::invalid_argument("CentralComposite: axial type " + std::to_string(axial) +
                                    " is none of 0 (face-centred), 1 (inscribed), 2 (circumscribed)");
    }
    axialType = axial;
    const long long count = static_cast<long long>(factorialRunCount()) + 2LL * factorCount + 1;
    construct(count > DOESamplingPointSet::kPointLimit ? DOESamplingPointSet::kPointLimit + 1
                                                       : static_cast<int>(count));
}

bool CentralComposite::isAxialType(int axial)
{
    return axial == kFaceCentred || axial == kInscribed || axial == kCircumscribed;
}

void CentralComposite::normalise()
{
    const double quarterK = factorCount / 4.0;
    const double alpha = axialType == kCircumscribed ? std::pow(2.0, quarterK) : 1.0;
    const double halfWidth = axialType == kInscribed ? kHalfRange * std::pow(2.0, -quarterK)
                                                     : kHalfRange;
    normaliseFactorialRuns(halfWidth);
    writeAxialAndCentre(alpha);
}

void CentralComposite::normaliseFactorialRuns(double halfWidth)
{
    auto& rows = points();
    const auto runs = static_cast<std::size_t>(factorialRunCount());
    for (std::size_t p = 0; p < runs; ++p) {
        for (double& value : rows[p]) {
            value = value < 1.5 ? kCentre - halfWidth : kCentre + halfWidth;
        }
    }
}

void CentralComposite::writeAxialAndCentre(double axialFactor)
{
    auto& rows = points();
    const auto firstAxial = static_cast<std::size_t>(factorialRunCount());
    for (std::size_t p = firstAxial; p < rows.size(); ++p) {
        std::fill(rows[p].begin(), rows[p].end(), kCentre);
    }
    for (std::size_t j = 0; j < static_cast<std::size_t>(factorCount); ++j) {
        rows[firstAxial + 2 * j][j] = kCentre + axialFactor / 2.0;
        rows[firstAxial + 2 * j + 1][j] = kCentre - axialFactor / 2.0;
    }
}

} // namespace Opt::DOE
