#include "doe/DOEBase.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace Opt::DOE {

namespace {

void checkVariables(const std::vector<DesignVariable>& variables)
{
    if (variables.empty()) {
        throw std::invalid_argument("design of experiments: no design variables");
    }
    for (std::size_t j = 0; j < variables.size(); ++j) {
        if (!std::isfinite(variables[j].lower) || !std::isfinite(variables[j].upper)) {
            throw std::invalid_argument("design of experiments: design variable " +
                                        std::to_string(j) + " has a non-finite bound");
        }
    }
}

void checkDiscreteFactors(const std::vector<int>& discreteFactors, std::size_t factorCount)
{
    for (const int j : discreteFactors) {
        if (j < 0 || static_cast<std::size_t>(j) >= factorCount) {
            throw std::invalid_argument("design of experiments: discrete factor " +
                                        std::to_string(j) + " is not one of the " +
                                        std::to_string(factorCount) + " design variables");
        }
    }
}

// Moves x (normalised) onto the nearer of the two levels around it; levels is
// ascending and not empty.
double snapToNearestLevel(double x, const std::vector<double>& levels)
{
    x = std::min(std::max(x, levels.front()), levels.back());
    for (std::size_t k = 1; k < levels.size(); ++k) {
        if (levels[k] > x) {
            return (x - levels[k - 1] <= levels[k] - x) ? levels[k - 1] : levels[k];
        }
    }
    return x;
}

double distance(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0.0;
    for (std::size_t j = 0; j < a.size(); ++j) {
        sum += (a[j] - b[j]) * (a[j] - b[j]);
    }
    return std::sqrt(sum);
}

} // namespace

DOEBase::DOEBase(const std::vector<DesignVariable>& designVariables, bool snapAllFactors,
                 std::vector<int> discreteFactorIndices)
    : pointSet(std::make_shared<DOESamplingPointSet>()),
      snapAll(snapAllFactors),
      discreteFactors(std::move(discreteFactorIndices)),
      variables(designVariables)
{
    checkVariables(variables);
    checkDiscreteFactors(discreteFactors, variables.size());
    factorCount = static_cast<int>(variables.size());
}

void DOEBase::construct(int count)
{
    allocatePoints(count);
    generate();
    finishConstruction();
}

void DOEBase::allocatePoints(int count)
{
    pointSet->allocate(factorCount, 0, count);
    pointCount = count;
}

void DOEBase::finishConstruction()
{
    if (snapRequested()) {
        snapToLevels();
        removeDuplicates();
    }
    scaleToBounds();
}

bool DOEBase::snapRequested() const
{
    return snapAll || !discreteFactors.empty();
}

void DOEBase::snapToLevels()
{
    std::vector<bool> snapped(variables.size(), snapAll);
    for (const int j : discreteFactors) {
        snapped[static_cast<std::size_t>(j)] = true;
    }
    for (std::size_t j = 0; j < variables.size(); ++j) {
        if (!snapped[j] || !variables[j].isDiscrete()) {
            continue;
        }
        for (auto& point : points()) {
            point[j] = snapToNearestLevel(point[j], variables[j].levels);
        }
    }
}

// Removed points still take part in the comparison, so a chain of points, each
// near the next, keeps only its first point.
void DOEBase::removeDuplicates()
{
    auto& rows = points();
    std::vector<bool> duplicate(rows.size(), false);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            if (!duplicate[j] && distance(rows[i], rows[j]) < kDuplicateDistance) {
                duplicate[j] = true;
            }
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (duplicate[i]) {
            continue;
        }
        if (kept != i) {
            rows[kept] = std::move(rows[i]);
        }
        ++kept;
    }
    rows.resize(kept);
    pointCount = static_cast<int>(kept);
}

void DOEBase::scaleToBounds()
{
    for (auto& point : points()) {
        for (std::size_t j = 0; j < variables.size(); ++j) {
            point[j] = variables[j].toCallerUnits(point[j]);
        }
    }
}

} // namespace Opt::DOE
