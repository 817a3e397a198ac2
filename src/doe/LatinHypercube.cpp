#include "doe/LatinHypercube.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>
#include <utility>

#include "common/RandomSource.h"
#include "doe/LinearCongruentialRandom.h"
#include "platform/Platform.h"

namespace Opt::DOE {

namespace {

constexpr double kCentre = 0.5;

} // namespace

LatinHypercube::LatinHypercube(const std::vector<DesignVariable>& designVariables,
                               int sampleCount, int variantCode, int seededFromClock,
                               bool snapAllFactors, std::vector<int> discreteFactorIndices)
    : DOEBase(designVariables, snapAllFactors, std::move(discreteFactorIndices)),
      variant(variantCode),
      randomSeeded(seededFromClock)
{
    if (sampleCount < 0) {
        throw std::invalid_argument("LatinHypercube: sampleCount = " + std::to_string(sampleCount) +
                                    " is negative");
    }
    if (sampleCount <= DOESamplingPointSet::kPointLimit) {
        permutation.resize(static_cast<std::size_t>(sampleCount));
        std::iota(permutation.begin(), permutation.end(), 0);
    }
    construct(sampleCount);
}

void LatinHypercube::generate()
{
    if (variant == kRandomInCell) {
        generateRandomInCell();
    } else if (variant == kCellCorners) {
        generateCellCorners();
    }
}

void LatinHypercube::generateRandomInCell()
{
    RandomSource generator = randomSeeded != 0 ? RandomSource::fromClock() : RandomSource(0u);
    auto& rows = points();
    const auto n = static_cast<double>(rows.size());
    for (std::size_t j = 0; j < static_cast<std::size_t>(factorCount); ++j) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i][j] = (permutation[i] + generator.uniform()) / n;
        }
        shufflePermutation();
    }
}

void LatinHypercube::generateCellCorners()
{
    auto& rows = points();
    if (rows.size() == 1) {
        std::fill(rows[0].begin(), rows[0].end(), kCentre);
        return;
    }
    const auto lastCell = static_cast<double>(rows.size() - 1);
    for (std::size_t j = 0; j < static_cast<std::size_t>(factorCount); ++j) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i][j] = permutation[i] / lastCell;
        }
        shufflePermutation();
    }
}

void LatinHypercube::shufflePermutation()
{
    LinearCongruentialRandom generator(shuffleSeed());
    const std::size_t n = permutation.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const auto r = static_cast<std::size_t>(generator.next());
        std::swap(permutation[i], permutation[i + 1 + r % (n - 1 - i)]);
    }
}

std::uint32_t LatinHypercube::shuffleSeed() const
{
    if (randomSeeded == 0) {
        return 0u;
    }
    return static_cast<std::uint32_t>(Platform::epochSeconds());
}

} // namespace Opt::DOE
