#pragma once

#include <memory>
#include <vector>

#include "managers/RSMManager.h"
#include "managers/RandomInputGrid.h"

namespace Opt::RSM {

// The robust surrogate study (engine type 13, data-set mode only): the study
// of RSMManager (sample, fit, search on the surrogates, verify the optimum
// with the host, store and write the models as type 9 does), whose search
// sees, in place of each response's prediction, its robust value over the
// random inputs of the data set's RobustSettings: mean + k standard deviation
// for an objective to minimise (the rest of the rule in zelkor_dataset.h).
// It does so through the study's evaluation hook, evaluateModels, so the
// inner engine, the task list and the result records work unchanged; the
// statistics come from the Gauss rule of RandomInputGrid, one model
// evaluation per node and design.
//
// The search results keep the robust values at each optimum; the data set's
// robustStatistics keep the mean and standard deviation of every response at
// the first task's optimum, the design the host verifies. The host's
// verification evaluates the nominal design (noise parameters at their
// means): its responses are one draw, not the statistics.
//
// Decisions: a noise parameter (RandomInput::designed false) stays a
// variable of the inner search, which may move it freely as the robust value
// does not depend on it; every optimum is then reported with it at its mean.
// Settings that describe no rule (see RandomInputGrid) throw
// std::invalid_argument out of the builder.
class RobustOptManager : public RSMManager {
public:
    explicit RobustOptManager(std::shared_ptr<DataSet> dataSet);

    // The robust values (see above) at x in caller units, in id order.
    std::vector<double> evaluateModels(const std::vector<double>& x) const override;
    // Puts the noise parameters of every optimum at their means and keeps the
    // statistics of the first, then ends the search as the study does.
    void endInnerSearch() override;

    // Mean and standard deviation of every response (id order) at x.
    std::vector<RobustStatistic> statistics(const std::vector<double>& x) const;

private:
    double robustValue(const RobustStatistic& statistic, const ResponseDefinition& definition) const;

    RobustSettings settings;
    RandomInputGrid grid;
};

} // namespace Opt::RSM
