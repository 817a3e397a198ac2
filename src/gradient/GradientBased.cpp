#include "gradient/GradientBased.h"

#include <algorithm>
#include <cmath>

#include "common/NumericConstants.h"

namespace Opt {

namespace {

// A divisor that is never below the numeric zero: an unset or zero scale
// leaves the value as it is.
double safeDivisor(double scale)
{
    const double magnitude = std::fabs(scale);
    return magnitude >= kNumericZero ? magnitude : 1.0;
}

std::vector<double> rowByRow(const Matrix& matrix)
{
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(matrix.rows()) *
                   static_cast<std::size_t>(matrix.columns()));
    for (int r = 0; r < matrix.rows(); ++r) {
        for (int c = 0; c < matrix.columns(); ++c) {
            values.push_back(matrix(r, c));
        }
    }
    return values;
}

// Fills matrix row by row from values; a list of the wrong length leaves the
// matrix as it is, so a foreign state can never be read out of bounds.
void fillRowByRow(Matrix& matrix, const std::vector<double>& values)
{
    if (values.size() != static_cast<std::size_t>(matrix.rows()) *
                             static_cast<std::size_t>(matrix.columns())) {
        return;
    }
    std::size_t k = 0;
    for (int r = 0; r < matrix.rows(); ++r) {
        for (int c = 0; c < matrix.columns(); ++c) {
            matrix(r, c) = values[k++];
        }
    }
}

template <typename T>
void copyIfSized(std::vector<T>& target, const std::vector<T>& source)
{
    if (source.size() == target.size()) {
        target = source;
    }
}

} // namespace

GradientBased::GradientBased(const std::vector<double>& start,
                             const std::vector<std::vector<double>>& bounds, int responseCount)
    : OptEngine(start, bounds, responseCount)
{
    sizeGradientStorage();
}

GradientBased::GradientBased(std::shared_ptr<DataSet> sharedDataSet)
    : OptEngine(std::move(sharedDataSet))
{
    sizeGradientStorage();
}

void GradientBased::sizeGradientStorage()
{
    gradient = Matrix(nResponses, nDesignVariables);
    previousGradient = gradient;
    d.assign(static_cast<std::size_t>(nDesignVariables), 0.0);
    sensitivities = Matrix(nDesignVariables, nResponses);
}

double GradientBased::objectiveSign() const
{
    // Data-set mode signs the objective when it aggregates it.
    return isDataSetMode() ? 1.0 : static_cast<double>(responseRows[0].sign);
}

double GradientBased::normalisingFactor(int row) const
{
    const ResponseRow& r = responseRows[static_cast<std::size_t>(row)];
    if (row == objectiveRow) {
        return objectiveSign() / safeDivisor(r.scale);
    }
    const double divisor = std::fabs(r.limit) >= kNumericZero ? std::fabs(r.limit)
                                                              : safeDivisor(r.scale);
    return (isDataSetMode() ? r.sign : 1.0) / divisor;
}

double GradientBased::normalised(int row, double value) const
{
    const ResponseRow& r = responseRows[static_cast<std::size_t>(row)];
    if (row == objectiveRow) {
        return objectiveSign() * value / safeDivisor(r.scale);
    }
    return normalisedConstraint(value, r);
}

double GradientBased::physical(int row, double normalisedValue) const
{
    const ResponseRow& r = responseRows[static_cast<std::size_t>(row)];
    if (row == objectiveRow) {
        return objectiveSign() * normalisedValue * safeDivisor(r.scale);
    }
    if (std::fabs(r.limit) >= kNumericZero) {
        return normalisedValue * std::fabs(r.limit) + r.limit;
    }
    return normalisedValue * safeDivisor(r.scale);
}

void GradientBased::normaliseLatestResponses()
{
    for (int j = 0; j < nResponses; ++j) {
        ResponseRow& row = responseRows[static_cast<std::size_t>(j)];
        row.value = normalised(j, row.value);
    }
}

