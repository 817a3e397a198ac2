#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gradient/DualActiveSetQP.h"
#include "gradient/GradientBased.h"
#include "gradient/SQPParameter.h"

namespace Opt {

// Sequential quadratic programming on the normalised design variables: each
// iteration linearises the constraints at the current design, models the
// Lagrangian by a damped BFGS matrix B, solves the QP
//     minimise ½ dᵀBd + ∇fᵀd  subject to  0.9 g_j + ∇g_jᵀd ≤ 0 (g_j near active
//     or violated), g_j + ∇g_jᵀd ≤ 0 (the others), d in the move-limit box,
// and walks along d with a merit-function line search; the accepted trial
// becomes the base point of the next iteration. It runs as a state machine:
// phase 1 the gradient step (preceded by the convergence tests on a new base
// point), phase 2 the Hessian update and the QP, phase 4 the line search,
// phase 5 the acceptance.
//
// References: S.-P. Han, "A globally convergent method for nonlinear
// programming", J. Optim. Theory Appl. 22 (1977); M. J. D. Powell, "A fast
// algorithm for nonlinearly constrained optimization calculations", Lecture
// Notes in Mathematics 630 (1978) - the damped BFGS update and the penalty
// update max(½(r + |u|), |u|); K. Schittkowski, "The nonlinear programming
// method of Wilson, Han and Powell with an augmented Lagrangian type line
// search function", Numer. Math. 38 (1981) - the switched merit function;
// J. Nocedal and S. J. Wright, "Numerical Optimization", 2nd ed., ch. 18. The
// QP is solved by our DualActiveSetQP (Goldfarb-Idnani in Powell's form).
//
// Merit: Φ = f + Σ_{r_j > 0} (r_j|g_j| + ½ r_j g_j² when u_j/r_j + g_j ≥ 0,
// else ½ u_j²/r_j) on normalised responses, with the QP multipliers u and the
// penalties r. The move limit grows by moveLimitFactor after a line search
// accepted at its first trial and shrinks after a longer one, clamped to
// [minMoveLimit, maxMoveLimit]. When a QP fails, the box is doubled (up to the
// whole unit box) and solved again; once the doubled limit exceeds 1 the run is
// interrupted as incompatible.
//
// Deviations from the method's literal rules, each the default:
// - The merit weighs |g_j| by the penalty r_j >= |u_j| (Powell's weighting), not
//   by the multiplier u_j: near a solution u_j|g_j| lets every full step raise
//   the violation a little and the search crawls (HS34 with forward differences
//   ended 5.8e-4 infeasible after 368 evaluations; now solved in about 40).
//   Rules::violationWeightedByPenalty = false restores the multiplier weighting.
// - The accepted trial's responses become the new base point's: the design is
//   not evaluated again (112 of 984 evaluations on our reference problems were
//   such repeats). The convergence tests and the history run on them exactly as
//   on a re-evaluation. A design the line search never evaluated (a whole step
//   after a large violation, or a best trial other than the last) still is.
// - When the run ends, the host's responses of the returned design are handed
//   back in f with it; a design moved by the discrete snap is evaluated once
//   more first, so that f and the feasible flag describe what the host receives.
// - A constraint with limit L is normalised as (r - L)/|L| (r/|L| - 1 judged a
//   lower bound, a negative limit, as met everywhere); the large-violation test
//   reads every limited row's normalised value less 1, as it did for upper
//   limits.
//
// Look-ahead (ours; engine/OptEngine.h): with forward differences, the first
// perturbation of a gradient announces the others. Line-search trials and base
// points depend on the responses before them and announce nothing. A failed
// perturbation's retry comes ahead of the announced ones (Inserted); a run that
// ends on failures or on the evaluation limit withdraws the rest.
//
// Two choices made on purpose:
// - We differentiate with respect to the normalised variables in every
//   gradient mode (see GradientBased), because the QP step, its box and the
//   trial point are all normalised: a G with respect to the physical variables
//   mis-scales every linearised constraint by ub - lb. On our sixteen
//   Hock-Schittkowski reference problems, physical derivatives solve 3 (forward
//   differences) and 4 (host gradients); the others end interrupted as
//   incompatible or far from the optimum.
// - The line search's reference merit Φ0 is the merit at the current
//   (base-point) design, not at the most recently evaluated responses, because
//   with forward differences those belong to the last perturbed design: the
//   perturbation offsets Φ0 by about h·∂Φ/∂x_i, which near an optimum with a
//   large bound multiplier exceeds every remaining decrease and stalls the
//   run. In the other gradient modes both are the same design.
//
// Decisions where behaviour was open:
// - Large violation (skip-line-search flag): the QP step is taken whole, at
//   initialStepLength, without a merit test; the penalties and multiplier
//   estimates are updated as after an accepted search, the move limit is
//   left alone (there was no search to judge it by). The flag stays set, so
//   the run goes on by full steps; it ends by the usual tests or the
//   iteration limit, and every step reduces the linearised violation.
// - Feasibility required (option 1) and no trial feasible: the search goes on
//   for 10 trials beyond maxLineSearchTrials, then accepts the trial with the
//   lowest merit it has seen (and shrinks the move limit as after any long
//   search), so every line search ends and the next iteration starts from the
//   best point the search found.
// - A failed evaluation (a response that is NaN, infinite or the failed-
//   evaluation marker 1e100) is data, not the end of the run: a failed
//   line-search trial counts as rejected; a failed perturbation is published
//   again at half its step (and differenced over that step); a failed base point
//   is replaced by the point halfway back to the last good one; a failed start
//   is evaluated again up to kStartRetries times. After kMaxBackOffs failures in
//   a row, a line search whose every trial failed, or a failed snapped design,
//   the run ends with a console message and returns the last base point whose
//   responses were good (x, f and the feasible flag all describe it).
// - An interrupt for incompatible constraints hands the current design, not
//   the last perturbed one, to the caller's x, so that x and the feasible flag
//   describe the same design.
// - The first trial is current x + alpha·d with alpha = initialStepLength
//   (the full step with the default 1).
// - B starts as the identity and the penalties as |u| in the engine's first
//   iteration (iterationCount == startIteration), so a run that starts at a
//   later iteration count is initialised too. The BFGS update is skipped when
//   sᵀBs is not positive (a zero step), which keeps B positive definite.
// - A design outside its box (a start outside the bounds) gets a step box that
//   holds only the step back onto the violated bound.
// - In host-array mode the objective row's sign follows the goal in every
//   gradient mode, and the constraint rows' signs are +1.
// - After a gradient request the pending evaluation consumes no responses:
//   the host only filled the gradient array.
// - The message list (" MAXIMUM ITERATION REACHED.", " FEASIBLE OPTIMUM \n",
//   ...) stays in the engine (messages()); it is not part of the console report.
// - Data-set mode prints the iteration line after every evaluation of a base
//   point, the start included.
// - Discrete variables snap to their allowed interior levels.
// - The save and restore hooks carry the whole iteration state (SQPState),
//   not only d, B, the penalties, multipliers, counters and line-search
//   record: with G, the three response and design sets and the flags as well,
//   a freshly built engine that restores it publishes exactly the designs an
//   unbroken run would, at any evaluation request (perturbations included).
// - The interrupt messages go to the console at every report level of 0 or
//   more; an engine built with a negative report level (a local search inside
//   another engine) prints nothing at all.
class SequentialQuadraticProgramming : public GradientBased {
public:
    static constexpr int kMethodCode = 0;
    // Trials beyond maxLineSearchTrials while feasibility is required, or while
    // every trial has failed.
    static constexpr int kExtraFeasibilityTrials = 10;
    // Consecutive failed evaluations of a base point or of a perturbation, each
    // retried at half the distance, before the run ends at the last good design.
    static constexpr int kMaxBackOffs = 10;
    // Further evaluations of a start whose evaluation failed.
    static constexpr int kStartRetries = 2;
    // Factor on the linearisation of near-active and violated constraints.
    static constexpr double kActiveLinearisationFactor = 0.9;

