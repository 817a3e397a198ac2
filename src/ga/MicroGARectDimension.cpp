#include "ga/MicroGARectDimension.h"

#include <cmath>

namespace Opt {

int MicroGARectDimension::barCount(double spacing) const
{
    // The tolerance keeps a spacing that divides the length exactly from losing
    // its last bar to rounding.
    return static_cast<int>(std::floor(spread / spacing + 1e-9)) + 1;
}

} // namespace Opt
