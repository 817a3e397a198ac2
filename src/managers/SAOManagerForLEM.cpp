#include "managers/SAOManagerForLEM.h"

#include <algorithm>
#include <cmath>

#include "common/NumericConstants.h"

namespace Opt::RSM {

namespace {

constexpr std::size_t kThresholdAt = SAOParameter::kRealCount;
constexpr int kNoReport = 0;

double thresholdFrom(const std::vector<double>& reals)
{
    const bool given = reals.size() > kThresholdAt && reals[kThresholdAt] > 0.0 &&
                       std::isfinite(reals[kThresholdAt]);
    return given ? reals[kThresholdAt] : SAOManagerForLEM::kDefaultThreshold;
}

} // namespace

SAOManagerForLEM::SAOManagerForLEM(const std::vector<double>& start,
                                   const std::vector<std::vector<double>>& bounds,
                                   int responseCount, const std::vector<double>& reals,
                                   const std::vector<int>& ints)
    : SAOManager(start, bounds, responseCount, reals, ints, kNoReport),
      threshold(thresholdFrom(reals))
{
    engineType = kEngineType;
}

SAOManagerForLEM::~SAOManagerForLEM() = default;

bool SAOManagerForLEM::isAdmissible(double factorOfSafety)
{
    return factorOfSafety > 0.0 && factorOfSafety < kFailedEvaluation;
}

bool SAOManagerForLEM::samplesAdmitSearch() const
{
    const std::vector<double> objectives = cycleObjectives();
    const auto admissible = std::count_if(objectives.begin(), objectives.end(), isAdmissible);
    return admissible >= nDesignVariables + 1;
}

void SAOManagerForLEM::publishDesign(double* x)
{
    if (abortRun) {
        evaluationPending = false;
        return;
    }
    SAOManager::publishDesign(x);
}

void SAOManagerForLEM::prepareStep()
{
    if (samplesAdmitSearch()) {
        SAOManager::prepareStep();
    }
}

void SAOManagerForLEM::searchCandidate()
{
    searchSkipped = !samplesAdmitSearch();
    if (!searchSkipped) {
        SAOManager::searchCandidate();
        return;
    }
    const std::vector<double> objectives = cycleObjectives();
    abortRun = std::none_of(objectives.begin(), objectives.end(), isAdmissible);
    candidatePending = true;
}

bool SAOManagerForLEM::acceptCandidate()
{
    const bool entryAdmissible = isAdmissible(history.back().objective);
    if (searchSkipped || !isAdmissible(candidate.objective)) {
        moveLimiter->update(MoveLimiter::Step{}); // no change: a failed step
        candidateAccepted = false;
    } else if (!entryAdmissible) {
        candidateAccepted = true;
    } else {
        candidateAccepted = SAOManager::acceptCandidate();
    }
    searchSkipped = false;
    return candidateAccepted;
}

bool SAOManagerForLEM::isConverged()
{
    const bool settled = objectiveSettled() && history.back().objective < threshold;
    return endsRun(history.size() >= 2 && (settled || limitsReached()));
}

bool SAOManagerForLEM::mustStop()
{
    if (abortRun) {
        feasible = false;
        return true;
    }
    feasible = true;
    return SAOManager::mustStop();
}

void SAOManagerForLEM::finish(double* x)
{
    SAOManager::finish(x);
    if (abortRun) {
        returnedResponses.assign(static_cast<std::size_t>(nResponses), kFailedEvaluation);
    }
}

} // namespace Opt::RSM
