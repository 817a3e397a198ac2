#include "managers/SAOManager.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "common/NumericConstants.h"
#include "doe/CentralComposite.h"
#include "engine/EngineFactory.h"
#include "engine/PenalisedResponse.h"
#include "ga/GAParameter.h"
#include "ga/GeneticAlgorithm.h"
#include "gradient/SQPParameter.h"
#include "gradient/SequentialQuadraticProgramming.h"
#include "managers/HostArraySearch.h"
#include "managers/SurrogateFactory.h"
#include "rsm/CurrentDesign.h"
#include "rsm/ParallelModelBuild.h"
#include "rsm/RSMDataOut.h"

namespace Opt::RSM {

namespace {

// A negative penalty asks the genetic algorithm for feasibility-first ranking.
constexpr double kFeasibilityFirst = -1.0;
constexpr int kDefaultOption = -1;
constexpr int kSqpGradientMode = 5; // position in the SQP's ints
constexpr int kForwardDifferences = 1;
constexpr const char* kModelFileExtension = ".sao";

std::vector<std::pair<double, double>> rangesOf(const std::vector<DesignVariable>& variables)
{
    std::vector<std::pair<double, double>> ranges;
    for (const DesignVariable& variable : variables) {
        ranges.emplace_back(variable.lower, variable.upper);
    }
    return ranges;
}

} // namespace

SAOManager::SAOManager(const std::vector<double>& start,
                       const std::vector<std::vector<double>>& bounds, int responseCount,
                       const std::vector<double>& reals, const std::vector<int>& ints,
                       int reportLevel)
    : RSMManager(start, bounds)
{
    configure(reals, ints);
    setResponseCount(responseCount);
    // The driver evaluates the start before the first step.
    awaiting = Awaiting::Centre;
    published = centre;
    evaluationPending = true;
    startReport(reportLevel, kEngineType, 0);
}

SAOManager::SAOManager(std::shared_ptr<DataSet> shared, const std::vector<double>& reals,
                       const std::vector<int>& ints)
    : RSMManager(std::move(shared), VariablesOnly{})
{
    configure(reals, ints);
    buildResponseRows();
}

void SAOManager::configure(const std::vector<double>& reals, const std::vector<int>& ints)
{
    engineType = kEngineType;
    auto loaded = std::make_shared<SAOParameter>();
    loaded->load(reals.size() >= SAOParameter::kRealCount ? reals.data() : nullptr,
                 ints.size() >= SAOParameter::kIntCount ? ints.data() : nullptr);
    parameter = loaded;
    constraintTolerance = loaded->constraintTolerance;
    moveLimiter = std::make_shared<MoveLimiter>(rangesOf(designVariables), loaded->initialLimit,
                                                loaded->expandRatio, loaded->acceptRatio);
    for (const DesignVariable& variable : designVariables) {
        centre.push_back(variable.toCallerUnits(variable.value));
    }
    buildDesign();
    recentre();
}

const SAOParameter& SAOManager::settings() const
{
    return static_cast<const SAOParameter&>(*parameter);
}

void SAOManager::buildDesign()
{
    const std::vector<DesignVariable> unitVariables(designVariables.size(),
                                                    DesignVariable({-1.0, 1.0}, 0.0));
    design = std::make_shared<DOE::CentralComposite>(unitVariables,
                                                     DOE::CentralComposite::kFaceCentred);
    unitPoints = design->pointSet->points;
}

void SAOManager::recentre()
{
    moveLimiter->searchBox(centre, boxLower, boxUpper);
    cyclePoints.clear();
    for (std::size_t p = 0; p + 1 < unitPoints.size(); ++p) {
        std::vector<double> point(centre.size());
        for (std::size_t i = 0; i < point.size(); ++i) {
            point[i] = boxLower[i] + 0.5 * (unitPoints[p][i] + 1.0) * (boxUpper[i] - boxLower[i]);
        }
        cyclePoints.push_back(std::move(point));
    }
    sampleValues.assign(cyclePoints.size(), {});
    nextSample = 0;
}

std::vector<double> SAOManager::toBox(const std::vector<double>& x) const
{
    std::vector<double> unit(x.size(), 0.0);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double width = boxUpper[i] - boxLower[i];
        if (width > kNumericZero) {
            unit[i] = 2.0 * (x[i] - boxLower[i]) / width - 1.0;
        }
    }
    return unit;
}

bool SAOManager::budgetExhausted() const
{
    const int cycleCost = static_cast<int>(cyclePoints.size()) + 1;
    return trueEvaluations + cycleCost > settings().maxEvaluations;
}

std::vector<double> SAOManager::rowValues() const
{
    std::vector<double> values;
    for (std::size_t j = 0; j < responseRows.size(); ++j) {
        const ResponseRow& row = responseRows[j];
        values.push_back(static_cast<int>(j) == objectiveRow ? row.value : row.value - row.limit);
    }
    return values;
}

