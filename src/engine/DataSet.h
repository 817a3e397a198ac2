#pragma once

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace Opt {

// One response of a data set: a constraint (kind 1) or a part of the objective
// (any other kind), with its optional bounds, current value and scale.
struct ResponseDefinition {
    int kind = 0;
    double weight = 1.0;
    std::optional<double> lower;
    std::optional<double> upper;
    std::optional<double> value;  // absent counts as 0
    std::optional<double> scale;  // absent counts as unscaled
    int goal = 1;                 // 1 minimise, 2 maximise, 3 reach target
    double target = 0.0;
};

// Parameter arrays for an engine built from a data set, laid out as the host's
// arrays of that engine type; shorter lists are filled with the type's fill values.
struct SearchSettings {
    std::vector<double> reals;
    std::vector<int> ints;
};

// The data an engine in data-set mode shares with its driver instead of host
// arrays. Design values and bounds are in caller units. An engine built from a
// data set takes its design variables from bounds (one bound list per variable,
// laid out as for the host-array constructor) and its start from designValues;
// publishDesign then writes each design to evaluate into designValues and the
// driver stores the responses into the definitions' values.
struct DataSet {
    // Engine type whose publishDesign leaves the design values untouched.
    static constexpr int kEvaluationOnlyEngineType = 9;

    std::map<int, std::shared_ptr<ResponseDefinition>> responses; // ascending ids
    std::vector<double> designValues;
    std::vector<std::vector<double>> bounds;
    int engineType = 0;
    // The settings the engine built from this data set loads (the inner searches
    // of the surrogate managers choose them from the lists below).
    SearchSettings currentSearchSettings;
    std::vector<SearchSettings> gaSearchSettings;
    std::vector<SearchSettings> directSearchSettings;

    // The definition of response id, or null when the data set has none.
    const ResponseDefinition* find(int id) const;
};

} // namespace Opt
