#include "engine/OptEngine.h"

#include <algorithm>
#include <cmath>

#include "common/NumericConstants.h"

namespace Opt {

OptEngine::OptEngine(const std::vector<double>& start,
                     const std::vector<std::vector<double>>& bounds, int responseCount)
    : parameter(std::make_shared<OptEngineParameter>())
{
    addVariables(start, bounds);
    setResponseCount(responseCount);
}

OptEngine::OptEngine(std::shared_ptr<DataSet> sharedDataSet)
    : dataSet(std::move(sharedDataSet)), parameter(std::make_shared<OptEngineParameter>())
{
    if (dataSet != nullptr) {
        addVariables(dataSet->designValues, dataSet->bounds);
    }
}

OptEngine::~OptEngine() = default;

void OptEngine::addVariables(const std::vector<double>& start,
                             const std::vector<std::vector<double>>& bounds)
{
    const std::size_t count = std::min(start.size(), bounds.size());
    designVariables.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (bounds[i].size() < 2) {
            break; // the session rejects such input; never read past a short list
        }
        designVariables.emplace_back(bounds[i], start[i]);
        if (designVariables.back().isDiscrete()) {
            discreteIndices.push_back(static_cast<int>(i));
        }
    }
    nDesignVariables = static_cast<int>(designVariables.size());
}

void OptEngine::setResponseCount(int count)
{
    nResponses = count > 0 ? count : 0;
    responseRows.resize(static_cast<std::size_t>(nResponses));
    constrained = nResponses >= 2 ? 1 : 0;
}

void OptEngine::startReport(int reportLevel, int method, int gradientMethod)
{
    report.setLevel(reportLevel);
    if (!isDataSetMode() && reportLevel >= 1) {
        report.writeHeader(method, nDesignVariables, 1, nResponses - 1, parameter->goal,
                           gradientMethod);
    }
}

int OptEngine::step(double* x, double* f, double** g)
{
    if (evaluationPending) {
        const StepCode received = receiveResponses(f, g);
        if (received == StepCode::Finished) {
            normaliseDesign(x);
            finish(nullptr);
            publishDesign(x);
            handOverResponses(x, f);
            return static_cast<int>(StepCode::Finished);
        }
        if (received == StepCode::Error) {
            handOverResponses(x, f, true);
        }
        if (received == StepCode::CallAgain || received == StepCode::Error) {
            return static_cast<int>(received);
        }
        normaliseDesign(x);
    }
    if (phase == EnginePhase::Stopped) {
        return static_cast<int>(StepCode::Finished); // a stopped engine does no work and publishes nothing
    }
    const StepCode result = dispatchPhase(x, f, g);
    switch (result) {
    case StepCode::Finished:
        publishDesign(x);
        finish(x);
        handOverResponses(x, f);
        break;
    case StepCode::Evaluate:
    case StepCode::CallAgain:
    case StepCode::Gradients:
        publishDesign(x);
        break;
    case StepCode::Error:
        handOverResponses(x, f, true);
        break;
    default:
        break;
    }
    return static_cast<int>(result);
}

void OptEngine::handOverResponses(double* x, double* f, bool onlyAsAPair) const
{
    const bool pairKnown = returnedDesign.size() == designVariables.size();
    if (isDataSetMode() || (onlyAsAPair && !pairKnown)) {
        return;
    }
    if (f != nullptr && returnedResponses.size() == static_cast<std::size_t>(nResponses)) {
        std::copy(returnedResponses.begin(), returnedResponses.end(), f);
    }
    if (x != nullptr && pairKnown) {
        std::copy(returnedDesign.begin(), returnedDesign.end(), x);
    }
}

bool OptEngine::handOverBestSoFar(double* x, double* f) const
{
    const bool pairKnown = returnedDesign.size() == designVariables.size() &&
                           returnedResponses.size() == static_cast<std::size_t>(nResponses);
    if (pairKnown) {
        handOverResponses(x, f, true);
    }
    return pairKnown && !isDataSetMode();
}

StepCode OptEngine::dispatchPhase(double* x, double* f, double** g)
{
    StepCode result = StepCode::Error;
    switch (phase) {
    case EnginePhase::BeginIteration:
        result = beginIteration(x, f, g);
        if (result == StepCode::Continue) {
            phase = EnginePhase::ComputeStep;
        }
        break;
    case EnginePhase::ComputeStep:
        prepareStep();
        result = computeStep(x, f, g);
        if (result == StepCode::Continue) {
            phase = EnginePhase::UpdateStep;
        }
        break;
    case EnginePhase::UpdateStep:
        result = updateStep();
        if (result == StepCode::Continue) {
            phase = EnginePhase::EndIteration;
        }
        break;
    case EnginePhase::EndIteration:
        result = endIteration(x);
        if (result == StepCode::Evaluate || result == StepCode::Continue) {
            phase = EnginePhase::BeginIteration;
        }
        break;
    default:
        result = StepCode::Error;
        break;
    }
    return result;
}

StepCode OptEngine::checkIterationLimit()
{
    return evaluationCount < kEvaluationLimit ? StepCode::Continue : StepCode::Error;
}

void OptEngine::buildResponseRows()
{
    if (!isDataSetMode()) {
        return;
    }
    int constraintRows = 0;
    for (const auto& [id, definition] : dataSet->responses) {
        if (definition->kind == 1) {
            constraintRows += definition->lower && definition->upper ? 2 : 1;
        }
    }
    setResponseCount(constraintRows + 1);
    for (ResponseRow& row : responseRows) {
        row = ResponseRow();
    }
    ResponseRow& objective = responseRows[static_cast<std::size_t>(objectiveRow)];
    std::size_t next = 1;
    for (const auto& [id, definition] : dataSet->responses) {
        if (definition->kind != 1) {
            objective.sign = parameter->goal == 2 ? -1 : 1;
            objective.ids.push_back(id);
            objective.weights.push_back(definition->weight);
            continue;
        }
        if (definition->upper || !definition->lower) {
            ResponseRow& row = responseRows[next++];
            row.sign = 1;
            row.limit = definition->upper.value_or(0.0);
            row.responseId = id;
        }
        if (definition->lower) {
            ResponseRow& row = responseRows[next++];
            row.sign = -1;
            row.limit = -*definition->lower;
            row.responseId = id;
        }
    }
}

