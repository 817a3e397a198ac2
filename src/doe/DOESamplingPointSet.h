#pragma once

#include <map>
#include <vector>

namespace Opt::DOE {

// The sample points of a design of experiments and, once a study evaluates them,
// their responses. This is what the surrogate models read from the current design
// of experiments: the coordinates, the response table, the column of each
// response id and the coordinate flag.
//
// A store never holds more than kPointLimit points: asking for more throws the
// library's point-limit message (a std::string), whoever asks (a design or a
// surrogate manager growing its sample).
struct DOESamplingPointSet {
    static constexpr int kPointLimit = 10000;

    // Sizes points to pointCount rows of factorCount zeros and, when responseCount
    // is positive, the response table to pointCount rows of responseCount zeros
    // (otherwise the table is left as it is). Throws the point-limit message for
    // more than kPointLimit points and std::invalid_argument for a negative count;
    // in both cases nothing changes.
    void allocate(int factorCount, int responseCount, int pointCount);

    // Sizes the response table to one row of responseCount zeros per current
    // point, for a study that evaluates a design after it was built.
    void allocateResponses(int responseCount);

    std::vector<std::vector<double>> points;    // pointCount rows of factorCount values
    std::vector<std::vector<double>> responses; // one row per point, one column per response
    std::map<int, int> responseColumns;         // response id -> column of responses

    // The surrogate layer works in coordinates mapped to [-1, 1] per variable,
    // x~ = 2(x - lower)/(upper - lower) - 1, unless a study clears this flag; the
    // flag travels with the points into the model file. The designs themselves
    // always leave caller units: the study that installs a design maps it.
    bool normalised = true;
    bool hasResponses = false;
};

} // namespace Opt::DOE
