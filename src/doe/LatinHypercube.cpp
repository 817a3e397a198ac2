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
                               bool snapAllFactors, std::vector<int> discreteFactorIndices,
                               std::uint32_t seed)
    : DOEBase(designVariables, snapAllFactors, std::move(discreteFactorIndices)),
      variant(variantCode),
      randomSeeded(seededFromClock),
      fixedSeed(seed)
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
    const auto n = static_cast<double>(points().size());
    if (variant == kRandomInCell) {
        RandomSource generator = randomSeeded != 0 ? RandomSource::fromClock() : RandomSource(fixedSeed);
        fillFactors([&](int cell) { return (cell + generator.uniform()) / n; });
    } else if (variant == kCellCorners && points().size() == 1) {
        std::fill(points()[0].begin(), points()[0].end(), kCentre);
    } else if (variant == kCellCorners) {
        fillFactors([n](int cell) { return cell / (n - 1.0); });
    }
}

template <typename CellPosition>
void LatinHypercube::fillFactors(CellPosition cellPosition)
{
    LinearCongruentialRandom generator(shuffleSeed());
    auto& rows = points();
    for (std::size_t j = 0; j < static_cast<std::size_t>(factorCount); ++j) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i][j] = cellPosition(permutation[i]);
        }
        shufflePermutation(generator);
    }
}

void LatinHypercube::shufflePermutation(LinearCongruentialRandom& generator)
{
    const std::size_t n = permutation.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const auto r = static_cast<std::size_t>(generator.next());
        std::swap(permutation[i], permutation[i + 1 + r % (n - 1 - i)]);
    }
}

std::uint32_t LatinHypercube::shuffleSeed() const
{
    if (randomSeeded == 0) {
        return fixedSeed;
    }
    return static_cast<std::uint32_t>(Platform::epochSeconds());
}

} // namespace Opt::DOE
