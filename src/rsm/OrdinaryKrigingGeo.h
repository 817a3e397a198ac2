#pragma once

#include <memory>
#include <vector>

#include "linalg/Matrix.h"
#include "rsm/RSMBase.h"

namespace Opt::RSM {

class ModelFileReader;
class ModelFileWriter;

// Ordinary kriging with a linear variogram gamma(d) = a d and an unknown constant
// mean (model type 6; Cressie, "Statistics for Spatial Data", 1993, sec. 3.2):
// the weights lambda of the sample values at x solve the bordered system
//   [ Gamma 1 ] [lambda]   [gamma(x)]
//   [ 1^T   0 ] [  mu  ] = [   1    ]  (scaled by a in the border),
// G_ij = a ||s_i - s_j||, G_iN = G_Nj = a, G_NN = 0. G depends only on the
// sample, so it is inverted once (dsytrf, dsytri: G is symmetric and
// indefinite) and a prediction is one product G^-1 g(x). The constraint
// sum lambda_i = 1 makes the predictor unbiased for any constant mean, and at a
// sample point g(x) is a column of G, so the sample is reproduced.
//
// Decisions where behaviour was open:
// - The integer setting has no effect on the model; it is kept and written to
//   the model file so that a file round trip preserves it.
// - A slope that is zero or not finite makes G singular or meaningless and is
//   refused at construction (std::invalid_argument); a negative slope is allowed
//   (the weights do not depend on the sign of a).
// - predict returns the value in stored units, like predictNormalised: the model
//   has no scale of its own.
class OrdinaryKrigingGeo : public RSMBase {
public:
    // Fewer than two points in the current design is fatal.
    OrdinaryKrigingGeo(int responseId, int setting, int variableCount, double slope, int pointCount);

    double predict(const std::vector<double>& x) const override;
    double predictNormalised(const std::vector<double>& x, bool* ok) const override;
    bool build(bool withCrossValidation) override;
    bool isBuilt() const override { return built; }
    void storeQuality(std::shared_ptr<DataSet> dataSet) const override;
    void storeModel(std::shared_ptr<DataSet> dataSet) const override;
    int modelType() const override { return 6; }

    // The type-6 record between its type field and the trailer.
    void writeRecord(ModelFileWriter& writer) const;
    static std::shared_ptr<OrdinaryKrigingGeo> readRecord(ModelFileReader& reader, int responseId,
                                                          int variableCount);

    int variableCount = 0;
    bool built = false;
    int setting = 0;
    double slope = 1.0;
    Matrix inverse; // G^-1, (N + 1) x (N + 1)

private:
    struct Restored {};
    OrdinaryKrigingGeo(Restored, int responseId, int variableCount);
};

} // namespace Opt::RSM
