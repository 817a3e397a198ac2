#include "rsm/Kriging.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "common/NumericConstants.h"
#include "engine/EngineFactory.h"
#include "engine/OptEngine.h"
#include "linalg/LinearAlgebra.h"
#include "linalg/VectorMath.h"
#include "rsm/ModelFileError.h"
#include "rsm/ModelFileReader.h"
#include "rsm/ModelFileWriter.h"

namespace Opt::RSM {

namespace {

using Linalg::Transpose;
using Linalg::dot;

constexpr double kThetaStart = 0.3;
constexpr double kPowerKindStart = 1.5;
constexpr double kThetaUpper = 10.0;
constexpr double kPowerLower = 1.0;
constexpr double kPowerUpper = 2.0;
// Settings of the default DIRECT search: division depth (setting 2) and
// iterations (setting 3) grow with the number of variables up to these caps.
constexpr int kDepthPerVariable = 300;
constexpr int kDepthCap = 1000;
constexpr int kIterationsPerVariable = 10;
constexpr int kIterationsCap = 40;
constexpr int kDirectOptionInts = 6;
constexpr int kGeneticOptionInts = 11;
constexpr int kGeneticOptionReals = 3;

void requireCorrelationKind(int kind)
{
    if (kind < Kriging::kMinCorrelationKind || kind > Kriging::kMaxCorrelationKind) {
        throw std::invalid_argument("kriging: correlation kind " + std::to_string(kind) +
                                    " is not one of 0 to 2");
    }
}

void fail(const Linalg::LinalgStatus& status)
{
    if (!status.ok()) {
        throw std::runtime_error("kriging: " + status.message);
    }
}

Matrix pseudoInverseOf(const Matrix& a)
{
    Matrix inverse;
    fail(Linalg::pseudoInverse(a, PolynomialRegression::kSingularValueThreshold, inverse));
    return inverse;
}

template <typename T>
std::vector<T> firstOf(const std::vector<T>& values, std::size_t count)
{
    return std::vector<T>(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(
                                                               std::min(count, values.size())));
}

// sigma^2 = w^T (A w) / N, the same sum for a fitted and for a restored model.
double processVarianceOf(const std::vector<double>& weights, const std::vector<double>& aw)
{
    return weights.empty() ? 0.0 : dot(weights, aw) / static_cast<double>(weights.size());
}

} // namespace

// ---------------------------------------------------------------- settings

int Kriging::hyperParameterCount(int kind, int variableCount)
{
    requireCorrelationKind(kind);
    return kind == 2 ? 2 * variableCount : variableCount;
}

std::vector<double> Kriging::startValues(int kind, int variableCount)
{
    const double start = kind == 2 ? kPowerKindStart : kThetaStart;
    return std::vector<double>(static_cast<std::size_t>(hyperParameterCount(kind, variableCount)),
                               start);
}

std::vector<std::vector<double>> Kriging::searchBounds(int kind, int variableCount)
{
    std::vector<std::vector<double>> bounds(static_cast<std::size_t>(variableCount),
                                            std::vector<double>{0.0, kThetaUpper});
    if (kind == 2) {
        bounds.resize(static_cast<std::size_t>(2 * variableCount),
                      std::vector<double>{kPowerLower, kPowerUpper});
    }
    return bounds;
}

Kriging::SearchPlan Kriging::searchPlan(const KrigingSearchOptions* options, int variableCount)
{
    SearchPlan plan;
    if (options == nullptr) {
        plan.settings.ints = {kUnsetInt, kUnsetInt,
                              std::min(kDepthPerVariable * variableCount, kDepthCap),
                              std::min(kIterationsPerVariable * variableCount, kIterationsCap)};
        return plan;
    }
    if (options->kind == KrigingSearchOptions::kGeneticAlgorithm) {
        plan.engineType = kGeneticAlgorithmEngineType;
        plan.settings.ints = firstOf(options->ints, kGeneticOptionInts);
        plan.settings.reals = firstOf(options->reals, kGeneticOptionReals);
        return plan;
    }
    if (options->kind != KrigingSearchOptions::kDirect) {
        throw std::invalid_argument("kriging: search options of kind " +
                                    std::to_string(options->kind) + " (0 GA, 1 DIRECT)");
    }
    plan.settings.ints = firstOf(options->ints, kDirectOptionInts);
    plan.settings.reals = firstOf(options->reals, 1);
    return plan;
}

double Kriging::correlation(int kind, const std::vector<double>& h, const double* a,
                            const double* b, int n)
{
    double exponent = 0.0;
    for (int k = 0; k < n; ++k) {
        const double d = std::fabs(a[k] - b[k]);
        const auto at = static_cast<std::size_t>(k);
        switch (kind) {
        case 0:
            exponent += h[at] * d;
            break;
        case 1:
            exponent += h[at] * std::sqrt(d) * d;
            break;
        default:
            exponent += h[at] * std::pow(d, h[at + static_cast<std::size_t>(n)]);
            break;
        }
    }
    return std::exp(-exponent);
}

// ---------------------------------------------------------------- construction

Kriging::Kriging(int trendKind, int kind, int mode, int pointCount, int variables, int id,
                 std::shared_ptr<const KrigingSearchOptions> options)
    : PolynomialRegression(std::make_shared<KrigData>(), trendKind, id, variables, pointCount, -1),
      correlationKind(kind), solveMode(mode), searchOptions(std::move(options))
{
    requireCorrelationKind(correlationKind);
    if (solveMode != kCholeskySolve && solveMode != kPseudoInverseSolve) {
        throw std::invalid_argument("kriging: solve mode " + std::to_string(solveMode) +
                                    " (0 Cholesky, 1 pseudo-inverse)");
    }
    editRecord().hyperParameters = startValues(correlationKind, variableCount);
}

Kriging::Kriging(Restored, int id, int variables)
    : PolynomialRegression(Restored{}, std::make_shared<KrigData>(), id, variables)
{
    firstSolve = false;
}

// ---------------------------------------------------------------- fit

bool Kriging::build(bool withCrossValidation)
{
    return buildOnce(built, [this, withCrossValidation] { fitWith(nullptr, withCrossValidation); });
}

bool Kriging::buildWithHyperParameters(const std::vector<double>& hyperParameters,
                                       bool withCrossValidation)
{
    if (hyperParameters.size() !=
        static_cast<std::size_t>(hyperParameterCount(correlationKind, variableCount))) {
        throw std::invalid_argument("kriging: " + std::to_string(hyperParameters.size()) +
                                    " hyper-parameters given");
    }
    return buildOnce(built, [this, &hyperParameters, withCrossValidation] {
        fitWith(&hyperParameters, withCrossValidation);
    });
}

void Kriging::fitWith(const std::vector<double>* given, bool withCrossValidation)
{
    prepare();
    const std::vector<double> best = given != nullptr ? *given : searchHyperParameters();
    finalise(best);
    if (withCrossValidation) {
        computeLeaveOneOut();
    }
}

void Kriging::prepare()
{
    if (!basisReady) {
        basisReady = true;
        formBasis();
    }
    const int n = sampleCount();
    const int p = termCount;
    if (workspace.rightHandSides.rows() != n) {
        workspace.rightHandSides = Matrix(n, p + 1);
        workspace.gram = Matrix(p + 1, p + 1);
        workspace.normal = Matrix(p, p);
        workspace.moment.assign(static_cast<std::size_t>(p), 0.0);
        workspace.residual.assign(static_cast<std::size_t>(n), 0.0);
        editRecord().correlationFactor = Matrix(n, n);
        formPairTable();
    }
}

void Kriging::formPairTable()
{
    const auto n = samples.size();
    const auto width = static_cast<std::size_t>(variableCount);
    const std::size_t pairs = n * (n - 1) / 2;
    workspace.pairTable.clear();
    if (width == 0 || pairs > kPairTableLimit / (2 * width)) {
        return; // too large to keep: fillCorrelation computes each term instead
    }
    workspace.pairCount = pairs;
    workspace.pairTable.resize(pairs * width);
    workspace.weightedTerms.assign(pairs * width, 0.0);
    workspace.weightedTermKeys.assign(width, WeightedTermKey{});
    workspace.weightedColumns.assign(width, nullptr);
    for (std::size_t k = 0; k < width; ++k) {
        double* term = workspace.pairTable.data() + k * pairs;
        for (std::size_t j = 0; j < n; ++j) {
            for (std::size_t i = j + 1; i < n; ++i, ++term) {
                const double d = std::fabs(samples[i][k] - samples[j][k]);
                *term = correlationKind == 0   ? d
                        : correlationKind == 1 ? std::sqrt(d) * d
                                               : std::log2(d);
            }
        }
    }
}

void Kriging::fillLowerFromPairTable(const std::vector<double>& h, Matrix& r)
{
    std::vector<const double*>& weighted = workspace.weightedColumns;
    for (std::size_t k = 0; k < weighted.size(); ++k) {
        weighted[k] = weightedTermsOf(k, h);
    }
    // Column j of the lower triangle holds the pairs (i > j, j), which follow
    // one another in the pair table: sum the coordinates' terms into it and
    // take exp in place.
    const int n = sampleCount();
    std::size_t firstPair = 0;
    for (int j = 0; j < n; ++j) {
        r(j, j) = 1.0;
        const auto count = static_cast<std::size_t>(n - j - 1);
        double* column = &r(0, j) + j + 1;
        std::fill_n(column, count, 0.0);
        for (const double* terms : weighted) {
            const double* term = terms + firstPair;
#pragma omp simd
            for (std::size_t i = 0; i < count; ++i) {
                column[i] -= term[i];
            }
        }
        Linalg::exponentiate(column, count);
        firstPair += count;
    }
}

const double* Kriging::weightedTermsOf(std::size_t k, const std::vector<double>& h)
{
    const std::size_t pairs = workspace.pairCount;
    const std::size_t width = static_cast<std::size_t>(variableCount);
    const double theta = h[k];
    const double power = correlationKind == 2 ? h[width + k] : 0.0;
    double* weighted = workspace.weightedTerms.data() + k * pairs;
    WeightedTermKey& key = workspace.weightedTermKeys[k];
    if (key.valid && key.theta == theta && key.power == power) {
        return weighted;
    }
    const double* term = workspace.pairTable.data() + k * pairs;
    if (correlationKind == 2) {
        // d^p = 2^(p log2 d), all pairs at once so that exp2 runs vectorised.
        Linalg::exponentiateBase2(term, power, weighted, pairs);
        term = weighted;
    }
#pragma omp simd
    for (std::size_t at = 0; at < pairs; ++at) {
        weighted[at] = theta * term[at];
    }
    key = {true, theta, power};
    return weighted;
}

std::vector<double> Kriging::searchHyperParameters()
{
    const SearchPlan plan = searchPlan(searchOptions.get(), variableCount);
    auto dataSet = std::make_shared<DataSet>();
    dataSet->engineType = plan.engineType;
    dataSet->bounds = searchBounds(correlationKind, variableCount);
    dataSet->designValues = startValues(correlationKind, variableCount);
    dataSet->currentSearchSettings = plan.settings;
    auto objective = std::make_shared<ResponseDefinition>();
    dataSet->responses[0] = objective;

    const std::shared_ptr<OptEngine> search = engineFactory().buildFromDataSet(dataSet);
    if (search == nullptr) {
        throw std::runtime_error("kriging: no engine of type " + std::to_string(plan.engineType) +
                                 " for the hyper-parameter search");
    }
    likelihoodEvaluations = 0;
    std::vector<double> best = dataSet->designValues;
    double bestObjective = std::numeric_limits<double>::infinity();
    int code = 1;
    while (code == 1) {
        const std::vector<double>& at = dataSet->designValues;
        const Likelihood value = evaluate(at);
        ++likelihoodEvaluations;
        if (zeroVariance(value.variance)) {
            return at; // the sample is reproduced exactly: nothing left to search
        }
        const double f = value.objective();
        if (f < bestObjective) {
            bestObjective = f;
            best = at;
        }
        objective->value = f;
        do {
            code = search->step(nullptr, nullptr, nullptr);
        } while (code == 3);
    }
    return best;
}

bool Kriging::zeroVariance(double variance) const
{
    const auto& values = record().values;
    const double meanSquare =
        values.empty() ? 0.0 : dot(values, values) / static_cast<double>(values.size());
    return variance <= kNumericZero * meanSquare;
}

double Kriging::likelihoodObjective(const std::vector<double>& hyperParameters)
{
    if (hyperParameters.size() !=
        static_cast<std::size_t>(hyperParameterCount(correlationKind, variableCount))) {
        throw std::invalid_argument("kriging: " + std::to_string(hyperParameters.size()) +
                                    " hyper-parameters given");
    }
    prepare();
    return evaluate(hyperParameters).objective();
}

double Kriging::Likelihood::objective() const
{
    // A zero variance (exact reproduction) has no finite logarithm; the search
    // ends before this value is used.
    const double logVariance = variance > 0.0 ? std::log(variance) : -1e300;
    return 0.5 * (pointCount * logVariance + logDeterminant);
}

void Kriging::fillCorrelation(const std::vector<double>& h, Matrix& r) const
{
    const int n = sampleCount();
    for (int j = 0; j < n; ++j) {
        const double* sj = samples[static_cast<std::size_t>(j)].data();
        r(j, j) = 1.0;
        for (int i = j + 1; i < n; ++i) {
            const double value =
                correlation(correlationKind, h, samples[static_cast<std::size_t>(i)].data(), sj,
                            variableCount);
            r(i, j) = value;
            r(j, i) = value;
        }
    }
}

Kriging::Likelihood Kriging::evaluate(const std::vector<double>& h)
{
    firstSolve = false;
    Matrix& r = editRecord().correlationFactor;
    if (solveMode == kCholeskySolve && !workspace.pairTable.empty()) {
        fillLowerFromPairTable(h, r);
    } else {
        fillCorrelation(h, r);
    }
    if (solveMode == kCholeskySolve && Linalg::choleskyFactor(r).ok()) {
        return evaluateCholesky();
    }
    return evaluatePseudoInverse(h);
}

Kriging::Likelihood Kriging::evaluateCholesky()
{
    const KrigData& fitted = record();
    const Matrix& factor = fitted.correlationFactor;
    const int n = sampleCount();
    const int p = termCount;
    Matrix& rhs = workspace.rightHandSides;
    for (int c = 0; c < p; ++c) {
        std::copy_n(fitted.basis.data() + static_cast<std::ptrdiff_t>(c) * n, n,
                    rhs.data() + static_cast<std::ptrdiff_t>(c) * n);
    }
    std::copy_n(fitted.values.data(), n, rhs.data() + static_cast<std::ptrdiff_t>(p) * n);
    fail(Linalg::solveLowerTriangular(factor, rhs));
    Linalg::multiplyInto(rhs, rhs, Transpose::Yes, Transpose::No, workspace.gram);
    for (int c = 0; c < p; ++c) {
        for (int r = 0; r < p; ++r) {
            workspace.normal(r, c) = workspace.gram(r, c);
        }
        workspace.moment[static_cast<std::size_t>(c)] = workspace.gram(c, p);
    }
    solveTrend(workspace.normal, workspace.moment);
    const std::vector<double>& beta = fitted.coefficients;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        double residual = rhs(i, p);
        for (int c = 0; c < p; ++c) {
            residual -= rhs(i, c) * beta[static_cast<std::size_t>(c)];
        }
        sum += residual * residual;
    }
    Likelihood value;
    value.pointCount = n;
    value.variance = sum / n;
    for (int i = 0; i < n; ++i) {
        value.logDeterminant += 2.0 * std::log(factor(i, i));
    }
    return value;
}

