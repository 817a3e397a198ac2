#pragma once

#include <cstdint>
#include <vector>

#include "direct/DIRECTLevelIndex.h"

namespace Opt {

// The sample points of a DIRECT search. Every point is the centre of one
// rectangle of the current partition of the unit hypercube. Per point the store
// keeps its normalised coordinates and, per variable, how many times its
// rectangle has been trisected along that variable (side 3^-count), its
// penalised objective F, its size d (half the diagonal) and its level (the sum of
// its counts; a larger level is a smaller rectangle).
//
// Coordinates and counts are held point by point in flat arrays (a point's n
// entries side by side), since every step of the search reads or writes all of a
// point's entries at once; appending a point and updating one count cost O(n),
// and the level and the sum of the squared sides are kept up to date with the
// counts. Evaluated points are also indexed by level, ordered by value (the later
// point first on equal values), so that the lowest points of every level are
// found without a pass over all points; a point whose rectangle can no longer be
// divided is retired from that index.
class DIRECTSampleStore {
public:
    explicit DIRECTSampleStore(int nVariables = 0);

    int variableCount() const { return nVariables; }
    int pointCount() const { return static_cast<int>(values.size()); }

    // Appends a point with the given coordinates and counts; its value is unset
    // (not a number) until setValue. Returns its index.
    int addPoint(const std::vector<double>& centre, const std::vector<std::int32_t>& divisionCounts);
    // Appends the centre of a new box beside a point's: the point's coordinates
    // with one of them replaced, and the point's counts, size and level, which the
    // division that follows turns into the new box's own. Returns its index.
    int addNeighbour(int point, int variable, double coordinate);

    double coordinate(int variable, int point) const { return coordinates[entry(point, variable)]; }
    std::int32_t count(int variable, int point) const { return counts[entry(point, variable)]; }
    double value(int point) const { return values[point]; }
    double halfDiagonal(int point) const;
    int level(int point) const { return levels[point]; }
    int smallestCount(int point) const;
    std::vector<double> centre(int point) const;

    // Sets the value of an evaluated point and indexes it; a value that is not a
    // number is stored as +infinity, so that it never wins a comparison.
    void setValue(int point, double value);
    // Sets the value as setValue does but leaves the point out of the index, for a
    // point whose box is not final yet: admit indexes it once it is.
    void recordValue(int point, double value);
    void incrementCount(int variable, int point);
    // Gives point `to` the counts that point `from` has now.
    void copyCounts(int from, int to);
    // Removes a point from the level index (a point that is not indexed is left alone).
    void retire(int point);
    // Indexes an evaluated point at its current level, unless it is indexed already.
    void admit(int point);

    // The evaluated points that are not retired, by level and value.
    const DIRECTLevelIndex& levelIndex() const { return byLevel; }

private:
    std::size_t entry(int point, int variable) const
    {
        return static_cast<std::size_t>(point) * static_cast<std::size_t>(nVariables) +
               static_cast<std::size_t>(variable);
    }
    int appendPoint();
    void refreshShape(int point);

    int nVariables = 0;
    std::vector<double> coordinates;  // [point * n + variable]
    std::vector<std::int32_t> counts; // [point * n + variable]
    std::vector<double> values;
    // Of the sides, kept with the counts; the size d follows from it on demand
    // (a search touches the sizes of few points, and memory is what it runs on).
    std::vector<double> sumsOfSquares;
    std::vector<int> levels;
    DIRECTLevelIndex byLevel;
};

} // namespace Opt
