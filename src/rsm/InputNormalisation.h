#pragma once

#include <vector>

#include "common/DesignVariable.h"
#include "doe/DOEBase.h"

namespace Opt::RSM {

// Surrogate coordinates: every design variable mapped linearly onto [-1, 1],
//   x~ = 2 (x - lower) / (upper - lower) - 1,
// so that polynomial terms, distances and kernels see comparable ranges whatever
// the units of the variables. A variable whose range is below the numeric zero
// maps to 0 (the middle), and back to its lower bound.

double toSurrogateCoordinate(double x, const DesignVariable& variable);
double toDesignCoordinate(double surrogateCoordinate, const DesignVariable& variable);

// One point; x and variables must have the same length (std::invalid_argument).
std::vector<double> toSurrogateCoordinates(const std::vector<double>& x,
                                           const std::vector<DesignVariable>& variables);
std::vector<double> toDesignCoordinates(const std::vector<double>& surrogatePoint,
                                        const std::vector<DesignVariable>& variables);

// Maps the points of a design, which leaves them in caller units, to surrogate
// coordinates when the point set's normalised flag is set; with the flag clear
// the points stay as they are. A surrogate study calls it once, when it installs
// the design (a second call would map the points again).
void normaliseDesignPoints(DOE::DOEBase& design);

} // namespace Opt::RSM
