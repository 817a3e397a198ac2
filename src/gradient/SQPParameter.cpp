#include "gradient/SQPParameter.h"

namespace Opt {

namespace {

int nonNegativeOr(int value, int fallback)
{
    return value >= 0 ? value : fallback;
}

double nonNegativeOr(double value, double fallback)
{
    return value >= 0.0 ? value : fallback; // NaN fails the comparison too
}

double positiveOr(double value, double fallback)
{
    return value > 0.0 ? value : fallback;
}

double fractionOr(double value, double fallback)
{
    return value > 0.0 && value < 1.0 ? value : fallback;
}

int gradientModeOr(int value, int fallback)
{
    return value >= 0 && value <= 3 ? value : fallback;
}

} // namespace

void SQPParameter::load(const double* reals, const int* ints)
{
    OptEngineParameter::load(reals, ints);
    const OptEngineParameter common = *this;
    *this = SQPParameter();
    static_cast<OptEngineParameter&>(*this) = common; // every own field back at its default
    if (ints != nullptr) {
        loadInts(ints);
    }
    if (reals != nullptr) {
        loadReals(reals);
    }
}

void SQPParameter::loadInts(const int* ints)
{
    const SQPParameter defaults;
    historyOption = nonNegativeOr(ints[2], defaults.historyOption);
    maxIterations = nonNegativeOr(ints[3], defaults.maxIterations);
    startIteration = nonNegativeOr(ints[4], defaults.startIteration);
    gradientMode = gradientModeOr(ints[5], defaults.gradientMode);
    relaxIterations = nonNegativeOr(ints[6], defaults.relaxIterations);
    maxLineSearchTrials = nonNegativeOr(ints[7], defaults.maxLineSearchTrials);
    reservedInt8 = nonNegativeOr(ints[8], defaults.reservedInt8);
    constraintSelection = nonNegativeOr(ints[9], defaults.constraintSelection);
    reservedInt10 = nonNegativeOr(ints[10], defaults.reservedInt10);
    reservedInt11 = nonNegativeOr(ints[11], defaults.reservedInt11);
}

void SQPParameter::loadReals(const double* reals)
{
    const SQPParameter defaults;
    objectiveTolerance = nonNegativeOr(reals[0], defaults.objectiveTolerance);
    stepTolerance = nonNegativeOr(reals[1], defaults.stepTolerance);
    finiteDifferenceStep = fractionOr(reals[2], defaults.finiteDifferenceStep);
    violationThreshold = nonNegativeOr(reals[3], defaults.violationThreshold);
    initialStepLength = positiveOr(reals[4], defaults.initialStepLength);
    constraintTolerance = nonNegativeOr(reals[5], defaults.constraintTolerance);
    stepReduction = fractionOr(reals[6], defaults.stepReduction);
    reservedReal7 = nonNegativeOr(reals[7], defaults.reservedReal7);
    moveLimit = positiveOr(reals[8], defaults.moveLimit);
    const double factor = nonNegativeOr(reals[9], defaults.moveLimitFactor);
    moveLimitFactor = factor < 1.0 ? factor : defaults.moveLimitFactor;
    maxMoveLimit = positiveOr(reals[10], defaults.maxMoveLimit);
    minMoveLimit = positiveOr(reals[11], defaults.minMoveLimit);
    if (minMoveLimit > maxMoveLimit) {
        minMoveLimit = defaults.minMoveLimit;
        maxMoveLimit = defaults.maxMoveLimit;
    }
}

} // namespace Opt