SAOManager::Record SAOManager::recordOf(const std::vector<double>& values) const
{
    Record record;
    record.objective = values.empty() ? 0.0 : values[0];
    record.feasible = true;
    for (std::size_t j = 1; j < values.size(); ++j) {
        record.largestViolation = std::max(record.largestViolation, values[j]);
        record.feasible = record.feasible && values[j] <= constraintTolerance;
    }
    record.limit = moveLimiter->limit;
    record.evaluations = trueEvaluations;
    return record;
}

SAOManager::Evaluation SAOManager::received() const
{
    Evaluation evaluation;
    evaluation.values = rowValues();
    for (const ResponseRow& row : responseRows) {
        evaluation.responses.push_back(row.value);
    }
    if (dataSet != nullptr) {
        for (const auto& entry : dataSet->responses) {
            evaluation.definitions.push_back(entry.second->value);
        }
    }
    return evaluation;
}

StepCode SAOManager::receiveResponses(const double* f, double**)
{
    storeResponses(f);
    ++trueEvaluations;
    Evaluation evaluation = received();
    switch (awaiting) {
    case Awaiting::Centre:
        history.push_back(recordOf(evaluation.values));
        iterationCount = static_cast<int>(history.size());
        centreEvaluation = std::move(evaluation);
        break;
    case Awaiting::Sample:
        sampleValues[nextSample - 1] = evaluation.values;
        break;
    case Awaiting::Candidate: {
        const double predicted = candidate.predicted;
        candidate = recordOf(evaluation.values);
        candidate.predicted = predicted;
        candidateEvaluation = std::move(evaluation);
        break;
    }
    case Awaiting::Nothing:
        break;
    }
    awaiting = Awaiting::Nothing;
    return StepCode::Continue;
}

void SAOManager::publishDesign(double* x)
{
    if (x != nullptr) {
        std::copy(published.begin(), published.end(), x);
    } else if (dataSet != nullptr) {
        dataSet->designValues = published;
    }
    evaluationPending = awaiting != Awaiting::Nothing;
}

void SAOManager::announceDesigns(int limit, std::vector<double>& designs) const
{
    if (awaiting != Awaiting::Sample) {
        return;
    }
    const std::size_t end = std::min(cyclePoints.size(), nextSample + static_cast<std::size_t>(limit));
    for (std::size_t k = nextSample; k < end; ++k) {
        designs.insert(designs.end(), cyclePoints[k].begin(), cyclePoints[k].end());
    }
}

StepCode SAOManager::beginIteration(double*, double*, double**)
{
    if (history.empty()) {
        awaiting = Awaiting::Centre;
        published = centre;
        return StepCode::Evaluate;
    }
    if (nextSample == 0 && endsRun(budgetExhausted())) {
        return stop();
    }
    if (nextSample < cyclePoints.size()) {
        published = cyclePoints[nextSample++];
        awaiting = Awaiting::Sample;
        return StepCode::Evaluate;
    }
    return StepCode::Continue;
}

void SAOManager::prepareStep()
{
    fitModels();
}

void SAOManager::fitModels()
{
    DOE::DOESamplingPointSet& sample = *design->pointSet;
    sample.points = unitPoints;
    sample.points.back() = toBox(centre);
    sample.responses = sampleValues;
    sample.responses.push_back(centreEvaluation.values);
    for (std::vector<double>& row : sample.responses) {
        for (double& value : row) {
            value = isFailedResponse(value) ? kFailedEvaluation : value;
        }
    }
    sample.responseColumns.clear();
    for (int j = 0; j < nResponses; ++j) {
        sample.responseColumns[j] = j;
    }
    sample.normalised = true;
    sample.hasResponses = true;
    setCurrentDesign(design);
    models.clear();
    SurrogateSettings surrogate;
    surrogate.modelType = settings().surrogateType;
    surrogate.option = kDefaultOption;
    for (int j = 0; j < nResponses; ++j) {
        models[j] = createSurrogate(surrogate, j, nDesignVariables, design->pointCount);
    }
    ParallelModelBuild(nullptr).run(models, 1);
}

std::vector<double> SAOManager::predict(const std::vector<double>& x) const
{
    return predictAt(toBox(x));
}

StepCode SAOManager::computeStep(double*, double*, double**)
{
    searchCandidate();
    return StepCode::Continue;
}

void SAOManager::searchCandidate()
{
    history.back().predicted = predict(centre).front();
    std::vector<std::vector<double>> box;
    for (std::size_t i = 0; i < centre.size(); ++i) {
        box.push_back({boxLower[i], boxUpper[i]});
    }
    std::vector<double> reals(GAParameter::kRealCount, kUnsetReal);
    reals[0] = kFeasibilityFirst;
    std::vector<double> x = searchSurrogates(
        engineFactory().buildFromHost(nDesignVariables, nResponses, centre, box, reals.data(),
                                      nullptr, GeneticAlgorithm::kMethodCode, 0),
        centre);
    if (settings().refineCandidate) {
        std::vector<int> ints(SQPParameter::kIntCount, kUnsetInt);
        ints[kSqpGradientMode] = kForwardDifferences;
        const std::vector<double> refined = searchSurrogates(
            engineFactory().buildFromHost(nDesignVariables, nResponses, x, box, nullptr,
                                          ints.data(),
                                          SequentialQuadraticProgramming::kMethodCode, 0),
            x);
        if (ranksBetter(refined, x)) {
            x = refined;
        }
    }
    candidateDesign = x;
    candidate = Record{};
    candidate.predicted = predict(x).front();
}

