#pragma once

#include <array>
#include <memory>
#include <vector>

#include "rsm/EOSData.h"
#include "rsm/Kriging.h"
#include "rsm/PolynomialRegression.h"
#include "rsm/RadialBasisFunction.h"
#include "rsm/SupportVectorRegression.h"

namespace Opt::RSM {

// How the four members of an ensemble are made.
struct EnsembleMemberSettings {
    int variableCount = 1;
    int pointCount = 0;
    int polynomialKind = 2;
    int krigingTrendKind = 0;
    int correlationKind = 2;
    int krigingSolveMode = Kriging::kCholeskySolve;
    std::shared_ptr<const KrigingSearchOptions> krigingSearchOptions;
    int radialBasisKind = 0;
    // The support vector regression takes its default settings.
};

// An ensemble of surrogates (model type 5; Goel, Haftka, Shyy & Queipo,
// "Ensemble of surrogates", Struct. Multidisc. Optim. 33, 2007; Acar &
// Rais-Rohani 2009 for pointwise weights): a polynomial regression, a kriging,
// a radial basis function and a support vector regression fitted to the same
// response, predicting their weighted sum with weights that depend on the point.
// Member m's error at x is the root mean square difference between its
// prediction and its leave-one-out predictions for the K sample points nearest
// to x (NearestSampleList),
//   e_m(x) = sqrt(1/K sum_k (y_m(x) - y_m^(-j_k)(x))^2),
// multiplied for the interpolating members (kriging, RBF) by f(t) = 3t^2 - 2t^3,
// t = d(x, s_j0) / d(x, s_j1): near a sample the interpolators are trusted more.
// Members whose error is below 2.2e-16 share the whole weight equally;
// otherwise w_m = (1/e_m) / sum_j (1/e_j).
//
// Decisions where behaviour was open:
// - K = max(n, 2) for a setting below 2; a K above the number of sample points
//   uses every point.
// - Predictions read the nearest-sample list the caller filled for x; a list
//   that is shorter than K (or names a point the model does not have) throws
//   std::logic_error rather than mixing in a stale point.
// - When the two nearest samples are both at distance 0 from x, t = 0.
// - storeQuality writes R^2 (and its clamp) only; storeModel stores nothing.
// - rSquared finds the neighbours of each sample point in a list of its own and
//   leaves the process-wide list as the caller filled it, so that ensembles can
//   be fitted and assessed side by side (ParallelModelBuild); fitting never
//   reads a nearest-sample list.
class EnsembleOfSurrogates : public RSMBase {
public:
    static constexpr int kMemberCount = 4;

    // neighbourSetting below 2 gives K = max(n, 2). Fewer than two points in the
    // current design is fatal.
    EnsembleOfSurrogates(int responseId, const EnsembleMemberSettings& settings, int neighbourSetting);

    double predict(const std::vector<double>& x) const override;
    double predictNormalised(const std::vector<double>& x, bool* ok) const override;
    bool build(bool withCrossValidation) override;
    bool isBuilt() const override { return built; }
    void storeQuality(std::shared_ptr<DataSet> dataSet) const override;
    void storeModel(std::shared_ptr<DataSet> dataSet) const override;
    void loadResponse(int responseId) override;
    void setResponseValues(const std::vector<double>& values) override;
    double rSquared() const override;

    // Fills the process-wide nearest-sample list for x when model is an
    // ensemble, whose prediction reads it; any other model needs nothing. Every
    // caller that predicts with models of any type calls this first.
    static void prepareToPredict(const RSMBase& model, const std::vector<double>& x);

    // The members' errors and weights at x (the list filled for x), in member order.
    std::array<double, kMemberCount> memberErrors(const std::vector<double>& x) const;
    std::array<double, kMemberCount> memberWeights(const std::vector<double>& x) const;
    std::array<const RSMBase*, kMemberCount> members() const;

    // The type-5 record between its type field and the trailer.
    void writeRecord(ModelFileWriter& writer) const;
    static std::shared_ptr<EnsembleOfSurrogates> readRecord(ModelFileReader& reader, int responseId,
                                                            int variableCount);
    // Gives a restored ensemble and its members their sample points.
    void restoreSamples(const std::vector<std::vector<double>>& points);

    int variableCount = 0;
    bool built = false;
    std::shared_ptr<PolynomialRegression> polynomial;
    std::shared_ptr<Kriging> kriging;
    std::shared_ptr<RadialBasisFunction> radialBasis;
    std::shared_ptr<SupportVectorRegression> supportVector;
    int neighbourCount = 2;

private:
    struct Restored {};
    EnsembleOfSurrogates(Restored, int responseId, int variableCount);

    // The first K entries of a filled nearest-sample list, checked.
    std::vector<int> neighbours(const std::vector<int>& list) const;
    std::array<double, kMemberCount> errorsNear(const std::vector<double>& x,
                                                const std::vector<int>& list) const;
    std::array<double, kMemberCount> weightsNear(const std::vector<double>& x,
                                                 const std::vector<int>& list) const;
    double predictNear(const std::vector<double>& x, const std::vector<int>& list) const;
};

} // namespace Opt::RSM