Kriging::Likelihood Kriging::evaluatePseudoInverse(const std::vector<double>& h)
{
    KrigData& fitted = editRecord();
    // choleskyFactor may have overwritten R; fill it again.
    fillCorrelation(h, fitted.correlationFactor);
    const Linalg::SymmetricEigenDecomposition eigen =
        Linalg::decomposeSymmetricEigen(fitted.correlationFactor);
    fail(eigen.status);
    const int n = sampleCount();
    Matrix kept(n, 0);
    std::vector<int> columns;
    Likelihood value;
    value.pointCount = n;
    value.cholesky = false;
    for (int k = 0; k < n; ++k) {
        const double lambda = eigen.values[static_cast<std::size_t>(k)];
        if (std::fabs(lambda) > kSingularValueThreshold) {
            columns.push_back(k);
            value.logDeterminant += std::log(std::fabs(lambda));
        }
    }
    // R^+ = V_k diag(1/lambda_k) V_k^T over the kept eigenpairs.
    Matrix scaled(n, static_cast<int>(columns.size()));
    Matrix vectors(n, static_cast<int>(columns.size()));
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const int k = columns[c];
        const double inverse = 1.0 / eigen.values[static_cast<std::size_t>(k)];
        for (int i = 0; i < n; ++i) {
            vectors(i, static_cast<int>(c)) = eigen.vectors(i, k);
            scaled(i, static_cast<int>(c)) = eigen.vectors(i, k) * inverse;
        }
    }
    workspace.inverse = Linalg::multiply(scaled, vectors, Transpose::No, Transpose::Yes);
    const Matrix qf = Linalg::multiply(workspace.inverse, fitted.basis);
    const std::vector<double> qy = Linalg::multiply(workspace.inverse, fitted.values);
    solveTrend(Linalg::multiply(fitted.basis, qf, Transpose::Yes),
               Linalg::multiply(fitted.basis, qy, Transpose::Yes));
    std::vector<double> residual = fitted.values;
    const std::vector<double> trend = Linalg::multiply(fitted.basis, fitted.coefficients);
    for (int i = 0; i < n; ++i) {
        residual[static_cast<std::size_t>(i)] -= trend[static_cast<std::size_t>(i)];
    }
    value.variance = dot(residual, Linalg::multiply(workspace.inverse, residual)) / n;
    return value;
}

