#include "direct/DIRECTParameter.h"

#include <algorithm>

namespace Opt {

namespace {

int positiveOr(int value, int fallback)
{
    return value >= 1 ? value : fallback;
}

} // namespace

void DIRECTParameter::load(const double* reals, const int* ints)
{
    OptEngineParameter::load(reals, ints);
    if (ints != nullptr) {
        maxDivisionDepth = positiveOr(ints[2], 500);
        maxIterations = std::min(positiveOr(ints[3], 50), kIterationCap);
        maxEvaluations = std::min(positiveOr(ints[4], 3000), kEvaluationCap);
    }
    if (reals != nullptr) {
        penaltyFactor = reals[0] > 0.0 ? reals[0] : 5.0; // NaN fails the test too
        targetValue = reals[1] >= 0.0 ? reals[1] : 0.0;
    }
}

} // namespace Opt
