#pragma once

#include <vector>

#include "linalg/Matrix.h"
#include "rsm/PRData.h"

namespace Opt::RSM {

// The fitted record of a kriging model (data type 2): the trend of the
// polynomial record (basis F, term table, coefficients beta) plus the correlated
// part. After the fit, with Q = R^-1 the inverse of the correlation matrix of the
// sample points, a prediction is f(x)^T beta + (A^T r(x))^T w with A = Q and
// w = y - F beta.
class KrigData : public PRData {
public:
    int dataType() const override { return 2; }

    Matrix correlationFactor;           // N x N: R during the fit, A = R^-1 after it
    std::vector<double> weights;        // w = y - F beta, N
    std::vector<double> trendValues;    // F beta at the sample points, N
    std::vector<double> hyperParameters; // theta (n), then p (n) for correlation kind 2
    double logLikelihood = 0.0;         // concentrated log-likelihood at the hyper-parameters
    double processVariance = 0.0;       // sigma^2 = w^T A w / N
    double determinant = 0.0;           // det R, possibly 0 by underflow; its logarithm is exact
    double logDeterminant = 0.0;        // ln det R
    Matrix varianceMatrix;              // M = [[0, F^T], [F, R]]^-1, (p + N) x (p + N)
    // A w, formed once from A and w, so that a prediction costs O(N); derived,
    // not stored in the model file.
    std::vector<double> predictionWeights;
    // Leave-one-out rows (build(true)): the trend coefficients fitted without
    // sample i are leaveOneOutCoefficients[i] (PRData's rows); the weights of the
    // correlated part without it, one per sample point with entry i zero, are
    // leaveOneOutWeights[i], so that the prediction without i is
    // f(x)^T beta_(-i) + r(x)^T leaveOneOutWeights[i].
    std::vector<std::vector<double>> leaveOneOutWeights;
};

} // namespace Opt::RSM
