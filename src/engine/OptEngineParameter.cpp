#include "engine/OptEngineParameter.h"

namespace Opt {

namespace {

int withinOrDefault(int value, int first, int last, int fallback)
{
    return value >= first && value <= last ? value : fallback;
}

} // namespace

void OptEngineParameter::load(const double* /*reals*/, const int* ints)
{
    goal = 1;
    objectiveForm = 1;
    if (ints == nullptr) {
        return;
    }
    goal = withinOrDefault(ints[0], 1, 2, 1);
    objectiveForm = withinOrDefault(ints[1], 1, 3, 1);
}

} // namespace Opt
