#pragma once

#include "engine/OptEngineParameter.h"

namespace Opt {

// The settings of a reliability analysis, ints[0..4]; a negative value takes
// the default. No reals are read.
//
//   ints[0] reliabilityOption0 (0)  stored; no role in the analysis
//   ints[1] reliabilityOption1 (0)  threads of the Monte Carlo on the
//                                   surrogates (0 and 1: the calling thread);
//                                   the results do not depend on it
//   ints[2] samplingMethod     (0)  0 independent inputs by inverse transform,
//                                   1 correlated inputs by the Nataf transform;
//                                   any other value samples nothing (every
//                                   sample sits at the given design)
//   ints[3] reliabilityOption3 (0)  stored; no role in the analysis
//   ints[4] reliabilityOption4 (3)  stored; no role in the analysis
// The base record's goal and objective form are read from ints[0] and ints[1]
// as for every engine; the analysis does not use them.
class ReliabilityParameter : public OptEngineParameter {
public:
    static constexpr int kIntCount = 5;

    void load(const double* reals, const int* ints) override;

    int reliabilityOption0 = 0;
    int reliabilityOption1 = 0;
    int samplingMethod = 0;
    int reliabilityOption3 = 0;
    int reliabilityOption4 = 3;
};

} // namespace Opt
