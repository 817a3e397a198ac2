#include "lp/LinearProgrammingParameter.h"

namespace Opt {

namespace {

double positiveOr(double value, double fallback)
{
    return value > 0.0 ? value : fallback; // NaN fails the test too
}

} // namespace

void LinearProgrammingParameter::load(const double* reals, const int* ints)
{
    // The goal and objective form of the base record do not apply to a linear
    // program, whose objective is always minimised as given.
    if (reals != nullptr) {
        feasibilityTolerance = positiveOr(reals[0], 1e-9);
        optimalityTolerance = positiveOr(reals[1], 1e-9);
    }
    if (ints != nullptr) {
        maxIterations = ints[0] > 0 ? ints[0] : 0;
        pivotsPerStep = ints[1] > 0 ? ints[1] : 50;
    }
}

bool LinearProgrammingParameter::valid() const
{
    return feasibilityTolerance < kLargestTolerance && optimalityTolerance < kLargestTolerance;
}

} // namespace Opt
