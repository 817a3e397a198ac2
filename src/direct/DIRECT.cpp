#include "direct/DIRECT.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>

#include "common/NumericConstants.h"
#include "engine/PenalisedResponse.h"

namespace Opt {

namespace {

struct Candidate {
    int point;
    int level;
    double value;
    double size;
};

// Appends the candidates of one level: its lowest value (the later point on
// equal values) followed by the level's other points within the tie tolerance.
// Rectangles that can no longer be divided are passed over.
void appendLowestOfLevel(const DIRECTSampleStore& store, int level, int maxDivisionDepth,
                         std::vector<Candidate>& candidates)
{
    double lowest = 0.0;
    bool found = false;
    store.levelIndex().visitInOrder(level, [&](const DIRECTLevelIndex::Entry& entry) {
        if (found && !(std::fabs(entry.value - lowest) <= DIRECT::kTieTolerance)) {
            return false;
        }
        if (store.smallestCount(entry.point) >= maxDivisionDepth) {
            return true;
        }
        if (!found) {
            lowest = entry.value;
            found = true;
        }
        candidates.push_back({entry.point, level, entry.value, store.halfDiagonal(entry.point)});
        return true;
    });
}

std::vector<Candidate> lowestPerLevel(const DIRECTSampleStore& store, int maxDivisionDepth)
{
    std::vector<Candidate> candidates;
    const DIRECTLevelIndex& index = store.levelIndex();
    for (int level = 0; level < index.levelCount(); ++level) {
        if (!index.emptyLevel(level)) {
            appendLowestOfLevel(store, level, maxDivisionDepth, candidates);
        }
    }
    return candidates;
}

// The candidates when rectangles are grouped by their size d instead of their
// level, largest first (the grouping of the method's original description).
// Only the comparison experiments use it; it costs a sort of the points.
std::vector<Candidate> lowestPerSize(const DIRECTSampleStore& store, int maxDivisionDepth)
{
    using Entry = DIRECTLevelIndex::Entry;
    std::map<double, std::vector<Entry>, std::greater<double>> bySize;
    const DIRECTLevelIndex& index = store.levelIndex();
    for (int level = 0; level < index.levelCount(); ++level) {
        for (const Entry& entry : index.entriesOf(level)) {
            if (store.smallestCount(entry.point) < maxDivisionDepth) {
                bySize[store.halfDiagonal(entry.point)].push_back(entry);
            }
        }
    }
    std::vector<Candidate> candidates;
    int rank = 0;
    for (auto& [size, entries] : bySize) {
        std::sort(entries.begin(), entries.end(), DIRECTLevelIndex::precedes);
        const double lowest = entries.front().value;
        for (const Entry& entry : entries) {
            if (!(std::fabs(entry.value - lowest) <= DIRECT::kTieTolerance)) {
                break;
            }
            candidates.push_back({entry.point, rank, entry.value, size});
        }
        ++rank;
    }
    return candidates;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameShape(const Candidate& a, const Candidate& b)
{
    return a.level == b.level && sameBits(a.value, b.value) && sameBits(a.size, b.size);
}

// Tied candidates of one level often share their value and their size to the
// last bit (mirror-image samples of a symmetric function): they have the same
// slopes to every other candidate, so one of them stands for all. Fills `shapes`
// with the distinct candidates and `shapeOf` with each candidate's stand-in.
void distinctShapes(const std::vector<Candidate>& candidates, std::vector<Candidate>& shapes,
                    std::vector<std::size_t>& shapeOf)
{
    shapes.clear();
    shapeOf.clear();
    std::size_t levelStart = 0; // the first shape of the current level
    for (const Candidate& candidate : candidates) {
        if (shapes.empty() || shapes.back().level != candidate.level) {
            levelStart = shapes.size();
        }
        std::size_t shape = levelStart;
        while (shape < shapes.size() && !sameShape(shapes[shape], candidate)) {
            ++shape;
        }
        if (shape == shapes.size()) {
            shapes.push_back(candidate);
        }
        shapeOf.push_back(shape);
    }
}

// The Lipschitz intervals of the candidates: K_low(j) from the smaller
// rectangles (larger levels), K_up(j) from the larger ones, or the fixed bounds
// when there are none. A pair (a, b) with level a < level b gives one slope that
// is both a lower bound for a and an upper bound for b, so each pair is divided
// once; candidates come in ascending level.
void lipschitzIntervals(const std::vector<Candidate>& candidates, std::vector<double>& low,
                        std::vector<double>& up)
{
    const double none = std::numeric_limits<double>::infinity();
    low.assign(candidates.size(), -none);
    up.assign(candidates.size(), none);
    for (std::size_t a = 0; a < candidates.size(); ++a) {
        const Candidate& larger = candidates[a];
        for (std::size_t b = a + 1; b < candidates.size(); ++b) {
            const Candidate& smaller = candidates[b];
            if (smaller.level == larger.level) {
                continue;
            }
            const double slope = (larger.value - smaller.value) / (larger.size - smaller.size);
            low[a] = std::max(low[a], slope);
            up[b] = std::min(up[b], slope);
        }
    }
    for (std::size_t j = 0; j < candidates.size(); ++j) {
        if (low[j] == -none) {
            low[j] = -DIRECT::kLipschitzBound;
        }
        if (up[j] == none) {
            up[j] = DIRECT::kLipschitzBound;
        }
    }
}

// The lowest point of the lowest level that can still be divided (none when
// every rectangle has reached the depth limit).
std::vector<int> largestDivisible(const DIRECTSampleStore& store, int maxDivisionDepth)
{
    const std::vector<Candidate> candidates = lowestPerLevel(store, maxDivisionDepth);
    if (candidates.empty()) {
        return {};
    }
    return {candidates.front().point};
}

bool promisesSufficientDecrease(const Candidate& j, double slope, double bestValue,
                                double threshold)
{
    if (std::fabs(bestValue) > DIRECT::kTieTolerance) {
        return (bestValue - j.value + slope * j.size) / std::fabs(bestValue) > threshold;
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

int DIRECT::iterationLimit() const
{
    return rules.maxIterations > 0 ? rules.maxIterations : settings().maxIterations;
}

int DIRECT::evaluationLimit() const
{
    return rules.maxEvaluations > 0 ? rules.maxEvaluations : settings().maxEvaluations;
}

StepCode DIRECT::checkIterationLimit()
{
    if (evaluationCount <= evaluationLimit()) {
        return StepCode::Continue;
    }
    phase = EnginePhase::EndIteration;
    stopped = true;
    reason = StopReason::Budget;
    return StepCode::Error;
}

PenalisedResponse DIRECT::penalisedObjective() const
{
    return penaliseResponses(responseRows, 0, settings().penaltyFactor,
                             [](double value, const ResponseRow& row) { return value - row.limit; });
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
    const PenalisedResponse judged = penalisedObjective();
    // A new point's box is final only once its parent is divided; the first
    // point's box, the whole domain, is final at once.
    store.recordValue(evaluatingPoint, judged.value);
    if (evaluatingPoint == 0) {
        store.admit(evaluatingPoint);
    }
    if (!judged.failed) {
        lastObjective = responseRows[0].value;
        keepIfBest(judged.value);
    }
    ++evaluationCount;
    return StepCode::Continue;
}

// Only an evaluated design can become the best: a failed one (value +infinity)
// would otherwise be kept as the first point or hand its responses back.
void DIRECT::keepIfBest(double value)
{
    if (bestIndex >= 0 && !(value < best)) {
        return;
    }
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
    if (!isDataSetMode()) {
        // The best so far with the host's values (rows are neither signed nor
        // scaled here), handed back when the run ends or the host gives up.
        returnedResponses = bestResponses;
        returnedDesign.clear();
        for (const DesignVariable& variable : designVariables) {
            returnedDesign.push_back(variable.value); // as published
        }
    }
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

void DIRECT::announceDesigns(int limit, std::vector<double>& designs) const
{
    if (!sampling || firstNewPoint.empty() || evaluatingPoint < firstNewPoint.front()) {
        return; // the centre, or no iteration's point is out
    }
    const int end = firstNewPoint.front() + newPointCount;
    std::vector<double> design(static_cast<std::size_t>(nDesignVariables), 0.0);
    for (int point = evaluatingPoint + 1; point < end && point - evaluatingPoint <= limit;
         ++point) {
        for (int i = 0; i < nDesignVariables; ++i) {
            design[static_cast<std::size_t>(i)] = store.coordinate(i, point);
        }
        announce(design.data(), designs);
    }
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
    selected = selectRectangles(store, best, p.maxDivisionDepth, rules.sufficientDecrease,
                                rules.groupBySize);
    if (selected.empty()) {
        selected = largestDivisible(store, p.maxDivisionDepth);
    }
    longestSides.clear();
    firstLongestSide.assign(1, 0);
    firstNewPoint.clear();
    newPointCount = 0;
    handedOut = 0;
    for (const int parent : selected) {
        firstNewPoint.push_back(store.pointCount());
        sampleAlongLongestSides(parent);
        firstLongestSide.push_back(static_cast<int>(longestSides.size()));
    }
    if (store.pointCount() >= evaluationLimit()) {
        stopped = true;
        reason = StopReason::Budget;
    } else if (iterationCount >= iterationLimit()) {
        stopped = true;
        reason = StopReason::Iterations;
    } else if (p.targetValue > 0.0 && lastObjective < p.targetValue) {
        stopped = true;
        reason = StopReason::Target;
    }
}

// Adds c - delta e_i and then c + delta e_i along each longest side i of the
// parent's box, in variable order.
void DIRECT::sampleAlongLongestSides(int parent)
{
    const int smallest = store.smallestCount(parent);
    const double delta = sideThirds[static_cast<std::size_t>(smallest)];
    for (int i = 0; i < nDesignVariables; ++i) {
        if (store.count(i, parent) != smallest) {
            continue;
        }
        longestSides.push_back(i);
        const double middle = store.coordinate(i, parent);
        store.addNeighbour(parent, i, middle - delta);
        store.addNeighbour(parent, i, middle + delta);
        newPointCount += 2;
    }
}

std::vector<int> DIRECT::selectRectangles(const DIRECTSampleStore& store, double bestValue,
                                          int maxDivisionDepth, double sufficientDecrease,
                                          bool groupBySize)
{
    const std::vector<Candidate> candidates = groupBySize
                                                  ? lowestPerSize(store, maxDivisionDepth)
                                                  : lowestPerLevel(store, maxDivisionDepth);
    std::vector<Candidate> shapes;
    std::vector<std::size_t> shapeOf;
    distinctShapes(candidates, shapes, shapeOf);
    std::vector<double> low;
    std::vector<double> up;
    lipschitzIntervals(shapes, low, up);
    std::vector<char> keepShape(shapes.size());
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        keepShape[k] = up[k] > low[k] &&
                       promisesSufficientDecrease(shapes[k], up[k], bestValue, sufficientDecrease);
    }
    std::vector<int> kept;
    for (std::size_t j = 0; j < candidates.size(); ++j) {
        if (keepShape[shapeOf[j]]) {
            kept.push_back(candidates[j].point);
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
    const int first = firstNewPoint[selection];
    const auto sideBegin = static_cast<std::size_t>(firstLongestSide[selection]);
    const auto sideEnd = static_cast<std::size_t>(firstLongestSide[selection + 1]);
    const std::size_t sideCount = sideEnd - sideBegin;
    // The parent and its new points change level with every trisection: they
    // join the level index once their boxes are final, not at every step.
    store.retire(parent);
    weighLongestSides(first, sideCount);
    // Trisect along the side with the smallest remaining w first (the first in
    // variable order on equal w), so the best new points get the largest boxes.
    sideTaken.assign(sideCount, 0);
    for (std::size_t round = 0; round < sideCount; ++round) {
        const std::size_t next = lightestSideLeft();
        sideTaken[next] = 1;
        store.incrementCount(longestSides[sideBegin + next], parent);
        const int minus = first + 2 * static_cast<int>(next);
        store.copyCounts(parent, minus);
        store.copyCounts(parent, minus + 1);
    }
    admitUnlessExhausted(parent);
    for (int point = first; point < first + 2 * static_cast<int>(sideCount); ++point) {
        admitUnlessExhausted(point);
    }
}

// w of each longest side: the smaller value of its two new points, which follow
// one another from `first` on, side by side.
void DIRECT::weighLongestSides(int first, std::size_t sideCount)
{
    sideWeights.resize(sideCount);
    for (std::size_t t = 0; t < sideCount; ++t) {
        const int minus = first + 2 * static_cast<int>(t);
        sideWeights[t] = std::min(store.value(minus), store.value(minus + 1));
    }
}

std::size_t DIRECT::lightestSideLeft() const
{
    const std::size_t none = sideWeights.size();
    std::size_t lightest = none;
    for (std::size_t t = 0; t < sideWeights.size(); ++t) {
        if (!sideTaken[t] && (lightest == none || sideWeights[t] < sideWeights[lightest])) {
            lightest = t;
        }
    }
    return lightest;
}

// A rectangle whose smallest count has reached the depth limit has no side left
// to trisect: it stays out of the level index for good.
void DIRECT::admitUnlessExhausted(int point)
{
    if (store.smallestCount(point) < settings().maxDivisionDepth) {
        store.admit(point);
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
    ++iterationCount;
    for (ResponseRow& row : responseRows) {
        row.previousValue = row.acceptedValue;
    }
    if (stopped) {
        return finishSearch();
    }
    if (iterationCount >= iterationLimit()) {
        reason = StopReason::Iterations;
        return finishSearch();
    }
    // Until an evaluated design has been found there is no best value to stagnate.
    const double change = std::fabs(best - previousBest);
    const double relative = std::fabs(best) < kNumericZero ? change : change / std::fabs(best);
    stagnation = bestIndex >= 0 && relative < kStagnationRatio ? stagnation + 1 : 0;
    previousBest = best;
    if (rules.stagnationLimit > 0 && stagnation >= rules.stagnationLimit) {
        reason = StopReason::Stagnation;
        return finishSearch();
    }
    writeHistoryRow();
    return StepCode::Continue;
}

void DIRECT::writeHistoryRow()
{
    if (bestIndex < 0) {
        return;
    }
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
