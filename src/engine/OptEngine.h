#pragma once

#include <memory>
#include <vector>

#include "common/DesignVariable.h"
#include "common/ResponseRow.h"
#include "engine/DataSet.h"
#include "engine/LinearProgram.h"
#include "engine/LookAheadRole.h"
#include "engine/OptEngineParameter.h"
#include "engine/StepCode.h"
#include "report/RunReport.h"
#include "report/StatusLine.h"

namespace Opt {

// The abstract optimisation engine: a resumable state machine stepped from
// outside. An engine never calls the host; each step publishes a design and asks
// its driver to evaluate it (or to supply gradients), or reports that it has
// finished or failed.
//
// Modes. In host-array mode (no data set) designs and responses pass through the
// caller's arrays x, f and g on each step. In data-set mode the step is called
// with null arrays: designs are written into the shared DataSet and responses
// read from its response definitions by id.
//
// The step (step(), called by OptEngineMain::runOptEngine):
//   1. With an evaluation pending, r = receiveResponses(f, g). r = Finished:
//      normalise, finish, publish the final design and return Finished;
//      r = CallAgain or Error: return r; otherwise normalise and go on.
//   2. Dispatch on the phase: BeginIteration -> beginIteration, ComputeStep ->
//      prepareStep + computeStep, UpdateStep -> updateStep, EndIteration ->
//      endIteration, Stopped -> Finished at once; any other phase is an error.
//      A Continue result advances the phase (EndIteration also returns to
//      BeginIteration on Evaluate).
//   3. Finished, Evaluate, CallAgain and Gradients publish the design; Finished
//      then runs finish().
//   4. On Finished in host-array mode, f receives returnedResponses when the
//      engine filled them (one value per response), and x receives
//      returnedDesign when the engine filled it (one value per variable), so that
//      x and f describe the same evaluated design, to the last bit, when the step
//      returns; otherwise f keeps the last evaluation. On Error both are handed
//      over only together.
//
// Publishing (publishDesign) and receiving (storeResponses, called from
// receiveResponses) happen only in this class, so that a driver can later batch
// an engine's evaluations without touching the engines.
//
// Look-ahead (ours: an addition to the step protocol, which it leaves as it is).
// Many designs an engine asks for do not depend on one another's responses: the
// perturbations of a forward-difference gradient, the new points of a DIRECT
// iteration, a GA generation. Right after a step has published a design, a
// batched driver (api/BatchedEvaluation) calls announcedDesigns to learn the
// designs the engine will publish next whatever the responses turn out to be,
// has the host evaluate them all at once, and then feeds the responses back one
// step at a time in the engine's order. The engine sees exactly the sequence of
// a sequential run; the driver checks every design it publishes bit for bit
// against the announced one.
//
// An engine takes part by overriding announceDesigns, and lookAheadRole if it
// ever publishes designs outside its announcement:
// - announceDesigns appends, in publishing order, the designs that follow the
//   one just published, through announce() so that each is converted to caller
//   units exactly as publishDesign converts it. Only designs that come whatever
//   the responses: not line-search trials, not a next iteration that depends on
//   this one, and within the engine's own budgets. The default announces nothing
//   (the driver then hands out one design at a time).
// - A failed evaluation may make an engine publish a design ahead of its
//   announced ones (a retry) or end before it has published them all; the driver
//   asks lookAheadRole only when a published design differs from the announced
//   one (or the run ends with announced designs left), and the engine answers
//   Inserted or Withdrawn there (see LookAheadRole). The default, Announced,
//   makes any difference a defect.
// - An engine that runs other engines inside (the hybrid GA's local searches)
//   also overrides lookAheadDepth, so that the inner engines' announcements are
//   kept apart from its own and end with the inner run, and forwards the other
//   two to the inner engine while its designs are out.
// None is called by step(): a sequential run pays nothing for them.
//
// Engine state lives in plain members and containers (no pointers into other
// objects, generators by value) so that it can be saved and restored exactly.
// Engines declare the extra state they need as named members of their own
// classes, and the hooks of their families (GA, gradient-based, managers) in the
// family's base class, rather than in anonymous slots here.
//
// Decisions where behaviour was open: a new engine starts with no evaluation
// pending and not feasible unless its builder says otherwise; a new response
// row's sign is +1 (minimise / upper bound); the default receiveResponses also
// stores the received values and clears the pending flag, so that an engine that
// keeps the defaults does not consume the same responses twice.
class OptEngine {
public:
    static constexpr int kEvaluationLimit = 5000;

    // Host-array mode: one variable per bound list, starting at start[i]. The
    // session has checked that start and bounds hold enough consistent entries.
    OptEngine(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
              int nResponses);
    // Data-set mode: variables from the data set's bounds and design values. The
    // response table is built later by buildResponseRows, once the parameter
    // record (which holds the goal) is loaded.
    explicit OptEngine(std::shared_ptr<DataSet> dataSet);
    virtual ~OptEngine();

    OptEngine(const OptEngine&) = default;
    OptEngine& operator=(const OptEngine&) = default;

