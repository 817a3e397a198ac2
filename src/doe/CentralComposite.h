#pragma once

#include <vector>

#include "doe/FractionalFactorial.h"

namespace Opt::DOE {

// The central composite design: the two-level fractional factorial of
// FractionalFactorial (F runs), two axial points per factor and the centre,
// F + 2k + 1 points for k factors. Rows 0 to F-1 are the factorial runs at
// 0.5 -/+ h; row F + 2j has factor j at 0.5 + alpha/2 and row F + 2j + 1 at
// 0.5 - alpha/2, every other factor at 0.5; the last row is the centre.
//
// The axial type sets alpha and the factorial half-width h:
//   kFaceCentred   alpha = 1,         h = 0.5            (axial points on the faces)
//   kInscribed     alpha = 1,         h = 0.5 * 2^(-k/4) (the whole design inside the bounds)
//   kCircumscribed alpha = 2^(k/4),   h = 0.5            (axial points outside the bounds)
// With kCircumscribed the axial points lie outside the variable bounds, on
// purpose: that is what the design is for. Snapping, when requested, clamps them
// to the range of the discrete levels. alpha uses the number of factors k, not
// the factorial runs, so from five factors on (fractional part) the
// circumscribed design is not exactly rotatable. Another axial type is inconsistent input
// (std::invalid_argument). (Box and Wilson 1951; Montgomery, "Design and
// Analysis of Experiments", ch. 11.)
class CentralComposite : public FractionalFactorial {
public:
    static constexpr int kFaceCentred = 0;
    static constexpr int kInscribed = 1;
    static constexpr int kCircumscribed = 2;

    CentralComposite(const std::vector<DesignVariable>& variables, int axialType,
                     bool snapAll = false, std::vector<int> discreteFactors = {});

    static bool isAxialType(int axialType);

    int axialType = kFaceCentred;

protected:
    void normalise() override;

private:
    void normaliseFactorialRuns(double halfWidth);
    void writeAxialAndCentre(double axialFactor);
};

} // namespace Opt::DOE
