#pragma once

#include <vector>

namespace Opt::RSM {

// The indices of the sample points nearest to one prediction point, as an
// ensemble of surrogates weighs its members by them: at most `length` entries,
// by ascending squared Euclidean distance, ties in ascending index. A plain
// value: each holder fills its own, so lists held by different objects never
// interfere (NearestSampleList is the one the whole process shares).
class NearestSamples {
public:
    // Sets the length and empties the list; a negative length throws
    // std::invalid_argument and changes nothing.
    void resize(int length);
    // Fills the list for x: min(length, number of points) entries. Coordinates
    // beyond the shorter of x and a point are ignored.
    void fill(const std::vector<double>& x, const std::vector<std::vector<double>>& points);
    const std::vector<int>& indices() const { return nearest; }
    int length() const { return capacity; }

private:
    int capacity = 0;
    std::vector<int> nearest;
};

} // namespace Opt::RSM
