#include "rsm/RadialBasisFunction.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "common/NumericConstants.h"
#include "rsm/ModelFileError.h"
#include "rsm/ModelFileReader.h"
#include "rsm/ModelFileWriter.h"

namespace Opt::RSM {

namespace {

using Linalg::SymmetricEigenDecomposition;
using Linalg::Transpose;

void requireBasis(int basisKind)
{
    if (basisKind < RadialBasisFunction::kMinBasis || basisKind > RadialBasisFunction::kMaxBasis) {
        throw std::invalid_argument("radial basis function: basis kind " +
                                    std::to_string(basisKind) + " is not one of 0 to 5");
    }
}

double squaredDistance(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0.0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        sum += (a[k] - b[k]) * (a[k] - b[k]);
    }
    return sum;
}

double meanOf(const std::vector<double>& values)
{
    double sum = 0.0;
    for (const double v : values) {
        sum += v;
    }
    return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
}

SymmetricEigenDecomposition decompose(const Matrix& phi)
{
    SymmetricEigenDecomposition eigen = Linalg::decomposeSymmetricEigen(phi);
    if (!eigen.status.ok()) {
        throw std::runtime_error(eigen.status.message);
    }
    return eigen;
}

double largestMagnitude(const std::vector<double>& values)
{
    double largest = 0.0;
    for (const double v : values) {
        largest = std::max(largest, std::fabs(v));
    }
    return largest;
}

// 1/lambda for the eigenvalues the cut-off keeps, 0 for the others.
std::vector<double> keptReciprocals(const std::vector<double>& eigenvalues, int* dropped)
{
    const double cutoff = RadialBasisFunction::kRelativeCutoff * largestMagnitude(eigenvalues);
    std::vector<double> reciprocals(eigenvalues.size(), 0.0);
    int droppedCount = 0;
    for (std::size_t j = 0; j < eigenvalues.size(); ++j) {
        if (std::fabs(eigenvalues[j]) >= cutoff && eigenvalues[j] != 0.0) {
            reciprocals[j] = 1.0 / eigenvalues[j];
        } else {
            ++droppedCount;
        }
    }
    if (dropped != nullptr) {
        *dropped = droppedCount;
    }
    return reciprocals;
}

// Phi^+ = Q diag(kept 1/lambda) Q^T.
Matrix pseudoInverseFrom(const SymmetricEigenDecomposition& eigen, int* dropped)
{
    const std::vector<double> reciprocals = keptReciprocals(eigen.values, dropped);
    Matrix scaled = eigen.vectors;
    for (int c = 0; c < scaled.columns(); ++c) {
        for (int r = 0; r < scaled.rows(); ++r) {
            scaled(r, c) *= reciprocals[static_cast<std::size_t>(c)];
        }
    }
    return Linalg::multiply(scaled, eigen.vectors, Transpose::No, Transpose::Yes);
}

// Phi^+ rhs without forming Phi^+: Q diag(kept 1/lambda) Q^T rhs.
std::vector<double> solveByPseudoInverse(const Matrix& phi, const std::vector<double>& rhs)
{
    const SymmetricEigenDecomposition eigen = decompose(phi);
    const std::vector<double> reciprocals = keptReciprocals(eigen.values, nullptr);
    std::vector<double> projected = Linalg::multiply(eigen.vectors, rhs, Transpose::Yes);
    for (std::size_t j = 0; j < projected.size(); ++j) {
        projected[j] *= reciprocals[j];
    }
    return Linalg::multiply(eigen.vectors, projected);
}

Matrix withoutRowAndColumn(const Matrix& a, int left)
{
    const int n = a.rows() - 1;
    Matrix reduced(n, n);
    for (int c = 0; c < n; ++c) {
        const int sourceColumn = c < left ? c : c + 1;
        for (int r = 0; r < n; ++r) {
            reduced(r, c) = a(r < left ? r : r + 1, sourceColumn);
        }
    }
    return reduced;
}

} // namespace

