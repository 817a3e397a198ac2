#include "ga/GeneticAlgorithm.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>

#include "common/NumericConstants.h"
#include "engine/PenalisedResponse.h"
#include "platform/Platform.h"

namespace Opt {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNicheShare = 0.25; // default candidates: floor(N / 4)

bool isFeasibleViolation(double violation)
{
    return std::fabs(violation) < kNumericZero;
}

bool anyFailed(const std::vector<ResponseRow>& rows)
{
    return std::any_of(rows.begin(), rows.end(),
                       [](const ResponseRow& row) { return isFailedResponse(row.value); });
}

} // namespace

GeneticAlgorithm::GeneticAlgorithm(const std::vector<double>& start,
                                   const std::vector<std::vector<double>>& bounds, int responseCount,
                                   const std::vector<double>& reals, const std::vector<int>& ints,
                                   int reportLevel)
    : GeneticAlgorithm(start, bounds, responseCount, std::make_shared<GAParameter>(), reals, ints,
                       kForcesRealCoding, reportLevel, kMethodCode)
{
}

GeneticAlgorithm::GeneticAlgorithm(std::shared_ptr<DataSet> sharedDataSet,
                                   const std::vector<double>& reals, const std::vector<int>& ints)
    : GeneticAlgorithm(std::move(sharedDataSet), std::make_shared<GAParameter>(), reals, ints,
                       kForcesRealCoding)
{
}

GeneticAlgorithm::GeneticAlgorithm(const std::vector<double>& start,
                                   const std::vector<std::vector<double>>& bounds, int responseCount,
                                   std::shared_ptr<GAParameter> record,
                                   const std::vector<double>& reals, const std::vector<int>& ints,
                                   bool forcesRealCoding, int reportLevel, int methodCode)
    : OptEngine(start, bounds, responseCount)
{
    construct(std::move(record), reals, ints, forcesRealCoding);
    startReport(reportLevel, methodCode, 0);
}

GeneticAlgorithm::GeneticAlgorithm(std::shared_ptr<DataSet> sharedDataSet,
                                   std::shared_ptr<GAParameter> record,
                                   const std::vector<double>& reals, const std::vector<int>& ints,
                                   bool forcesRealCoding)
    : OptEngine(std::move(sharedDataSet))
{
    construct(std::move(record), reals, ints, forcesRealCoding);
}

GeneticAlgorithm::~GeneticAlgorithm() = default;

bool GeneticAlgorithm::acceptsSettings(const char* engineName, const GAParameter& settings,
                                       const std::vector<std::vector<double>>& bounds,
                                       bool forcesRealCoding)
{
    const bool anyDiscrete = std::any_of(bounds.begin(), bounds.end(),
                                         [](const std::vector<double>& list) { return list.size() > 2; });
    if (settings.coding != GAGenomes::kBoth || (forcesRealCoding && anyDiscrete)) {
        return true;
    }
    std::cerr << engineName
              << ": coding 2 (binary and real strings together) is not supported; use 0 "
                 "(binary) or 1 (real); no engine built"
              << std::endl;
    return false;
}

void GeneticAlgorithm::construct(std::shared_ptr<GAParameter> record,
                                 const std::vector<double>& reals, const std::vector<int>& ints,
                                 bool forcesRealCoding)
{
    const bool complete = static_cast<int>(reals.size()) >= GAParameter::kRealCount &&
                          static_cast<int>(ints.size()) >= GAParameter::kIntCount;
    record->load(complete ? reals.data() : nullptr, complete ? ints.data() : nullptr);
    parameter = record;
    if (isDataSetMode()) {
        buildResponseRows();
    }
    generator.seed(seedWith(0));
    if (forcesRealCoding && !discreteIndices.empty()) {
        record->coding = GAGenomes::kReal;
    }
    createGenomes(record->coding);
    std::vector<std::vector<double>> lists;
    for (const DesignVariable& variable : designVariables) {
        lists.push_back(variable.levels);
    }
    genomes->setDiscreteLists(lists);
    initialisePopulation();
    designsPerGeneration = populationSize();
    evaluationCount = 0;
    stallCount = 0;
    feasible = false;
    previousBest = kInfinity;
    allocateResponseStore(populationSize());
    repository = std::make_shared<GARepository>();
    if (record->useRepository == 1) {
        constexpr int kLargestReservation = 100000;
        repository->reserve(record->coding, std::min(record->maxEvaluations, kLargestReservation),
                            nDesignVariables, static_cast<int>(responseRows.size()));
    }
}

