// Bound lists as the public header's flat services take them: every list one
// after another, with each list's length beside it.
#pragma once

#include <vector>

namespace zelkorpy {

struct FlatBounds {
    std::vector<double> values;
    std::vector<int> lengths;
};

inline FlatBounds flatten(const std::vector<std::vector<double>>& lists)
{
    FlatBounds flat;
    for (const std::vector<double>& list : lists) {
        flat.values.insert(flat.values.end(), list.begin(), list.end());
        flat.lengths.push_back(static_cast<int>(list.size()));
    }
    return flat;
}

} // namespace zelkorpy
