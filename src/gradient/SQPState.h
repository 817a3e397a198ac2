#pragma once

#include <string>
#include <vector>

namespace Opt {

// The iteration state of an SQP engine as plain values, for runs split over
// several calls: the engine's save hook fills it after a step that asks for an
// evaluation, and the restore hook of a freshly built engine (same problem, same
// settings) loads it before the step that takes the responses. It holds
// everything the next steps read, so a restored engine publishes exactly the
// designs the original would have. Matrices are stored row by row.
struct SQPState {
    // Per design variable, normalised; the trial design is in caller units while
    // it is published (it is saved as the engine holds it).
    std::vector<double> currentDesign;
    std::vector<double> trialDesign;
    std::vector<double> previousDesign;

    // Per response row (objective first), normalised.
    std::vector<double> latestResponses;
    std::vector<double> currentResponses;
    std::vector<double> previousResponses;
    std::vector<double> scales;

    // Gradient family: G and its previous copy ((m + 1) x n), the step d (n).
    std::vector<double> gradients;
    std::vector<double> previousGradients;
    std::vector<double> step;
    bool gradientRequested = false;
    double differenceStepScale = 1.0;

    // SQP: B and its previous copy (n x n); per constraint the penalty, its
    // previous value, the QP multiplier and the multiplier estimate.
    std::vector<double> hessian;
    std::vector<double> previousHessian;
    std::vector<double> penalties;
    std::vector<double> previousPenalties;
    std::vector<double> multipliers;
    std::vector<double> multiplierEstimates;
    std::vector<int> selectedConstraints;

    // Line-search record.
    double meritAtStart = 0.0;
    double stepLength = 1.0;
    double lastStepLength = 0.0;
    double moveLimit = 0.0;
    int lineSearchTrials = 0;
    double bestTrialStepLength = 0.0;
    double bestTrialMerit = 0.0;

    // Engine counters and flags.
    int phase = 1;
    int subEvaluationIndex = 0;
    int iterationCount = 0;
    int evaluationCount = 1;
    bool evaluationPending = false;
    bool feasible = false;
    bool skipLineSearch = false;
    bool acceptedTrialEvaluated = false;
    bool snapEvaluationPending = false;
    bool snapEvaluated = false;
    // Failed evaluations: consecutive back-offs, the last base point whose
    // responses were good (normalised) and whether the run returns it.
    int backOffs = 0;
    std::vector<double> lastGoodDesign;
    bool returnLastGoodDesign = false;

    // The host's values of the latest evaluation and of the base point, with the
    // designs (caller units) they belong to.
    std::vector<double> latestHostResponses;
    std::vector<double> latestHostDesign;
    std::vector<double> returnedResponses;
    std::vector<double> returnedDesign;

    // The last values of the iteration line.
    double relativeChange = 1.0;
    double stepNorm = 0.0;
    int reportedLineSearchTrials = 0;

    std::vector<std::string> messages;
};

} // namespace Opt