std::uint32_t GeneticAlgorithm::seedWith(int offset) const
{
    const int seed = settings().seed;
    const long long base = seed >= 0 ? seed : Platform::clockSeed();
    return static_cast<std::uint32_t>(base + offset);
}

void GeneticAlgorithm::createGenomes(int codingValue)
{
    genomes = std::make_shared<GAGenomes>(codingValue, generator);
}

void GeneticAlgorithm::initialisePopulation()
{
    allocateFitness(populationSize());
    genomes->build(coding(), populationSize());
    setStringLengths();
    initialiseStrings();
    genomesBuilt = true;
}

void GeneticAlgorithm::setStringLengths()
{
    if (coding() == GAGenomes::kReal) {
        genomes->setStringLength(nDesignVariables);
    } else if (coding() == GAGenomes::kBinary) {
        std::vector<int> bits;
        int total = 0;
        for (const DesignVariable& variable : designVariables) {
            bits.push_back(variable.isDiscrete() ? static_cast<int>(variable.levels.size())
                                                 : settings().bitsPerVariable);
            total += bits.back();
        }
        genomes->setBitsPerVariable(bits);
        genomes->setStringLength(total);
    } else {
        genomes->setStringLength(0);
    }
}

void GeneticAlgorithm::initialiseStrings()
{
    if (coding() == GAGenomes::kBinary || coding() == GAGenomes::kBoth) {
        genomes->randomizeBinary(0, populationSize());
    }
    if (coding() == GAGenomes::kReal || coding() == GAGenomes::kBoth) {
        genomes->initialiseReal(0, populationSize());
    }
}

void GeneticAlgorithm::allocateFitness(int count)
{
    fitness.assign(static_cast<std::size_t>(std::max(count, 0)), Fitness());
}

void GeneticAlgorithm::resetFitness()
{
    std::fill(fitness.begin(), fitness.end(), Fitness());
}

void GeneticAlgorithm::allocateResponseStore(int count)
{
    responseStore.assign(static_cast<std::size_t>(std::max(count, 0)),
                         std::vector<double>(responseRows.size(), 0.0));
}

void GeneticAlgorithm::resetResponseStore()
{
    // Only the individuals about to be evaluated; a carried elite keeps its values.
    for (int i = 0; i < designsPerGeneration && i < static_cast<int>(responseStore.size()); ++i) {
        std::fill(responseStore[static_cast<std::size_t>(i)].begin(),
                  responseStore[static_cast<std::size_t>(i)].end(), 0.0);
    }
}

void GeneticAlgorithm::beforeEvaluate(int) {}

void GeneticAlgorithm::decodeIntoDesign(int individual)
{
    decodedDesign.assign(designVariables.size(), 0.0);
    genomes->decodeIndividual(individual, decodedDesign);
    writeDesign(decodedDesign);
}

void GeneticAlgorithm::writeDesign(const std::vector<double>& normalised)
{
    for (std::size_t k = 0; k < designVariables.size() && k < normalised.size(); ++k) {
        designVariables[k].value = normalised[k];
        designVariables[k].accepted = normalised[k];
    }
}

StepCode GeneticAlgorithm::beginIteration(double*, double*, double**)
{
    while (subEvaluationIndex < designsPerGeneration) {
        const int individual = subEvaluationIndex++;
        if (settings().useRepository == 1 && repository->find(coding(), *genomes, individual)) {
            repository->copyOut(responseRows);
            computeFitness(individual);
            continue;
        }
        beforeEvaluate(individual);
        decodeIntoDesign(individual);
        evaluatingIndividual = individual;
        return StepCode::Evaluate;
    }
    return StepCode::Continue;
}

void GeneticAlgorithm::announceDesigns(int limit, std::vector<double>& designs) const
{
    const bool handingOut = phase == EnginePhase::BeginIteration && evaluatingIndividual >= 0 &&
                            evaluatingIndividual == subEvaluationIndex - 1;
    const bool useRepository = settings().useRepository == 1;
    if (!handingOut || (useRepository && repeatsEarlierIndividual(evaluatingIndividual))) {
        return; // a repeat comes ahead of the designs announced with the generation
    }
    // The individuals whose responses the repository will hold when the later
    // ones are looked up, should none of them fail.
    GARepository planned;
    if (useRepository) {
        planned.store(*genomes, coding(), evaluatingIndividual, {});
    }
    std::vector<double> design(designVariables.size(), 0.0);
    int announced = 0;
    for (int individual = subEvaluationIndex;
         individual < designsPerGeneration && announced < limit; ++individual) {
        if (useRepository) {
            if (repository->contains(coding(), *genomes, individual) ||
                planned.contains(coding(), *genomes, individual)) {
                continue;
            }
            planned.store(*genomes, coding(), individual, {});
        }
        genomes->decodeIndividual(individual, design);
        announce(design.data(), designs);
        ++announced;
    }
}

