#pragma once

#include <vector>

#include "doe/DOEBase.h"

namespace Opt::DOE {

// The full factorial design: every combination of `levels` equally spaced levels
// of every factor, levels^k points for k factors. Point p has, for factor j, the
// level index floor(p / levels^j) mod levels + 1, so factor 0 changes fastest;
// level m lies at (m - 1)/(levels - 1) in normalised units (two levels {0, 1},
// three {0, 0.5, 1}).
//
// Decisions: a single level puts every factor at the middle of its bounds (the
// spacing rule has no answer for one level, and the centre is the one point that
// represents the whole range); fewer than one level is inconsistent input
// (std::invalid_argument). A design of more than 10000 points is refused with the
// point-limit message, as for every design.
class FullFactorial : public DOEBase {
public:
    FullFactorial(const std::vector<DesignVariable>& variables, int levels, bool snapAll = false,
                  std::vector<int> discreteFactors = {});

protected:
    // Sets the fields only; the subclass constructs once its own fields are set.
    FullFactorial(const std::vector<DesignVariable>& variables, int levels, bool snapAll,
                  std::vector<int> discreteFactors, DeferConstruction);

    void generate() override;
    // Writes level indices (1 to levels) into the points.
    virtual void generateLevels();
    // Turns the level indices into normalised coordinates.
    virtual void normalise();

    // The full factorial in the first `factors` factors, written into the first
    // levels^factors points.
    void writeFactorialLevels(int factors);

    // base^exponent, or one more than the point limit when it would exceed it.
    static int cappedPower(int base, int exponent);
};

} // namespace Opt::DOE
