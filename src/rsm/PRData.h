#pragma once

#include <array>
#include <vector>

#include "linalg/Matrix.h"
#include "rsm/RSMData.h"

namespace Opt::RSM {

// Three rows of variable indices, one column per polynomial term: term k is the
// product of x[row0[k]], x[row1[k]] and x[row2[k]], kNoFactor standing for a
// factor 1.0.
using TermTable = std::array<std::vector<int>, 3>;

// The fitted record of a polynomial regression (data type 1).
class PRData : public RSMData {
public:
    static constexpr int kNoFactor = -99999;

    int dataType() const override { return 1; }

    Matrix basis;                      // F: N x p, term k at sample point i
    TermTable terms;
    std::vector<double> coefficients;  // beta, one per term
    Matrix solveMatrix;                // H = (F^T F)^+ F^T: p x N
    // Row i: the coefficients fitted without sample point i; empty until
    // computed by build(true).
    std::vector<std::vector<double>> leaveOneOutCoefficients;
};

} // namespace Opt::RSM
