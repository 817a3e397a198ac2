#pragma once

namespace Opt {

// The numeric zero that guards ranges, scale factors and limits throughout the
// library: differences below it are treated as no difference at all.
constexpr double kNumericZero = 2.2e-16;

// A response value of this size marks an evaluation the host could not complete.
constexpr double kFailedEvaluation = 1e100;

// Unset places in the parameter arrays; every parameter record's load replaces
// them (and any other out-of-range entry) by the record's default.
constexpr int kUnsetInt = -999;
constexpr double kUnsetReal = -999.0;

} // namespace Opt
