#pragma once

#include "ga/GAParameter.h"

namespace Opt {

// Settings of the micro-GA: those of the genetic algorithm, except that the
// population is small and odd. A negative entry gives 7; any other p gives
// min(p, 21), plus 1 when that is even and below 21 (so 4 gives 5, 20 gives 21,
// 22 and 40 give 21).
class MicroGAParameter : public GAParameter {
public:
    static constexpr int kDefaultPopulation = 7;
    static constexpr int kLargestPopulation = 21;

protected:
    int populationFrom(int entry) const override;
};

} // namespace Opt