    // Fixed rules of the method, open to change from C++ only, for the
    // benchmark's experiments; every default is the rule as the method states it.
    struct Rules {
        // Weight of |g_j| in the merit: the penalty r_j >= |u_j| (true, Powell's
        // weighting of violations) or the QP multiplier u_j (false).
        bool violationWeightedByPenalty = true;
        // After maxLineSearchTrials trials without a merit decrease the last
        // (feasible) trial is accepted (false), or the run ends at the current
        // design (true). With forward differences near a valley's floor the
        // difference error outweighs the gradient, d ascends, and accepting the
        // last trial walks the run uphill until the iteration limit (HS1).
        bool failedSearchEndsRun = false;
        // The relative objective change ends the run after any accepted step
        // (false), or only after a search accepted at its first trial (true): a
        // step shortened a hundredfold changes the objective by little wherever
        // it is (HS37 with forward differences stopped 1.6e-3 from its optimum).
        // Without failedSearchEndsRun a run whose searches all fail near the
        // optimum then never converges.
        bool objectiveTestOnFullStepsOnly = false;
    };
    void setRules(const Rules& newRules) { rules = newRules; }

    // Values of the iteration line (run report codes 100 to 106).
    struct IterationRecord {
        int iteration = 0;
        double relativeChange = 1.0;
        double stepNorm = 0.0;
        double largestConstraint = 0.0; // physical units
        double violationPercent = 0.0;
        double objective = 0.0;         // physical units
        int lineSearchTrials = 0;
    };

    // Host-array mode: reals and ints hold the 12 entries each of SQPParameter.
    SequentialQuadraticProgramming(const std::vector<double>& start,
                                   const std::vector<std::vector<double>>& bounds,
                                   int nResponses, const std::vector<double>& reals,
                                   const std::vector<int>& ints, int reportLevel);
    // Data-set mode: the response table comes from the data set.
    SequentialQuadraticProgramming(std::shared_ptr<DataSet> dataSet,
                                   const std::vector<double>& reals, const std::vector<int>& ints);

