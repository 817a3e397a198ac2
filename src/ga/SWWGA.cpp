#include "ga/SWWGA.h"

#include <memory>

namespace Opt {

SWWGA::SWWGA(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
             int nResponses, const std::vector<double>& reals, const std::vector<int>& ints,
             int reportLevel)
    : GeneticAlgorithm(start, bounds, nResponses, std::make_shared<GAParameter>(), reals, ints,
                       kForcesRealCoding, reportLevel, kMethodCode)
{
}

StepCode SWWGA::updateStep()
{
    const StepCode result = GeneticAlgorithm::updateStep();
    // Ranking has set bestIndex and the feasible flag for this generation; its
    // strings are still the current population until the end of the generation.
    std::vector<double> decoded(designVariables.size(), 0.0);
    genomes->decodeIndividual(bestIndex, decoded);
    GenerationBest best;
    for (std::size_t k = 0; k < designVariables.size(); ++k) {
        best.design.push_back(designVariables[k].toCallerUnits(decoded[k]));
    }
    best.fitness = bestFitness;
    best.feasible = feasible;
    bests.push_back(best);
    return result;
}

StepCode SWWGA::endIteration(double* x)
{
    infeasibleBests = feasible ? 0 : infeasibleBests + 1;
    if (infeasibleBests < kGiveUpGenerations) {
        return GeneticAlgorithm::endIteration(x);
    }
    ++iterationCount;
    gaveUpRun = true;
    return concludeRun();
}

} // namespace Opt