void Kriging::solveTrend(const Matrix& normal, const std::vector<double>& moment)
{
    editRecord().coefficients = Linalg::multiply(pseudoInverseOf(normal), moment);
}

void Kriging::finalise(const std::vector<double>& h)
{
    KrigData& fitted = editRecord();
    fitted.hyperParameters = h;
    const Likelihood value = evaluate(h);
    if (value.cholesky) {
        fail(Linalg::invertFromCholesky(fitted.correlationFactor));
    } else {
        fitted.correlationFactor = workspace.inverse;
    }
    fitted.trendValues = Linalg::multiply(fitted.basis, fitted.coefficients);
    fitted.weights = fitted.values;
    for (std::size_t i = 0; i < fitted.weights.size(); ++i) {
        fitted.weights[i] -= fitted.trendValues[i];
    }
    fitted.logDeterminant = value.logDeterminant;
    fitted.determinant = std::exp(value.logDeterminant);
    fitted.logLikelihood = -value.objective();
    deriveFromWeights();
    formVarianceMatrix();
}

void Kriging::deriveFromWeights()
{
    KrigData& fitted = editRecord();
    fitted.predictionWeights = Linalg::multiply(fitted.correlationFactor, fitted.weights);
    fitted.processVariance = processVarianceOf(fitted.weights, fitted.predictionWeights);
}

