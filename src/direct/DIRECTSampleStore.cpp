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

DIRECTSampleStore::DIRECTSampleStore(int variables) : nVariables(variables) {}

// Appends the per-point scalars of a new point; its coordinates and counts are
// pushed by the caller (one at a time: resizing by n each time costs more).
int DIRECTSampleStore::appendPoint()
{
    const int point = pointCount();
    values.push_back(std::numeric_limits<double>::quiet_NaN());
    sumsOfSquares.push_back(0.0);
    levels.push_back(0);
    return point;
}

int DIRECTSampleStore::addPoint(const std::vector<double>& centre,
                                const std::vector<std::int32_t>& divisionCounts)
{
    for (int i = 0; i < nVariables; ++i) {
        coordinates.push_back(centre[i]);
        counts.push_back(divisionCounts[i]);
    }
    const int point = appendPoint();
    refreshShape(point);
    return point;
}

int DIRECTSampleStore::addNeighbour(int point, int variable, double coordinate)
{
    const std::size_t from = entry(point, 0);
    for (int i = 0; i < nVariables; ++i) {
        coordinates.push_back(coordinates[from + i]);
        counts.push_back(counts[from + i]);
    }
    const int neighbour = appendPoint();
    coordinates[entry(neighbour, variable)] = coordinate;
    sumsOfSquares[neighbour] = sumsOfSquares[point];
    levels[neighbour] = levels[point];
    return neighbour;
}

void DIRECTSampleStore::setValue(int point, double value)
{
    byLevel.erase(point);
    recordValue(point, value);
    admit(point);
}

void DIRECTSampleStore::recordValue(int point, double value)
{
    values[point] = std::isnan(value) ? std::numeric_limits<double>::infinity() : value;
}

void DIRECTSampleStore::retire(int point)
{
    byLevel.erase(point);
}

void DIRECTSampleStore::admit(int point)
{
    if (!byLevel.contains(point)) {
        byLevel.insert(point, levels[point], values[point]);
    }
}

double DIRECTSampleStore::halfDiagonal(int point) const
{
    return 0.5 * std::sqrt(std::max(0.0, sumsOfSquares[point]));
}

int DIRECTSampleStore::smallestCount(int point) const
{
    std::int32_t smallest = std::numeric_limits<std::int32_t>::max();
    for (int i = 0; i < nVariables; ++i) {
        smallest = std::min(smallest, count(i, point));
    }
    return smallest;
}

std::vector<double> DIRECTSampleStore::centre(int point) const
{
    const auto first = coordinates.begin() + entry(point, 0);
    return std::vector<double>(first, first + nVariables);
}

void DIRECTSampleStore::incrementCount(int variable, int point)
{
    const bool wasIndexed = byLevel.contains(point);
    byLevel.erase(point);
    std::int32_t& count = counts[entry(point, variable)];
    sumsOfSquares[point] += squaredSide(count + 1) - squaredSide(count);
    ++count;
    ++levels[point];
    if (wasIndexed) {
        byLevel.insert(point, levels[point], values[point]);
    }
}

void DIRECTSampleStore::copyCounts(int from, int to)
{
    const bool wasIndexed = byLevel.contains(to);
    byLevel.erase(to);
    std::copy_n(counts.begin() + entry(from, 0), nVariables, counts.begin() + entry(to, 0));
    sumsOfSquares[to] = sumsOfSquares[from];
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
        sumOfSquares += squaredSide(count(i, point));
        level += count(i, point);
    }
    sumsOfSquares[point] = sumOfSquares;
    levels[point] = level;
}

} // namespace Opt