StepCode GradientBased::gradientStep(int gradientMode, double h, double** g)
{
    switch (gradientMode) {
    case 1:
        return finiteDifferenceStep(h);
    case 3:
        if (!gradientRequested) {
            gradientRequested = true;
            return StepCode::Gradients;
        }
        gradientRequested = false;
        copyHostGradients(g);
        return StepCode::Continue;
    default:
        return StepCode::Continue; // G came with the responses of the main point
    }
}

StepCode GradientBased::finiteDifferenceStep(double h)
{
    // subEvaluationIndex counts the perturbations handed out so far; the
    // responses of perturbation k have arrived when it is k + 1. A count that
    // cannot be (a foreign restored state) starts the differences afresh.
    const int perturbed =
        subEvaluationIndex >= 0 && subEvaluationIndex <= nDesignVariables ? subEvaluationIndex : 0;
    if (perturbed > 0) {
        const int column = perturbed - 1;
        const double step = h * differenceStepScale;
        for (int j = 0; j < nResponses; ++j) {
            const ResponseRow& row = responseRows[static_cast<std::size_t>(j)];
            gradient(j, column) = (row.value - row.acceptedValue) / step;
        }
        DesignVariable& variable = designVariables[static_cast<std::size_t>(column)];
        variable.value = variable.accepted;
        differenceStepScale = 1.0;
    }
    if (perturbed < nDesignVariables) {
        DesignVariable& variable = designVariables[static_cast<std::size_t>(perturbed)];
        variable.value = variable.accepted + h;
        subEvaluationIndex = perturbed + 1;
        return StepCode::Evaluate;
    }
    subEvaluationIndex = 0;
    return StepCode::Continue;
}

void GradientBased::announcePerturbations(double h, int limit, std::vector<double>& designs) const
{
    const int published = subEvaluationIndex;
    if (phase != EnginePhase::BeginIteration || differenceStepScale != 1.0 || published < 1 ||
        published > nDesignVariables) {
        return; // no perturbation is out, or a retry is (it announces nothing)
    }
    // Each step normalises the design just published (variables not perturbed
    // included, which the round trip through caller units may move by a rounding
    // step), then moves the perturbation to the next variable; so does this.
    const int budget = kEvaluationLimit - 1 - evaluationCount;
    const int count = std::min({nDesignVariables - published, limit, budget});
    std::vector<double> design;
    for (const DesignVariable& variable : designVariables) {
        design.push_back(variable.value); // caller units while published
    }
    for (int column = published; column < published + count; ++column) {
        for (std::size_t i = 0; i < design.size(); ++i) {
            design[i] = designVariables[i].toNormalised(design[i]);
        }
        const DesignVariable& previous = designVariables[static_cast<std::size_t>(column - 1)];
        const DesignVariable& next = designVariables[static_cast<std::size_t>(column)];
        design[static_cast<std::size_t>(column - 1)] = previous.accepted;
        design[static_cast<std::size_t>(column)] = next.accepted + h;
        const std::size_t first = designs.size();
        announce(design.data(), designs);
        std::copy(designs.begin() + static_cast<std::ptrdiff_t>(first), designs.end(),
                  design.begin());
    }
}

StepCode GradientBased::retryPerturbation(double h)
{
    const int column = subEvaluationIndex - 1;
    if (column < 0 || column >= nDesignVariables) {
        return StepCode::Error; // no perturbation is out
    }
    differenceStepScale *= 0.5;
    DesignVariable& variable = designVariables[static_cast<std::size_t>(column)];
    variable.value = variable.accepted + h * differenceStepScale;
    return StepCode::Evaluate;
}

void GradientBased::copyHostGradients(double** g)
{
    for (int i = 0; i < nDesignVariables; ++i) {
        const DesignVariable& variable = designVariables[static_cast<std::size_t>(i)];
        const double range = variable.upper - variable.lower;
        const double* rowOfHost = g != nullptr ? g[i] : nullptr;
        for (int j = 0; j < nResponses; ++j) {
            const double derivative = rowOfHost != nullptr ? rowOfHost[j] : 0.0;
            gradient(j, i) = normalisingFactor(j) * range * derivative;
        }
    }
}

