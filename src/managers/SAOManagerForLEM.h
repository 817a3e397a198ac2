#pragma once

#include <vector>

#include "managers/SAOManager.h"

namespace Opt::RSM {

// Sequential approximate optimisation for slope stability by limit-equilibrium
// methods (LEM): the search for the critical slip surface. The host's one
// response is the factor of safety of the slip surface the design variables
// describe (a circle's centre and radius, say), which the run minimises.
// Engine type 12, host-array mode only, built without a report (the builder
// takes no report level). Everything else is SAOManager's method.
//
// Slip surfaces that the host's slice method cannot analyse (a circle that
// misses the slope, leaves the model or drives no mass) are part of every
// search space, so this manager tells admissible responses from the others:
// a response is admissible when it is finite, below the failed-evaluation
// marker 1e100 and above 0 (a factor of safety of zero or less ranks nothing).
// The host reports an inadmissible surface with 1e100 (or NaN).
//
// Decisions, each ours:
// - Preliminary test, before a cycle's surrogates are fitted and searched: at
//   least n + 1 of the cycle's evaluated designs (samples and centre, n design
//   variables) are admissible, the fewest that fix a linear trend. With fewer
//   the fitted surface is mostly the plateau that stands in for the failed
//   ones and its optimum means nothing: no surrogate is fitted, no candidate
//   is searched or published (candidatePending is set so that the cycle goes
//   straight to its acceptance test), and the cycle counts as a failed step.
// - Abort: a cycle none of whose designs, the centre included, is admissible.
//   The box around the design then holds no slip surface at all (only a start
//   that is itself inadmissible can get there: an accepted centre always is
//   admissible); shrinking it further cannot find one. The flag ends the run
//   at its next stopping test with feasible false; while it is set nothing is
//   published, and the run hands back the start with the marker 1e100.
// - Convergence threshold (reals[6], default 3.0): the objective-change test
//   ends the run only when the newest accepted factor of safety is below
//   it. Circles far from critical (deep or remote ones, FS of 3 and more)
//   form flat regions where the factor changes little from cycle to cycle;
//   stopping there would report a surface that is not the critical one. A run
//   on a slope whose critical factor is above the threshold ends on the
//   move-limit floor or a budget instead. A value of 0 or less, or an unset
//   one, takes the default.
// - Acceptance: a cycle without a searched candidate, or an inadmissible
//   candidate, is rejected as a failed step (the limit shrinks by 0.65: the
//   box reached into surfaces that are not slip surfaces); an admissible
//   candidate after an inadmissible start is accepted with the limit kept
//   (there is no predicted change to judge it by); two admissible ones follow
//   SAOManager's rule (lower factor of safety, move-limit update by the
//   surrogates' prediction).
class SAOManagerForLEM : public SAOManager {
public:
    static constexpr int kEngineType = 12;
    static constexpr int kRealCount = SAOParameter::kRealCount + 1;
    static constexpr int kIntCount = SAOParameter::kIntCount;
    static constexpr double kDefaultThreshold = 3.0;

    // reals: kRealCount entries (SAOParameter's six, then the threshold);
    // ints: SAOParameter's. The start is evaluated by the driver first.
    SAOManagerForLEM(const std::vector<double>& start,
                     const std::vector<std::vector<double>>& bounds, int nResponses,
                     const std::vector<double>& reals, const std::vector<int>& ints);
    ~SAOManagerForLEM() override;

    void publishDesign(double* x) override;
    void prepareStep() override;
    void finish(double* x) override;
    bool isConverged() override;
    void searchCandidate() override;
    bool mustStop() override;
    bool acceptCandidate() override;

    static bool isAdmissible(double factorOfSafety);
    // The preliminary test on this cycle's evaluated designs.
    bool samplesAdmitSearch() const;

    double threshold = kDefaultThreshold;
    bool abortRun = false;
    // The last cycle skipped its search (preliminary test failed).
    bool searchSkipped = false;
};

} // namespace Opt::RSM
