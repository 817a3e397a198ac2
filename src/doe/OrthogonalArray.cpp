#include "doe/OrthogonalArray.h"

#include <array>
#include <cassert>

#include "common/ErrorMessages.h"

namespace Opt::DOE {

namespace {

constexpr std::array<double, 2> kTwoLevels = {-1.0, 1.0};
constexpr std::array<double, 3> kThreeLevels = {-1.0, 0.0, 1.0};
constexpr std::array<double, 4> kFourLevels = {-1.0, -0.333333333333333, 0.333333333333333, 1.0};
constexpr std::array<double, 5> kFiveLevels = {-1.0, -0.5, 0.0, 0.5, 1.0};

} // namespace

OrthogonalArray::OrthogonalArray(const std::vector<DesignVariable>& designVariables,
                                 int levelCount, int runs, bool snapAllFactors,
                                 std::vector<int> discreteFactorIndices)
    : DOEBase(designVariables, snapAllFactors, std::move(discreteFactorIndices))
{
    levels = levelCount;
    // The points are allocated before the catalogue is consulted, the order every
    // design follows, so an oversized run count meets the point limit first.
    allocatePoints(runs);
    table = findOrthogonalArray(levelCount, runs);
    if (table == nullptr || factorCount > table->columns) {
        throwError(ErrorCode::NoOrthogonalArray);
    }
    generate();
    finishConstruction();
}

double OrthogonalArray::codedLevel(int levelCount, int symbol)
{
    const auto index = static_cast<std::size_t>(symbol);
    switch (levelCount) {
    case 2: return kTwoLevels.at(index);
    case 3: return kThreeLevels.at(index);
    case 4: return kFourLevels.at(index);
    case 5: return kFiveLevels.at(index);
    default: assert(false && "no catalogue array has this many levels"); return 0.0;
    }
}

void OrthogonalArray::generate()
{
    auto& rows = points();
    for (int r = 0; r < table->runs; ++r) {
        for (int j = 0; j < factorCount; ++j) {
            const double coded = codedLevel(levels, table->symbol(r, j));
            rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(j)] = (coded + 1.0) / 2.0;
        }
    }
}

} // namespace Opt::DOE