void Kriging::formVarianceMatrix()
{
    KrigData& fitted = editRecord();
    const int n = sampleCount();
    const int p = termCount;
    Matrix bordered(p + n, p + n);
    for (int c = 0; c < p; ++c) {
        for (int i = 0; i < n; ++i) {
            bordered(p + i, c) = fitted.basis(i, c);
            bordered(c, p + i) = fitted.basis(i, c);
        }
    }
    Matrix r(n, n);
    fillCorrelation(fitted.hyperParameters, r);
    for (int c = 0; c < n; ++c) {
        for (int i = 0; i < n; ++i) {
            bordered(p + i, p + c) = r(i, c);
        }
    }
    Matrix inverse = bordered;
    if (Linalg::invertSymmetric(inverse).ok()) {
        fitted.varianceMatrix = std::move(inverse);
    } else {
        fitted.varianceMatrix = pseudoInverseOf(bordered);
    }
}

void Kriging::computeLeaveOneOut()
{
    KrigData& fitted = editRecord();
    const Matrix& q = fitted.correlationFactor;
    const int n = sampleCount();
    const int p = termCount;
    const Matrix qf = Linalg::multiply(q, fitted.basis);
    const std::vector<double> qy = Linalg::multiply(q, fitted.values);
    const Matrix normal = Linalg::multiply(fitted.basis, qf, Transpose::Yes);
    const std::vector<double> moment = Linalg::multiply(fitted.basis, qy, Transpose::Yes);
    fitted.leaveOneOutCoefficients.assign(static_cast<std::size_t>(n), {});
    fitted.leaveOneOutWeights.assign(static_cast<std::size_t>(n), {});
    Matrix reduced(p, p);
    std::vector<double> reducedMoment(static_cast<std::size_t>(p));
    for (int i = 0; i < n; ++i) {
        const double qii = q(i, i);
        const double ci = qy[static_cast<std::size_t>(i)];
        for (int c = 0; c < p; ++c) {
            reducedMoment[static_cast<std::size_t>(c)] = moment[static_cast<std::size_t>(c)] -
                                                         qf(i, c) * ci / qii;
            for (int r = 0; r < p; ++r) {
                reduced(r, c) = normal(r, c) - qf(i, r) * qf(i, c) / qii;
            }
        }
        std::vector<double> beta = Linalg::multiply(pseudoInverseOf(reduced), reducedMoment);
        double shift = ci;
        for (int c = 0; c < p; ++c) {
            shift -= qf(i, c) * beta[static_cast<std::size_t>(c)];
        }
        shift /= qii;
        std::vector<double> weights(static_cast<std::size_t>(n));
        for (int j = 0; j < n; ++j) {
            double value = qy[static_cast<std::size_t>(j)] - q(j, i) * shift;
            for (int c = 0; c < p; ++c) {
                value -= qf(j, c) * beta[static_cast<std::size_t>(c)];
            }
            weights[static_cast<std::size_t>(j)] = value;
        }
        weights[static_cast<std::size_t>(i)] = 0.0; // zero up to rounding; the point is left out
        fitted.leaveOneOutCoefficients[static_cast<std::size_t>(i)] = std::move(beta);
        fitted.leaveOneOutWeights[static_cast<std::size_t>(i)] = std::move(weights);
    }
}