RadialBasisFunction::RadialBasisFunction(int id, int basis, int variables, int /*pointCount*/)
    : RSMBase(std::make_shared<RBFData>(), id), variableCount(variables), basisKind(basis)
{
    requireBasis(basisKind);
    if (variableCount < 1) {
        throw std::invalid_argument("radial basis function: " + std::to_string(variableCount) +
                                    " variables");
    }
    takeCurrentSample(variableCount);
    auto& fitted = editRecord();
    fitted.values.assign(samples.size(), 0.0);
    fitted.weights.assign(samples.size(), 0.0);
    formInterpolationMatrix();
}

RadialBasisFunction::RadialBasisFunction(Restored, int id, int variables)
    : RSMBase(std::make_shared<RBFData>(), id), variableCount(variables), built(true)
{
}

double RadialBasisFunction::basisValue(int basis, double q)
{
    switch (basis) {
    case 0:
        return std::sqrt(q);
    case 1:
        return q * std::sqrt(q);
    case 2:
        return std::fabs(q) < kNumericZero ? q : q * std::log(std::sqrt(q));
    case 3:
        return std::exp(-0.5 * q);
    case 4:
        return std::sqrt(q + 1.0);
    default:
        return 1.0 / std::sqrt(q + 1.0);
    }
}

void RadialBasisFunction::formInterpolationMatrix()
{
    const int n = sampleCount();
    Matrix& phi = editRecord().interpolation;
    phi = Matrix(n, n);
    for (int j = 0; j < n; ++j) {
        for (int i = j; i < n; ++i) {
            const double q = squaredDistance(samples[static_cast<std::size_t>(i)],
                                             samples[static_cast<std::size_t>(j)]);
            phi(i, j) = basisValue(basisKind, q);
            phi(j, i) = phi(i, j);
        }
    }
}

void RadialBasisFunction::loadResponse(int id)
{
    RSMBase::loadResponse(id);
    editRecord().mean = meanOf(data->values);
}

bool RadialBasisFunction::build(bool withCrossValidation)
{
    return buildOnce(built, [this, withCrossValidation] { fit(withCrossValidation); });
}

void RadialBasisFunction::fit(bool withCrossValidation)
{
    auto& fitted = editRecord();
    fitted.mean = meanOf(fitted.values);
    const SymmetricEigenDecomposition eigen = decompose(fitted.interpolation);
    int dropped = 0;
    fitted.solveMatrix = pseudoInverseFrom(eigen, &dropped);
    std::vector<double> centred = fitted.values;
    for (double& v : centred) {
        v -= fitted.mean;
    }
    fitted.weights = Linalg::multiply(fitted.solveMatrix, centred);
    if (withCrossValidation) {
        computeLeaveOneOut(eigen, dropped == 0);
    }
}

// Whether the inverse of Phi without row and column `sample` follows from
// P = Phi^-1 with every singular value kept by the cut-off, proven by
// sigma_max(Phi) * ||Phi_i^-1||_F <= kLeaveOneOutConditionLimit. With
// P = Q diag(1/lambda) Q^T and d_k = (P^k)_ii = sum_j Q_ij^2 / lambda_j^k:
//   beta = d_1, ||p||^2 = d_2 - beta^2, p^T B p = d_3 - 2 beta d_2 + beta^3,
//   ||B||_F^2 = ||P||_F^2 - 2 ||p||^2 - beta^2,
//   ||B - p p^T / beta||_F^2 = ||B||_F^2 - 2 p^T B p / beta + ||p||^4 / beta^2.
bool RadialBasisFunction::leaveOneOutByFormula(const SymmetricEigenDecomposition& eigen,
                                               int sample) const
{
    double d1 = 0.0;
    double d2 = 0.0;
    double d3 = 0.0;
    double frobenius = 0.0;
    for (std::size_t j = 0; j < eigen.values.size(); ++j) {
        const double inverse = 1.0 / eigen.values[j];
        const double q = eigen.vectors(sample, static_cast<int>(j));
        const double weight = q * q * inverse;
        d1 += weight;
        d2 += weight * inverse;
        d3 += weight * inverse * inverse;
        frobenius += inverse * inverse;
    }
    const double beta = d1;
    if (beta == 0.0) {
        return false;
    }
    const double columnNorm = d2 - beta * beta;
    const double quadratic = d3 - 2.0 * beta * d2 + beta * beta * beta;
    const double rest = frobenius - 2.0 * columnNorm - beta * beta;
    const double reducedNorm =
        rest - 2.0 * quadratic / beta + columnNorm * columnNorm / (beta * beta);
    const double largest = largestMagnitude(eigen.values);
    const double limit = kLeaveOneOutConditionLimit;
    return std::isfinite(reducedNorm) && reducedNorm > 0.0 &&
           largest * largest * reducedNorm <= limit * limit;
}

