#include "managers/MoveLimiter.h"

#include <algorithm>
#include <cmath>

namespace Opt::RSM {

namespace {

constexpr double kNoChange = 2.2e-16;
constexpr double kGrowth = 1.2;
constexpr double kFailedStep = 0.65;
constexpr double kInfeasibleShrink = 0.75;
constexpr double kInfeasibleGrowth = 1.1;

} // namespace

MoveLimiter::MoveLimiter(std::vector<std::pair<double, double>> bounds, double initial,
                         double expand, double accept)
    : expandRatio(expand), acceptRatio(accept), initialLimit(initial), limit(initial),
      fullBounds(std::move(bounds))
{
}

void MoveLimiter::update(const Step& step)
{
    if (std::fabs(step.actualChange) < kNoChange) {
        limit *= kFailedStep;
        return;
    }
    const double ratio = step.predictedChange / step.actualChange;
    double next = limit;
    if (step.candidateFeasible) {
        const bool trusted = step.actualChange <= 0.0 && ratio >= acceptRatio;
        next = !trusted ? kFailedStep * limit : ratio > expandRatio ? kGrowth * limit : limit;
    } else {
        const bool growing = !step.entryFeasible && step.violationFell;
        next = (growing ? kInfeasibleGrowth : kInfeasibleShrink) * limit;
    }
    limit = std::min(kMaximumLimit, std::max(minimumLimit, next));
}

void MoveLimiter::searchBox(const std::vector<double>& centre, std::vector<double>& lower,
                            std::vector<double>& upper) const
{
    lower.resize(fullBounds.size());
    upper.resize(fullBounds.size());
    for (std::size_t i = 0; i < fullBounds.size(); ++i) {
        const auto [low, high] = fullBounds[i];
        const double halfWidth = limit * 0.5 * (high - low);
        lower[i] = std::max(low, centre[i] - halfWidth);
        upper[i] = std::min(high, centre[i] + halfWidth);
    }
}

bool MoveLimiter::atFloor() const
{
    return limit <= minimumLimit || std::fabs(limit - minimumLimit) < kNoChange;
}

} // namespace Opt::RSM
