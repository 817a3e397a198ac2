#pragma once

#include <memory>
#include <vector>

#include "ga/HybridGAParameter.h"
#include "ga/MicroGA.h"

namespace Opt {

// The hybrid GA: a micro-GA (Krishnakumar 1989) whose fitter half is refined in
// every generation by gradient-based local searches. After the population has
// been evaluated, the K = floor(N / 2) individuals of lowest fitness, in
// ascending order, each start a sequential quadratic programming run (engine
// type 0, built through the engine factory from the settings at positions 20
// to 31 of the host arrays, on the variables' [lower, upper] boxes). The inner
// engine's designs pass through the same driver and host callback as the GA's;
// its optimum replaces the individual's real string, and the responses the inner
// run ended with become the individual's: its fitness is computed from them by the
// rule every other individual is judged by.
//
// Decisions where behaviour was open:
// - Exchanges: a task's start design is handed to the host first (the inner engine
//   takes its responses as those of its start); every design or gradient request
//   of the inner engine is passed to the driver as it comes, and its repeat codes
//   are stepped through at once. When a task ends the next one starts in the same
//   step, so no design is evaluated twice between tasks.
// - A gradient request answered by the driver is not counted as an evaluation.
// - Local-search evaluations count towards the evaluation budget but do not enter
//   the repository.
// - With binary coding the strings are not changed by the local search (only the
//   fitness record is), as there is no real string to take the optimum.
// - In data-set mode the inner engine gets arrays of its own: the data set's
//   signed responses with constraint rows shifted by their limits, so that the
//   inner engine sees constraints satisfied at or below 0.
// - The design a run returns may be a locally improved individual's: its string is
//   the inner optimum normalised, so the returned design matches the one whose
//   responses are handed back up to the rounding of normalising and back.
// - Look-ahead (ours; engine/OptEngine.h): the generation announces itself as
//   the GA's does; the first task's start announces the other tasks' starts
//   (every task of the generation runs, one after the other, from its own
//   individual). The inner engine's designs, which come between those starts, sit
//   one level deeper with the inner engine's own look-ahead (its gradient's
//   perturbations), which an inner run that ended early withdraws.
//
// Deviations, each with the rule as first written behind Rules for comparison:
// - An inner run that ends in an error (for the SQP engine, incompatible
//   constraints or a failed step) leaves the individual as it was and the run goes
//   on with the next search, instead of ending the whole run with -1.
// - An improved individual's constraint without a limit (every constraint in
//   host-array mode) counts by its value, instead of being divided by its limit 0,
//   which made the fitness of any result touching a constraint infinite.
// - The inner runs print nothing: they are built with a negative report level, so
//   their console lines (interruptions included) do not reach the host's console.
//
// Deviation (ours: a failed evaluation is a failed design, never the answer): a
// failed individual (fitness +infinity, GeneticAlgorithm's rule) starts no local
// search, and an inner run ending on a failed response (NaN, +-infinity, or
// |value| >= 1e100) leaves its individual as it was, as an inner error does.
class HybridGA : public MicroGA {
public:
    static constexpr int kMethodCode = 5;
    static constexpr bool kForcesRealCoding = false;
    static constexpr const char* kName = "HybridGA";
    static constexpr int kRealCount = 32;
    static constexpr int kIntCount = 32;
    static constexpr int kInnerSettingsFirst = 20;
    static constexpr int kInnerSettingsCount = 12;
    static constexpr int kInnerEngineType = 0;

    struct LocalSearchTask {
        int individual = -1;
        bool started = false;
    };

    static constexpr int kInnerReportLevel = -1; // the inner runs print nothing

    // Rules open to change from C++ only, for experiments: false restores the rule
    // as first written (in host-array mode for valueWithoutLimit).
    struct Rules {
        bool valueWithoutLimit = true;  // a constraint without limit counts with its value
        bool innerErrorEndsTask = true; // an inner error leaves the individual and goes on
    };

    HybridGA(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
             int nResponses, const std::vector<double>& reals, const std::vector<int>& ints,
             int reportLevel);
    HybridGA(std::shared_ptr<DataSet> dataSet, const std::vector<double>& reals,
             const std::vector<int>& ints);
    ~HybridGA() override;

    void setRules(const Rules& newRules) { rules = newRules; }

    StepCode receiveResponses(const double* f, double** g) override;
    void normaliseDesign(const double* x) override;
    void publishDesign(double* x) override;
    StepCode endIteration(double* x) override;
    // Orders the population by fitness and makes the first K the generation's tasks.
    void prepareStep() override;
    // Runs the local searches, one exchange with the driver per step.
    StepCode computeStep(double* x, double* f, double** g) override;

    LookAheadRole lookAheadRole() const override;
    int lookAheadDepth() const override;

    int localSearches() const { return localSearchCount; }
    const std::vector<LocalSearchTask>& tasks() const { return localSearchTasks; }
    int currentTaskIndex() const { return currentTask; }
    const std::vector<int>& innerIntSettings() const { return innerInts; }
    const std::vector<double>& innerRealSettings() const { return innerReals; }

protected:
    void announceDesigns(int limit, std::vector<double>& designs) const override;

private:
    void announceTaskStarts(int limit, std::vector<double>& designs) const;
    void endInnerRun();
    void setUpLocalSearch(const std::vector<double>& reals, const std::vector<int>& ints);
    bool inLocalSearch() const { return phase == EnginePhase::ComputeStep && localSearchPrepared; }
    void skipFailedIndividuals();
    StepCode startTask();
    StepCode continueTask(double* x, double* f, double** g);
    int stepInnerEngine(double* x, double* f, double** g);
    void finishTask(const double* x, const double* f);
    StepCode finishLocalSearch();
    void locallyImprovedFitness(int individual, const std::vector<double>& responses);

    std::shared_ptr<OptEngine> innerEngine;
    std::vector<int> innerInts;
    std::vector<double> innerReals;
    std::vector<std::vector<double>> innerBounds;
    int currentTask = 0;
    int localSearchCount = 0;
    std::vector<LocalSearchTask> localSearchTasks;
    bool localSearchPrepared = false;
    bool localSearchDone = false;
    bool publishStart = false;      // the next publish hands out a task's start design
    bool awaitingGradients = false; // the pending exchange is a gradient request
    bool taskStartOut = false;      // the design out is a task's start
    // The inner run that ended in the last step may have left designs of its
    // look-ahead unpublished (until the next responses arrive).
    bool innerRunWithdrew = false;
    // The inner engine's arrays in data-set mode.
    std::vector<double> innerX;
    std::vector<double> innerF;
    std::vector<std::vector<double>> innerGradientRows;
    std::vector<double*> innerG;
    Rules rules;
};

} // namespace Opt
