#pragma once

#include <utility>
#include <vector>

namespace Opt::RSM {

// The move limit of the sequential approximate optimisation: the box around the
// current design inside which each cycle samples and searches, and the rule
// that widens or narrows it from how well the surrogates predicted a step.
//
// The limit is a fraction of each variable's full range: the box has the
// half-width limit * 0.5 * (upper - lower) around the centre, cut at the full
// bounds. Update (actual change df and predicted change dp of the objective,
// L the limit):
//   |df| < 2.2e-16                       L * 0.65, not clamped (a failed step)
//   feasible, df <= 0, dp/df >= accept   L * 1.2 when dp/df > expand, else L
//   feasible otherwise                   L * 0.65
//   infeasible after a feasible entry    L * 0.75
//   infeasible after an infeasible one   L * 1.1 when the largest violation fell,
//                                        else L * 0.75
// then clamped to [minimumLimit, 2.0]. The last row is a deviation of ours:
// growing the limit whatever the violation did lets a run that starts
// infeasible reject cycle after cycle with an ever wider box.
class MoveLimiter {
public:
    static constexpr double kMinimumLimit = 0.002;
    static constexpr double kMaximumLimit = 2.0;

    // fullBounds: (lower, upper) per variable in caller units.
    MoveLimiter(std::vector<std::pair<double, double>> fullBounds, double initialLimit,
                double expandRatio, double acceptRatio);

    // What a step did, for update().
    struct Step {
        double actualChange = 0.0;    // true objective, candidate minus entry
        double predictedChange = 0.0; // surrogate objective, candidate minus entry
        bool candidateFeasible = false;
        bool entryFeasible = false;
        bool violationFell = false;   // candidate's largest violation below the entry's
    };
    void update(const Step& step);

    // The search box around centre (caller units), cut at the full bounds.
    void searchBox(const std::vector<double>& centre, std::vector<double>& lower,
                   std::vector<double>& upper) const;

    // The limit has reached its floor (within 2.2e-16).
    bool atFloor() const;

    double minimumLimit = kMinimumLimit;
    double expandRatio;
    double acceptRatio;
    double initialLimit;
    double limit;
    std::vector<std::pair<double, double>> fullBounds;
};

} // namespace Opt::RSM
