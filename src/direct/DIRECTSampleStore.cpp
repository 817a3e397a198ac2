#include "direct/DIRECTSampleStore.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Opt {

namespace {

// 9^-count, the squared side of a rectangle trisected count times; past the
// table the square is below the smallest double and counts as 0.
double squaredSide(std::int32_t count)
{
    static const std::vector<double> table = [] {
        std::vector<double> squares;
        for (double square = 1.0; square > 0.0; square /= 9.0) {
            squares.push_back(square);
        }
        return squares;
    }();
    return count >= 0 && static_cast<std::size_t>(count) < table.size() ? table[count] : 0.0;
}

} // namespace

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
    sumsOfSquares.push_back(0.0);
    levels.push_back(0);
    refreshShape(point);
    return point;
}

void DIRECTSampleStore::setValue(int point, double value)
{
    byLevel.erase(point);
    values[point] = std::isnan(value) ? std::numeric_limits<double>::infinity() : value;
    byLevel.insert(point, levels[point], values[point]);
}

void DIRECTSampleStore::retire(int point)
{
    byLevel.erase(point);
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
    const bool wasIndexed = byLevel.contains(point);
    byLevel.erase(point);
    std::int32_t& count = counts[variable][point];
    sumsOfSquares[point] += squaredSide(count + 1) - squaredSide(count);
    ++count;
    ++levels[point];
    halfDiagonals[point] = 0.5 * std::sqrt(std::max(0.0, sumsOfSquares[point]));
    if (wasIndexed) {
        byLevel.insert(point, levels[point], values[point]);
    }
}

void DIRECTSampleStore::copyCounts(int from, int to)
{
    const bool wasIndexed = byLevel.contains(to);
    byLevel.erase(to);
    for (int i = 0; i < nVariables; ++i) {
        counts[i][to] = counts[i][from];
    }
    sumsOfSquares[to] = sumsOfSquares[from];
    halfDiagonals[to] = halfDiagonals[from];
    levels[to] = levels[from];
    if (wasIndexed) {
        byLevel.insert(to, levels[to], values[to]);
    }
}

void DIRECTSampleStore::refreshShape(int point)
{
    double sumOfSquares = 0.0;
    int level = 0;
    for (int i = 0; i < nVariables; ++i) {
        sumOfSquares += squaredSide(counts[i][point]);
        level += counts[i][point];
    }
    sumsOfSquares[point] = sumOfSquares;
    halfDiagonals[point] = 0.5 * std::sqrt(sumOfSquares);
    levels[point] = level;
}

} // namespace Opt
