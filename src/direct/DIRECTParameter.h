#pragma once

#include "engine/OptEngineParameter.h"

namespace Opt {

// Settings of the DIRECT search. Host arrays: 11 ints and 10 doubles (a missing
// array counts as zeros). Out-of-range entries take the defaults; the iteration
// and evaluation limits are also capped.
//
//   int 0, 1   goal and objective form (values below 1 become 1)
//   int 2      maxDivisionDepth  500   trisections allowed along one variable
//   int 3      maxIterations      50   capped at 100
//   int 4      maxEvaluations   3000   capped at 10000 sample points
//   double 0   penaltyFactor     5.0   weight of the constraint violation
//   double 1   targetValue       0     when > 0, stop once an objective falls below it
class DIRECTParameter : public OptEngineParameter {
public:
    static constexpr int kRealCount = 10;
    static constexpr int kIntCount = 11;
    static constexpr int kIterationCap = 100;
    static constexpr int kEvaluationCap = 10000;

    void load(const double* reals, const int* ints) override;

    int maxDivisionDepth = 500;
    int maxIterations = 50;
    int maxEvaluations = 3000;
    double penaltyFactor = 5.0;
    double targetValue = 0.0;
};

} // namespace Opt
