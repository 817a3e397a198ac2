#include "ga/GAParameter.h"

#include <cmath>

#include "common/NumericConstants.h"

namespace Opt {

namespace {

const GAParameter kDefaults;

int orDefault(const int* ints, int position, int fallback)
{
    return ints == nullptr || ints[position] < 0 ? fallback : ints[position];
}

double orDefault(const double* reals, int position, double fallback)
{
    // NaN fails the test too.
    return reals != nullptr && reals[position] >= 0.0 ? reals[position] : fallback;
}

} // namespace

int GAParameter::populationFrom(int entry) const
{
    return entry < 1 ? kDefaults.populationSize : entry;
}

void GAParameter::load(const double* reals, const int* ints)
{
    OptEngineParameter::load(reals, ints);
    const auto intAt = [ints](int position) { return ints != nullptr ? ints[position] : kUnsetInt; };
    populationSize = populationFrom(intAt(2));
    maxGenerations = orDefault(ints, 3, kDefaults.maxGenerations);
    coding = intAt(4) >= 0 && intAt(4) <= 2 ? intAt(4) : kDefaults.coding;
    bitsPerVariable = intAt(5) < 1 ? kDefaults.bitsPerVariable : intAt(5);
    maxEvaluations = orDefault(ints, 6, kDefaults.maxEvaluations);
    reserved7 = orDefault(ints, 7, kDefaults.reserved7);
    realCrossover = coding == 0 ? 0 : orDefault(ints, 8, kDefaults.realCrossover);
    noMutation = orDefault(ints, 9, kDefaults.noMutation);
    stallGenerations = orDefault(ints, 10, kDefaults.stallGenerations);
    selectionMode = intAt(11) == 1 ? 1 : 0;
    nicheCandidates = orDefault(ints, 12, kDefaults.nicheCandidates);
    seed = orDefault(ints, 13, kDefaults.seed);
    useRepository = orDefault(ints, 14, kDefaults.useRepository);

    const double penaltyEntry = reals != nullptr ? reals[0] : kUnsetReal;
    penalty = penaltyEntry == kUnsetReal || std::isnan(penaltyEntry) ? kDefaults.penalty
                                                                     : penaltyEntry;
    crossoverRate = orDefault(reals, 1, kDefaults.crossoverRate);
    mutationRate = orDefault(reals, 2, kDefaults.mutationRate);
    nicheRadius = orDefault(reals, 3, kDefaults.nicheRadius);
}

} // namespace Opt
