#include "rsm/PolynomialRegression.h"

#include <cassert>
#include <limits>
#include <stdexcept>
#include <string>

#include "linalg/LinearAlgebra.h"
#include "rsm/CurrentDesign.h"
#include "rsm/FatalError.h"
#include "rsm/ModelFileError.h"
#include "rsm/ModelFileReader.h"
#include "rsm/ModelFileWriter.h"

namespace Opt::RSM {

namespace {

using Linalg::Transpose;

void requireKind(int kind)
{
    if (kind < PolynomialRegression::kMinKind || kind > PolynomialRegression::kMaxKind) {
        throw std::invalid_argument("polynomial regression: kind " + std::to_string(kind) +
                                    " is not one of 0 to 5");
    }
}

Matrix thresholdedPseudoInverse(const Matrix& a)
{
    Matrix inverse;
    const Linalg::LinalgStatus status =
        Linalg::pseudoInverse(a, PolynomialRegression::kSingularValueThreshold, inverse);
    if (!status.ok()) {
        throw std::runtime_error(status.message);
    }
    return inverse;
}

long long wideTermCount(int kind, int variableCount)
{
    requireKind(kind);
    const long long n = variableCount;
    const long long interactions = n * (n - 1) / 2;
    switch (kind) {
    case 0:
        return 1;
    case 1:
        return n + 1;
    case 2:
        return 1 + n + interactions;
    case 3:
        return 2 * n + 1;
    case 4:
        return 1 + 2 * n + interactions;
    default:
        return 1 + 3 * n + interactions;
    }
}

double termValue(const TermTable& terms, std::size_t k, const std::vector<double>& x)
{
    double value = 1.0;
    for (const auto& row : terms) {
        if (row[k] != PRData::kNoFactor) {
            value *= x[static_cast<std::size_t>(row[k])];
        }
    }
    return value;
}

} // namespace

PolynomialRegression::PolynomialRegression(int polynomialKind, int id, int variables, int pointCount,
                                           int excluded)
    : PolynomialRegression(std::make_shared<PRData>(), polynomialKind, id, variables, pointCount,
                           excluded)
{
}

PolynomialRegression::PolynomialRegression(std::shared_ptr<PRData> record, int polynomialKind,
                                           int id, int variables, int pointCount, int excluded)
    : RSMBase(std::move(record), id), variableCount(variables), kind(polynomialKind),
      excludedVariable(excluded)
{
    requireKind(kind);
    if (variableCount < 1) {
        throw std::invalid_argument("polynomial regression: " + std::to_string(variableCount) +
                                    " variables");
    }
    if (excludedVariable >= variableCount) {
        throw std::invalid_argument("polynomial regression: excluded variable " +
                                    std::to_string(excludedVariable) + " of " +
                                    std::to_string(variableCount));
    }
    if (excludedVariable >= 0) {
        installReducedPoints(pointCount);
        --variableCount;
    }
    takeCurrentSample(variableCount);
    currentDesign()->pointSet->responseColumns.emplace(responseId, 0);
    termCount = termCountOf(kind, variableCount);
    auto& fitted = editRecord();
    fitted.terms = termTableOf(kind, variableCount);
    fitted.coefficients.assign(static_cast<std::size_t>(termCount), 0.0);
    fitted.values.assign(samples.size(), 0.0);
}

PolynomialRegression::PolynomialRegression(Restored, std::shared_ptr<PRData> record, int id,
                                           int variables)
    : RSMBase(std::move(record), id), variableCount(variables), built(true)
{
}

int PolynomialRegression::termCountOf(int kind, int n)
{
    const long long count = wideTermCount(kind, n);
    if (count > std::numeric_limits<int>::max()) {
        throw std::invalid_argument("polynomial regression: kind " + std::to_string(kind) + " of " +
                                    std::to_string(n) + " variables has too many terms");
    }
    return static_cast<int>(count);
}

TermTable PolynomialRegression::termTableOf(int kind, int n)
{
    const int count = termCountOf(kind, n);
    TermTable terms;
    for (auto& row : terms) {
        row.assign(static_cast<std::size_t>(count), PRData::kNoFactor);
    }
    std::size_t k = 1; // term 0 is the constant
    const bool linear = kind >= 1;
    const bool interactions = kind == 2 || kind == 4 || kind == 5;
    const bool squares = kind >= 3;
    const bool cubes = kind == 5;
    for (int i = 0; linear && i < n; ++i, ++k) {
        terms[0][k] = i;
    }
    for (int i = 0; interactions && i < n - 1; ++i) {
        for (int j = i + 1; j < n; ++j, ++k) {
            terms[0][k] = j;
            terms[1][k] = i;
        }
    }
    for (int i = 0; squares && i < n; ++i, ++k) {
        terms[0][k] = i;
        terms[1][k] = i;
    }
    for (int i = 0; cubes && i < n; ++i, ++k) {
        terms[0][k] = i;
        terms[1][k] = i;
        terms[2][k] = i;
    }
    assert(k == static_cast<std::size_t>(count));
    return terms;
}

std::vector<double> PolynomialRegression::termValues(const TermTable& terms,
                                                     const std::vector<double>& x)
{
    std::vector<double> values;
    termValues(terms, x, values);
    return values;
}

void PolynomialRegression::termValues(const TermTable& terms, const std::vector<double>& x,
                                      std::vector<double>& values)
{
    values.resize(terms[0].size());
    for (std::size_t k = 0; k < values.size(); ++k) {
        values[k] = termValue(terms, k, x);
    }
}

void PolynomialRegression::installReducedPoints(int pointCount)
{
    const auto design = currentDesign();
    if (pointCount < 2 || design == nullptr) {
        raiseFatal(FatalCause::TooFewPoints);
    }
    if (design->pointSet == nullptr ||
        design->pointSet->points.size() < static_cast<std::size_t>(pointCount)) {
        throw std::invalid_argument("polynomial regression: " + std::to_string(pointCount) +
                                    " points asked of a design that holds fewer");
    }
    std::vector<std::vector<double>> rows;
    for (int i = 0; i < pointCount; ++i) {
        std::vector<double> row = design->pointSet->points[static_cast<std::size_t>(i)];
        if (row.size() != static_cast<std::size_t>(variableCount)) {
            throw std::invalid_argument("polynomial regression: point " + std::to_string(i) +
                                        " of the current design has " + std::to_string(row.size()) +
                                        " coordinates, the model " +
                                        std::to_string(variableCount) + " variables");
        }
        row.erase(row.begin() + excludedVariable);
        rows.push_back(std::move(row));
    }
    design->pointSet->points = std::move(rows);
    design->pointCount = pointCount;
}

bool PolynomialRegression::build(bool withCrossValidation)
{
    return buildOnce(built, [this, withCrossValidation] { fit(withCrossValidation); });
}

void PolynomialRegression::fit(bool withCrossValidation)
{
    if (!basisReady) {
        basisReady = true;
        formBasis();
    }
    auto& fitted = editRecord();
    fitted.coefficients = Linalg::multiply(fitted.solveMatrix, fitted.values);
    if (withCrossValidation && fitted.leaveOneOutCoefficients.empty()) {
        computeLeaveOneOut();
    }
}

void PolynomialRegression::formBasis()
{
    auto& fitted = editRecord();
    const int pointCount = sampleCount();
    fitted.basis = Matrix(pointCount, termCount);
    for (int i = 0; i < pointCount; ++i) {
        const std::vector<double> row = termValues(fitted.terms, samples[static_cast<std::size_t>(i)]);
        for (int k = 0; k < termCount; ++k) {
            fitted.basis(i, k) = row[static_cast<std::size_t>(k)];
        }
    }
    const Matrix normal = Linalg::multiply(fitted.basis, fitted.basis, Transpose::Yes);
    fitted.solveMatrix =
        Linalg::multiply(thresholdedPseudoInverse(normal), fitted.basis, Transpose::No, Transpose::Yes);
}

void PolynomialRegression::computeLeaveOneOut()
{
    auto& fitted = editRecord();
    const Matrix normal = Linalg::multiply(fitted.basis, fitted.basis, Transpose::Yes);
    const std::vector<double> moment = Linalg::multiply(fitted.basis, fitted.values, Transpose::Yes);
    const int pointCount = sampleCount();
    std::vector<std::vector<double>> rows(static_cast<std::size_t>(pointCount));
    for (int i = 0; i < pointCount; ++i) {
        const double y = fitted.values[static_cast<std::size_t>(i)];
        Matrix reduced = normal;
        std::vector<double> rightHandSide = moment;
        for (int c = 0; c < termCount; ++c) {
            const double fc = fitted.basis(i, c);
            rightHandSide[static_cast<std::size_t>(c)] -= fc * y;
            for (int r = 0; r < termCount; ++r) {
                reduced(r, c) -= fitted.basis(i, r) * fc;
            }
        }
        rows[static_cast<std::size_t>(i)] =
            Linalg::multiply(thresholdedPseudoInverse(reduced), rightHandSide);
    }
    fitted.leaveOneOutCoefficients = std::move(rows);
}

double PolynomialRegression::polynomialAt(const std::vector<double>& coefficients,
                                          const std::vector<double>& x) const
{
    requirePoint(x, variableCount);
    const TermTable& terms = record().terms;
    double value = 0.0;
    for (std::size_t k = 0; k < coefficients.size(); ++k) {
        value += coefficients[k] * termValue(terms, k, x);
    }
    return value;
}

double PolynomialRegression::predict(const std::vector<double>& x) const
{
    return polynomialAt(record().coefficients, x) * data->scale;
}

double PolynomialRegression::predictNormalised(const std::vector<double>& x, bool* ok) const
{
    const double value = polynomialAt(record().coefficients, x);
    if (ok != nullptr) {
        *ok = true;
    }
    return value;
}

double PolynomialRegression::predictLeaveOneOut(int sample, const std::vector<double>& x) const
{
    const auto& rows = record().leaveOneOutCoefficients;
    if (sample < 0 || static_cast<std::size_t>(sample) >= rows.size()) {
        throw std::out_of_range("polynomial regression: no leave-one-out coefficients for sample " +
                                std::to_string(sample) + " (" + std::to_string(rows.size()) +
                                " rows; build(true) computes them)");
    }
    return polynomialAt(rows[static_cast<std::size_t>(sample)], x) * data->scale;
}

double PolynomialRegression::rSquared() const
{
    return determinationAtSamples([this](int i) {
        return polynomialAt(record().coefficients, samples[static_cast<std::size_t>(i)]);
    });
}

double PolynomialRegression::looRSquared() const
{
    const auto& rows = record().leaveOneOutCoefficients;
    if (rows.size() != samples.size() || rows.empty()) {
        return 0.0;
    }
    return determinationAtSamples([this, &rows](int i) {
        const auto at = static_cast<std::size_t>(i);
        return polynomialAt(rows[at], samples[at]);
    });
}

double PolynomialRegression::adjusted(double measure) const
{
    const int freedom = sampleCount() - termCount - 1;
    if (freedom <= 0) {
        return 0.0;
    }
    const double factor = static_cast<double>(sampleCount() - 1) / static_cast<double>(freedom);
    return 1.0 - (1.0 - measure) * factor;
}

void PolynomialRegression::storeQuality(std::shared_ptr<DataSet> dataSet) const
{
    if (dataSet == nullptr) {
        return;
    }
    SurrogateSummary& summary = dataSet->surrogateSummaries[responseId];
    const double r2 = rSquared();
    summary.rSquared = clampToUnitInterval(r2);
    summary.adjustedRSquared = clampToUnitInterval(adjusted(r2));
    summary.qSquared.reset();
    summary.adjustedQSquared.reset();
    if (record().leaveOneOutCoefficients.size() == samples.size() && !samples.empty()) {
        const double q2 = looRSquared();
        summary.qSquared = clampToUnitInterval(q2);
        summary.adjustedQSquared = clampToUnitInterval(adjusted(q2));
    }
}

void PolynomialRegression::storeModel(std::shared_ptr<DataSet> dataSet) const
{
    if (dataSet == nullptr) {
        return;
    }
    SurrogateSummary& summary = dataSet->surrogateSummaries[responseId];
    summary.modelType = modelType();
    summary.kind = kind;
    summary.coefficients = record().coefficients;
    summary.constant = 0.0;
    summary.terms = record().terms;
}

void PolynomialRegression::selectResponse(int id)
{
    responseId = id;
    data->values = readResponseColumn(id, nullptr);
}

void PolynomialRegression::writeBlock(ModelFileWriter& writer, bool withLeaveOneOut) const
{
    writer.writeVector(record().coefficients);
    writer.writeIntTable(record().terms);
    if (withLeaveOneOut) {
        writer.writeRows(record().leaveOneOutCoefficients);
    }
}

std::shared_ptr<PolynomialRegression> PolynomialRegression::readBlock(ModelFileReader& reader,
                                                                      int id, int variables,
                                                                      bool withLeaveOneOut)
{
    auto model = std::shared_ptr<PolynomialRegression>(
        new PolynomialRegression(Restored{}, std::make_shared<PRData>(), id, variables));
    model->readCoefficientsAndTerms(reader);
    auto& fitted = model->editRecord();
    const std::size_t count = fitted.coefficients.size();
    if (withLeaveOneOut) {
        fitted.leaveOneOutCoefficients = reader.readRows("polynomial leave-one-out coefficients");
        for (const auto& row : fitted.leaveOneOutCoefficients) {
            if (row.size() != count) {
                throw ModelFileError{"a leave-one-out row of " + std::to_string(row.size()) +
                                     " coefficients for " + std::to_string(count) + " terms"};
            }
        }
    }
    model->basisReady = true;
    return model;
}

void PolynomialRegression::readCoefficientsAndTerms(ModelFileReader& reader)
{
    auto& fitted = editRecord();
    const int variables = variableCount;
    fitted.coefficients = reader.readVector("polynomial coefficients");
    fitted.terms = reader.readIntTable("polynomial term table");
    const std::size_t count = fitted.coefficients.size();
    if (fitted.terms[0].size() != count || count == 0) {
        throw ModelFileError{"a polynomial of " + std::to_string(count) + " coefficients has " +
                             std::to_string(fitted.terms[0].size()) + " terms"};
    }
    for (const auto& row : fitted.terms) {
        for (const int index : row) {
            if (index != PRData::kNoFactor && (index < 0 || index >= variables)) {
                throw ModelFileError{"a polynomial term names variable " + std::to_string(index) +
                                     " of a model of " + std::to_string(variables) + " variables"};
            }
        }
    }
    termCount = static_cast<int>(count);
    kind = -1;
    for (int k = kMinKind; k <= kMaxKind; ++k) {
        if (wideTermCount(k, variables) == static_cast<long long>(count) &&
            termTableOf(k, variables) == fitted.terms) {
            kind = k;
            break;
        }
    }
}

} // namespace Opt::RSM
