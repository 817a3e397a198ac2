#include "direct/DIRECTSampleStore.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Opt {

DIRECTSampleStore::DIRECTSampleStore(int variables)
    : nVariables(variables), coordinates(static_cast<std::size_t>(variables)),
      counts(static_cast<std::size_t>(variables))
{
}

int DIRECTSampleStore::addPoint(const std::vector<double>& centre,
                                const std::vector<std::int32_t>& divisionCounts)
{
    const int point = pointCount();
    for (int i = 0; i < nVariables; ++i) {
        coordinates[i].push_back(centre[i]);
        counts[i].push_back(divisionCounts[i]);
    }
    values.push_back(std::numeric_limits<double>::quiet_NaN());
    halfDiagonals.push_back(0.0);
    levels.push_back(0);
    refreshShape(point);
    return point;
}

int DIRECTSampleStore::smallestCount(int point) const
{
    std::int32_t smallest = std::numeric_limits<std::int32_t>::max();
    for (int i = 0; i < nVariables; ++i) {
        smallest = std::min(smallest, counts[i][point]);
    }
    return smallest;
}

std::vector<double> DIRECTSampleStore::centre(int point) const
{
    std::vector<double> result(static_cast<std::size_t>(nVariables));
    for (int i = 0; i < nVariables; ++i) {
        result[i] = coordinates[i][point];
    }
    return result;
}

void DIRECTSampleStore::incrementCount(int variable, int point)
{
    ++counts[variable][point];
    refreshShape(point);
}

void DIRECTSampleStore::copyCounts(int from, int to)
{
    for (int i = 0; i < nVariables; ++i) {
        counts[i][to] = counts[i][from];
    }
    refreshShape(to);
}

void DIRECTSampleStore::refreshShape(int point)
{
    double sumOfSquares = 0.0;
    int level = 0;
    for (int i = 0; i < nVariables; ++i) {
        const double side = std::pow(3.0, -static_cast<double>(counts[i][point]));
        sumOfSquares += side * side;
        level += counts[i][point];
    }
    halfDiagonals[point] = 0.5 * std::sqrt(sumOfSquares);
    levels[point] = level;
}

} // namespace Opt
