#pragma once

#include <cmath>
#include <vector>

#include "common/NumericConstants.h"

namespace Opt {

// One row of an engine's response table: row 0 is the objective, the others are
// constraints. A constraint row is satisfied when its signed value is not above
// its limit.
//
// It lives in common, with DesignVariable, because the run report prints these
// rows and the report sits below the engine core that fills them.
struct ResponseRow {
    int sign = 1;                 // objective: +1 minimise, -1 maximise; constraint: +1 upper, -1 lower bound
    std::vector<int> ids;         // objective row, data-set mode: the responses that make up the objective
    std::vector<double> weights;  // one weight per entry of ids
    double limit = 0.0;           // the bound times sign
    int responseId = -1;          // the data-set response feeding a constraint row
    double acceptedValue = 0.0;   // value at the last accepted point
    double previousValue = 0.0;   // value at the previous accepted point (iterative engines)
    double value = 0.0;           // current signed value
    double scale = 0.0;           // normalising divisor; 0 means unset
};

// A constraint row's signed value v against its signed limit L, as a fraction of
// the limit: (v - L) / |L|, positive exactly when the row is violated whatever the
// sign of L (a lower bound is stored as a negative limit). A row without a limit
// (|L| below the numeric zero) gives v / |scale|, or v itself when no scale is set.
// Every engine that normalises constraints against their limits uses this, so a
// lower bound is judged the same way by all of them.
inline double normalisedConstraint(double value, const ResponseRow& row)
{
    if (std::fabs(row.limit) >= kNumericZero) {
        return (value - row.limit) / std::fabs(row.limit);
    }
    const double scale = std::fabs(row.scale);
    return scale >= kNumericZero ? value / scale : value;
}

} // namespace Opt
