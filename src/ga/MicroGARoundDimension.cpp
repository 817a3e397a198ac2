#include "ga/MicroGARoundDimension.h"

#include <cmath>

namespace Opt {

int MicroGARoundDimension::barCount(double spacing) const
{
    const double pi = std::acos(-1.0);
    return static_cast<int>(std::floor(pi * spread / spacing + 1e-9));
}

} // namespace Opt
