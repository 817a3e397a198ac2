#include "managers/SAOParameter.h"

namespace Opt::RSM {

namespace {

// NaN fails both comparisons and so takes the default too.
template <typename T>
T entryOr(const T* values, int index, T fallback)
{
    return values != nullptr && values[index] >= 0 ? values[index] : fallback;
}

// A move limit of zero would collapse the sampled design onto one point.
double positiveOr(const double* values, int index, double fallback)
{
    return values != nullptr && values[index] > 0.0 ? values[index] : fallback;
}

} // namespace

void SAOParameter::load(const double* reals, const int* ints)
{
    OptEngineParameter::load(reals, ints);
    const SAOParameter defaults;
    maxIterations = entryOr(ints, 2, defaults.maxIterations);
    maxEvaluations = entryOr(ints, 3, defaults.maxEvaluations);
    surrogateType = entryOr(ints, 5, defaults.surrogateType);
    constraintTolerance = entryOr(reals, 0, defaults.constraintTolerance);
    objectiveTolerance = entryOr(reals, 1, defaults.objectiveTolerance);
    reserved2 = entryOr(reals, 2, defaults.reserved2);
    initialLimit = positiveOr(reals, 3, defaults.initialLimit);
    expandRatio = entryOr(reals, 4, defaults.expandRatio);
    acceptRatio = entryOr(reals, 5, defaults.acceptRatio);
}

} // namespace Opt::RSM