    // One step of the protocol above; returns the StepCode as an int.
    int step(double* x, double* f, double** g);

    bool isDataSetMode() const { return dataSet != nullptr; }

    virtual StepCode checkIterationLimit();
    virtual void buildResponseRows();
    virtual void evaluateResponses();
    virtual void evaluateObjective();
    virtual void evaluateConstraints();
    virtual void evaluateGradients();
    virtual StepCode receiveResponses(const double* f, double** g);
    // Normalises the design values (in caller units since they were published);
    // the caller's x is never read: the engine's own values are authoritative.
    virtual void normaliseDesign(const double* x);
    // Converts the values to caller units and hands them to x (or to the data set
    // when x is null), then marks an evaluation as pending.
    virtual void publishDesign(double* x);
    virtual StepCode beginIteration(double* x, double* f, double** g);
    virtual StepCode endIteration(double* x);
    virtual void prepareStep();
    virtual StepCode computeStep(double* x, double* f, double** g);
    virtual StepCode updateStep();
    virtual void finish(double* x);
    virtual void setParameterOption(int option);
    virtual int parameterOption() const;
    // Hands a linear program to an engine that solves one, before its first step;
    // every other engine ignores it.
    virtual void setLinearProgram(const LinearProgram& program);
    // The solution and objective value of that program once the engine has solved
    // it; false, writing nothing, for every other engine and before then.
    virtual bool linearSolution(std::vector<double>& x, double& objectiveValue) const;
    // Whether the run ended on the engine's iteration or evaluation limit rather
    // than on its own convergence test; false for an engine that has no such limit
    // or has not stopped on it.
    virtual bool stoppedOnBudget() const;

    // Look-ahead (see above): appends to designs at most limit designs, each
    // nDesignVariables values in caller units, that the engine will publish after
    // the design its last step published, in that order.
    void announcedDesigns(int limit, std::vector<double>& designs) const
    {
        if (limit > 0) {
            announceDesigns(limit, designs);
        }
    }
    // Asked about a published design that differs from the next announced one,
    // or when announced designs are left unpublished.
    virtual LookAheadRole lookAheadRole() const;
    // 0 when this engine published the design; 1 + the inner engine's depth when
    // an engine running inside it did.
    virtual int lookAheadDepth() const;

    // Writes the design the engine would return now and the host's responses at
    // it into x and f (host-array mode), as an error step hands them over, for a
    // driver whose run stops early. Returns false, writing nothing, while the
    // engine keeps no such pair (the SQP keeps its base point from the first
    // evaluation on, DIRECT its best sample, the GAs the best of their last
    // ranked generation).
    bool handOverBestSoFar(double* x, double* f) const;

    std::shared_ptr<DataSet> dataSet;
    int constrained = 0;
    std::shared_ptr<OptEngineParameter> parameter;
    int nDesignVariables = 0;
    int nResponses = 0;
    int objectiveRow = 0;
    EnginePhase phase = EnginePhase::BeginIteration;
    int subEvaluationIndex = 0;
    int evaluationCount = 1;
    int iterationCount = 0;
    bool evaluationPending = false;
    bool feasible = false;
    std::vector<int> discreteIndices;
    std::vector<ResponseRow> responseRows;
    std::vector<DesignVariable> designVariables;
    // The host's responses (as it returned them, objective first) at the design the
    // engine hands back when it finishes; an engine fills them before finishing,
    // and the finishing step copies them into the caller's f.
    std::vector<double> returnedResponses;
    // Optional: that design in caller units, exactly as it was handed to the host
    // (publishing converts through normalised coordinates, which may move a value
    // by a rounding step).
    std::vector<double> returnedDesign;
    StatusLine statusLine;
    RunReport report;

protected:
    // Stores received responses into the rows' values: f[j] into row j in
    // host-array mode (f may be null: nothing is read), evaluateResponses() in
    // data-set mode. Clears the pending flag.
    void storeResponses(const double* f);

    // Combines the objective responses into the objective row's value by the
    // objective form and the responses' goals; each response's value is divided
    // by its scale first when divideByScale is set (targets are never scaled).
    void aggregateObjective(bool divideByScale);

    // Sizes the response table and sets constrained; builders call it after
    // loading the parameter record.
    void setResponseCount(int count);

    // The look-ahead of the engine (see above); limit is at least 1.
    virtual void announceDesigns(int limit, std::vector<double>& designs) const;
    // Appends the normalised design to designs in caller units, converted as
    // publishDesign converts it, so that the two agree to the last bit.
    void announce(const double* normalised, std::vector<double>& designs) const;

    // Sets the report level and, in host-array mode with a report level of at
    // least 1, writes the banner and the problem information.
    void startReport(int reportLevel, int method, int gradientMethod);

private:
    void addVariables(const std::vector<double>& start,
                      const std::vector<std::vector<double>>& bounds);
    StepCode dispatchPhase(double* x, double* f, double** g);
    // On an error the caller's x holds whatever was published last, so the
    // responses are handed over only with the design they belong to.
    void handOverResponses(double* x, double* f, bool onlyAsAPair = false) const;
};

} // namespace Opt
