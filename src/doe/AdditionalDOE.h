#pragma once

#include <vector>

#include "doe/DOEBase.h"

namespace Opt::DOE {

// A design made of points chosen elsewhere, typically the points a surrogate
// study adds to its sample (an optimum found on the models, points of an earlier
// run). The points arrive in normalised units (0 at a variable's lower bound, 1
// at its upper bound) and go through the common finishing steps: snapping and
// duplicate removal when requested, then scaling to the bounds.
//
// Decisions: the points are given in normalised units, because that is how the
// studies hold candidate points and it lets the snapping and duplicate distance
// work exactly as for the generated designs. A point with a count of values
// other than the number of variables, or with a non-finite value, is
// inconsistent input (std::invalid_argument); more than 10000 points are
// refused with the point-limit message.
class AdditionalDOE : public DOEBase {
public:
    AdditionalDOE(const std::vector<DesignVariable>& variables,
                  const std::vector<std::vector<double>>& normalisedPoints, bool snapAll = false,
                  std::vector<int> discreteFactors = {});
};

} // namespace Opt::DOE