// ---------------------------------------------------------------- prediction

std::vector<double> Kriging::sampleColumns() const
{
    const std::size_t count = samples.size();
    const auto width = static_cast<std::size_t>(variableCount);
    std::vector<double> columns(count * width);
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t k = 0; k < width; ++k) {
            columns[k * count + i] = samples[i][k];
        }
    }
    return columns;
}

void Kriging::fillDistances(const double* x, const std::vector<double>& columns,
                            const TablePlan& plan, DistanceTable& table) const
{
    const std::size_t count = samples.size();
    const auto width = static_cast<std::size_t>(variableCount);
    table.distance.resize(count * width);
    for (std::size_t k = 0; k < width; ++k) {
        Linalg::absoluteDifferences(x[k], columns.data() + k * count,
                                    table.distance.data() + k * count, count);
    }
    if (plan.power15) {
        table.power15.resize(table.distance.size());
        Linalg::rootTimesSelf(table.distance.data(), table.power15.data(), table.distance.size());
    }
    if (plan.logarithm) {
        // log2 0 = -inf, so that 2^(p log2 d) gives 0 as pow does for p > 0.
        table.logarithm.resize(table.distance.size());
        Linalg::logarithmBase2(table.distance.data(), table.logarithm.data(),
                               table.distance.size());
    }
    table.powers.resize(plan.powers.size() * count);
    for (std::size_t block = 0; block < plan.powers.size(); ++block) {
        const auto [k, power] = plan.powers[block];
        double* t = table.powers.data() + block * count;
        if (power > 0.0 && std::isfinite(power)) {
            Linalg::exponentiateBase2(table.logarithm.data() + k * count, power, t, count);
            continue;
        }
        const double* d = table.distance.data() + k * count;
        for (std::size_t i = 0; i < count; ++i) {
            t[i] = std::pow(d[i], power);
        }
    }
}

