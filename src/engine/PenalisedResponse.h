#pragma once

#include <functional>
#include <vector>

#include "common/ResponseRow.h"

namespace Opt {

// Whether a response value marks a failed evaluation: not a number, infinite, or
// at least kFailedEvaluation in magnitude (the value a host returns for a design
// it could not analyse).
bool isFailedResponse(double value);

// One evaluated design as the penalty-based engines (DIRECT, the genetic
// algorithms) judge it.
struct PenalisedResponse {
    double value = 0.0;     // objective + penalty * violation; the objective alone when penalty < 0
    double violation = 0.0; // sum of the constraints' positive excesses
    bool failed = false;    // some response of the design failed
};

// A constraint row's excess over its limit as one engine measures it (positive
// when violated), from the row's value.
using ConstraintExcess = std::function<double(double value, const ResponseRow& row)>;

// The penalised objective and total violation of the design whose responses are
// in the rows' values (objectiveRow the objective, every other row a constraint).
// A failed design, one whose objective or constraint value is a failed response
// or whose excess is not a number, has value and violation +infinity, so that it
// ranks behind every evaluated design under both a penalty and feasibility-first
// ranking, and is never taken for feasible. Decision of ours: one rule for every
// engine of the family, where each used to treat a not-a-number response its own
// way (DIRECT dropped a NaN constraint's penalty altogether) and 1e100 counted
// as an ordinary, if large, value.
PenalisedResponse penaliseResponses(const std::vector<ResponseRow>& rows, int objectiveRow,
                                    double penalty, const ConstraintExcess& excess);

} // namespace Opt