void GradientBased::keepSensitivities(double** g)
{
    for (int i = 0; i < nDesignVariables; ++i) {
        const double* rowOfHost = g != nullptr ? g[i] : nullptr;
        for (int j = 0; j < nResponses; ++j) {
            sensitivities(i, j) = rowOfHost != nullptr ? rowOfHost[j] : 0.0;
        }
    }
}

void GradientBased::evaluateGradients()
{
    for (int i = 0; i < nDesignVariables; ++i) {
        const DesignVariable& variable = designVariables[static_cast<std::size_t>(i)];
        const double range = variable.upper - variable.lower;
        for (int j = 0; j < nResponses; ++j) {
            gradient(j, i) = normalisingFactor(j) * range * sensitivities(i, j);
        }
    }
}

void GradientBased::handOverCurrentDesign(double* x) const
{
    if (x == nullptr && dataSet == nullptr) {
        return;
    }
    if (x == nullptr) {
        dataSet->designValues.resize(designVariables.size());
    }
    for (std::size_t i = 0; i < designVariables.size(); ++i) {
        const DesignVariable& variable = designVariables[i];
        const double value = variable.toCallerUnits(variable.accepted);
        if (x != nullptr) {
            x[i] = value;
        } else {
            dataSet->designValues[i] = value;
        }
    }
}

void GradientBased::saveState(SQPState& state) const
{
    state.currentDesign.clear();
    state.trialDesign.clear();
    state.previousDesign.clear();
    for (const DesignVariable& variable : designVariables) {
        state.currentDesign.push_back(variable.accepted);
        state.trialDesign.push_back(variable.value);
        state.previousDesign.push_back(variable.startCopy);
    }
    state.latestResponses.clear();
    state.currentResponses.clear();
    state.previousResponses.clear();
    state.scales.clear();
    for (const ResponseRow& row : responseRows) {
        state.latestResponses.push_back(row.value);
        state.currentResponses.push_back(row.acceptedValue);
        state.previousResponses.push_back(row.previousValue);
        state.scales.push_back(row.scale);
    }
    state.gradients = rowByRow(gradient);
    state.previousGradients = rowByRow(previousGradient);
    state.step = d;
    state.gradientRequested = gradientRequested;
    state.differenceStepScale = differenceStepScale;
    state.phase = static_cast<int>(phase);
    state.subEvaluationIndex = subEvaluationIndex;
    state.iterationCount = iterationCount;
    state.evaluationCount = evaluationCount;
    state.evaluationPending = evaluationPending;
    state.feasible = feasible;
}

void GradientBased::restoreState(const SQPState& state)
{
    const std::size_t n = designVariables.size();
    if (state.currentDesign.size() == n && state.trialDesign.size() == n &&
        state.previousDesign.size() == n) {
        for (std::size_t i = 0; i < n; ++i) {
            designVariables[i].accepted = state.currentDesign[i];
            designVariables[i].value = state.trialDesign[i];
            designVariables[i].startCopy = state.previousDesign[i];
        }
    }
    const std::size_t m = responseRows.size();
    if (state.latestResponses.size() == m && state.currentResponses.size() == m &&
        state.previousResponses.size() == m && state.scales.size() == m) {
        for (std::size_t j = 0; j < m; ++j) {
            responseRows[j].value = state.latestResponses[j];
            responseRows[j].acceptedValue = state.currentResponses[j];
            responseRows[j].previousValue = state.previousResponses[j];
            responseRows[j].scale = state.scales[j];
        }
    }
    fillRowByRow(gradient, state.gradients);
    fillRowByRow(previousGradient, state.previousGradients);
    copyIfSized(d, state.step);
    gradientRequested = state.gradientRequested;
    differenceStepScale = state.differenceStepScale > 0.0 ? state.differenceStepScale : 1.0;
    phase = static_cast<EnginePhase>(state.phase);
    subEvaluationIndex = state.subEvaluationIndex;
    iterationCount = state.iterationCount;
    evaluationCount = state.evaluationCount;
    evaluationPending = state.evaluationPending;
    feasible = state.feasible;
}

} // namespace Opt