void RadialBasisFunction::computeLeaveOneOut(const SymmetricEigenDecomposition& eigen,
                                             bool wholeInverse)
{
    auto& fitted = editRecord();
    const int n = sampleCount();
    const auto count = static_cast<std::size_t>(n);
    const Matrix& p = fitted.solveMatrix;
    const std::vector<double> rowSums = wholeInverse ? Linalg::multiply(p, std::vector<double>(count, 1.0))
                                                     : std::vector<double>();
    fitted.leaveOneOutWeights.assign(count, std::vector<double>());
    fitted.leaveOneOutMeans.assign(count, 0.0);
    leaveOneOutRefits = 0;
    for (int i = 0; i < n; ++i) {
        const auto at = static_cast<std::size_t>(i);
        std::vector<double> others = fitted.values;
        others.erase(others.begin() + i);
        // Summed in the order a refit sums them: where Phi needs the cut-off the
        // weights are sensitive to the last bit of the mean.
        const double leftMean = meanOf(others);
        fitted.leaveOneOutMeans[at] = leftMean;
        std::vector<double> weights(count, 0.0);
        if (wholeInverse && leaveOneOutByFormula(eigen, i)) {
            // v = P (y - b_i 1) with entry i of y - b_i 1 set to 0; then the
            // reduced inverse applied to the other entries is v - p v_i / P_ii.
            const double shift = fitted.mean - leftMean;
            const double own = fitted.values[at] - leftMean;
            std::vector<double> v(count);
            for (std::size_t j = 0; j < count; ++j) {
                v[j] = fitted.weights[j] + shift * rowSums[j] - own * p(static_cast<int>(j), i);
            }
            const double ratio = v[at] / p(i, i);
            for (std::size_t j = 0; j < count; ++j) {
                weights[j] = j == at ? 0.0 : v[j] - p(static_cast<int>(j), i) * ratio;
            }
        } else {
            ++leaveOneOutRefits;
            for (double& v : others) {
                v -= leftMean;
            }
            const std::vector<double> reduced =
                solveByPseudoInverse(withoutRowAndColumn(fitted.interpolation, i), others);
            for (std::size_t j = 0, k = 0; j < count; ++j) {
                weights[j] = j == at ? 0.0 : reduced[k++];
            }
        }
        fitted.leaveOneOutWeights[at] = std::move(weights);
    }
}

double RadialBasisFunction::expansionAt(const std::vector<double>& weights, double mean,
                                        const std::vector<double>& x) const
{
    requirePoint(x, variableCount);
    if (weights.size() != samples.size()) {
        throw std::logic_error("radial basis function: " + std::to_string(weights.size()) +
                               " weights for " + std::to_string(samples.size()) +
                               " sample points (a restored model needs its sample)");
    }
    double value = mean;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        value += weights[i] * basisValue(basisKind, squaredDistance(x, samples[i]));
    }
    return value;
}

double RadialBasisFunction::predict(const std::vector<double>& x) const
{
    return expansionAt(record().weights, record().mean, x);
}

double RadialBasisFunction::predictNormalised(const std::vector<double>& x, bool* ok) const
{
    const double value = predict(x);
    if (ok != nullptr) {
        *ok = true;
    }
    return value;
}

