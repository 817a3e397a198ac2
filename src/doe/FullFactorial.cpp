#include "doe/FullFactorial.h"

#include <stdexcept>
#include <string>

namespace Opt::DOE {

namespace {

constexpr double kMiddle = 0.5;

} // namespace

FullFactorial::FullFactorial(const std::vector<DesignVariable>& designVariables, int levelCount,
                             bool snapAllFactors, std::vector<int> discreteFactorIndices)
    : FullFactorial(designVariables, levelCount, snapAllFactors, std::move(discreteFactorIndices),
                    DeferConstruction{})
{
    construct(cappedPower(levels, factorCount));
}

FullFactorial::FullFactorial(const std::vector<DesignVariable>& designVariables, int levelCount,
                             bool snapAllFactors, std::vector<int> discreteFactorIndices,
                             DeferConstruction)
    : DOEBase(designVariables, snapAllFactors, std::move(discreteFactorIndices))
{
    if (levelCount < 1) {
        throw std::invalid_argument("FullFactorial: levels = " + std::to_string(levelCount) +
                                    " (at least one level is needed)");
    }
    levels = levelCount;
}

void FullFactorial::generate()
{
    generateLevels();
    normalise();
}

void FullFactorial::generateLevels()
{
    writeFactorialLevels(factorCount);
}

void FullFactorial::normalise()
{
    for (auto& point : points()) {
        for (double& value : point) {
            value = levels == 1 ? kMiddle : (value - 1.0) / (levels - 1);
        }
    }
}

void FullFactorial::writeFactorialLevels(int factors)
{
    auto& rows = points();
    const int runs = cappedPower(levels, factors);
    for (int p = 0; p < runs && p < static_cast<int>(rows.size()); ++p) {
        int remainder = p;
        for (int j = 0; j < factors; ++j) {
            rows[static_cast<std::size_t>(p)][static_cast<std::size_t>(j)] = remainder % levels + 1;
            remainder /= levels;
        }
    }
}

int FullFactorial::cappedPower(int base, int exponent)
{
    constexpr long long kBeyondLimit = DOESamplingPointSet::kPointLimit + 1;
    long long power = 1;
    for (int i = 0; i < exponent; ++i) {
        power *= base;
        if (power >= kBeyondLimit) {
            return static_cast<int>(kBeyondLimit);
        }
    }
    return static_cast<int>(power);
}

} // namespace Opt::DOE