void OptEngine::evaluateResponses()
{
    evaluateObjective();
    evaluateConstraints();
}

void OptEngine::evaluateObjective()
{
    aggregateObjective(true);
}

void OptEngine::aggregateObjective(bool divideByScale)
{
    if (!isDataSetMode() || responseRows.empty()) {
        return;
    }
    ResponseRow& row = responseRows[static_cast<std::size_t>(objectiveRow)];
    const int form = parameter->objectiveForm;
    double sum = 0.0;
    for (std::size_t k = 0; k < row.weights.size() && k < row.ids.size(); ++k) {
        const ResponseDefinition* definition = dataSet->find(row.ids[k]);
        if (definition == nullptr) {
            continue;
        }
        const double w = row.weights[k];
        double v = definition->value.value_or(0.0);
        const double s = std::fabs(definition->scale.value_or(0.0));
        if (divideByScale && s >= kNumericZero && definition->goal != 3) {
            v /= s;
        }
        const double t = definition->target;
        switch (definition->goal) {
        case 1:
            sum += form == 1 ? w * v : form == 2 ? (w * v) * (w * v) : w * std::fabs(v);
            break;
        case 2:
            sum -= form == 1 ? w * v : form == 2 ? (w * v) * (w * v) : w * std::fabs(v);
            break;
        case 3:
            sum += form == 2 ? (w * (v - t)) * (w * (v - t)) : w * std::fabs(v - t);
            break;
        default:
            break;
        }
    }
    switch (form) {
    case 1:
    case 3:
        row.value = row.sign * sum;
        break;
    case 2:
        row.value = row.sign * std::sqrt(sum);
        break;
    default:
        row.value = 0.0;
        break;
    }
}

void OptEngine::evaluateConstraints()
{
    if (!isDataSetMode()) {
        return;
    }
    for (std::size_t j = 0; j < responseRows.size(); ++j) {
        if (static_cast<int>(j) == objectiveRow) {
            continue;
        }
        ResponseRow& row = responseRows[j];
        const ResponseDefinition* definition = dataSet->find(row.responseId);
        const double response = definition != nullptr ? definition->value.value_or(0.0) : 0.0;
        row.value = row.sign * response;
    }
}

void OptEngine::evaluateGradients() {}

StepCode OptEngine::receiveResponses(const double* f, double** /*g*/)
{
    storeResponses(f);
    return checkIterationLimit();
}

void OptEngine::storeResponses(const double* f)
{
    if (isDataSetMode()) {
        evaluateResponses();
    } else if (f != nullptr) {
        for (std::size_t j = 0; j < responseRows.size(); ++j) {
            responseRows[j].value = f[j];
        }
    }
    evaluationPending = false;
}

void OptEngine::normaliseDesign(const double* x)
{
    if (isDataSetMode() || x == nullptr) {
        if (dataSet != nullptr) {
            const std::size_t count = std::min(designVariables.size(), dataSet->designValues.size());
            for (std::size_t i = 0; i < count; ++i) {
                designVariables[i].value = dataSet->designValues[i];
            }
        }
    }
    for (DesignVariable& variable : designVariables) {
        variable.value = variable.toNormalised(variable.value);
        if (subEvaluationIndex == 0) {
            variable.accepted = variable.value;
        }
    }
}

void OptEngine::publishDesign(double* x)
{
    for (DesignVariable& variable : designVariables) {
        variable.value = variable.toCallerUnits(variable.value);
    }
    if (x != nullptr) {
        for (std::size_t i = 0; i < designVariables.size(); ++i) {
            x[i] = designVariables[i].value;
        }
    } else if (dataSet != nullptr) {
        if (dataSet->engineType == DataSet::kEvaluationOnlyEngineType) {
            return;
        }
        dataSet->designValues.resize(designVariables.size());
        for (std::size_t i = 0; i < designVariables.size(); ++i) {
            dataSet->designValues[i] = designVariables[i].value;
        }
    }
    evaluationPending = true;
}

void OptEngine::announceDesigns(int, std::vector<double>&) const {}

LookAheadRole OptEngine::lookAheadRole() const { return LookAheadRole::Announced; }

int OptEngine::lookAheadDepth() const { return 0; }

void OptEngine::announce(const double* normalised, std::vector<double>& designs) const
{
    for (std::size_t i = 0; i < designVariables.size(); ++i) {
        designs.push_back(designVariables[i].toCallerUnits(normalised[i]));
    }
}

StepCode OptEngine::beginIteration(double*, double*, double**) { return StepCode::Finished; }
StepCode OptEngine::endIteration(double*) { return StepCode::Finished; }
void OptEngine::prepareStep() {}
StepCode OptEngine::computeStep(double*, double*, double**) { return StepCode::Finished; }
StepCode OptEngine::updateStep() { return StepCode::Finished; }
void OptEngine::finish(double*) {}
void OptEngine::setParameterOption(int) {}
int OptEngine::parameterOption() const { return 0; }
void OptEngine::setLinearProgram(const LinearProgram&) {}
bool OptEngine::linearSolution(std::vector<double>&, double&) const { return false; }
bool OptEngine::stoppedOnBudget() const { return false; }

} // namespace Opt