Kriging::TablePlan Kriging::planTable(const std::vector<const Kriging*>& group)
{
    TablePlan plan;
    for (const Kriging* model : group) {
        const auto count = model->samples.size();
        const auto width = static_cast<std::size_t>(model->variableCount);
        ModelTerms& terms = plan.models.emplace_back();
        terms.correlationOf = static_cast<std::size_t>(
            std::find_if(group.begin(), group.end(), [model](const Kriging* other) {
                return other->correlationKind == model->correlationKind &&
                       other->record().hyperParameters == model->record().hyperParameters;
            }) - group.begin());
        for (std::size_t k = 0; k < width; ++k) {
            terms.offsets.push_back(k * count);
        }
        if (model->correlationKind == 1) {
            plan.power15 = true;
            terms.source = TermSource::Power15;
        }
        if (model->correlationKind != 2) {
            continue;
        }
        terms.source = TermSource::Powers;
        const std::vector<double>& h = model->record().hyperParameters;
        for (std::size_t k = 0; k < width; ++k) {
            const std::pair<std::size_t, double> pair{k, h[width + k]};
            const auto found = std::find(plan.powers.begin(), plan.powers.end(), pair);
            terms.offsets[k] = static_cast<std::size_t>(found - plan.powers.begin()) * count;
            if (found == plan.powers.end()) {
                plan.powers.push_back(pair);
                plan.logarithm = plan.logarithm || (pair.second > 0.0 && std::isfinite(pair.second));
            }
        }
    }
    return plan;
}

void Kriging::correlationsFrom(const DistanceTable& table, const ModelTerms& terms,
                               std::vector<double>& r) const
{
    const std::vector<double>& source = terms.source == TermSource::Distance  ? table.distance
                                        : terms.source == TermSource::Power15 ? table.power15
                                                                              : table.powers;
    r.resize(samples.size());
    // The first variableCount hyper-parameters are the thetas of every kind.
    Linalg::exponentiateWeightedSum(source.data(), terms.offsets.data(),
                                    record().hyperParameters.data(), terms.offsets.size(), -1.0,
                                    r.data(), r.size());
}

std::vector<double> Kriging::correlationVector(const std::vector<double>& x) const
{
    requirePoint(x, variableCount);
    const TablePlan plan = planTable({this});
    DistanceTable table;
    fillDistances(x.data(), sampleColumns(), plan, table);
    std::vector<double> r;
    correlationsFrom(table, plan.models.front(), r);
    return r;
}

void Kriging::predictMany(const double* points, int count, int dimension, double* values) const
{
    predictModels({this}, points, count, dimension, {values});
}