bool GeneticAlgorithm::repeatsEarlierIndividual(int individual) const
{
    GARepository earlier;
    for (int k = 0; k < individual; ++k) {
        earlier.store(*genomes, coding(), k, {});
    }
    return earlier.contains(coding(), *genomes, individual);
}

LookAheadRole GeneticAlgorithm::lookAheadRole() const
{
    const bool repeat = settings().useRepository == 1 && evaluatingIndividual >= 0 &&
                        repeatsEarlierIndividual(evaluatingIndividual);
    return repeat ? LookAheadRole::Inserted : LookAheadRole::Announced;
}

StepCode GeneticAlgorithm::receiveResponses(const double* f, double**)
{
    storeResponses(f);
    ++evaluationCount;
    // A failed design is not remembered: should it come back it is evaluated again.
    if (settings().useRepository == 1 && evaluatingIndividual >= 0 && !anyFailed(responseRows)) {
        repository->store(*genomes, coding(), evaluatingIndividual, responseRows);
    }
    return StepCode::Continue;
}

void GeneticAlgorithm::normaliseDesign(const double*)
{
    if (evaluatingIndividual >= 0) {
        computeFitness(evaluatingIndividual);
    }
    evaluatingIndividual = -1;
    evaluationPending = false;
}

double GeneticAlgorithm::constraintViolation(double value, const ResponseRow& row) const
{
    if (!isDataSetMode()) {
        return value;
    }
    const double allowance = std::fabs(row.limit) < kNumericZero ? 0.0 : kDataSetAllowance;
    return normalisedConstraint(value, row) - allowance;
}

void GeneticAlgorithm::computeFitness(int individual)
{
    if (individual < 0 || individual >= static_cast<int>(fitness.size())) {
        return;
    }
    const PenalisedResponse judged = penaliseResponses(
        responseRows, objectiveRow, settings().penalty,
        [this](double value, const ResponseRow& row) { return constraintViolation(value, row); });
    fitness[static_cast<std::size_t>(individual)] = {judged.value, judged.violation};
    if (individual < static_cast<int>(responseStore.size())) {
        std::vector<double>& stored = responseStore[static_cast<std::size_t>(individual)];
        stored.resize(responseRows.size());
        for (std::size_t j = 0; j < responseRows.size(); ++j) {
            stored[j] = responseRows[j].value;
        }
    }
}

StepCode GeneticAlgorithm::computeStep(double*, double*, double**)
{
    return StepCode::Continue;
}

void GeneticAlgorithm::rank()
{
    if (settings().penalty < 0.0) {
        bool anyFeasible = false;
        double largestFeasible = -kInfinity;
        for (const Fitness& record : fitness) {
            if (isFeasibleViolation(record.violation)) {
                anyFeasible = true;
                largestFeasible = std::max(largestFeasible, record.value);
            }
        }
        for (Fitness& record : fitness) {
            if (!isFeasibleViolation(record.violation)) {
                record.value = record.violation + (anyFeasible ? largestFeasible : 0.0);
            }
        }
    }
    bestIndex = 0;
    worstIndex = 0;
    for (std::size_t i = 1; i < fitness.size(); ++i) {
        if (fitness[i].value < fitness[static_cast<std::size_t>(bestIndex)].value) {
            bestIndex = static_cast<int>(i);
        }
        if (fitness[i].value > fitness[static_cast<std::size_t>(worstIndex)].value) {
            worstIndex = static_cast<int>(i);
        }
    }
    if (fitness.empty()) {
        return;
    }
    bestFitness = fitness[static_cast<std::size_t>(bestIndex)].value;
    worstFitness = fitness[static_cast<std::size_t>(worstIndex)].value;
    worstEvaluatedFitness = bestFitness;
    for (const Fitness& record : fitness) {
        if (!isFailedFitness(record)) {
            worstEvaluatedFitness = std::max(worstEvaluatedFitness, record.value);
        }
    }
    if (isFailedFitness(fitness[static_cast<std::size_t>(bestIndex)])) {
        feasible = feasible && !lastEvaluatedBest.responses.empty(); // the design handed back
        return;
    }
    feasible = constrained == 0 ||
               isFeasibleViolation(fitness[static_cast<std::size_t>(bestIndex)].violation);
    keepLastEvaluatedBest();
}

