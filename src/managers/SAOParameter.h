#pragma once

#include "engine/OptEngineParameter.h"

namespace Opt::RSM {

// Settings of the sequential approximate optimisation (SAOManager). Host
// arrays: 6 ints and 6 doubles; a negative entry (the unset mark -999 among
// them) takes the default.
//
//   int 0     goal                   1   (OptEngineParameter)
//   int 1     objectiveForm          1   (OptEngineParameter)
//   int 2     maxIterations        100   accepted cycles before stopping
//   int 3     maxEvaluations      4000   host evaluations before stopping
//   int 4     reserved4              0   not read
//   int 5     surrogateType          1   1 polynomial regression (full quadratic),
//                                        2 kriging, 3 radial basis functions,
//                                        4 support vector regression, 5 ensemble,
//                                        6 ordinary kriging (each at its default kind)
//   double 0  constraintTolerance 0.003  a constraint row counts as met up to this
//   double 1  objectiveTolerance  0.001  relative objective change that converges
//   double 2  reserved2           0.01   loaded, not read by the method
//   double 3  initialLimit         0.1   move limit, fraction of each variable's range
//   double 4  expandRatio          0.9   (MoveLimiter)
//   double 5  acceptRatio          0.1   (MoveLimiter)
//
// Decisions where the arrays' rule left room: the three move-limit entries
// default to the values the general entry point passes, so that the array
// entry point runs the same method on unset arrays; an initial limit of 0
// takes the default too (the sampled design would collapse onto one point); a
// surrogate type above 6
// is kept, and the builder refuses it with a message.
//
// Open to change from C++ only, not through the arrays:
//   refineCandidate   false  SQP on the surrogates from the genetic search's design
// (ours: refineCandidate, off by default, because a GA misses thin feasible sets' optima)
class SAOParameter : public OptEngineParameter {
public:
    static constexpr int kRealCount = 6;
    static constexpr int kIntCount = 6;

    void load(const double* reals, const int* ints) override;

    int maxIterations = 100;
    int maxEvaluations = 4000;
    int surrogateType = 1;
    double constraintTolerance = 0.003;
    // A deviation of ours: relative (|df| < tolerance * |f|) with 0.001, where an
    // absolute 0.01 stops small objectives at once and never stops large ones.
    double objectiveTolerance = 0.001;
    double reserved2 = 0.01;
    double initialLimit = 0.1;
    double expandRatio = 0.9;
    double acceptRatio = 0.1;
    // The genetic search's design is refined by SQP on the same surrogates and
    // kept when it ranks better (feasible within constraintTolerance first, then
    // the lower objective). Without it the pressure vessel's candidates land
    // 2 % above the box's surrogate optimum and the run stops 7 % off.
    bool refineCandidate = false;
};

} // namespace Opt::RSM