double RadialBasisFunction::predictLeaveOneOut(int sample, const std::vector<double>& x) const
{
    const auto& rows = record().leaveOneOutWeights;
    if (sample < 0 || static_cast<std::size_t>(sample) >= rows.size()) {
        throw std::out_of_range("radial basis function: no leave-one-out weights for sample " +
                                std::to_string(sample) + " (" + std::to_string(rows.size()) +
                                " rows; build(true) computes them)");
    }
    const auto at = static_cast<std::size_t>(sample);
    return expansionAt(rows[at], record().leaveOneOutMeans[at], x);
}

double RadialBasisFunction::rSquared() const
{
    return determinationAtSamples(
        [this](int i) { return predict(samples[static_cast<std::size_t>(i)]); });
}

double RadialBasisFunction::leaveOneOutDetermination() const
{
    if (record().leaveOneOutWeights.size() != samples.size() || samples.empty()) {
        return 0.0;
    }
    return determinationAtSamples([this](int i) {
        return predictLeaveOneOut(i, samples[static_cast<std::size_t>(i)]);
    });
}

void RadialBasisFunction::storeQuality(std::shared_ptr<DataSet> dataSet) const
{
    if (dataSet == nullptr) {
        return;
    }
    SurrogateSummary& summary = dataSet->surrogateSummaries[responseId];
    summary.rSquared = clampToUnitInterval(rSquared());
    summary.adjustedRSquared.reset();
    summary.qSquared.reset();
    summary.adjustedQSquared.reset();
    if (record().leaveOneOutWeights.size() == samples.size() && !samples.empty()) {
        summary.qSquared = clampToUnitInterval(leaveOneOutDetermination());
    }
}

void RadialBasisFunction::storeModel(std::shared_ptr<DataSet> dataSet) const
{
    if (dataSet == nullptr) {
        return;
    }
    SurrogateSummary& summary = dataSet->surrogateSummaries[responseId];
    summary.modelType = modelType();
    summary.kind = basisKind;
    summary.coefficients = record().weights;
    summary.constant = record().mean;
    summary.terms = {};
}

void RadialBasisFunction::writeBlock(ModelFileWriter& writer, bool withLeaveOneOut) const
{
    writer.writeVector(record().weights);
    writer.writeDouble(record().mean);
    writer.writeInt(basisKind);
    if (withLeaveOneOut) {
        writer.writeRows(record().leaveOneOutWeights);
        writer.writeVector(record().leaveOneOutMeans);
    }
}

std::shared_ptr<RadialBasisFunction> RadialBasisFunction::readBlock(ModelFileReader& reader, int id,
                                                                    int variables,
                                                                    bool withLeaveOneOut)
{
    auto model = std::shared_ptr<RadialBasisFunction>(new RadialBasisFunction(Restored{}, id, variables));
    auto& fitted = model->editRecord();
    fitted.weights = reader.readVector("RBF weights");
    fitted.mean = reader.readDouble("RBF mean");
    model->basisKind = reader.readInt("RBF basis kind");
    if (model->basisKind < kMinBasis || model->basisKind > kMaxBasis) {
        throw ModelFileError{"RBF basis kind " + std::to_string(model->basisKind) +
                             " is not one of 0 to 5"};
    }
    if (withLeaveOneOut) {
        const std::size_t count = fitted.weights.size();
        fitted.leaveOneOutWeights = reader.readRows("RBF leave-one-out weights");
        fitted.leaveOneOutMeans = reader.readVector("RBF leave-one-out means");
        bool square = fitted.leaveOneOutWeights.size() == count &&
                      fitted.leaveOneOutMeans.size() == count;
        for (const auto& row : fitted.leaveOneOutWeights) {
            square = square && row.size() == count;
        }
        if (!square) {
            throw ModelFileError{"the RBF leave-one-out data do not match its " +
                                 std::to_string(count) + " weights"};
        }
    }
    return model;
}

} // namespace Opt::RSM
