#pragma once

#include <array>
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

// What a surrogate study keeps of the model fitted to one response, for the
// managers to read after the fit. storeQuality fills the four quality slots,
// storeModel the rest; each model writes only what it has.
//
// Quality slots: coefficients of determination at the sample points, each
// clamped to [0, 1]. R^2 compares the model's predictions with the sampled
// values, Q^2 the leave-one-out predictions (each point predicted by the model
// fitted without it). The adjusted forms scale 1 - R^2 (or 1 - Q^2) by
// (N - 1)/(N - p - 1) for a model of p terms; they are filled only by models
// with a term count (polynomial regression, kriging). A slot a model does not
// compute stays empty (Q^2 also when the model was built without leave-one-out
// data).
//
// Model slots, by model type (1 polynomial regression, 2 kriging, 3 radial basis
// functions, 4 support vector regression, 5 ensemble, 6 ordinary kriging):
//   kind          polynomial kind (1, 2), basis kind (3), kernel kind (4);
//   coefficients  one per polynomial term (1; the trend for 2), one weight per
//                 sample point (3), one coefficient per sample point (4);
//   constant      the value added to the weighted sum: the mean of the values
//                 (3), the bias (4); 0 otherwise;
//   terms         the term table of a polynomial: three rows of variable indices,
//                 term k being the product of x[terms[0][k]], x[terms[1][k]] and
//                 x[terms[2][k]], -99999 standing for no factor (1, 2); empty
//                 otherwise;
//   extra         further numbers a model type needs beyond these, described
//                 with that type's model; empty for types 1, 3 and 4.
struct SurrogateSummary {
    static constexpr int kNoFactor = -99999;

    std::optional<double> rSquared;
    std::optional<double> adjustedRSquared;
    std::optional<double> qSquared;
    std::optional<double> adjustedQSquared;

    int modelType = 0; // 0 until a model stores itself
    int kind = -1;
    std::vector<double> coefficients;
    double constant = 0.0;
    std::array<std::vector<int>, 3> terms;
    std::vector<double> extra;
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
    // The surrogate summary of each response id a surrogate study has fitted.
    std::map<int, SurrogateSummary> surrogateSummaries;

    // The definition of response id, or null when the data set has none.
    const ResponseDefinition* find(int id) const;
};

} // namespace Opt
