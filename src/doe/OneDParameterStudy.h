#pragma once

#include <vector>

#include "doe/DOEBase.h"

namespace Opt::DOE {

// The one-dimensional parameter study: the studied factor (kept in `levels`)
// walks its range in sampleCount evenly spaced points, from the lower bound to
// the upper one, while every other factor stays at its base value, the
// variable's start. A single point sits at the centre of every bound, the
// studied factor included. Points are worked out in coded units (-1 at the lower
// bound, +1 at the upper) and mapped straight to caller units: a study neither
// snaps nor removes duplicates, except as below.
//
// With snapAll and a discrete studied factor the study has one point per
// discrete level, in level order, and sampleCount is not used.
//
// Decisions: in the discrete case the other factors take the same base value as
// in the continuous case, the coded start mapped back (which is the start
// itself, up to rounding), so the two cases differ only along the studied
// factor. A fixed variable (lower = upper) codes its start as 0. A studied
// factor outside the variables, a negative sampleCount or a non-finite start is
// inconsistent input (std::invalid_argument).
class OneDParameterStudy : public DOEBase {
public:
    OneDParameterStudy(const std::vector<DesignVariable>& variables, int studiedFactor,
                       int sampleCount, bool snapAll = false);

private:
    void writeContinuousStudy();
    void writeLevelStudy();
    std::vector<double> basePoint() const;
};

} // namespace Opt::DOE
