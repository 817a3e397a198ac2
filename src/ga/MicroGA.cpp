#include "ga/MicroGA.h"

#include <cmath>

namespace Opt {

MicroGA::MicroGA(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
                 int responseCount, const std::vector<double>& reals, const std::vector<int>& ints,
                 int reportLevel)
    : MicroGA(start, bounds, responseCount, reals, ints, reportLevel, kMethodCode)
{
}

MicroGA::MicroGA(std::shared_ptr<DataSet> sharedDataSet, const std::vector<double>& reals,
                 const std::vector<int>& ints)
    : GeneticAlgorithm(std::move(sharedDataSet), std::make_shared<MicroGAParameter>(), reals, ints,
                       kForcesRealCoding)
{
}

MicroGA::MicroGA(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
                 int responseCount, const std::vector<double>& reals, const std::vector<int>& ints,
                 int reportLevel, int methodCode)
    : GeneticAlgorithm(start, bounds, responseCount, std::make_shared<MicroGAParameter>(), reals,
                       ints, kForcesRealCoding, reportLevel, methodCode)
{
}

int MicroGA::identicalPairs(int limit) const
{
    const int n = populationSize();
    int pairs = 0;
    for (int i = 0; i < n && pairs < limit; ++i) {
        for (int j = i + 1; j < n && pairs < limit; ++j) {
            const auto a = static_cast<std::size_t>(i);
            const auto b = static_cast<std::size_t>(j);
            const bool same =
                coding() == GAGenomes::kBinary
                    ? genomes->binaryStrings()[a].sameBits(genomes->binaryStrings()[b],
                                                           genomes->totalBits())
                    : genomes->realStrings()[a].sameGenes(genomes->realStrings()[b],
                                                          GAGenomes::kSameGeneTolerance);
            pairs += same ? 1 : 0;
        }
    }
    return pairs;
}

bool MicroGA::hasConverged() const
{
    const int n = populationSize();
    return spread / spreadAtRestart < kConvergedSpread || identicalPairs(n) >= n;
}

void MicroGA::breed()
{
    justRestarted = false;
    select();
    crossover();
    appendElite();
}

StepCode MicroGA::updateStep()
{
    rank();
    spread = fitness.empty() || isFailedFitness(fitness[static_cast<std::size_t>(bestIndex)])
                 ? 0.0
                 : std::fabs(bestFitness - worstEvaluatedFitness);
    if (justRestarted) {
        spreadAtRestart = spread;
    }
    if (iterationCount == 0) {
        designsPerGeneration = populationSize() - 1;
        breed();
    } else if (hasConverged()) {
        justRestarted = true;
        restart();
    } else {
        breed();
    }
    copyBestRecordToElite();
    return StepCode::Continue;
}

void MicroGA::restart()
{
    ++restartCount;
    genomes->fillNextWithNewIndividuals(populationSize() - 1);
    genomes->select(bestIndex);
}

void MicroGA::copyBestRecordToElite()
{
    if (fitness.empty()) {
        return;
    }
    const Fitness& best = fitness[static_cast<std::size_t>(bestIndex)];
    Fitness& elite = fitness.back();
    elite.value = best.value;
    if (settings().penalty < 0.0) {
        elite.violation = best.violation;
    }
    if (!responseStore.empty()) {
        responseStore.back() = responseStore[static_cast<std::size_t>(bestIndex)];
    }
}

void MicroGA::resetFitness()
{
    for (std::size_t i = 0; i + 1 < fitness.size(); ++i) {
        fitness[i] = Fitness();
    }
}

} // namespace Opt
