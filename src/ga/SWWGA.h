#pragma once

#include <vector>

#include "ga/GeneticAlgorithm.h"

namespace Opt {

// The generational GA of the reinforcement-design drivers
// (runGA_ReinforcementDesign): the GA of GeneticAlgorithm, real strings for
// the catalogue and spacing levels, that keeps the best string of every
// generation and gives up once kGiveUpGenerations generations in a row have had
// an infeasible best individual.
//
// Why give up: a layout problem whose every generation's best still violates a
// constraint after that many generations is almost always over-constrained (a
// moment no catalogue bar at the smallest spacing can carry); going on to the
// full generation budget would only repeat infeasible layouts. The run then
// ends like any other, with the best (least violating) design found, its
// feasible flag false and stopReason() None; gaveUp() says why it ended.
//
// Constraint handling: a steel area in mm² swamps constraint ratios of order
// one under the default penalty (100); the drivers' hosts should rank feasible
// layouts first (reals[0] = -1), as LayoutMicroGA.h explains.
//
// The kept bests let a host see how the layout evolved (generationBests()):
// one entry per ranked generation, in caller units, with its fitness and
// whether it was feasible.
class SWWGA : public GeneticAlgorithm {
public:
    static constexpr int kMethodCode = 3;
    static constexpr bool kForcesRealCoding = true;
    static constexpr const char* kName = "SWWGA";
    static constexpr int kGiveUpGenerations = 30;

    struct GenerationBest {
        std::vector<double> design; // caller units
        double fitness = 0.0;
        bool feasible = false;
    };

    SWWGA(const std::vector<double>& start, const std::vector<std::vector<double>>& bounds,
          int nResponses, const std::vector<double>& reals, const std::vector<int>& ints,
          int reportLevel);

    // The GA's generation step, then the generation's best is kept.
    StepCode updateStep() override;
    // Gives up after kGiveUpGenerations infeasible bests in a row, else the GA's
    // end of generation.
    StepCode endIteration(double* x) override;

    const std::vector<GenerationBest>& generationBests() const { return bests; }
    bool gaveUp() const { return gaveUpRun; }

private:
    std::vector<GenerationBest> bests;
    int infeasibleBests = 0;
    bool gaveUpRun = false;
};

} // namespace Opt
