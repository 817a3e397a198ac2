#pragma once

#include "engine/OptEngineParameter.h"

namespace Opt {

// Settings of the SQP engine. Host arrays: 12 ints and 12 doubles (a missing
// array counts as all unset). An int that is negative, or a double that is not
// >= 0 (negative or NaN), takes its default; so does a value that the engine
// cannot work with, named per field below.
//
//   int 0, 1    goal and objective form (base record)
//   int 2       historyOption           0   kept for the result-history writer
//   int 3       maxIterations          30
//   int 4       startIteration          0   first value of the iteration count
//   int 5       gradientMode            0   1 forward differences, 3 gradients from the
//                                           host on request, 0 and 2 sensitivities that
//                                           arrive with the responses; others take 0
//   int 6       relaxIterations         1   leading iterations with the large-violation test
//   int 7       maxLineSearchTrials    10
//   int 8       reserved                1
//   int 9       constraintSelection     1   1 every constraint enters the QP, else only
//                                           those within the tolerance of being active
//   int 10, 11  reserved                3, 0
//   double 0    objectiveTolerance  0.005   relative objective change for convergence
//   double 1    stepTolerance       0       norm of the QP step for convergence
//   double 2    finiteDifferenceStep 1e-5   normalised; must lie in (0, 1)
//   double 3    violationThreshold  0.2
//   double 4    initialStepLength   1.0     must be > 0
//   double 5    constraintTolerance 1e-4
//   double 6    stepReduction       0.4     must lie in (0, 1)
//   double 7    reserved            0.5
//   double 8    moveLimit           0.3     must be > 0; adapted during the run
//   double 9    moveLimitFactor     0.25    must lie in [0, 1)
//   double 10   maxMoveLimit        0.4     must be > 0
//   double 11   minMoveLimit        0.05    must be > 0 and not above maxMoveLimit
//                                           (otherwise both clamps take their defaults)
class SQPParameter : public OptEngineParameter {
public:
    static constexpr int kRealCount = 12;
    static constexpr int kIntCount = 12;

    void load(const double* reals, const int* ints) override;

    int historyOption = 0;
    int maxIterations = 30;
    int startIteration = 0;
    int gradientMode = 0;
    int relaxIterations = 1;
    int maxLineSearchTrials = 10;
    int reservedInt8 = 1;
    int constraintSelection = 1;
    int reservedInt10 = 3;
    int reservedInt11 = 0;

    double objectiveTolerance = 0.005;
    double stepTolerance = 0.0;
    double finiteDifferenceStep = 1e-5;
    double violationThreshold = 0.2;
    double initialStepLength = 1.0;
    double constraintTolerance = 1e-4;
    double stepReduction = 0.4;
    double reservedReal7 = 0.5;
    double moveLimit = 0.3;
    double moveLimitFactor = 0.25;
    double maxMoveLimit = 0.4;
    double minMoveLimit = 0.05;

private:
    void loadInts(const int* ints);
    void loadReals(const double* reals);
};

} // namespace Opt
