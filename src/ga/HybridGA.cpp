#include "ga/HybridGA.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "common/NumericConstants.h"
#include "engine/EngineFactory.h"
#include "engine/ParameterArrays.h"
#include "engine/PenalisedResponse.h"

namespace Opt {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

} // namespace

HybridGA::HybridGA(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
                   int responseCount, const std::vector<double>& reals, const std::vector<int>& ints,
                   int reportLevel)
    : MicroGA(start, bounds, responseCount, reals, ints, reportLevel, kMethodCode)
{
    setUpLocalSearch(reals, ints);
}

HybridGA::HybridGA(std::shared_ptr<DataSet> sharedDataSet, const std::vector<double>& reals,
                   const std::vector<int>& ints)
    : MicroGA(std::move(sharedDataSet), reals, ints)
{
    setUpLocalSearch(reals, ints);
}

HybridGA::~HybridGA() = default;

void HybridGA::setUpLocalSearch(const std::vector<double>& reals, const std::vector<int>& ints)
{
    innerReals = copyParameters<double>(
        std::vector<double>(reals.begin() + std::min<std::size_t>(reals.size(), kInnerSettingsFirst),
                            reals.end()),
        kInnerSettingsCount, kUnsetReal);
    innerInts = copyParameters<int>(
        std::vector<int>(ints.begin() + std::min<std::size_t>(ints.size(), kInnerSettingsFirst),
                         ints.end()),
        kInnerSettingsCount, kUnsetInt);
    for (const DesignVariable& variable : designVariables) {
        innerBounds.push_back({variable.lower, variable.upper});
    }
    localSearchCount = populationSize() / 2;
    localSearchTasks.assign(static_cast<std::size_t>(localSearchCount), LocalSearchTask());
    const auto n = static_cast<std::size_t>(nDesignVariables);
    const auto m = static_cast<std::size_t>(nResponses);
    innerX.assign(n, 0.0);
    innerF.assign(m, 0.0);
    innerGradientRows.assign(n, std::vector<double>(m, 0.0));
    for (std::vector<double>& row : innerGradientRows) {
        innerG.push_back(row.data());
    }
}

void HybridGA::prepareStep()
{
    if (localSearchPrepared) {
        return;
    }
    std::vector<std::pair<double, int>> order;
    for (std::size_t i = 0; i < fitness.size(); ++i) {
        order.emplace_back(fitness[i].value, static_cast<int>(i));
    }
    std::sort(order.begin(), order.end());
    for (std::size_t k = 0; k < localSearchTasks.size() && k < order.size(); ++k) {
        localSearchTasks[k] = {order[k].second, false};
    }
    currentTask = 0;
    localSearchPrepared = true;
    localSearchDone = false;
}

StepCode HybridGA::computeStep(double* x, double* f, double** g)
{
    skipFailedIndividuals();
    if (currentTask >= static_cast<int>(localSearchTasks.size())) {
        return finishLocalSearch();
    }
    if (!localSearchTasks[static_cast<std::size_t>(currentTask)].started) {
        return startTask();
    }
    return continueTask(x, f, g);
}

// A local search from a failed design has no start to descend from.
void HybridGA::skipFailedIndividuals()
{
    while (currentTask < static_cast<int>(localSearchTasks.size())) {
        const LocalSearchTask& task = localSearchTasks[static_cast<std::size_t>(currentTask)];
        if (task.started || !isFailedFitness(fitness[static_cast<std::size_t>(task.individual)])) {
            return;
        }
        ++currentTask;
    }
}

StepCode HybridGA::startTask()
{
    LocalSearchTask& task = localSearchTasks[static_cast<std::size_t>(currentTask)];
    decodeIntoDesign(task.individual);
    std::vector<double> start;
    for (const DesignVariable& variable : designVariables) {
        start.push_back(variable.toCallerUnits(variable.value));
    }
    innerEngine = engineFactory().buildFromHost(nDesignVariables, nResponses, start, innerBounds,
                                                innerReals.data(), innerInts.data(),
                                                kInnerEngineType, kInnerReportLevel);
    task.started = true;
    publishStart = true;
    taskStartOut = true;
    return StepCode::Evaluate;
}

