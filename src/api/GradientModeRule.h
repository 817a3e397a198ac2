#pragma once

#include <vector>

namespace Opt {

// The gradient mode an SQP run through the host-array entry points can serve.
// The engine's modes 0 and 2 (and the default, 0) read response sensitivities,
// which host-array mode never carries: the gradients would stay zero and the run
// would never move. Such a mode becomes 3 (gradients from the host on request)
// when the host gave a gradient callback, else 1 (forward differences).
//
// ints holds the engine's integer settings; position is where the SQP reads its
// gradient mode (SQPParameter's int 5, or that of a hybrid GA's inner SQP).
// Returns the mode as requested (0 for an unset one) when it was replaced, or -1
// when the mode was served as it was or the position lies outside ints.
int replaceUnservedGradientMode(std::vector<int>& ints, int position, bool hostGradients);

} // namespace Opt
