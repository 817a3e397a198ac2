#pragma once

#include <memory>

#include "doe/DOEBase.h"

namespace Opt::RSM {

// The current design of experiments: the one design of the process from which
// every surrogate takes its sample points (when it is constructed) and its
// responses (when a response is loaded). A surrogate study installs its design
// before it creates any model; reading a model file installs the sample stored
// with the model. Because it is one pointer for the whole process, one surrogate
// study at a time: installing another design must not overlap with the
// construction of a model or the loading of a response (fitting and prediction
// use the model's own copy of the sample and do not read it).
void setCurrentDesign(std::shared_ptr<DOE::DOEBase> design);

// The installed design; null when none is installed.
std::shared_ptr<DOE::DOEBase> currentDesign();

} // namespace Opt::RSM