StepCode HybridGA::continueTask(double* x, double* f, double** g)
{
    double* designs = isDataSetMode() ? innerX.data() : x;
    double* responses = isDataSetMode() ? innerF.data() : f;
    double** gradients = isDataSetMode() ? innerG.data() : g;
    taskStartOut = false;
    int code = static_cast<int>(StepCode::Continue);
    do {
        code = stepInnerEngine(designs, responses, gradients);
    } while (code == static_cast<int>(StepCode::CallAgain) ||
             code == static_cast<int>(StepCode::Continue));
    switch (static_cast<StepCode>(code)) {
    case StepCode::Evaluate:
        return StepCode::Evaluate;
    case StepCode::Gradients:
        awaitingGradients = true;
        return StepCode::Gradients;
    case StepCode::Finished:
        endInnerRun();
        finishTask(designs, responses);
        return computeStep(x, f, g);
    default:
        endInnerRun();
        if (!rules.innerErrorEndsTask) {
            innerRunWithdrew = true; // and the other tasks' starts with it
            return StepCode::Error;
        }
        // The individual keeps its string and fitness; only this search is lost.
        innerEngine.reset();
        ++currentTask;
        return computeStep(x, f, g);
    }
}

// An inner engine the factory could not build ends its task as an inner error does.
int HybridGA::stepInnerEngine(double* x, double* f, double** g)
{
    if (innerEngine == nullptr) {
        return static_cast<int>(StepCode::Error);
    }
    return innerEngine->step(x, f, g);
}

void HybridGA::endInnerRun()
{
    innerRunWithdrew = innerEngine != nullptr &&
                       innerEngine->lookAheadRole() != LookAheadRole::Announced;
}

void HybridGA::announceDesigns(int limit, std::vector<double>& designs) const
{
    if (!inLocalSearch()) {
        MicroGA::announceDesigns(limit, designs);
    } else if (taskStartOut) {
        announceTaskStarts(limit, designs);
    } else if (innerEngine != nullptr) {
        innerEngine->announcedDesigns(limit, designs);
    }
}

// The starts of the tasks after the current one, skipping those from failed
// individuals as the searches will (the searches change no other individual).
void HybridGA::announceTaskStarts(int limit, std::vector<double>& designs) const
{
    std::vector<double> start(designVariables.size(), 0.0);
    int announced = 0;
    for (std::size_t k = static_cast<std::size_t>(currentTask) + 1;
         k < localSearchTasks.size() && announced < limit; ++k) {
        const int individual = localSearchTasks[k].individual;
        if (isFailedFitness(fitness[static_cast<std::size_t>(individual)])) {
            continue;
        }
        genomes->decodeIndividual(individual, start);
        announce(start.data(), designs);
        ++announced;
    }
}

LookAheadRole HybridGA::lookAheadRole() const
{
    if (innerRunWithdrew) {
        return LookAheadRole::Withdrawn;
    }
    if (!inLocalSearch()) {
        return MicroGA::lookAheadRole();
    }
    if (taskStartOut || innerEngine == nullptr) {
        return LookAheadRole::Announced;
    }
    return innerEngine->lookAheadRole();
}

int HybridGA::lookAheadDepth() const
{
    const bool innerDesignOut = inLocalSearch() && !taskStartOut && innerEngine != nullptr;
    return innerDesignOut ? 1 + innerEngine->lookAheadDepth() : 0;
}

