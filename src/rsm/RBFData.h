#pragma once

#include <vector>

#include "linalg/Matrix.h"
#include "rsm/RSMData.h"

namespace Opt::RSM {

// The fitted record of a radial basis function model (data type 3).
class RBFData : public RSMData {
public:
    int dataType() const override { return 3; }

    Matrix interpolation;          // Phi: N x N, phi(|s_i - s_j|^2)
    Matrix solveMatrix;            // S = Phi^+: N x N
    std::vector<double> weights;   // one per sample point
    double mean = 0.0;             // b, the mean of the values
    // Row i: the weights of the model fitted without sample point i, one per
    // sample point with entry i = 0 (the left-out centre carries no weight);
    // empty until build(true).
    std::vector<std::vector<double>> leaveOneOutWeights;
    std::vector<double> leaveOneOutMeans; // entry i: the mean without point i
};

} // namespace Opt::RSM
