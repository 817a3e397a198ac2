#pragma once

#include <limits>
#include <memory>
#include <vector>

#include "direct/DIRECTParameter.h"
#include "direct/DIRECTSampleStore.h"
#include "engine/OptEngine.h"
#include "engine/PenalisedResponse.h"

namespace Opt {

// DIRECT: the DIviding RECTangles global search of Jones, Perttunen and Stuckman
// ("Lipschitzian optimization without the Lipschitz constant", J. Optim. Theory
// Appl. 79, 1993) on the unit hypercube of the normalised design variables.
//
// Constraints are folded into a penalised objective
//   F = objective + penaltyFactor * sum_j max(0, value_j - limit_j),
// so in host-array mode every positive constraint value is penalised. Each
// iteration selects the potentially optimal rectangles (per level the lowest F,
// with ties within 1e-30; a rectangle stays when its Lipschitz interval over the
// other candidates is not empty and it promises a relative decrease above 1e-30,
// or an absolute one when the best value is 0), samples c - delta e_i and then
// c + delta e_i along each longest side, hands the new points to the host one by
// one, and trisects each selected rectangle along its sides in order of the
// smallest sampled value. The search ends on the sample budget, the iteration
// limit, a target value (when one is set), or eight consecutive iterations whose
// best value improves by less than 1e-4 relatively.
//
// Decisions where behaviour was open:
// - A rectangle whose smallest division count has reached maxDivisionDepth has
//   no side left to trisect (its side-third table has no entry): it leaves the
//   candidate pool and is never selected again. When no rectangle can be
//   divided any more, the search stops.
// - When the best value is zero (within the numeric zero) the stagnation test
//   compares the absolute change instead of dividing by zero.
// - feasible is true when the best point violates no constraint.
// - The host's responses at the start design (when the driver evaluates it first)
//   are taken as the initial condition of the report; the search itself starts
//   at the centre of the box.
// - History rows: one per iteration with the best point and its F; the final
//   block holds the best point with the responses evaluated there.
// - A run that ends hands the best point to x and the host's responses there to
//   f (not those of the last point evaluated), so that both describe one design.
//
// Look-ahead (ours; engine/OptEngine.h): while it hands out an iteration's new
// points, the engine announces the ones still to come; every one is handed out
// whatever the responses (the stop rules are tested between iterations).
//
// Deviations (ours: a failed evaluation is a failed design, never the answer):
// - A failed response (NaN, +-infinity, or |value| >= 1e100; engine/PenalisedResponse.h,
//   the rule the genetic algorithms share) makes F +infinity, a NaN constraint
//   included, where the penalty sum would drop it: such a point ranks last.
// - The best is the first *evaluated* point, not the first point: a failed point
//   never becomes the best, never meets the target, and stagnation waits for one.
// - An empty selection divides the lowest point of the largest divisible boxes,
//   so a failed or huge centre (every decrease test fails) does not end the search.
class DIRECT : public OptEngine {
public:
    static constexpr int kMethodCode = 6;
    static constexpr int kStagnationLimit = 8;
    static constexpr double kStagnationRatio = 1e-4;
    static constexpr double kTieTolerance = 1e-30;
    static constexpr double kLipschitzBound = 1.976e14;

    enum class StopReason { None, Budget, Iterations, Target, Stagnation, Exhausted };

    // The fixed rules of the search, open to change from C++ only (for
    // experiments that compare the search with other settings of the method).
    struct Rules {
        double sufficientDecrease = kTieTolerance; // epsilon of the decrease test
        int stagnationLimit = kStagnationLimit;    // 0: never stop on stagnation
        bool groupBySize = false; // group candidates by rectangle size instead of level
        // Limits that replace the settings' ones, beyond their caps; 0 keeps the settings'.
        int maxIterations = 0;
        int maxEvaluations = 0;
    };

    // Host-array mode: reals and ints hold the 10 and 11 entries of DIRECTParameter.
    DIRECT(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
           int nResponses, const std::vector<double>& reals, const std::vector<int>& ints,
           int reportLevel);
    // Data-set mode: the response table comes from the data set.
    DIRECT(std::shared_ptr<DataSet> dataSet, const std::vector<double>& reals,
           const std::vector<int>& ints);

    // The potentially optimal rectangles of a store, in selection order (by level,
    // then the level's lowest point before its ties).
    static std::vector<int> selectRectangles(const DIRECTSampleStore& store, double bestValue,
                                             int maxDivisionDepth,
                                             double sufficientDecrease = kTieTolerance,
                                             bool groupBySize = false);

    void setRules(const Rules& newRules) { rules = newRules; }

    StepCode checkIterationLimit() override;
    StepCode receiveResponses(const double* f, double** g) override;
    StepCode beginIteration(double* x, double* f, double** g) override;
    void prepareStep() override;
    StepCode computeStep(double* x, double* f, double** g) override;
    StepCode updateStep() override;
    StepCode endIteration(double* x) override;

protected:
    void announceDesigns(int limit, std::vector<double>& designs) const override;

public:
    const DIRECTParameter& settings() const
    {
        return static_cast<const DIRECTParameter&>(*parameter);
    }
    const DIRECTSampleStore& samples() const { return store; }
    double bestValue() const { return best; }
    int bestPoint() const { return bestIndex; }
    StopReason stopReason() const { return reason; }
    bool stoppedOnBudget() const override
    {
        return reason == StopReason::Budget || reason == StopReason::Iterations;
    }

private:
    void loadSettings(const std::vector<double>& reals, const std::vector<int>& ints);
    void startSearch();
    StepCode handOut(int point);
    void sampleIteration();
    void sampleAlongLongestSides(int parent);
    void divide(std::size_t selection);
    void weighLongestSides(int first, std::size_t sideCount);
    std::size_t lightestSideLeft() const;
    void admitUnlessExhausted(int point);
    PenalisedResponse penalisedObjective() const;
    void keepIfBest(double value);
    bool violatesNoConstraint() const;
    StepCode finishSearch();
    void writeHistoryRow();
    int iterationLimit() const;
    int evaluationLimit() const;

    DIRECTSampleStore store;
    std::vector<double> sideThirds;
    double best = 0.0;
    int bestIndex = -1;
    std::vector<double> bestResponses;
    double previousBest = 0.0;
    int stagnation = 0;
    std::vector<int> selected;
    std::vector<int> longestSides;     // of all selected rectangles, one run per rectangle
    std::vector<int> firstLongestSide; // per selected rectangle, and one past the last run
    std::vector<int> firstNewPoint;    // per selected rectangle
    std::vector<double> sideWeights;   // w per longest side of the rectangle being divided
    std::vector<char> sideTaken;       // whether that side has been trisected already
    int newPointCount = 0;
    int handedOut = 0;
    int evaluatingPoint = -1;
    bool sampling = false;
    bool roundSampled = false;
    bool stopped = false;
    double lastObjective = std::numeric_limits<double>::infinity(); // of the last evaluated sample
    StopReason reason = StopReason::None;
    Rules rules;
};

} // namespace Opt
