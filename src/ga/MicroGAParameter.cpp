#include "ga/MicroGAParameter.h"

#include <algorithm>

namespace Opt {

int MicroGAParameter::populationFrom(int entry) const
{
    if (entry < 0) {
        return kDefaultPopulation;
    }
    const int size = std::min(entry, kLargestPopulation);
    return size % 2 == 0 && size < kLargestPopulation ? size + 1 : size;
}

} // namespace Opt
