#include "doe/FractionalFactorial.h"

#include <array>
#include <cassert>
#include <utility>

namespace Opt::DOE {

namespace {

constexpr int kTwoLevels = 2;

// Generated factors for 0 to 18 factors; from 19 on the two-level part keeps
// kLargestBasicFactorCount factors.
constexpr std::array<int, 19> kGeneratedFactors = {0, 0, 0, 0, 0, 1, 1, 1, 2, 2,
                                                   3, 4, 4, 5, 6, 7, 8, 9, 9};
constexpr int kLargestBasicFactorCount = 9;

// Level 1 is the low setting (-1), level 2 the high one (+1).
double toSign(double level)
{
    return level < 1.5 ? -1.0 : 1.0;
}

double toLevel(double sign)
{
    return sign < 0.0 ? 1.0 : 2.0;
}

// The g-th pair (0-based) of (0,1), (0,2), ..., (0,k-1), (1,2), ...
std::pair<int, int> generatorPair(int g, int factorCount)
{
    for (int first = 0; first + 1 < factorCount; ++first) {
        const int pairsWithFirst = factorCount - 1 - first;
        if (g < pairsWithFirst) {
            return {first, first + 1 + g};
        }
        g -= pairsWithFirst;
    }
    assert(false && "more generated factors than pairs of factors");
    return {0, 1};
}

} // namespace

FractionalFactorial::FractionalFactorial(const std::vector<DesignVariable>& designVariables,
                                         bool snapAllFactors,
                                         std::vector<int> discreteFactorIndices)
    : FractionalFactorial(designVariables, snapAllFactors, std::move(discreteFactorIndices),
                          DeferConstruction{})
{
    construct(factorialRunCount());
}

FractionalFactorial::FractionalFactorial(const std::vector<DesignVariable>& designVariables,
                                         bool snapAllFactors,
                                         std::vector<int> discreteFactorIndices,
                                         DeferConstruction deferred)
    : FullFactorial(designVariables, kTwoLevels, snapAllFactors, std::move(discreteFactorIndices),
                    deferred)
{
    generatedFactorCount = generatedFactorCountFor(factorCount);
}

int FractionalFactorial::generatedFactorCountFor(int factorCount)
{
    if (factorCount < static_cast<int>(kGeneratedFactors.size())) {
        return factorCount < 0 ? 0 : kGeneratedFactors[static_cast<std::size_t>(factorCount)];
    }
    return factorCount - kLargestBasicFactorCount;
}

int FractionalFactorial::factorialRunCount() const
{
    return cappedPower(kTwoLevels, factorCount - generatedFactorCount);
}

void FractionalFactorial::generateLevels()
{
    const int basicFactors = factorCount - generatedFactorCount;
    writeFactorialLevels(basicFactors);
    if (generatedFactorCount > 0) {
        generateFactors(basicFactors);
    }
}

void FractionalFactorial::generateFactors(int firstGenerated)
{
    auto& rows = points();
    const auto runs = static_cast<std::size_t>(factorialRunCount());
    for (std::size_t p = 0; p < runs; ++p) {
        auto& row = rows[p];
        for (int j = 0; j < firstGenerated; ++j) {
            row[static_cast<std::size_t>(j)] = toSign(row[static_cast<std::size_t>(j)]);
        }
        for (int c = firstGenerated; c < factorCount; ++c) {
            const auto [first, second] = generatorPair(c - firstGenerated, factorCount);
            assert(first < c && second < c);
            row[static_cast<std::size_t>(c)] =
                row[static_cast<std::size_t>(first)] * row[static_cast<std::size_t>(second)];
        }
        for (double& value : row) {
            value = toLevel(value);
        }
    }
}

} // namespace Opt::DOE
