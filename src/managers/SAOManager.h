#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "managers/MoveLimiter.h"
#include "managers/RSMManager.h"
#include "managers/SAOParameter.h"

namespace Opt::RSM {

// Sequential approximate optimisation: a trust region on local surrogates, for
// expensive problems whose responses are noisy or whose gradients cannot be
// trusted. Each cycle samples a small design of experiments in a box around the
// current design (the move limit, MoveLimiter), has the host evaluate it, fits
// one surrogate per response row, searches the surrogates' optimum inside the
// box with a genetic algorithm, has the host evaluate that candidate, accepts
// or rejects it, and widens or narrows the box from how well the surrogates
// predicted the change. (Toropov, Filatov and Polynkin, "Multiparameter
// structural optimization using FEM and multipoint explicit approximations",
// 1993; Alexandrov, Dennis, Lewis and Torczon, "A trust-region framework for
// managing the use of approximation models", 1998.) Engine type 11, report
// name "SAO".
//
// The step protocol (host-array mode passes x and f; data-set mode the data
// set's design values and response definitions):
//   start      the start is evaluated first (host-array mode: by the driver
//              before the first step; data-set mode: published by it);
//   sampling   BeginIteration publishes the cycle's design one point per step
//              (a batched driver learns the whole cycle from the first point);
//   search     ComputeStep fits the surrogates and runs the nested search;
//   candidate  UpdateStep publishes the candidate, then accepts or rejects it
//              (acceptCandidate), updates the move limit and tests
//              isConverged (accepted) or mustStop (rejected);
//   new cycle  EndIteration re-centres the design in the new box.
// The run ends with Finished; x (or the design values) then holds the returned
// design and, in host-array mode, f the host's responses there.
// The engine's feasible flag is set whenever the run ends on its stopping
// tests, and is what Zelkor returns for method 5: it says the run ended
// normally, not that the design is feasible (history.back().feasible says that).
//
// The design: the face-centred central composite design (two-level factorial,
// 2n axial points on the faces, the centre; 9 points for n = 2, 81 for n = 8)
// on [-1, 1]^n, mapped into the box each cycle, so every point lies inside the
// full bounds. The surrogates see each coordinate normalised to the box,
// 2(x - lower)/(upper - lower) - 1. The surrogate type is the parameter's
// (polynomial regression, full quadratic kind, by default); models are fitted
// again every cycle, one per response row: the objective row and, for each
// constraint row, its value minus its limit (so that <= 0 is met). The nested
// search is a genetic algorithm at its defaults on those surrogates, started
// from the centre, inside the box; it never calls the host. With the
// parameter's refineCandidate (C++ only, off by default) an SQP with forward
// differences on the same surrogates then starts from the genetic search's
// design inside the box, and its design replaces the candidate when it ranks
// better (within constraintTolerance of feasible first, then the lower
// predicted objective).
//
// A history record holds the true objective, the predicted objective (rewritten
// with each cycle's surrogates, so the move-limit update compares predictions
// of one model), the largest constraint violation, the move limit after the
// cycle, the host evaluations so far, and whether it is feasible (every
// constraint row within its limit + constraintTolerance). history[0] is the
// start, history[k] the k-th accepted candidate; iterationCount is
// history.size().
//
// Deviations of ours, each the default:
// - The nested search ranks feasibility first: a fixed penalty of 100 lets
//   candidates leave the surrogates' feasible set when a multiplier exceeds it.
// - The objective test is relative, |df| < objectiveTolerance * |f| (0.001): an
//   absolute 0.01 stops small objectives at once and never stops large ones.
// - The objective test compares two feasible entries only: otherwise a run
//   stops at its first feasible design, next to the infeasible one before it.
// - Two infeasible designs are compared by their largest violation (accepted
//   when it falls, the limit grown only then): by objective, with growth
//   regardless, runs from an infeasible start reject for hundreds of cycles.
// - The budget counts every host evaluation (start, samples, candidates) and a
//   cycle starts only when it fits: counting samples alone overran the limit.
// - The centre's known responses are reused instead of evaluating it again in
//   each cycle's design, which saves one evaluation per cycle.
// - The design returned is the last accepted one, not a rejected candidate,
//   which is often worse or infeasible.
//
// Decisions where behaviour was open:
// - Where the box is cut at a bound its centre is not the current design; the
//   design's centre row is then the current design itself, so its responses
//   are still reused.
// - Data-set mode runs the same method on the rows the data set's responses
//   form (the objective as the engine aggregates it, each bound of a
//   constraint response a row); when the data set names a model file, the last
//   cycle's models are written to "<modelFile>.sao", one per row (id 0 the
//   objective, id j constraint row j), their sample in the box's coordinates.
//   Host-array mode writes no file. On return the definitions hold the
//   responses of the returned design.
// - Discrete variables are refused by the builder: the design and the search
//   run on continuous boxes.
//
// Failures: a surrogate fit that fails is fatal (ParallelModelBuild); a nested
// search that cannot be built throws std::runtime_error out of the step.
class SAOManager : public RSMManager {
public:
    static constexpr int kEngineType = 11;