    void evaluateObjective() override;
    StepCode receiveResponses(const double* f, double** g) override;
    StepCode beginIteration(double* x, double* f, double** g) override;
    void prepareStep() override;
    StepCode computeStep(double* x, double* f, double** g) override;
    StepCode updateStep() override;
    StepCode endIteration(double* x) override;
    void finish(double* x) override;
    void setParameterOption(int option) override;
    int parameterOption() const override;
    void restoreState(const SQPState& state) override;
    void saveState(SQPState& state) const override;
    LookAheadRole lookAheadRole() const override;

    const SQPParameter& settings() const
    {
        return static_cast<const SQPParameter&>(*parameter);
    }
    const Matrix& hessian() const { return b; }
    const std::vector<double>& multipliers() const { return u; }
    const std::vector<double>& penalties() const { return r; }
    const IterationRecord& lastRecord() const { return record; }
    const std::vector<std::string>& messages() const { return messageList; }
    // True once the iteration limit has ended the run.
    bool stoppedOnBudget() const override;
    // The move limit of each QP solve of the last direction finding, in order.
    const std::vector<double>& moveLimitsTried() const { return solveMoveLimits; }
    bool skipsLineSearch() const { return skipLineSearch; }

protected:
    void announceDesigns(int limit, std::vector<double>& designs) const override;

private:
    SQPParameter& mutableSettings() { return static_cast<SQPParameter&>(*parameter); }
    void loadSettings(const std::vector<double>& reals, const std::vector<int>& ints);
    void sizeIterationStorage();
    void registerStatusFields();
    bool isFirstIteration() const;
    int constraintCount() const { return nResponses - 1; }

    void printToConsole(const std::string& text) const;
    void noteFailure();
    StepCode receiveFailedEvaluation();
    StepCode stopAtLastGoodDesign(const std::string& what, bool prepareNow);
    StepCode retryBasePoint();
    bool sensitivitiesComeWithResponses() const;
    void keepHostResponses(const double* f);
    // The latest responses become the current ones (feasible flag, the host's
    // values to hand back); a base point also takes its sensitivities.
    void acceptLatestResponses();
    void takeLatestAsBasePoint(double** g);
    StepCode judgeBasePoint();
    StepCode endRun();
    bool finalDesignWasEvaluated() const;
    StepCode receiveSnappedDesign();
    void recordConstraintHistory();
    bool objectiveConverged();
    void writeIterationOutput(bool firstBasePoint);
    std::vector<ResponseRow> physicalRows() const;

    void dampedBfgsUpdate();
    void testLargeViolation();
    DualActiveSetQP::Problem buildSubproblem();
    void setStepBox(DualActiveSetQP::Problem& problem, double moveLimit) const;
    void storeStep(const DualActiveSetQP::Solution& solution);

    StepCode startLineSearch();
    StepCode judgeTrial();
    StepCode acceptTrial(double acceptedStepLength);
    StepCode takeWholeStep();
    void updatePenalties();
    void updateMultiplierEstimates(double acceptedStepLength);
    void adaptMoveLimit();
    void setTrialDesign(double stepLength);
    double merit(bool atCurrentDesign) const;
    bool latestSatisfiesConstraints() const;

    void prepareFinalDesign();
    double snapToLevel(const DesignVariable& variable, double value, int index) const;

    Matrix b;
    Matrix previousB;
    std::vector<double> u;
    std::vector<double> v;
    std::vector<double> r;
    std::vector<double> previousR;
    std::vector<int> selectedConstraints;
    double alpha = 1.0;
    double lastStepLength = 0.0;
    int lineSearchTrials = 0;
    double meritAtStart = 0.0;
    double bestTrialStepLength = 0.0;
    double bestTrialMerit = 0.0;
    bool skipLineSearch = false;

    IterationRecord record;
    std::vector<std::string> messageList;
    std::vector<double> solveMoveLimits;
    DualActiveSetQP qpSolver;
    bool finalDesignPrepared = false;
    // Failed evaluations (a response not finite or at the failed-evaluation
    // marker): the latest one failed (set and read within one step), how, how
    // often in a row the engine has backed off, and the last base point whose
    // responses were good (normalised; empty before the start's responses).
    bool latestFailed = false;
    std::string failure;
    int backOffs = 0;
    bool basePointToRetry = false;
    std::vector<double> lastGoodDesign;
    bool returnLastGoodDesign = false;
    // The accepted design is the line-search trial evaluated last.
    bool acceptedTrialEvaluated = false;
    // A base point's responses have arrived (or were taken over from the accepted
    // trial); the convergence tests run at the start of the next gradient step.
    // Set and cleared within one step, so it is never part of a saved state.
    bool basePointToJudge = false;
    bool snapEvaluationPending = false; // the published design is the snapped final one
    bool snapEvaluated = false;         // the snapped final design has its responses
    // The host's values of the latest evaluation and the design, in caller units,
    // they belong to (host-array mode).
    std::vector<double> latestHostResponses;
    std::vector<double> latestHostDesign;
    Rules rules;
};

} // namespace Opt
