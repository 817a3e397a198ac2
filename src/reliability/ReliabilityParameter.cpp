#include "reliability/ReliabilityParameter.h"

namespace Opt {

namespace {

void loadInt(const int* ints, int position, int& field)
{
    if (ints[position] >= 0) {
        field = ints[position];
    }
}

} // namespace

void ReliabilityParameter::load(const double* reals, const int* ints)
{
    OptEngineParameter::load(reals, ints);
    if (ints == nullptr) {
        return;
    }
    loadInt(ints, 0, reliabilityOption0);
    loadInt(ints, 1, reliabilityOption1);
    loadInt(ints, 2, samplingMethod);
    loadInt(ints, 3, reliabilityOption3);
    loadInt(ints, 4, reliabilityOption4);
}

} // namespace Opt
