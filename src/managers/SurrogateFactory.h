#pragma once

#include <memory>

#include "engine/DataSet.h"
#include "rsm/RSMBase.h"

namespace Opt::RSM {

// Creates the surrogate a study fits to one response from that response's
// settings, on the current design of experiments (which must be installed:
// every model copies its sample when it is constructed).
//
// Defaults where an option is -1 (or any value below 0): polynomial kind 4 (full
// quadratic), kriging with a constant trend and correlation kind 2, the
// Gaussian radial basis (3), the Gaussian kernel (2) with every solver setting
// at the regression's own default, an ensemble whose local errors use as many
// neighbours as there are variables, ordinary kriging with slope 1.
//
// A model type outside 1..6 throws std::invalid_argument naming the response;
// an option outside the type's range throws what the model's constructor
// throws (std::invalid_argument).
std::shared_ptr<RSMBase> createSurrogate(const SurrogateSettings& settings, int responseId,
                                         int variableCount, int pointCount);

} // namespace Opt::RSM
