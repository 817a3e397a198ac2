#pragma once

#include "engine/OptEngineParameter.h"

namespace Opt {

// Settings of the linear-programming engine (4 doubles and 4 ints; a missing
// array, a negative or an unset entry gives the default):
//   double 0  feasibilityTolerance  1e-9   bound violation counted as feasible
//   double 1  optimalityTolerance   1e-9   reduced cost counted as zero
//   int 0     maxIterations         0      0: 1000 + 50 (rows + variables)
//   int 1     pivotsPerStep         50     simplex iterations done in one engine step
// A tolerance of 1e-3 or more is rejected as an invalid parameter when the
// engine starts, since it would accept visibly infeasible or non-optimal points.
// Both tolerances apply to the program as the simplex scales it (rows, then
// columns, divided by powers of two near their largest magnitudes); results are
// reported in the caller's units.
class LinearProgrammingParameter : public OptEngineParameter {
public:
    static constexpr int kRealCount = 4;
    static constexpr int kIntCount = 4;
    static constexpr double kLargestTolerance = 1e-3;

    void load(const double* reals, const int* ints) override;
    bool valid() const;

    double feasibilityTolerance = 1e-9;
    double optimalityTolerance = 1e-9;
    int maxIterations = 0;
    int pivotsPerStep = 50;
};

} // namespace Opt