bool GeneticAlgorithm::isFailedFitness(const Fitness& record)
{
    return !(record.value < kInfinity);
}

void GeneticAlgorithm::keepLastEvaluatedBest()
{
    if (static_cast<std::size_t>(bestIndex) >= responseStore.size()) {
        return;
    }
    lastEvaluatedBest.design.assign(designVariables.size(), 0.0);
    genomes->decodeIndividual(bestIndex, lastEvaluatedBest.design);
    lastEvaluatedBest.responses = responseStore[static_cast<std::size_t>(bestIndex)];
    // The best so far, handed back should the host give up before the run ends.
    returnedResponses = lastEvaluatedBest.responses;
    handBackDesign(lastEvaluatedBest.design);
}

void GeneticAlgorithm::handBackDesign(const std::vector<double>& normalised)
{
    returnedDesign.clear();
    if (isDataSetMode()) {
        return;
    }
    for (std::size_t i = 0; i < designVariables.size() && i < normalised.size(); ++i) {
        returnedDesign.push_back(designVariables[i].toCallerUnits(normalised[i]));
    }
}

void GeneticAlgorithm::fillParentCandidates(std::vector<int>& candidates) const
{
    candidates.clear();
    for (int i = 0; i < populationSize(); ++i) {
        if (i != worstIndex) {
            candidates.push_back(i);
        }
    }
}

void GeneticAlgorithm::select()
{
    std::vector<int>& order = pairingOrder;
    fillParentCandidates(order);
    const int count = static_cast<int>(order.size());
    RandomSource draws = generator;
    std::vector<int>& pairing = pairingList;
    pairing.clear();
    GAGenomes::shuffle(order, count - 1, draws);
    pairing.insert(pairing.end(), order.begin(), order.end());
    GAGenomes::shuffle(order, count - 1, draws);
    pairing.insert(pairing.end(), order.begin(), order.end());
    for (int k = 0; k < count; ++k) {
        const int a = pairing[static_cast<std::size_t>(2 * k)];
        const int b = pairing[static_cast<std::size_t>(2 * k + 1)];
        genomes->select(tournament(a, b, k));
    }
}

int GeneticAlgorithm::tournament(int a, int b, int pair)
{
    const bool niche = settings().selectionMode == 1 && coding() != GAGenomes::kBinary;
    if (niche && !(genomes->distance(a, b) < settings().nicheRadius)) {
        return nicheTournament(a, pair);
    }
    return fitness[static_cast<std::size_t>(b)].value > fitness[static_cast<std::size_t>(a)].value ? a : b;
}

int GeneticAlgorithm::nicheTournament(int a, int pair)
{
    const int n = populationSize();
    int candidates = settings().nicheCandidates;
    if (candidates == 0) {
        candidates = static_cast<int>(std::floor(n * kNicheShare));
    }
    candidates = std::min(candidates, n - 2);
    if (candidates < 2) {
        return a;
    }
    generator.seed(seedWith(pair));
    RandomSource draws = generator;
    std::vector<int>& pool = nichePool;
    fillParentCandidates(pool);
    GAGenomes::shuffle(pool, candidates, draws);
    int comparisons = 0;
    for (int k = 0; k < candidates && comparisons < candidates - 1; ++k) {
        const int q = pool[static_cast<std::size_t>(k)];
        if (q == a) {
            continue;
        }
        ++comparisons;
        if (genomes->distance(a, q) < settings().nicheRadius) {
            return fitness[static_cast<std::size_t>(q)].value > fitness[static_cast<std::size_t>(a)].value ? a : q;
        }
    }
    return a;
}

void GeneticAlgorithm::crossover()
{
    const GAParameter& p = settings();
    if (coding() == GAGenomes::kBinary || coding() == GAGenomes::kBoth) {
        const int length = genomes->totalBits();
        const int selected = static_cast<int>(genomes->nextBinaryStrings().size());
        RandomSource joins = generator;
        RandomSource cuts = generator;
        int waiting = -1;
        for (int k = 0; k < selected && length >= 2; ++k) {
            if (!(joins.uniform() < p.crossoverRate)) {
                continue;
            }
            if (waiting < 0) {
                waiting = k;
                continue;
            }
            genomes->crossBinary(waiting, k, GAGenomes::drawInteger(cuts, 1, length - 1));
            waiting = -1;
        }
    }
    if (p.realCrossover == 1 && (coding() == GAGenomes::kReal || coding() == GAGenomes::kBoth)) {
        genomes->crossReal(p.crossoverRate);
    }
}