void Kriging::predictSharingSample(const std::vector<const Kriging*>& group, const double* points,
                                   int count, const std::vector<double*>& values)
{
    const Kriging& first = *group.front();
    const std::vector<double> columns = first.sampleColumns();
    const TablePlan plan = planTable(group);
    const auto width = static_cast<std::size_t>(first.variableCount);
    std::vector<double> x(width);
    DistanceTable table;
    std::vector<std::vector<double>> correlations(group.size());
    std::vector<double> trendTerms;
    for (int at = 0; at < count; ++at) {
        std::copy_n(points + static_cast<std::ptrdiff_t>(at) * first.variableCount, width, x.begin());
        first.fillDistances(x.data(), columns, plan, table);
        for (std::size_t j = 0; j < group.size(); ++j) {
            const Kriging& model = *group[j];
            const KrigData& fitted = model.record();
            const std::size_t shared = plan.models[j].correlationOf;
            if (shared == j) {
                model.correlationsFrom(table, plan.models[j], correlations[j]);
            }
            termValues(fitted.terms, x, trendTerms);
            const double value = dot(trendTerms, fitted.coefficients) +
                                 dot(correlations[shared], fitted.predictionWeights);
            values[j][at] = value * model.data->scale;
        }
    }
}

void Kriging::predictModels(const std::vector<const RSMBase*>& models, const double* points,
                            int count, int dimension, const std::vector<double*>& values)
{
    // Groups of kriging models with equal samples, each with its outputs.
    std::vector<std::vector<const Kriging*>> groups;
    std::vector<std::vector<double*>> outputs;
    for (std::size_t j = 0; j < models.size(); ++j) {
        const auto* kriging = dynamic_cast<const Kriging*>(models[j]);
        if (kriging == nullptr) {
            models[j]->predictMany(points, count, dimension, values[j]);
            continue;
        }
        if (dimension != kriging->variableCount) {
            throw std::invalid_argument("kriging: points of " + std::to_string(dimension) +
                                        " coordinates for a model of " +
                                        std::to_string(kriging->variableCount) + " variables");
        }
        std::size_t g = 0;
        while (g < groups.size() && groups[g].front()->samples != kriging->samples) {
            ++g;
        }
        if (g == groups.size()) {
            groups.emplace_back();
            outputs.emplace_back();
        }
        groups[g].push_back(kriging);
        outputs[g].push_back(values[j]);
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
        predictSharingSample(groups[g], points, count, outputs[g]);
    }
}

double Kriging::valueAt(const std::vector<double>& beta, const std::vector<double>& weights,
                        const std::vector<double>& x) const
{
    const std::vector<double> r = correlationVector(x);
    const std::vector<double> f = termValues(record().terms, x);
    return dot(f, beta) + dot(r, weights);
}

double Kriging::predictNormalised(const std::vector<double>& x, bool* ok) const
{
    const double value = valueAt(record().coefficients, record().predictionWeights, x);
    if (ok != nullptr) {
        *ok = true;
    }
    return value;
}

double Kriging::predict(const std::vector<double>& x) const
{
    return predictNormalised(x, nullptr) * data->scale;
}

double Kriging::predictLeaveOneOut(int sample, const std::vector<double>& x) const
{
    const KrigData& fitted = record();
    if (sample < 0 || static_cast<std::size_t>(sample) >= fitted.leaveOneOutWeights.size()) {
        throw std::out_of_range("kriging: no leave-one-out data for sample " +
                                std::to_string(sample) + " (build(true) computes them)");
    }
    const auto at = static_cast<std::size_t>(sample);
    return valueAt(fitted.leaveOneOutCoefficients[at], fitted.leaveOneOutWeights[at], x) *
           data->scale;
}

double Kriging::predictionVariance(const std::vector<double>& x) const
{
    const KrigData& fitted = record();
    std::vector<double> u = termValues(fitted.terms, x);
    const std::vector<double> r = correlationVector(x);
    u.insert(u.end(), r.begin(), r.end());
    const double form = dot(u, Linalg::multiply(fitted.varianceMatrix, u));
    return fitted.processVariance * std::max(0.0, 1.0 - form) * data->scale * data->scale;
}

double Kriging::rSquared() const
{
    return determinationAtSamples([this](int i) {
        return predictNormalised(samples[static_cast<std::size_t>(i)], nullptr);
    });
}

double Kriging::looRSquared() const
{
    const auto& rows = record().leaveOneOutWeights;
    if (rows.size() != samples.size() || rows.empty()) {
        return 0.0;
    }
    return determinationAtSamples([this](int i) {
        return predictLeaveOneOut(i, samples[static_cast<std::size_t>(i)]) / data->scale;
    });
}

void Kriging::storeQuality(std::shared_ptr<DataSet> dataSet) const
{
    PolynomialRegression::storeQuality(std::move(dataSet));
}

