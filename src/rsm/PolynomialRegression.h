#pragma once

#include <memory>
#include <vector>

#include "rsm/PRData.h"
#include "rsm/RSMBase.h"

namespace Opt::RSM {

class ModelFileReader;
class ModelFileWriter;

// The least-squares polynomial response surface (model type 1; Myers and
// Montgomery, "Response Surface Methodology", 1995, ch. 2-3). Six kinds, for n
// variables:
//   0 constant                                   p = 1
//   1 + linear                                   p = n + 1
//   2 + linear, interactions                     p = 1 + n + n(n-1)/2
//   3 + linear, pure squares                     p = 2n + 1
//   4 + linear, interactions, pure squares       p = 1 + 2n + n(n-1)/2
//   5 + linear, interactions, squares, cubes     p = 1 + 3n + n(n-1)/2
// Terms in order: the constant, x_i (i ascending), x_j x_i (i = 0..n-2,
// j = i+1..n-1), x_i^2, x_i^3.
//
// The coefficients are beta = (F^T F)^+ F^T y with the pseudo-inverse from the
// singular value decomposition, singular values at or below the absolute
// threshold 0.001 dropped: a rank-deficient design, or fewer points than terms,
// still gives a model (the minimum-norm least-squares one). The basis matrix F
// and H = (F^T F)^+ F^T depend only on the sample points and are formed once;
// the fit for a set of values is one product H y.
//
// Leave-one-out: the coefficients fitted without point i solve the same
// thresholded normal equations of the other points. Their normal matrix and
// right-hand side are the full ones less point i's contribution,
// F^T F - f_i f_i^T and F^T y - f_i y_i, so each refit costs one p x p
// pseudo-inverse instead of forming an (N-1) x p basis again: O(N p^3) for all
// points, with the same threshold rule as an honest refit.
//
// The excluded-variable form (for the analysis of variance of robust
// optimisation) drops coordinate k of the first m points of the current design,
// installs those rows as the design's points and fits n - 1 variables.
//
// Decisions where behaviour was open:
// - Adjusted measures: with N - p - 1 <= 0 no residual degree of freedom is left
//   and the sample says nothing about the model beyond itself, so adjusted R^2
//   and adjusted Q^2 are stored as 0.
// - Without leave-one-out data (build(false)) looRSquared gives 0.0 and
//   storeQuality leaves the two Q^2 slots empty.
// - The point count m is read only by the excluded-variable form; otherwise the
//   model takes every point of the current design.
// - A model read from a model file has no sample values: rSquared gives 0.0. Its
//   kind is recognised from the stored term table (-1 when the table is not one
//   of the six kinds; it still predicts).
class PolynomialRegression : public RSMBase {
public:
    static constexpr int kMinKind = 0;
    static constexpr int kMaxKind = 5;
    static constexpr double kSingularValueThreshold = 0.001;

    // kind outside 0..5, or fewer than one variable, throws std::invalid_argument.
    PolynomialRegression(int kind, int responseId, int variableCount, int pointCount,
                         int excludedVariable = -1);

    static int termCountOf(int kind, int variableCount);
    static TermTable termTableOf(int kind, int variableCount);
    // The value of every term at x.
    static std::vector<double> termValues(const TermTable& terms, const std::vector<double>& x);
    // The same into values (resized), for loops that reuse one vector.
    static void termValues(const TermTable& terms, const std::vector<double>& x,
                           std::vector<double>& values);

    double looRSquared() const override;
    double predict(const std::vector<double>& x) const override;
    double predictNormalised(const std::vector<double>& x, bool* ok) const override;
    bool build(bool withCrossValidation) override;
    bool isBuilt() const override { return built; }
    void storeQuality(std::shared_ptr<DataSet> dataSet) const override;
    void storeModel(std::shared_ptr<DataSet> dataSet) const override;
    double rSquared() const override;
    double predictLeaveOneOut(int sample, const std::vector<double>& x) const override;
    void selectResponse(int responseId) override;

    // The PR block of the model file: coefficients, term table and, when asked,
    // the leave-one-out coefficient rows.
    void writeBlock(ModelFileWriter& writer, bool withLeaveOneOut) const;
    // A fitted model from a PR block; term indices must name one of
    // variableCount variables (ModelFileError otherwise).
    static std::shared_ptr<PolynomialRegression> readBlock(ModelFileReader& reader, int responseId,
                                                           int variableCount,
                                                           bool withLeaveOneOut);

    const PRData& record() const { return static_cast<const PRData&>(*data); }

    int variableCount = 0;
    bool built = false;
    int kind = 0;
    int termCount = 0;
    int excludedVariable = -1;
    bool basisReady = false;

protected:
    struct Restored {};
    // For derived models (kriging): the same construction with their own record,
    // which must derive from PRData.
    PolynomialRegression(std::shared_ptr<PRData> record, int kind, int responseId,
                         int variableCount, int pointCount, int excludedVariable);
    // A fitted model restored from a model file into the given record.
    PolynomialRegression(Restored, std::shared_ptr<PRData> record, int responseId,
                         int variableCount);

    PRData& editRecord() { return static_cast<PRData&>(*data); }
    void fit(bool withCrossValidation);
    // The basis matrix F of the sample points and H = (F^T F)^+ F^T.
    void formBasis();
    // Reads coefficients and term table of a PR block into the record and checks
    // them; sets termCount and recognises kind.
    void readCoefficientsAndTerms(ModelFileReader& reader);

private:
    void installReducedPoints(int pointCount);
    void computeLeaveOneOut();
    double polynomialAt(const std::vector<double>& coefficients, const std::vector<double>& x) const;
    double adjusted(double measure) const;
};

} // namespace Opt::RSM