void GeneticAlgorithm::mutate()
{
    const GAParameter& p = settings();
    if (p.noMutation != 0) {
        return;
    }
    if (coding() == GAGenomes::kBinary || coding() == GAGenomes::kBoth) {
        genomes->mutateBinary(p.mutationRate);
    }
    if (coding() == GAGenomes::kReal || coding() == GAGenomes::kBoth) {
        genomes->mutateReal(p.mutationRate, p.maxGenerations, iterationCount);
    }
}

void GeneticAlgorithm::appendElite()
{
    genomes->select(bestIndex);
}

StepCode GeneticAlgorithm::updateStep()
{
    rank();
    select();
    crossover();
    mutate();
    appendElite();
    return StepCode::Continue;
}

StepCode GeneticAlgorithm::endIteration(double*)
{
    const GAParameter& p = settings();
    Platform::releaseWorkingSet();
    ++iterationCount;
    stallCount = std::fabs(previousBest - bestFitness) < kNumericZero ? stallCount + 1 : 0;
    if (stallCount >= p.stallGenerations && feasible) {
        reason = StopReason::Stall;
    } else if (iterationCount >= p.maxGenerations) {
        reason = StopReason::Generations;
    } else if (evaluationCount >= p.maxEvaluations) {
        reason = StopReason::Evaluations;
    }
    if (reason != StopReason::None) {
        return concludeRun();
    }
    if (recordsHistory() && !isDataSetMode()) {
        recordGeneration();
    }
    genomes->commitGeneration();
    if (coding() == GAGenomes::kReal || coding() == GAGenomes::kBoth) {
        genomes->snapToDiscrete();
    }
    previousBest = bestFitness;
    subEvaluationIndex = 0;
    resetFitness();
    if (recordsHistory()) {
        resetResponseStore();
    }
    generator.seed(seedWith(iterationCount));
    genomes->setGenerator(generator);
    return StepCode::Continue;
}

void GeneticAlgorithm::recordGeneration()
{
    if (bestIndex >= static_cast<int>(responseStore.size())) {
        return;
    }
    std::vector<double> decoded(designVariables.size(), 0.0);
    genomes->decodeIndividual(bestIndex, decoded);
    std::vector<DesignTriple> design;
    for (std::size_t k = 0; k < designVariables.size(); ++k) {
        const DesignVariable& variable = designVariables[k];
        design.push_back({variable.lower, variable.toCallerUnits(decoded[k]), variable.upper});
    }
    const std::vector<double>& values = responseStore[static_cast<std::size_t>(bestIndex)];
    std::vector<ResponsePair> responses;
    for (std::size_t j = 0; j < responseRows.size() && j < values.size(); ++j) {
        responses.push_back({values[j], j == 0 ? responseRows[j].scale : responseRows[j].limit});
    }
    report.writeIteration(design, responses, iterationCount);
}

StepCode GeneticAlgorithm::concludeRun()
{
    decodeIntoDesign(bestIndex);
    const std::vector<double>* values = nullptr;
    if (bestIndex < static_cast<int>(responseStore.size())) {
        values = &responseStore[static_cast<std::size_t>(bestIndex)];
    }
    const bool bestFailed = !fitness.empty() && isFailedFitness(fitness[static_cast<std::size_t>(bestIndex)]);
    if (bestFailed && !lastEvaluatedBest.responses.empty()) {
        writeDesign(lastEvaluatedBest.design);
        values = &lastEvaluatedBest.responses;
    }
    if (values != nullptr) {
        returnedResponses = *values;
        std::vector<double> handedBack;
        for (const DesignVariable& variable : designVariables) {
            handedBack.push_back(variable.value);
        }
        handBackDesign(handedBack); // what publishing the final design writes into x
        if (recordsHistory()) {
            for (std::size_t j = 0; j < responseRows.size() && j < values->size(); ++j) {
                responseRows[j].value = (*values)[j];
            }
            report.writeState(designVariables, responseRows, true, true);
        }
    }
    phase = EnginePhase::Stopped;
    return StepCode::Finished;
}

void GeneticAlgorithm::setParameterOption(int option)
{
    parameter->option = option;
}

int GeneticAlgorithm::parameterOption() const
{
    return parameter->option;
}

} // namespace Opt