void Kriging::storeModel(std::shared_ptr<DataSet> dataSet) const
{
    if (dataSet == nullptr) {
        return;
    }
    PolynomialRegression::storeModel(dataSet);
    SurrogateSummary& summary = dataSet->surrogateSummaries[responseId];
    const KrigData& fitted = record();
    summary.extra.assign(1, static_cast<double>(correlationKind));
    summary.extra.insert(summary.extra.end(), fitted.hyperParameters.begin(),
                         fitted.hyperParameters.end());
    summary.extra.push_back(fitted.logLikelihood);
    summary.extra.push_back(fitted.processVariance);
}

// ---------------------------------------------------------------- model file

void Kriging::writeBlock(ModelFileWriter& writer, bool withLeaveOneOut) const
{
    const KrigData& fitted = record();
    writer.writeVector(fitted.coefficients);
    writer.writeIntTable(fitted.terms);
    writer.writeVector(fitted.hyperParameters);
    const Matrix& a = fitted.correlationFactor;
    writer.writeVector(std::vector<double>(a.data(), a.data() + static_cast<std::ptrdiff_t>(a.rows()) * a.columns()));
    writer.writeVector(fitted.weights);
    writer.writeInt(correlationKind);
    const Matrix& m = fitted.varianceMatrix;
    writer.writeVector(std::vector<double>(m.data(), m.data() + static_cast<std::ptrdiff_t>(m.rows()) * m.columns()));
    if (withLeaveOneOut) {
        writer.writeRows(fitted.leaveOneOutCoefficients);
        writer.writeRows(fitted.leaveOneOutWeights);
    }
}

namespace {

Matrix squareFrom(const std::vector<double>& flat, std::size_t order, const char* what)
{
    if (flat.size() != order * order) {
        throw ModelFileError{std::string(what) + " of " + std::to_string(flat.size()) +
                             " entries for order " + std::to_string(order)};
    }
    Matrix m(static_cast<int>(order), static_cast<int>(order));
    std::copy(flat.begin(), flat.end(), m.data());
    return m;
}

void requireRows(const std::vector<std::vector<double>>& rows, std::size_t count,
                 std::size_t length, const char* what)
{
    if (rows.size() != count) {
        throw ModelFileError{std::string(what) + ": " + std::to_string(rows.size()) +
                             " rows for " + std::to_string(count) + " sample points"};
    }
    for (const auto& row : rows) {
        if (row.size() != length) {
            throw ModelFileError{std::string(what) + ": a row of " + std::to_string(row.size()) +
                                 " entries, " + std::to_string(length) + " expected"};
        }
    }
}

} // namespace

std::shared_ptr<Kriging> Kriging::readBlock(ModelFileReader& reader, int id, int variables,
                                            bool withLeaveOneOut)
{
    auto model = std::shared_ptr<Kriging>(new Kriging(Restored{}, id, variables));
    model->readCoefficientsAndTerms(reader);
    KrigData& fitted = model->editRecord();
    fitted.hyperParameters = reader.readVector("kriging hyper-parameters");
    const std::vector<double> a = reader.readVector("kriging prediction matrix");
    fitted.weights = reader.readVector("kriging weights");
    const std::int32_t kind = reader.readInt("kriging correlation kind");
    if (kind < kMinCorrelationKind || kind > kMaxCorrelationKind) {
        throw ModelFileError{"kriging correlation kind " + std::to_string(kind)};
    }
    model->correlationKind = kind;
    if (fitted.hyperParameters.size() !=
        static_cast<std::size_t>(hyperParameterCount(kind, variables))) {
        throw ModelFileError{"kriging: " + std::to_string(fitted.hyperParameters.size()) +
                             " hyper-parameters for correlation kind " + std::to_string(kind)};
    }
    const std::size_t n = fitted.weights.size();
    fitted.correlationFactor = squareFrom(a, n, "kriging prediction matrix");
    const std::size_t p = fitted.coefficients.size();
    fitted.varianceMatrix =
        squareFrom(reader.readVector("kriging variance matrix"), p + n, "kriging variance matrix");
    if (withLeaveOneOut) {
        fitted.leaveOneOutCoefficients = reader.readRows("kriging leave-one-out coefficients");
        fitted.leaveOneOutWeights = reader.readRows("kriging leave-one-out weights");
        requireRows(fitted.leaveOneOutCoefficients, n, p, "kriging leave-one-out coefficients");
        requireRows(fitted.leaveOneOutWeights, n, n, "kriging leave-one-out weights");
    }
    model->basisReady = true;
    model->deriveFromWeights();
    return model;
}

} // namespace Opt::RSM
