#include "api/GradientModeRule.h"

namespace Opt {

int replaceUnservedGradientMode(std::vector<int>& ints, int position, bool hostGradients)
{
    if (position < 0 || position >= static_cast<int>(ints.size())) {
        return -1;
    }
    int& mode = ints[static_cast<std::size_t>(position)];
    if (mode == 1 || mode >= 3) {
        return -1;
    }
    const int requested = mode < 0 ? 0 : mode;
    mode = hostGradients ? 3 : 1;
    return requested;
}

} // namespace Opt
