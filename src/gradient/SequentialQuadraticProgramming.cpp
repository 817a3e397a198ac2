#include "gradient/SequentialQuadraticProgramming.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "common/NumericConstants.h"
#include "engine/PenalisedResponse.h"
#include "linalg/VectorMath.h"

namespace Opt {

namespace {

using Linalg::dot;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr const char* kIterationLimitMessage = " MAXIMUM ITERATION REACHED.";
// Powell's damping threshold: sᵀy below this fraction of sᵀBs is damped.
constexpr double kDampingThreshold = 0.2;
constexpr double kDampedCurvature = 0.8;

bool allFinite(const Matrix& matrix)
{
    const std::size_t count =
        static_cast<std::size_t>(matrix.rows()) * static_cast<std::size_t>(matrix.columns());
    return std::all_of(matrix.data(), matrix.data() + count,
                       [](double value) { return std::isfinite(value); });
}

std::vector<double> multiply(const Matrix& matrix, const std::vector<double>& vector)
{
    std::vector<double> result(static_cast<std::size_t>(matrix.rows()), 0.0);
    for (int r = 0; r < matrix.rows(); ++r) {
        for (int c = 0; c < matrix.columns(); ++c) {
            result[static_cast<std::size_t>(r)] += matrix(r, c) * vector[static_cast<std::size_t>(c)];
        }
    }
    return result;
}

std::string describeValue(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

SequentialQuadraticProgramming::SequentialQuadraticProgramming(
    const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
    int responseCount, const std::vector<double>& reals, const std::vector<int>& ints,
    int reportLevel)
    : GradientBased(start, bounds, responseCount)
{
    assert(nResponses >= 1); // the session rejects a problem without an objective
    loadSettings(reals, ints);
    for (ResponseRow& row : responseRows) {
        row.sign = 1;
        row.limit = 0.0;
        row.scale = 1.0;
    }
    responseRows[static_cast<std::size_t>(objectiveRow)].sign = settings().goal == 2 ? -1 : 1;
    sizeIterationStorage();
    // The driver evaluates the start first; the first step takes its responses.
    evaluationPending = true;
    startReport(reportLevel, kMethodCode, settings().gradientMode);
}

SequentialQuadraticProgramming::SequentialQuadraticProgramming(std::shared_ptr<DataSet> sharedDataSet,
                                                               const std::vector<double>& reals,
                                                               const std::vector<int>& ints)
    : GradientBased(std::move(sharedDataSet))
{
    loadSettings(reals, ints);
    buildResponseRows();
    for (ResponseRow& row : responseRows) {
        row.scale = 1.0;
    }
    sizeGradientStorage();
    sizeIterationStorage();
    registerStatusFields();
    evaluationPending = true;
}

void SequentialQuadraticProgramming::loadSettings(const std::vector<double>& reals,
                                                  const std::vector<int>& ints)
{
    auto record = std::make_shared<SQPParameter>();
    const bool realsComplete = static_cast<int>(reals.size()) >= SQPParameter::kRealCount;
    const bool intsComplete = static_cast<int>(ints.size()) >= SQPParameter::kIntCount;
    record->load(realsComplete ? reals.data() : nullptr, intsComplete ? ints.data() : nullptr);
    parameter = record;
    iterationCount = record->startIteration;
    alpha = record->initialStepLength;
}

void SequentialQuadraticProgramming::sizeIterationStorage()
{
    b = Matrix::identity(nDesignVariables);
    previousB = b;
    const auto m = static_cast<std::size_t>(std::max(0, constraintCount()));
    u.assign(m, 0.0);
    v.assign(m, 0.0);
    r.assign(m, 0.0);
    previousR.assign(m, 0.0);
    selectedConstraints.clear();
}

void SequentialQuadraticProgramming::registerStatusFields()
{
    statusLine.registerField(100, "ITERATION=%3d,");
    statusLine.registerField(105, "OBJ.(%10.3E),");
    statusLine.registerField(103, "CON.(%10.2E),");
    statusLine.registerField(104, "VIOL.(%%)(%10.2E), ERROR NORMS:");
    statusLine.registerField(101, "O(%10.2E/%9.1E)");
    statusLine.registerField(102, "D(%10.2E/%9.1E)");
    statusLine.registerField(106, "LINE SEARCH ITER.=%3d");
}

void SequentialQuadraticProgramming::printToConsole(const std::string& text) const
{
    if (report.level < 0) {
        return; // a silent engine, such as a local search inside another engine
    }
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

bool SequentialQuadraticProgramming::isFirstIteration() const
{
    return iterationCount <= settings().startIteration;
}

void SequentialQuadraticProgramming::evaluateObjective()
{
    // As the problem model aggregates, but on the responses' own values: the
    // objective row's scale normalises the aggregate afterwards.
    aggregateObjective(false);
}

// ---------------------------------------------------------------- receiving

StepCode SequentialQuadraticProgramming::receiveResponses(const double* f, double** g)
{
    if (phase == EnginePhase::Stopped || gradientRequested) {
        // Nothing was evaluated: the run is over, or the host filled gradients only.
        evaluationPending = false;
        return StepCode::Continue;
    }
    const bool received = isDataSetMode() || f != nullptr;
    storeResponses(f);
    ++evaluationCount;
    if (received) {
        noteFailure();
        keepHostResponses(f);
        normaliseLatestResponses();
    }
    if (latestFailed) {
        return receiveFailedEvaluation();
    }
    backOffs = 0;
    if (snapEvaluationPending) {
        return receiveSnappedDesign();
    }
    if (subEvaluationIndex > 0) {
        if (sensitivitiesComeWithResponses()) {
            keepSensitivities(g); // a trial's, in case it becomes the next base point
        }
        return checkIterationLimit(); // a perturbation or a line-search trial
    }
    takeLatestAsBasePoint(g);
    basePointToJudge = true;
    return StepCode::Continue;
}

bool SequentialQuadraticProgramming::sensitivitiesComeWithResponses() const
{
    return settings().gradientMode != 1 && settings().gradientMode != 3;
}

void SequentialQuadraticProgramming::keepHostResponses(const double* f)
{
    latestHostDesign.clear();
    latestHostResponses.clear();
    if (isDataSetMode()) {
        return; // the responses stay in the data set
    }
    for (const DesignVariable& variable : designVariables) {
        latestHostDesign.push_back(variable.value); // caller units while published
    }
    latestHostResponses.assign(f, f + nResponses);
}

void SequentialQuadraticProgramming::noteFailure()
{
    // Judged on the responses as received, before normalising: the marker of a
    // failed evaluation is a host value, whatever the row's scale.
    latestFailed = false;
    for (int j = 0; j < nResponses && !latestFailed; ++j) {
        const double value = responseRows[static_cast<std::size_t>(j)].value;
        if (isFailedResponse(value)) {
            latestFailed = true;
            failure = "RESPONSE " + std::to_string(j) + " IS " + describeValue(value);
        }
    }
}

StepCode SequentialQuadraticProgramming::receiveFailedEvaluation()
{
    if (lastGoodDesign.empty() && backOffs < kStartRetries) {
        // The start failed: there is no design to go back to, but a failure that
        // comes and goes (a lost licence, a crashed node) may pass.
        ++backOffs;
        basePointToRetry = true;
        return StepCode::Continue;
    }
    if (lastGoodDesign.empty()) {
        printToConsole(" INTERRUPT DESIGN OPTIMIZATION: " + failure +
                       " AT THE START DESIGN !!\n");
        for (ResponseRow& row : responseRows) {
            row.acceptedValue = row.value;
        }
        feasible = false;
        return StepCode::Finished;
    }
    if (snapEvaluationPending) {
        snapEvaluationPending = false;
        return stopAtLastGoodDesign("THE DESIGN ROUNDED TO THE ALLOWED LEVELS", false);
    }
    if (backOffs >= kMaxBackOffs) {
        return stopAtLastGoodDesign("THE DESIGN BACKED OFF " + std::to_string(kMaxBackOffs) +
                                        " TIMES",
                                    false);
    }
    if (subEvaluationIndex == 0) {
        ++backOffs;
        basePointToRetry = true; // halfway back to the last good design, next step
        return StepCode::Continue;
    }
    // A perturbation is published again closer to the design by the gradient
    // step; a line-search trial counts as rejected.
    return checkIterationLimit();
}

StepCode SequentialQuadraticProgramming::stopAtLastGoodDesign(const std::string& what,
                                                              bool prepareNow)
{
    printToConsole(" INTERRUPT DESIGN OPTIMIZATION: " + failure + " AT " + what +
                   "; THE LAST EVALUATED DESIGN IS RETURNED !!\n");
    returnLastGoodDesign = true;
    for (ResponseRow& row : responseRows) {
        row.value = row.acceptedValue;
    }
    if (prepareNow) {
        prepareFinalDesign();
    }
    return StepCode::Finished;
}

void SequentialQuadraticProgramming::acceptLatestResponses()
{
    feasible = true;
    for (int j = 0; j < nResponses; ++j) {
        ResponseRow& row = responseRows[static_cast<std::size_t>(j)];
        row.acceptedValue = row.value;
        if (j != objectiveRow && !(row.acceptedValue <= settings().constraintTolerance)) {
            feasible = false;
        }
    }
    returnedResponses = latestHostResponses;
    returnedDesign = latestHostDesign;
}

void SequentialQuadraticProgramming::takeLatestAsBasePoint(double** g)
{
    acceptLatestResponses();
    if (sensitivitiesComeWithResponses()) {
        if (g != nullptr || isDataSetMode()) {
            keepSensitivities(g);
        }
        evaluateGradients();
    }
}

StepCode SequentialQuadraticProgramming::judgeBasePoint()
{
    const SQPParameter& p = settings();
    lastGoodDesign.clear();
    for (const DesignVariable& variable : designVariables) {
        lastGoodDesign.push_back(variable.accepted);
    }
    recordConstraintHistory();
    record.relativeChange = 1.0;
    const bool converged = objectiveConverged();
    writeIterationOutput(isFirstIteration());
    if (converged) {
        return endRun();
    }
    if (iterationCount >= p.maxIterations) {
        messageList.emplace_back(kIterationLimitMessage);
        return endRun();
    }
    return checkIterationLimit();
}

bool SequentialQuadraticProgramming::stoppedOnBudget() const
{
    return std::find(messageList.begin(), messageList.end(), kIterationLimitMessage) !=
           messageList.end();
}

StepCode SequentialQuadraticProgramming::endRun()
{
    prepareFinalDesign();
    if (finalDesignWasEvaluated()) {
        return StepCode::Finished;
    }
    // A discrete variable moved to an allowed level (or a start outside a fixed
    // variable's bound was never evaluated where the engine holds it): the host
    // evaluates the design it will receive, so that f and the feasible flag
    // describe it.
    snapEvaluationPending = true;
    return StepCode::Evaluate;
}

bool SequentialQuadraticProgramming::finalDesignWasEvaluated() const
{
    const bool compareWithHost = returnedDesign.size() == designVariables.size();
    for (std::size_t i = 0; i < designVariables.size(); ++i) {
        const DesignVariable& variable = designVariables[i];
        if (variable.value != variable.accepted) {
            return false;
        }
        if (!compareWithHost) {
            continue;
        }
        // Publishing converts through normalised coordinates: allow its rounding.
        const double published = variable.toCallerUnits(variable.value);
        const double tolerance = 1e-12 * std::max(1.0, std::fabs(published));
        if (!(std::fabs(published - returnedDesign[i]) <= tolerance)) {
            return false;
        }
    }
    return true;
}

StepCode SequentialQuadraticProgramming::receiveSnappedDesign()
{
    snapEvaluationPending = false;
    snapEvaluated = true;
    acceptLatestResponses();
    finalDesignPrepared = false;
    return StepCode::Finished;
}

void SequentialQuadraticProgramming::recordConstraintHistory()
{
    record.iteration = iterationCount;
    record.objective = physical(objectiveRow, responseRows[0].acceptedValue);
    record.largestConstraint = 0.0;
    record.violationPercent = 0.0;
    if (constraintCount() < 1) {
        return;
    }
    int worst = 1;
    for (int j = 2; j < nResponses; ++j) {
        if (responseRows[static_cast<std::size_t>(j)].acceptedValue >
            responseRows[static_cast<std::size_t>(worst)].acceptedValue) {
            worst = j;
        }
    }
    const ResponseRow& row = responseRows[static_cast<std::size_t>(worst)];
    const double value = physical(worst, row.acceptedValue);
    record.largestConstraint = value;
    if (row.acceptedValue < settings().constraintTolerance) {
        return;
    }
    record.violationPercent = std::fabs(row.limit) >= kNumericZero
                                  ? std::fabs(value / row.limit - 1.0) * 100.0
                                  : std::fabs(value) * 100.0;
}

bool SequentialQuadraticProgramming::objectiveConverged()
{
    if (!isFirstIteration()) {
        const double current = responseRows[0].acceptedValue;
        const double previous = responseRows[0].previousValue;
        // A zero objective leaves the relative change undefined: no convergence.
        record.relativeChange =
            current == 0.0 ? kInfinity : std::fabs((current - previous) / current);
    }
    if (rules.objectiveTestOnFullStepsOnly && record.lineSearchTrials > 1) {
        return false;
    }
    return record.relativeChange <= settings().objectiveTolerance && feasible;
}

std::vector<ResponseRow> SequentialQuadraticProgramming::physicalRows() const
{
    std::vector<ResponseRow> rows = responseRows;
    for (int j = 0; j < nResponses; ++j) {
        rows[static_cast<std::size_t>(j)].value =
            physical(j, responseRows[static_cast<std::size_t>(j)].acceptedValue);
    }
    return rows;
}

void SequentialQuadraticProgramming::writeIterationOutput(bool firstBasePoint)
{
    // The base point's design is normalised here (value equals accepted).
    if (firstBasePoint) {
        report.writeState(designVariables, physicalRows(), false, true);
    } else {
        report.writeIteration(RunReport::designTriples(designVariables, true),
                              RunReport::responsePairs(physicalRows()), iterationCount);
    }
    if (!isDataSetMode()) {
        return;
    }
    const SQPParameter& p = settings();
    statusLine.setField(100, record.iteration);
    statusLine.setField(105, record.objective);
    statusLine.setField(103, record.largestConstraint);
    statusLine.setField(104, record.violationPercent);
    statusLine.setField(101, record.relativeChange, p.objectiveTolerance);
    statusLine.setField(102, record.stepNorm, p.stepTolerance);
    statusLine.setField(106, record.lineSearchTrials);
    statusLine.print();
}

// ------------------------------------------------------------ gradient step

StepCode SequentialQuadraticProgramming::beginIteration(double*, double*, double** g)
{
    const SQPParameter& p = settings();
    if (basePointToRetry) {
        basePointToRetry = false;
        return retryBasePoint();
    }
    if (latestFailed && subEvaluationIndex > 0) {
        ++backOffs;
        return retryPerturbation(p.finiteDifferenceStep);
    }
    if (basePointToJudge) {
        // The convergence tests run once per base point, whether it was just
        // evaluated or taken over from the accepted line-search trial.
        basePointToJudge = false;
        const StepCode verdict = judgeBasePoint();
        if (verdict != StepCode::Continue) {
            return verdict;
        }
    }
    return gradientStep(p.gradientMode, p.finiteDifferenceStep, g);
}

void SequentialQuadraticProgramming::announceDesigns(int limit,
                                                     std::vector<double>& designs) const
{
    if (settings().gradientMode == 1 && !latestFailed) {
        announcePerturbations(settings().finiteDifferenceStep, limit, designs);
    }
}

LookAheadRole SequentialQuadraticProgramming::lookAheadRole() const
{
    if (latestFailed) {
        return LookAheadRole::Inserted; // a retry, or the end after failures
    }
    return evaluationCount >= kEvaluationLimit ? LookAheadRole::Withdrawn
                                               : LookAheadRole::Announced;
}

StepCode SequentialQuadraticProgramming::retryBasePoint()
{
    // The failed design is the accepted one here; the retry lies halfway back
    // along the step that led to it (the start itself is evaluated again).
    for (std::size_t i = 0; i < designVariables.size(); ++i) {
        DesignVariable& variable = designVariables[i];
        variable.value = lastGoodDesign.empty() ? variable.accepted
                                                : 0.5 * (lastGoodDesign[i] + variable.accepted);
    }
    subEvaluationIndex = 0;
    return StepCode::Evaluate;
}

// ----------------------------------------------------------- Hessian update

void SequentialQuadraticProgramming::prepareStep()
{
    if (isFirstIteration()) {
        b = Matrix::identity(nDesignVariables);
        return;
    }
    dampedBfgsUpdate();
}

void SequentialQuadraticProgramming::dampedBfgsUpdate()
{
    const int n = nDesignVariables;
    std::vector<double> s(static_cast<std::size_t>(n));
    std::vector<double> y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const DesignVariable& variable = designVariables[static_cast<std::size_t>(i)];
        s[i] = variable.accepted - variable.startCopy;
        double change = gradient(0, i) - previousGradient(0, i);
        for (int j = 1; j < nResponses; ++j) {
            change += (gradient(j, i) - previousGradient(j, i)) * v[static_cast<std::size_t>(j - 1)];
        }
        y[i] = change;
    }
    const std::vector<double> bs = multiply(previousB, s);
    const double sBs = dot(s, bs);
    const double sy = dot(s, y);
    b = previousB;
    if (!(sBs > 0.0)) {
        return; // no step, no curvature information
    }
    const double theta =
        sy >= kDampingThreshold * sBs ? 1.0 : kDampedCurvature * sBs / (sBs - sy);
    std::vector<double> eta(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        eta[i] = theta * y[i] + (1.0 - theta) * bs[i];
    }
    const double sEta = dot(s, eta);
    if (!(sEta > 0.0) || !std::isfinite(sEta)) {
        return;
    }
    for (int row = 0; row < n; ++row) {
        for (int column = 0; column < n; ++column) {
            b(row, column) += eta[row] * eta[column] / sEta - bs[row] * bs[column] / sBs;
        }
    }
}

// -------------------------------------------------------- direction finding

StepCode SequentialQuadraticProgramming::computeStep(double* x, double*, double**)
{
    if (!allFinite(gradient) || !allFinite(b)) {
        printToConsole(" INTERRUPT DESIGN OPTIMIZATION: THE GRADIENTS ARE NOT FINITE; THE "
                       "CURRENT DESIGN IS RETURNED !!\n");
        return endRun();
    }
    const SQPParameter& p = settings();
    if (iterationCount < p.relaxIterations) {
        testLargeViolation();
    }
    DualActiveSetQP::Problem problem = buildSubproblem();
    const int iterationLimit =
        DualActiveSetQP::standardIterationLimit(problem.rows.rows(), nDesignVariables);
    solveMoveLimits.clear();
    double moveLimit = p.moveLimit; // a working copy: the stored limit is not changed here
    DualActiveSetQP::Solution solution;
    for (;;) {
        const double box = std::min(moveLimit, 1.0);
        setStepBox(problem, box);
        solveMoveLimits.push_back(box);
        solution = qpSolver.solve(problem, 0.0, iterationLimit);
        const int status = static_cast<int>(solution.status);
        if (status == 0 || status > 2) {
            break;
        }
        if (moveLimit > 1.0) {
            printToConsole(" INTERRUPT DESIGN OPTIMIZATION DUE TO INCOMPATIBLE CONSTRAINTS !!\n");
            handOverCurrentDesign(x);
            return StepCode::Error;
        }
        moveLimit *= 2.0;
    }
    storeStep(solution);
    record.stepNorm = std::sqrt(dot(d, d));
    if (record.stepNorm <= p.stepTolerance) {
        return endRun();
    }
    return StepCode::Continue;
}

void SequentialQuadraticProgramming::testLargeViolation()
{
    double largest = 0.0;
    for (int j = 1; j < nResponses; ++j) {
        const ResponseRow& row = responseRows[static_cast<std::size_t>(j)];
        if (std::fabs(row.limit) < kNumericZero) {
            continue;
        }
        largest = std::max(largest, row.acceptedValue - 1.0);
    }
    if (largest > settings().violationThreshold) {
        skipLineSearch = true;
    }
}

DualActiveSetQP::Problem SequentialQuadraticProgramming::buildSubproblem()
{
    const SQPParameter& p = settings();
    const int n = nDesignVariables;
    DualActiveSetQP::Problem problem;
    problem.hessian = b;
    problem.linear = gradient.row(0);
    selectedConstraints.clear();
    std::vector<double> offsets;
    for (int j = 1; j < nResponses; ++j) {
        const double g = responseRows[static_cast<std::size_t>(j)].acceptedValue;
        const bool nearActive = g + p.constraintTolerance >= 0.0;
        if (p.constraintSelection != 1 && !nearActive) {
            continue;
        }
        selectedConstraints.push_back(j - 1);
        offsets.push_back(nearActive ? -kActiveLinearisationFactor * g : -g);
    }
    const int rows = static_cast<int>(selectedConstraints.size());
    problem.rows = Matrix(rows, n);
    for (int k = 0; k < rows; ++k) {
        const int j = selectedConstraints[static_cast<std::size_t>(k)] + 1;
        for (int i = 0; i < n; ++i) {
            problem.rows(k, i) = -gradient(j, i);
        }
    }
    problem.offsets = offsets;
    problem.nEqualities = 0;
    return problem;
}

void SequentialQuadraticProgramming::setStepBox(DualActiveSetQP::Problem& problem,
                                                double moveLimit) const
{
    const auto n = static_cast<std::size_t>(nDesignVariables);
    problem.lower.assign(n, 0.0);
    problem.upper.assign(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const double x = designVariables[i].accepted;
        double lower = std::max(-x, -moveLimit);
        double upper = std::min(1.0 - x, moveLimit);
        if (lower > upper) {
            // Outside the unit box: the only step allowed is back onto the bound.
            lower = upper = x > 1.0 ? 1.0 - x : -x;
        }
        problem.lower[i] = lower;
        problem.upper[i] = upper;
    }
}

void SequentialQuadraticProgramming::storeStep(const DualActiveSetQP::Solution& solution)
{
    d = solution.step;
    d.resize(static_cast<std::size_t>(nDesignVariables), 0.0);
    std::fill(u.begin(), u.end(), 0.0);
    for (std::size_t k = 0; k < selectedConstraints.size() && k < solution.rowMultipliers.size();
         ++k) {
        u[static_cast<std::size_t>(selectedConstraints[k])] = solution.rowMultipliers[k];
    }
}

// -------------------------------------------------------------- line search

StepCode SequentialQuadraticProgramming::updateStep()
{
    if (skipLineSearch) {
        return takeWholeStep();
    }
    if (lineSearchTrials == 0) {
        return startLineSearch();
    }
    return judgeTrial();
}

StepCode SequentialQuadraticProgramming::startLineSearch()
{
    updatePenalties();
    alpha = settings().initialStepLength;
    meritAtStart = merit(true);
    bestTrialStepLength = alpha;
    bestTrialMerit = kInfinity;
    lineSearchTrials = 1;
    record.lineSearchTrials = lineSearchTrials;
    setTrialDesign(alpha);
    subEvaluationIndex = lineSearchTrials;
    return StepCode::Evaluate;
}

StepCode SequentialQuadraticProgramming::judgeTrial()
{
    const SQPParameter& p = settings();
    const double trialMerit = latestFailed ? kInfinity : merit(false);
    const bool feasibleTrial =
        !latestFailed && (parameterOption() != 1 || latestSatisfiesConstraints());
    if (trialMerit < bestTrialMerit) {
        bestTrialMerit = trialMerit;
        bestTrialStepLength = alpha;
    }
    const bool searchedLongEnough = lineSearchTrials >= p.maxLineSearchTrials;
    if (rules.failedSearchEndsRun && searchedLongEnough && !(bestTrialMerit < meritAtStart)) {
        lineSearchTrials = 0;
        return endRun(); // the current design is the best the gradients at hand can give
    }
    if (feasibleTrial && (trialMerit < meritAtStart || searchedLongEnough)) {
        acceptedTrialEvaluated = true;
        return acceptTrial(alpha);
    }
    if (lineSearchTrials >= p.maxLineSearchTrials + kExtraFeasibilityTrials) {
        if (!(bestTrialMerit < kInfinity)) {
            return stopAtLastGoodDesign("EVERY TRIAL OF THE LINE SEARCH", true);
        }
        setTrialDesign(bestTrialStepLength);
        acceptedTrialEvaluated = bestTrialStepLength == alpha;
        return acceptTrial(bestTrialStepLength);
    }
    alpha *= p.stepReduction;
    ++lineSearchTrials;
    record.lineSearchTrials = lineSearchTrials;
    setTrialDesign(alpha);
    subEvaluationIndex = lineSearchTrials;
    return StepCode::Evaluate;
}

StepCode SequentialQuadraticProgramming::acceptTrial(double acceptedStepLength)
{
    adaptMoveLimit();
    lastStepLength = acceptedStepLength;
    lineSearchTrials = 0;
    updateMultiplierEstimates(acceptedStepLength);
    alpha = settings().initialStepLength;
    return StepCode::Continue;
}

StepCode SequentialQuadraticProgramming::takeWholeStep()
{
    updatePenalties();
    alpha = settings().initialStepLength;
    setTrialDesign(alpha);
    acceptedTrialEvaluated = false;
    record.lineSearchTrials = 0;
    lastStepLength = alpha;
    updateMultiplierEstimates(alpha);
    return StepCode::Continue;
}

void SequentialQuadraticProgramming::updatePenalties()
{
    const bool first = isFirstIteration();
    for (std::size_t j = 0; j < r.size(); ++j) {
        const double magnitude = std::fabs(u[j]);
        if (first) {
            r[j] = magnitude;
            continue;
        }
        previousR[j] = r[j];
        r[j] = std::max(0.5 * (r[j] + magnitude), magnitude);
    }
}

void SequentialQuadraticProgramming::updateMultiplierEstimates(double acceptedStepLength)
{
    for (std::size_t j = 0; j < v.size(); ++j) {
        v[j] += acceptedStepLength * (u[j] - v[j]);
    }
}

void SequentialQuadraticProgramming::adaptMoveLimit()
{
    SQPParameter& p = mutableSettings();
    const double factor =
        lineSearchTrials < 2 ? 1.0 + p.moveLimitFactor : 1.0 - p.moveLimitFactor;
    p.moveLimit = std::clamp(p.moveLimit * factor, p.minMoveLimit, p.maxMoveLimit);
}

void SequentialQuadraticProgramming::setTrialDesign(double stepLength)
{
    for (std::size_t i = 0; i < designVariables.size(); ++i) {
        DesignVariable& variable = designVariables[i];
        variable.value = std::clamp(variable.accepted + stepLength * d[i], 0.0, 1.0);
    }
}

double SequentialQuadraticProgramming::merit(bool atCurrentDesign) const
{
    const auto valueOf = [&](int j) {
        const ResponseRow& row = responseRows[static_cast<std::size_t>(j)];
        return atCurrentDesign ? row.acceptedValue : row.value;
    };
    double phi = valueOf(objectiveRow);
    for (int j = 1; j < nResponses; ++j) {
        const double penalty = r[static_cast<std::size_t>(j - 1)];
        if (!(penalty > 0.0)) {
            continue;
        }
        const double multiplier = u[static_cast<std::size_t>(j - 1)];
        const double g = valueOf(j);
        if (multiplier / penalty + g >= 0.0) {
            const double weight = rules.violationWeightedByPenalty ? penalty : multiplier;
            phi += weight * std::fabs(g) + 0.5 * penalty * g * g;
        } else {
            phi += 0.5 * multiplier * multiplier / penalty;
        }
    }
    return phi;
}

bool SequentialQuadraticProgramming::latestSatisfiesConstraints() const
{
    for (int j = 1; j < nResponses; ++j) {
        if (!(responseRows[static_cast<std::size_t>(j)].value <= settings().constraintTolerance)) {
            return false;
        }
    }
    return true;
}

// --------------------------------------------------------------- acceptance

StepCode SequentialQuadraticProgramming::endIteration(double*)
{
    for (DesignVariable& variable : designVariables) {
        variable.startCopy = variable.accepted;
        variable.accepted = variable.value;
    }
    ++iterationCount;
    for (ResponseRow& row : responseRows) {
        row.previousValue = row.acceptedValue;
    }
    previousGradient = gradient;
    previousB = b;
    subEvaluationIndex = 0;
    if (!acceptedTrialEvaluated) {
        return StepCode::Evaluate; // the design was never evaluated (a whole step)
    }
    // The accepted trial's responses are the new base point's: the design is not
    // evaluated again. The sensitivities kept with the trial serve likewise.
    acceptedTrialEvaluated = false;
    takeLatestAsBasePoint(nullptr);
    basePointToJudge = true;
    return StepCode::Continue;
}

// ------------------------------------------------------------------- finish

void SequentialQuadraticProgramming::finish(double*)
{
    // Reached after a step's result (the final design is already prepared and
    // published, in caller units) or after the responses ended the run (the
    // design is still normalised and is prepared here).
    const bool valuesNormalised = !finalDesignPrepared;
    if (!finalDesignPrepared) {
        prepareFinalDesign();
    }
    messageList.emplace_back(feasible ? " FEASIBLE OPTIMUM \n" : " INFEASIBLE OPTIMUM \n");
    report.writeState(designVariables, physicalRows(), true, valuesNormalised);
    phase = EnginePhase::Stopped;
}

void SequentialQuadraticProgramming::prepareFinalDesign()
{
    for (std::size_t i = 0; i < designVariables.size(); ++i) {
        DesignVariable& variable = designVariables[i];
        const double base = returnLastGoodDesign ? lastGoodDesign[i] : variable.accepted;
        variable.value = variable.isDiscrete() && !snapEvaluated && !returnLastGoodDesign
                             ? snapToLevel(variable, base, static_cast<int>(i))
                             : base;
    }
    finalDesignPrepared = true;
}

double SequentialQuadraticProgramming::snapToLevel(const DesignVariable& variable, double value,
                                                   int index) const
{
    std::vector<double> levels = variable.levels;
    std::sort(levels.begin(), levels.end());
    if (levels.size() == 1 || value <= levels.front()) {
        return levels.front();
    }
    if (value >= levels.back()) {
        return levels.back();
    }
    const auto above = std::upper_bound(levels.begin(), levels.end(), value);
    const double below = *(above - 1);
    if (value == below) {
        return below;
    }
    // Round towards where the active and violated constraints fall.
    double slope = 0.0;
    for (int j = 1; j < nResponses; ++j) {
        if (responseRows[static_cast<std::size_t>(j)].acceptedValue +
                settings().constraintTolerance > 0.0) {
            slope += gradient(j, index);
        }
    }
    return slope >= 0.0 ? below : *above;
}

// ------------------------------------------------------------ option, state

void SequentialQuadraticProgramming::setParameterOption(int value)
{
    mutableSettings().option = value;
}

int SequentialQuadraticProgramming::parameterOption() const
{
    return settings().option;
}

void SequentialQuadraticProgramming::saveState(SQPState& state) const
{
    GradientBased::saveState(state);
    state.hessian.clear();
    state.previousHessian.clear();
    for (int row = 0; row < nDesignVariables; ++row) {
        for (int column = 0; column < nDesignVariables; ++column) {
            state.hessian.push_back(b(row, column));
            state.previousHessian.push_back(previousB(row, column));
        }
    }
    state.penalties = r;
    state.previousPenalties = previousR;
    state.multipliers = u;
    state.multiplierEstimates = v;
    state.selectedConstraints = selectedConstraints;
    state.meritAtStart = meritAtStart;
    state.stepLength = alpha;
    state.lastStepLength = lastStepLength;
    state.moveLimit = settings().moveLimit;
    state.lineSearchTrials = lineSearchTrials;
    state.bestTrialStepLength = bestTrialStepLength;
    state.bestTrialMerit = bestTrialMerit;
    state.skipLineSearch = skipLineSearch;
    state.acceptedTrialEvaluated = acceptedTrialEvaluated;
    state.snapEvaluationPending = snapEvaluationPending;
    state.snapEvaluated = snapEvaluated;
    state.backOffs = backOffs;
    state.lastGoodDesign = lastGoodDesign;
    state.returnLastGoodDesign = returnLastGoodDesign;
    state.latestHostResponses = latestHostResponses;
    state.latestHostDesign = latestHostDesign;
    state.returnedResponses = returnedResponses;
    state.returnedDesign = returnedDesign;
    state.relativeChange = record.relativeChange;
    state.stepNorm = record.stepNorm;
    state.reportedLineSearchTrials = record.lineSearchTrials;
    state.messages = messageList;
}

void SequentialQuadraticProgramming::restoreState(const SQPState& state)
{
    GradientBased::restoreState(state);
    const auto n = static_cast<std::size_t>(nDesignVariables);
    if (state.hessian.size() == n * n && state.previousHessian.size() == n * n) {
        for (std::size_t row = 0; row < n; ++row) {
            for (std::size_t column = 0; column < n; ++column) {
                b(static_cast<int>(row), static_cast<int>(column)) = state.hessian[row * n + column];
                previousB(static_cast<int>(row), static_cast<int>(column)) =
                    state.previousHessian[row * n + column];
            }
        }
    }
    const std::size_t m = u.size();
    if (state.penalties.size() == m && state.previousPenalties.size() == m &&
        state.multipliers.size() == m && state.multiplierEstimates.size() == m) {
        r = state.penalties;
        previousR = state.previousPenalties;
        u = state.multipliers;
        v = state.multiplierEstimates;
    }
    selectedConstraints.clear();
    for (int j : state.selectedConstraints) {
        if (j >= 0 && j < static_cast<int>(m)) {
            selectedConstraints.push_back(j);
        }
    }
    meritAtStart = state.meritAtStart;
    alpha = state.stepLength;
    lastStepLength = state.lastStepLength;
    if (state.moveLimit > 0.0) {
        mutableSettings().moveLimit = state.moveLimit;
    }
    lineSearchTrials = std::max(0, state.lineSearchTrials);
    bestTrialStepLength = state.bestTrialStepLength;
    bestTrialMerit = state.bestTrialMerit;
    skipLineSearch = state.skipLineSearch;
    acceptedTrialEvaluated = state.acceptedTrialEvaluated;
    snapEvaluationPending = state.snapEvaluationPending;
    snapEvaluated = state.snapEvaluated;
    const auto sizedOrEmpty = [](const std::vector<double>& values, std::size_t size) {
        return values.size() == size ? values : std::vector<double>();
    };
    backOffs = std::max(0, state.backOffs);
    lastGoodDesign = sizedOrEmpty(state.lastGoodDesign, n);
    returnLastGoodDesign = state.returnLastGoodDesign && !lastGoodDesign.empty();
    const auto rows = static_cast<std::size_t>(nResponses);
    latestHostResponses = sizedOrEmpty(state.latestHostResponses, rows);
    latestHostDesign = sizedOrEmpty(state.latestHostDesign, n);
    returnedResponses = sizedOrEmpty(state.returnedResponses, rows);
    returnedDesign = sizedOrEmpty(state.returnedDesign, n);
    record.relativeChange = state.relativeChange;
    record.stepNorm = state.stepNorm;
    record.lineSearchTrials = state.reportedLineSearchTrials;
    messageList = state.messages;
}

} // namespace Opt