std::vector<double> SAOManager::searchSurrogates(const std::shared_ptr<OptEngine>& search,
                                                 std::vector<double> x) const
{
    if (search == nullptr) {
        throw std::runtime_error("SAO: the search on the surrogates could not be built");
    }
    std::vector<double> f = predict(x);
    runHostArraySearch(*search, x, f, [this](const std::vector<double>& design) {
        return predict(design);
    });
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = std::clamp(x[i], boxLower[i], boxUpper[i]);
    }
    return x;
}

bool SAOManager::ranksBetter(const std::vector<double>& x, const std::vector<double>& than) const
{
    const auto rank = [this](const std::vector<double>& design) {
        const std::vector<double> values = predict(design);
        double largest = 0.0;
        for (std::size_t j = 1; j < values.size(); ++j) {
            largest = std::max(largest, values[j]);
        }
        return std::pair{largest > constraintTolerance ? largest : 0.0, values.front()};
    };
    return rank(x) < rank(than);
}

StepCode SAOManager::updateStep()
{
    if (!candidatePending) {
        candidatePending = true;
        awaiting = Awaiting::Candidate;
        published = candidateDesign;
        return StepCode::Evaluate;
    }
    candidatePending = false;
    if (acceptCandidate()) {
        centre = candidateDesign;
        centreEvaluation = candidateEvaluation;
        candidate.limit = moveLimiter->limit;
        history.push_back(candidate);
        iterationCount = static_cast<int>(history.size());
        return isConverged() ? stop() : StepCode::Continue;
    }
    return mustStop() ? stop() : StepCode::Continue;
}

bool SAOManager::acceptCandidate()
{
    const Record& entry = history.back();
    MoveLimiter::Step step;
    step.actualChange = candidate.objective - entry.objective;
    step.predictedChange = candidate.predicted - entry.predicted;
    step.candidateFeasible = candidate.feasible;
    step.entryFeasible = entry.feasible;
    step.violationFell = candidate.largestViolation < entry.largestViolation;
    moveLimiter->update(step);
    if (entry.feasible != candidate.feasible) {
        candidateAccepted = candidate.feasible;
    } else if (candidate.feasible) {
        candidateAccepted = step.actualChange < 0.0;
    } else {
        candidateAccepted = step.violationFell;
    }
    return candidateAccepted;
}

bool SAOManager::isConverged()
{
    return endsRun(history.size() >= 2 && (objectiveSettled() || limitsReached()));
}

bool SAOManager::objectiveSettled() const
{
    const std::size_t k = history.size();
    if (k <= 2) {
        return false;
    }
    const Record& last = history[k - 1];
    const Record& before = history[k - 2];
    const double change = std::fabs(last.objective - before.objective);
    return last.feasible && before.feasible &&
           change < settings().objectiveTolerance * std::fabs(last.objective);
}

bool SAOManager::limitsReached() const
{
    return iterationsExhausted() || budgetExhausted() || moveLimiter->atFloor();
}

bool SAOManager::endsRun(bool stops)
{
    feasible = feasible || stops;
    return stops;
}

std::vector<double> SAOManager::cycleObjectives() const
{
    std::vector<double> objectives;
    for (const std::vector<double>& values : sampleValues) {
        if (!values.empty()) {
            objectives.push_back(values.front());
        }
    }
    if (!centreEvaluation.values.empty()) {
        objectives.push_back(centreEvaluation.values.front());
    }
    return objectives;
}

bool SAOManager::iterationsExhausted() const
{
    return static_cast<int>(history.size()) - 1 >= settings().maxIterations;
}

bool SAOManager::mustStop()
{
    return endsRun(budgetExhausted() || moveLimiter->atFloor());
}

StepCode SAOManager::stop()
{
    stoppedOnLimit = iterationsExhausted() || budgetExhausted();
    awaiting = Awaiting::Nothing;
    published = centre;
    return StepCode::Finished;
}

StepCode SAOManager::endIteration(double*)
{
    recentre();
    return StepCode::Continue;
}

void SAOManager::finish(double* x)
{
    RSMManager::finish(x);
    returnedDesign = centre;
    returnedResponses = centreEvaluation.responses;
    if (dataSet != nullptr) {
        auto value = centreEvaluation.definitions.begin();
        for (const auto& entry : dataSet->responses) {
            if (value != centreEvaluation.definitions.end()) {
                entry.second->value = *value++;
            }
        }
        writeSaoModelFile();
    }
}

void SAOManager::writeSaoModelFile() const
{
    if (dataSet->modelFile.empty() || models.empty()) {
        return;
    }
    RSMDataOut(dataSet->modelFile, kModelFileExtension)
        .writeModels(models, design->pointSet->points, design->pointSet->normalised);
}

bool SAOManager::stoppedOnBudget() const { return stoppedOnLimit; }

} // namespace Opt::RSM
