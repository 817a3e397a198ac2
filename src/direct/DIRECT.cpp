#include "direct/DIRECT.h"

#include <algorithm>
#include <cmath>

#include "common/NumericConstants.h"

namespace Opt {

namespace {

struct Candidate {
    int point;
    int level;
    double value;
    double size;
};

// Candidates of a store: per level the lowest value (the later point on equal
// values) followed by the level's other points within the tie tolerance.
std::vector<Candidate> lowestPerLevel(const DIRECTSampleStore& store, int maxDivisionDepth)
{
    const int points = store.pointCount();
    std::vector<char> open(static_cast<std::size_t>(points), 0);
    int largestLevel = -1;
    for (int p = 0; p < points; ++p) {
        open[p] = store.smallestCount(p) < maxDivisionDepth;
        if (open[p]) {
            largestLevel = std::max(largestLevel, store.level(p));
        }
    }
    std::vector<int> lowest(static_cast<std::size_t>(largestLevel + 1), -1);
    for (int p = 0; p < points; ++p) {
        if (!open[p]) {
            continue;
        }
        int& current = lowest[store.level(p)];
        if (current < 0 || store.value(p) <= store.value(current)) {
            current = p;
        }
    }
    std::vector<std::vector<int>> ties(lowest.size());
    for (int p = 0; p < points; ++p) {
        const int level = store.level(p);
        if (open[p] && p != lowest[level] &&
            std::fabs(store.value(p) - store.value(lowest[level])) <= DIRECT::kTieTolerance) {
            ties[level].push_back(p);
        }
    }
    std::vector<Candidate> candidates;
    for (std::size_t level = 0; level < lowest.size(); ++level) {
        if (lowest[level] < 0) {
            continue;
        }
        candidates.push_back({lowest[level], static_cast<int>(level), store.value(lowest[level]),
                              store.halfDiagonal(lowest[level])});
        for (int p : ties[level]) {
            candidates.push_back({p, static_cast<int>(level), store.value(p), store.halfDiagonal(p)});
        }
    }
    return candidates;
}

// The Lipschitz interval of candidate j against the others: K_low from the
// smaller rectangles (larger levels), K_up from the larger ones.
std::pair<double, double> lipschitzInterval(const std::vector<Candidate>& candidates,
                                            const Candidate& j)
{
    double low = -DIRECT::kLipschitzBound;
    double up = DIRECT::kLipschitzBound;
    bool haveLow = false;
    bool haveUp = false;
    for (const Candidate& i : candidates) {
        if (i.level > j.level) {
            const double slope = (j.value - i.value) / (j.size - i.size);
            low = haveLow ? std::max(low, slope) : slope;
            haveLow = true;
        } else if (i.level < j.level) {
            const double slope = (i.value - j.value) / (i.size - j.size);
            up = haveUp ? std::min(up, slope) : slope;
            haveUp = true;
        }
    }
    return {low, up};
}

bool promisesSufficientDecrease(const Candidate& j, double slope, double bestValue)
{
    if (std::fabs(bestValue) > DIRECT::kTieTolerance) {
        return (bestValue - j.value + slope * j.size) / std::fabs(bestValue) >
               DIRECT::kTieTolerance;
    }
    return j.value - slope * j.size <= 0.0;
}

} // namespace

DIRECT::DIRECT(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
               int responseCount, const std::vector<double>& reals, const std::vector<int>& ints,
               int reportLevel)
    : OptEngine(start, bounds, responseCount), store(nDesignVariables)
{
    loadSettings(reals, ints);
    // The driver evaluates the start design first; its responses are the initial condition.
    evaluationPending = true;
    startReport(reportLevel, kMethodCode, 0);
}

DIRECT::DIRECT(std::shared_ptr<DataSet> sharedDataSet, const std::vector<double>& reals,
               const std::vector<int>& ints)
    : OptEngine(std::move(sharedDataSet)), store(nDesignVariables)
{
    loadSettings(reals, ints);
    buildResponseRows();
    evaluationPending = true;
}

void DIRECT::loadSettings(const std::vector<double>& reals, const std::vector<int>& ints)
{
    auto record = std::make_shared<DIRECTParameter>();
    const bool complete = static_cast<int>(reals.size()) >= DIRECTParameter::kRealCount &&
                          static_cast<int>(ints.size()) >= DIRECTParameter::kIntCount;
    record->load(complete ? reals.data() : nullptr, complete ? ints.data() : nullptr);
    parameter = record;
    for (ResponseRow& row : responseRows) {
        row.sign = 1;
        row.limit = 0.0;
    }
}

StepCode DIRECT::checkIterationLimit()
{
    if (evaluationCount <= settings().maxEvaluations) {
        return StepCode::Continue;
    }
    phase = EnginePhase::EndIteration;
    stopped = true;
    reason = StopReason::Budget;
    return StepCode::Error;
}

double DIRECT::penalisedObjective() const
{
    double violation = 0.0;
    for (std::size_t j = 1; j < responseRows.size(); ++j) {
        violation += std::max(0.0, responseRows[j].value - responseRows[j].limit);
    }
    return responseRows[0].value + settings().penaltyFactor * violation;
}

bool DIRECT::violatesNoConstraint() const
{
    for (std::size_t j = 1; j < responseRows.size(); ++j) {
        if (!(responseRows[j].value <= responseRows[j].limit)) {
            return false;
        }
    }
    return true;
}

StepCode DIRECT::receiveResponses(const double* f, double** /*g*/)
{
    storeResponses(f);
    if (iterationCount == 0) {
        for (ResponseRow& row : responseRows) {
            row.acceptedValue = row.value;
        }
        if (!sampling) {
            report.writeState(designVariables, responseRows, false, false);
        }
    }
    if (!sampling) {
        return StepCode::Continue;
    }
    sampling = false;
    const double value = penalisedObjective();
    store.setValue(evaluatingPoint, value);
    lastObjective = responseRows[0].value;
    if (bestIndex < 0 || value < best) {
        if (bestIndex < 0) {
            previousBest = value;
        }
        best = value;
        bestIndex = evaluatingPoint;
        bestResponses.clear();
        for (const ResponseRow& row : responseRows) {
            bestResponses.push_back(row.value);
        }
        feasible = violatesNoConstraint();
    }
    ++evaluationCount;
    return StepCode::Continue;
}

void DIRECT::startSearch()
{
    const int depth = settings().maxDivisionDepth;
    sideThirds.resize(static_cast<std::size_t>(depth));
    double third = 1.0;
    for (double& side : sideThirds) {
        third /= 3.0;
        side = third;
    }
    store.addPoint(std::vector<double>(static_cast<std::size_t>(nDesignVariables), 0.5),
                   std::vector<std::int32_t>(static_cast<std::size_t>(nDesignVariables), 0));
}

StepCode DIRECT::handOut(int point)
{
    for (int i = 0; i < nDesignVariables; ++i) {
        designVariables[i].value = store.coordinate(i, point);
    }
    evaluatingPoint = point;
    sampling = true;
    return StepCode::Evaluate;
}

StepCode DIRECT::beginIteration(double*, double*, double**)
{
    if (store.pointCount() == 0) {
        startSearch();
        return handOut(0);
    }
    if (handedOut < newPointCount) {
        return handOut(firstNewPoint.front() + handedOut++);
    }
    if (roundSampled) {
        roundSampled = false;
        return StepCode::Continue;
    }
    sampleIteration();
    if (newPointCount == 0) {
        stopped = true;
        reason = StopReason::Exhausted;
        return StepCode::Continue;
    }
    roundSampled = true;
    return handOut(firstNewPoint.front() + handedOut++);
}

void DIRECT::sampleIteration()
{
    const DIRECTParameter& p = settings();
    selected = selectRectangles(store, best, p.maxDivisionDepth);
    longestSides.assign(selected.size(), {});
    firstNewPoint.assign(selected.size(), store.pointCount());
    newPointCount = 0;
    handedOut = 0;
    for (std::size_t s = 0; s < selected.size(); ++s) {
        const int parent = selected[s];
        const int smallest = store.smallestCount(parent);
        const double delta = sideThirds[static_cast<std::size_t>(smallest)];
        std::vector<std::int32_t> counts(static_cast<std::size_t>(nDesignVariables));
        for (int i = 0; i < nDesignVariables; ++i) {
            counts[i] = store.count(i, parent);
        }
        firstNewPoint[s] = store.pointCount();
        for (int i = 0; i < nDesignVariables; ++i) {
            if (counts[i] != smallest) {
                continue;
            }
            longestSides[s].push_back(i);
            std::vector<double> centre = store.centre(parent);
            centre[i] -= delta;
            store.addPoint(centre, counts);
            centre[i] += 2.0 * delta;
            store.addPoint(centre, counts);
            newPointCount += 2;
        }
    }
    if (store.pointCount() >= p.maxEvaluations) {
        stopped = true;
        reason = StopReason::Budget;
    } else if (iterationCount >= p.maxIterations) {
        stopped = true;
        reason = StopReason::Iterations;
    } else if (p.targetValue > 0.0 && lastObjective < p.targetValue) {
        stopped = true;
        reason = StopReason::Target;
    }
}

std::vector<int> DIRECT::selectRectangles(const DIRECTSampleStore& store, double bestValue,
                                          int maxDivisionDepth)
{
    const std::vector<Candidate> candidates = lowestPerLevel(store, maxDivisionDepth);
    std::vector<int> kept;
    for (const Candidate& j : candidates) {
        const auto [low, up] = lipschitzInterval(candidates, j);
        if (up > low && promisesSufficientDecrease(j, up, bestValue)) {
            kept.push_back(j.point);
        }
    }
    return kept;
}

void DIRECT::prepareStep()
{
    if (stopped) {
        return;
    }
    for (std::size_t s = 0; s < selected.size(); ++s) {
        divide(s);
    }
}

void DIRECT::divide(std::size_t selection)
{
    const int parent = selected[selection];
    const std::vector<int>& sides = longestSides[selection];
    const int first = firstNewPoint[selection];
    std::vector<double> w(sides.size());
    for (std::size_t t = 0; t < sides.size(); ++t) {
        const int minus = first + 2 * static_cast<int>(t);
        w[t] = std::min(store.value(minus), store.value(minus + 1));
    }
    // Trisect along the side with the smallest remaining w first (the first in
    // variable order on equal w), so the best new points get the largest boxes.
    std::vector<char> taken(sides.size(), 0);
    for (std::size_t round = 0; round < sides.size(); ++round) {
        std::size_t next = sides.size();
        for (std::size_t t = 0; t < sides.size(); ++t) {
            if (!taken[t] && (next == sides.size() || w[t] < w[next])) {
                next = t;
            }
        }
        taken[next] = 1;
        store.incrementCount(sides[next], parent);
        const int minus = first + 2 * static_cast<int>(next);
        store.copyCounts(parent, minus);
        store.copyCounts(parent, minus + 1);
    }
}

StepCode DIRECT::computeStep(double*, double*, double**)
{
    return StepCode::Continue;
}

StepCode DIRECT::updateStep()
{
    return StepCode::Continue;
}

StepCode DIRECT::endIteration(double*)
{
    const DIRECTParameter& p = settings();
    ++iterationCount;
    for (ResponseRow& row : responseRows) {
        row.previousValue = row.acceptedValue;
    }
    if (stopped) {
        return finishSearch();
    }
    if (iterationCount >= p.maxIterations) {
        reason = StopReason::Iterations;
        return finishSearch();
    }
    const double change = std::fabs(best - previousBest);
    const double relative = std::fabs(best) < kNumericZero ? change : change / std::fabs(best);
    stagnation = relative < kStagnationRatio ? stagnation + 1 : 0;
    previousBest = best;
    if (stagnation >= kStagnationLimit) {
        reason = StopReason::Stagnation;
        return finishSearch();
    }
    writeHistoryRow();
    return StepCode::Continue;
}

void DIRECT::writeHistoryRow()
{
    std::vector<DesignTriple> design;
    for (int i = 0; i < nDesignVariables; ++i) {
        const DesignVariable& v = designVariables[i];
        design.push_back({v.lower, v.toCallerUnits(store.coordinate(i, bestIndex)), v.upper});
    }
    std::vector<ResponsePair> responses(responseRows.size());
    responses[0] = {best, responseRows[0].scale};
    report.writeIteration(design, responses, iterationCount);
}

StepCode DIRECT::finishSearch()
{
    stopped = true;
    if (bestIndex >= 0) {
        for (int i = 0; i < nDesignVariables; ++i) {
            designVariables[i].value = store.coordinate(i, bestIndex);
        }
        for (std::size_t j = 0; j < responseRows.size() && j < bestResponses.size(); ++j) {
            responseRows[j].value = bestResponses[j];
        }
    }
    report.writeState(designVariables, responseRows, true, true);
    phase = EnginePhase::Stopped;
    return StepCode::Finished;
}

} // namespace Opt