void HybridGA::finishTask(const double* x, const double* f)
{
    const int individual = localSearchTasks[static_cast<std::size_t>(currentTask)].individual;
    if (std::any_of(f, f + responseRows.size(), isFailedResponse)) {
        // The inner run ended on a failed evaluation: the individual keeps what it had.
        innerEngine.reset();
        ++currentTask;
        return;
    }
    std::vector<double> optimum;
    for (int i = 0; i < nDesignVariables; ++i) {
        optimum.push_back(designVariables[static_cast<std::size_t>(i)].toNormalised(x[i]));
    }
    // In data-set mode the inner engine saw the constraint rows shifted by their
    // limits; the rows' own values are those responses shifted back.
    std::vector<double> responses(f, f + responseRows.size());
    if (isDataSetMode()) {
        for (std::size_t j = 0; j < responseRows.size(); ++j) {
            responses[j] += static_cast<int>(j) == objectiveRow ? 0.0 : responseRows[j].limit;
        }
    }
    locallyImprovedFitness(individual, responses);
    if (coding() != GAGenomes::kBinary) {
        genomes->assignReal(individual, optimum);
    }
    genomes->setLocallyImproved(individual);
    innerEngine.reset();
    ++currentTask;
}

StepCode HybridGA::finishLocalSearch()
{
    localSearchDone = true;
    localSearchPrepared = false;
    evaluationPending = false;
    innerEngine.reset();
    return StepCode::Continue;
}

void HybridGA::locallyImprovedFitness(int individual, const std::vector<double>& responses)
{
    if (individual < 0 || individual >= static_cast<int>(fitness.size())) {
        return;
    }
    for (std::size_t j = 0; j < responseRows.size() && j < responses.size(); ++j) {
        responseRows[j].value = responses[j];
    }
    computeFitness(individual);
    Fitness& record = fitness[static_cast<std::size_t>(individual)];
    if (rules.valueWithoutLimit || settings().penalty < 0.0 || isDataSetMode() ||
        isFailedFitness(record)) {
        return;
    }
    // The rule as first written divides each constraint by its limit, 0 here: any
    // constraint at or above 0 makes the fitness infinite (r / 0 - 1 is +infinity,
    // or not a number at 0), and no violation is recorded.
    bool touchesALimit = false;
    for (std::size_t j = 0; j < responseRows.size(); ++j) {
        touchesALimit |= static_cast<int>(j) != objectiveRow && !(responseRows[j].value < 0.0);
    }
    const double objective = responseRows[static_cast<std::size_t>(objectiveRow)].value;
    record.value = touchesALimit ? kInfinity : objective;
    record.violation = 0.0;
}

void HybridGA::publishDesign(double* x)
{
    if (!inLocalSearch()) {
        OptEngine::publishDesign(x);
        return;
    }
    double* designs = isDataSetMode() ? innerX.data() : x;
    if (publishStart && designs != nullptr) {
        for (std::size_t i = 0; i < designVariables.size(); ++i) {
            designs[i] = designVariables[i].toCallerUnits(designVariables[i].value);
        }
    }
    publishStart = false;
    if (isDataSetMode()) {
        dataSet->designValues.assign(innerX.begin(), innerX.end());
    }
    evaluationPending = true;
}

StepCode HybridGA::receiveResponses(const double* f, double** g)
{
    innerRunWithdrew = false;
    if (!inLocalSearch()) {
        return MicroGA::receiveResponses(f, g);
    }
    if (awaitingGradients) {
        awaitingGradients = false;
        evaluationPending = false;
        return StepCode::Continue;
    }
    const StepCode result = MicroGA::receiveResponses(f, g);
    if (isDataSetMode()) {
        for (std::size_t j = 0; j < responseRows.size(); ++j) {
            const ResponseRow& row = responseRows[j];
            innerF[j] = static_cast<int>(j) == objectiveRow ? row.value : row.value - row.limit;
        }
    }
    return result;
}

void HybridGA::normaliseDesign(const double* x)
{
    if (inLocalSearch()) {
        evaluationPending = false; // the inner engine keeps its own design
        return;
    }
    MicroGA::normaliseDesign(x);
}

StepCode HybridGA::endIteration(double* x)
{
    genomes->clearLocallyImproved();
    return MicroGA::endIteration(x);
}

} // namespace Opt
