#pragma once

#include <vector>

namespace Opt {

// One row of an engine's response table: row 0 is the objective, the others are
// constraints. A constraint row is satisfied when its signed value is not above
// its limit.
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

} // namespace Opt
