#pragma once

#include <vector>

#include "linalg/Matrix.h"
#include "rsm/RSMData.h"

namespace Opt::RSM {

// The fitted record of a support vector regression (data type 4).
class SVRData : public RSMData {
public:
    int dataType() const override { return 4; }

    double tau = 0.0;          // shift of the pair update, tolerance of the pair selection
    double epsilon = 0.0;      // half-width of the insensitive tube
    double boxC = 0.0;         // bound on |beta_i|
    std::vector<double> beta;  // one coefficient per sample point
    double bias = 0.0;
    int maxIterations = 0;
    Matrix gram;               // K: N x N, kernel of every pair of sample points
};

} // namespace Opt::RSM
