#pragma once

#include <vector>

namespace Opt {

// One design variable of the problem model.
//
// Inside an engine the coordinates accepted and value are normalised to [0, 1]
// (0 at the lower bound); value stands in caller units only while a design is
// published. A zero-range variable (upper == lower within the numeric zero) is
// fixed: it normalises to 0.5, the middle of its degenerate box, and publishes
// as its bound.
//
// It lives in common rather than with the engine core because the run report,
// the designs of experiments and the surrogates read it too, and the report sits
// below the engine core (the engine writes the report, never the reverse).
struct DesignVariable {
    // boundList is [lower, upper] for a continuous variable and
    // [lower, level..., upper] for a discrete one; it must hold at least two
    // entries (the session checks this before any engine is built).
    DesignVariable(const std::vector<double>& boundList, double startValue);

    double start = 0.0;      // starting value, caller units
    double lower = 0.0;
    double upper = 0.0;
    double accepted = 0.0;   // current accepted coordinate, normalised
    double value = 0.0;      // trial coordinate, published next
    double startCopy = 0.0;  // second copy of the start; iterative engines keep the previous coordinate here
    std::vector<double> levels; // interior levels of a discrete variable, normalised; empty when continuous

    bool isDiscrete() const { return !levels.empty(); }
    bool hasZeroRange() const;
    // Inline: publishing a design converts every variable, once per design.
    double toCallerUnits(double normalised) const { return (upper - lower) * normalised + lower; }
    double toNormalised(double callerValue) const;
};

} // namespace Opt