    struct Record {
        double objective = 0.0;
        double predicted = 0.0;
        double largestViolation = 0.0;
        double limit = 0.0;
        int evaluations = 0;
        bool feasible = false;
    };

    // Host-array mode: reals and ints hold SAOParameter::kRealCount and
    // kIntCount entries.
    SAOManager(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
               int nResponses, const std::vector<double>& reals, const std::vector<int>& ints,
               int reportLevel);
    // Data-set mode: the arrays are the data set's current search settings.
    SAOManager(std::shared_ptr<DataSet> dataSet, const std::vector<double>& reals,
               const std::vector<int>& ints);

    StepCode receiveResponses(const double* f, double** g) override;
    void publishDesign(double* x) override;
    StepCode beginIteration(double* x, double* f, double** g) override;
    void prepareStep() override;
    StepCode computeStep(double* x, double* f, double** g) override;
    StepCode updateStep() override;
    StepCode endIteration(double* x) override;
    void finish(double* x) override;
    bool stoppedOnBudget() const override;
    // After a sample is published, the rest of the cycle's design: every sample
    // of a cycle is evaluated, whatever the responses, once the cycle has begun.
    void announceDesigns(int limit, std::vector<double>& designs) const override;

    // Acceptance of the candidate against history.back(), after the move-limit
    // update (MoveLimiter): a feasible entry takes a feasible candidate that
    // lowers the objective, an infeasible entry any feasible candidate or an
    // infeasible one with a smaller largest violation.
    virtual bool acceptCandidate();
    // After an accepted candidate: two feasible entries in a row changing the
    // objective by less than the tolerance (from the third entry on), the
    // iteration or evaluation budget, or the limit at its floor. Sets the
    // feasible flag when it ends the run.
    virtual bool isConverged();
    // After a rejected candidate: the evaluation budget or the limit at its
    // floor. Sets the feasible flag when it ends the run.
    virtual bool mustStop();
    // The surrogates' optimum inside the box, as the candidate.
    virtual void searchCandidate();
    // The design a nested engine (genetic search or SQP) ends on when it runs
    // on the surrogates from start inside the box; Finished, or an error step,
    // ends it.
    std::vector<double> searchSurrogates(const std::shared_ptr<OptEngine>& search,
                                         std::vector<double> start) const;
    // Feasibility first on the surrogates: a lower largest predicted violation
    // above constraintTolerance, else a lower predicted objective.
    bool ranksBetter(const std::vector<double>& x, const std::vector<double>& than) const;

    const SAOParameter& settings() const;

    std::shared_ptr<MoveLimiter> moveLimiter;
    std::vector<Record> history;
    Record candidate;
    int trueEvaluations = 0;
    bool candidatePending = false;
    bool candidateAccepted = false;
    double constraintTolerance = 0.003;

protected:
    // The parts of isConverged: two feasible entries in a row whose objectives
    // differ by less than the tolerance (from the third entry on), and the
    // budgets or the limit at its floor.
    bool objectiveSettled() const;
    bool limitsReached() const;
    // A stopping test's verdict: a run that ends on its tests sets feasible.
    bool endsRun(bool stops);
    // The objective values of this cycle's evaluated designs: its samples
    // (those evaluated so far) and the centre, as received.
    std::vector<double> cycleObjectives() const;
    void fitModels();
    StepCode stop();

private:
    enum class Awaiting { Nothing, Centre, Sample, Candidate };

    // One host evaluation: the row values the method works on (constraints
    // minus their limits), the rows' values as received, and in data-set mode
    // the definitions' values, to hand back with the design.
    struct Evaluation {
        std::vector<double> values;
        std::vector<double> responses;
        std::vector<std::optional<double>> definitions;
    };

    void configure(const std::vector<double>& reals, const std::vector<int>& ints);
    void buildDesign();
    void recentre();
    bool budgetExhausted() const;
    bool iterationsExhausted() const;
    std::vector<double> rowValues() const;
    Evaluation received() const;
    Record recordOf(const std::vector<double>& values) const;
    std::vector<double> toBox(const std::vector<double>& x) const;
    std::vector<double> predict(const std::vector<double>& x) const;
    void writeSaoModelFile() const;

    Awaiting awaiting = Awaiting::Nothing;
    bool stoppedOnLimit = false;
    std::vector<double> published; // the design handed out, caller units
    std::vector<double> centre;    // the last accepted design, caller units
    Evaluation centreEvaluation;
    std::vector<double> candidateDesign;
    Evaluation candidateEvaluation;
    std::vector<double> boxLower;
    std::vector<double> boxUpper;
    std::vector<std::vector<double>> unitPoints;  // the design on [-1, 1]^n, centre last
    std::vector<std::vector<double>> cyclePoints; // this cycle's points but the centre
    std::vector<std::vector<double>> sampleValues;
    std::size_t nextSample = 0;
};

} // namespace Opt::RSM
