#include "rsm/SupportVectorRegression.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <string>

#include "common/NumericConstants.h"
#include "linalg/LinearAlgebra.h"
#include "linalg/VectorMath.h"
#include "rsm/ModelFileError.h"
#include "rsm/ModelFileReader.h"
#include "rsm/ModelFileWriter.h"

namespace Opt::RSM {

namespace {

using Linalg::dot;

int resolvedKernel(int kernel)
{
    if (kernel < 0) {
        return SupportVectorRegression::kDefaultKernel;
    }
    if (kernel > SupportVectorRegression::kMaxKernel) {
        throw std::invalid_argument("support vector regression: kernel kind " +
                                    std::to_string(kernel) + " is not one of 0 to 4");
    }
    return kernel;
}

double standardDeviation(const std::vector<double>& values)
{
    if (values.empty()) {
        return 0.0;
    }
    double mean = 0.0;
    for (const double v : values) {
        mean += v;
    }
    mean /= static_cast<double>(values.size());
    double sum = 0.0;
    for (const double v : values) {
        sum += (v - mean) * (v - mean);
    }
    return std::sqrt(sum / static_cast<double>(values.size()));
}

double indicator(bool condition)
{
    return condition ? 1.0 : 0.0;
}

// The pair-wise solver on one problem: kernel matrix, values and settings; it
// moves beta in place. The model solves its full problem with it, and each
// leave-one-out problem on a copy of the rest.
class PairSolver {
public:
    PairSolver(const Matrix& gram, const std::vector<double>& values,
               const SupportVectorRegression::SolverSettings& settings, std::vector<double>& beta)
        : gram(gram), values(values), settings(settings), beta(beta)
    {
    }

    // Updates pairs until none violates by more than tau, or maxIterations + 1
    // updates; returns the count of updates.
    long long run();

private:
    bool mayDecrease(std::size_t i) const { return std::fabs(beta[i] + settings.boxC) >= kNumericZero; }
    bool mayIncrease(std::size_t i) const { return std::fabs(beta[i] - settings.boxC) >= kNumericZero; }
    double upViolation(std::size_t i) const
    {
        return beta[i] > 0.0 ? g[i] + settings.epsilon : g[i] - settings.epsilon;
    }
    double lowViolation(std::size_t i) const
    {
        return beta[i] < 0.0 ? g[i] - settings.epsilon : g[i] + settings.epsilon;
    }
    bool selectPair(int& first, int& second) const;
    bool searchAllPairs(int& first, int& second) const;
    void updatePair(int first, int second);

    const Matrix& gram;
    const std::vector<double>& values;
    const SupportVectorRegression::SolverSettings settings;
    std::vector<double>& beta;
    std::vector<double> g; // G = K beta - y
};

long long PairSolver::run()
{
    const std::size_t n = values.size();
    g = Linalg::multiply(gram, beta);
    for (std::size_t i = 0; i < n; ++i) {
        g[i] -= values[i];
    }
    const long long updateLimit = static_cast<long long>(settings.maxIterations) + 1;
    long long updates = 0;
    int first = -1;
    int second = -1;
    while (selectPair(first, second)) {
        const double oldFirst = beta[static_cast<std::size_t>(first)];
        const double oldSecond = beta[static_cast<std::size_t>(second)];
        updatePair(first, second);
        const double changeFirst = beta[static_cast<std::size_t>(first)] - oldFirst;
        const double changeSecond = beta[static_cast<std::size_t>(second)] - oldSecond;
        for (std::size_t i = 0; i < n; ++i) {
            g[i] += gram(static_cast<int>(i), first) * changeFirst +
                    gram(static_cast<int>(i), second) * changeSecond;
        }
        if (++updates >= updateLimit) {
            break;
        }
    }
    return updates;
}

// The records start at 0.0; a record still within the numeric zero of 0 after
// a comparison takes the sample's value and index, so the first candidate
// always sets it.
bool PairSolver::selectPair(int& first, int& second) const
{
    double largestUp = 0.0;
    double smallestLow = 0.0;
    int up = -1;
    int low = -1;
    for (std::size_t i = 0; i < g.size(); ++i) {
        if (mayDecrease(i)) {
            const double value = upViolation(i);
            if (value > largestUp || std::fabs(largestUp) < kNumericZero) {
                largestUp = value;
                up = static_cast<int>(i);
            }
        }
        if (mayIncrease(i)) {
            const double value = lowViolation(i);
            if (value < smallestLow || std::fabs(smallestLow) < kNumericZero) {
                smallestLow = value;
                low = static_cast<int>(i);
            }
        }
    }
    if (up == low || up < 0 || low < 0) {
        return searchAllPairs(first, second);
    }
    if (smallestLow + settings.tau > largestUp) {
        return false;
    }
    first = up;
    second = low;
    return true;
}

// The first pair in index order with up_i > low_j + tau. The two smallest
// low_j + tau rule out in O(1) each i that has no partner, so the search costs
// O(N) unless a partner exists, and then one O(N) scan finds the first.
bool PairSolver::searchAllPairs(int& first, int& second) const
{
    const double none = std::numeric_limits<double>::infinity();
    double smallest = none;
    double nextSmallest = none;
    std::size_t smallestAt = g.size();
    for (std::size_t j = 0; j < g.size(); ++j) {
        if (!mayIncrease(j)) {
            continue;
        }
        const double low = lowViolation(j) + settings.tau;
        if (low < smallest) {
            nextSmallest = smallest;
            smallest = low;
            smallestAt = j;
        } else if (low < nextSmallest) {
            nextSmallest = low;
        }
    }
    for (std::size_t i = 0; i < g.size(); ++i) {
        if (!mayDecrease(i)) {
            continue;
        }
        const double up = upViolation(i);
        if (!(up > (i == smallestAt ? nextSmallest : smallest))) {
            continue;
        }
        for (std::size_t j = 0; j < g.size(); ++j) {
            if (j != i && mayIncrease(j) && up > lowViolation(j) + settings.tau) {
                first = static_cast<int>(i);
                second = static_cast<int>(j);
                return true;
            }
        }
    }
    return false;
}

void PairSolver::updatePair(int first, int second)
{
    const double tau = settings.tau;
    const double epsilon = settings.epsilon;
    const double box = settings.boxC;
    double& bi = beta[static_cast<std::size_t>(first)];
    double& bj = beta[static_cast<std::size_t>(second)];
    const double s = bi + bj;
    const double delta = g[static_cast<std::size_t>(first)] - g[static_cast<std::size_t>(second)];
    const double eta = gram(first, first) + gram(second, second) - 2.0 * gram(first, second);
    const double nonNegative = indicator(s >= 0.0);

    if (std::fabs(eta) < kNumericZero) {
        if (bi > 0.0 && bj < 0.0 && delta <= 2.0 * epsilon + tau) {
            bi = delta > tau ? (1.0 - nonNegative) * s : nonNegative * s;
        } else if (((bi > 0.0 && bj >= 0.0) || (bi <= 0.0 && bj < 0.0)) && std::fabs(s) < box &&
                   delta <= tau + 2.0 * epsilon) {
            bi = (1.0 - nonNegative) * s;
        } else {
            bi = nonNegative * s - box;
        }
        bj = s - bi;
        return;
    }
    if (eta < 0.0) {
        return;
    }
    bi += (tau - delta) / eta;
    bj = s - bi;
    if (bi * bj > 0.0) {
        const double sigma = indicator(bi >= 0.0);
        bi -= std::min(tau / eta, bi * sigma - bj * (1.0 - sigma));
    } else if (bi * bj < 0.0) {
        const double sign = std::fabs(bi) < kNumericZero ? 1.0 : (bi > 0.0 ? 1.0 : -1.0);
        bi -= std::min((2.0 * epsilon + tau * sign) / eta, std::min(std::fabs(bi), std::fabs(bj))) * sign;
    }
    bi = std::max(bi, s >= 0.0 ? s - box : -box);
    bj = s - bi;
}

// b = mean(y_i - sum_j K_ij beta_j).
double meanResidual(const Matrix& gram, const std::vector<double>& values, const std::vector<double>& beta)
{
    if (values.empty()) {
        return 0.0;
    }
    const std::vector<double> sums = Linalg::multiply(gram, beta);
    double residual = 0.0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        residual += values[i] - sums[i];
    }
    return residual / static_cast<double>(values.size());
}

// The start of the refit without sample `left`: the full coefficients of the
// points kept, with beta_left handed to the kept points of largest K(x_left, x)
// (the nearest, for the Gaussian kernel) as far as the box lets each take it,
// so that the sum stays 0 and the neighbours' terms stand in for the lost one.
std::vector<double> warmStart(const SVRData& fitted, std::size_t left, const std::vector<int>& kept)
{
    std::vector<double> beta(kept.size());
    for (std::size_t a = 0; a < kept.size(); ++a) {
        beta[a] = fitted.beta[static_cast<std::size_t>(kept[a])];
    }
    std::vector<std::size_t> order(kept.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const int from = static_cast<int>(left);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return fitted.gram(from, kept[a]) > fitted.gram(from, kept[b]);
    });
    double rest = fitted.beta[left];
    for (const std::size_t a : order) {
        const double room = std::max(0.0, rest > 0.0 ? fitted.boxC - beta[a] : fitted.boxC + beta[a]);
        const double moved = std::min(std::fabs(rest), room);
        beta[a] += rest > 0.0 ? moved : -moved;
        rest -= rest > 0.0 ? moved : -moved;
    }
    if (!order.empty()) {
        beta[order.front()] += rest; // what rounding leaves
    }
    return beta;
}

} // namespace

SupportVectorRegression::SupportVectorRegression(int id, int kernelKind, double tau, double epsilon,
                                                 double boxC, int maxIterations, int variables,
                                                 int /*pointCount*/)
    : RSMBase(std::make_shared<SVRData>(), id), variableCount(variables),
      kernel(resolvedKernel(kernelKind))
{
    if (variableCount < 1) {
        throw std::invalid_argument("support vector regression: " + std::to_string(variableCount) +
                                    " variables");
    }
    takeCurrentSample(variableCount);
    auto& fitted = editRecord();
    fitted.tau = tau;
    fitted.epsilon = epsilon;
    fitted.boxC = boxC;
    defaultTau = tau < 0.0;
    defaultEpsilon = epsilon < 0.0;
    defaultBox = boxC < 0.0;
    defaultIterations = maxIterations < 0;
    fitted.maxIterations = maxIterations >= 0
                               ? maxIterations
                               : kDefaultBaseIterations + kDefaultIterationsPerPoint * sampleCount();
    fitted.values.assign(samples.size(), 0.0);
    fitted.beta.assign(samples.size(), 0.0);
    formGram();
}

SupportVectorRegression::SupportVectorRegression(int id, int variables, int pointCount)
    : SupportVectorRegression(id, -1, -1.0, -1.0, -1.0, -1, variables, pointCount)
{
}

SupportVectorRegression::SupportVectorRegression(Restored, int id, int variables)
    : RSMBase(std::make_shared<SVRData>(), id), variableCount(variables), built(true)
{
}

double SupportVectorRegression::kernelValue(int kind, const std::vector<double>& x,
                                            const std::vector<double>& z)
{
    switch (kind) {
    case 0:
        return dot(x, z);
    case 1: {
        const double d = dot(x, z);
        return d * d * d;
    }
    case 2: {
        double sum = 0.0;
        for (std::size_t k = 0; k < x.size(); ++k) {
            sum += (x[k] - z[k]) * (x[k] - z[k]);
        }
        return std::exp(-sum / 2.0);
    }
    case 3:
        return 0.0;
    default: {
        const double d = dot(x, z) + 1.0;
        return d * d;
    }
    }
}

void SupportVectorRegression::formGram()
{
    const int n = sampleCount();
    Matrix& gram = editRecord().gram;
    gram = Matrix(n, n);
    for (int j = 0; j < n; ++j) {
        for (int i = j; i < n; ++i) {
            gram(i, j) = kernelValue(kernel, samples[static_cast<std::size_t>(i)],
                                     samples[static_cast<std::size_t>(j)]);
            gram(j, i) = gram(i, j);
        }
    }
}

bool SupportVectorRegression::build(bool withCrossValidation)
{
    return buildOnce(built, [this, withCrossValidation] {
        resolveDefaults();
        solve();
        if (withCrossValidation) {
            refitLeaveOneOut();
        }
    });
}

SupportVectorRegression::SolverSettings
SupportVectorRegression::settingsFor(const std::vector<double>& values) const
{
    const auto& given = record();
    const double spread = standardDeviation(values);
    SolverSettings settings;
    settings.tau = defaultTau ? kDefaultTauRatio * spread : given.tau;
    settings.epsilon = defaultEpsilon ? kDefaultEpsilonRatio * spread : given.epsilon;
    settings.boxC = defaultBox ? kDefaultBoxRatio * spread : given.boxC;
    settings.maxIterations =
        defaultIterations
            ? kDefaultBaseIterations + kDefaultIterationsPerPoint * static_cast<int>(values.size())
            : given.maxIterations;
    return settings;
}

void SupportVectorRegression::resolveDefaults()
{
    const SolverSettings settings = settingsFor(record().values);
    auto& fitted = editRecord();
    fitted.tau = settings.tau;
    fitted.epsilon = settings.epsilon;
    fitted.boxC = settings.boxC;
    fitted.maxIterations = settings.maxIterations;
}

void SupportVectorRegression::solve()
{
    auto& fitted = editRecord();
    const SolverSettings settings{fitted.tau, fitted.epsilon, fitted.boxC, fitted.maxIterations};
    const long long updates = PairSolver(fitted.gram, fitted.values, settings, fitted.beta).run();
    updateCount = static_cast<int>(std::min<long long>(updates, std::numeric_limits<int>::max()));
    fitted.bias = meanResidual(fitted.gram, fitted.values, fitted.beta);
}

void SupportVectorRegression::refitLeaveOneOut()
{
    const std::size_t n = samples.size();
    leaveOneOutBeta.assign(n, {});
    leaveOneOutBias.assign(n, 0.0);
    leaveOneOutUpdates = 0;
    for (std::size_t left = 0; left < n; ++left) {
        refitWithout(left);
    }
}

void SupportVectorRegression::refitWithout(std::size_t left)
{
    const auto& fitted = record();
    std::vector<int> kept;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i != left) {
            kept.push_back(static_cast<int>(i));
        }
    }
    const int m = static_cast<int>(kept.size());
    Matrix gram(m, m);
    std::vector<double> values;
    for (const int b : kept) {
        values.push_back(fitted.values[static_cast<std::size_t>(b)]);
    }
    for (int b = 0; b < m; ++b) {
        for (int a = 0; a < m; ++a) {
            gram(a, b) = fitted.gram(kept[static_cast<std::size_t>(a)], kept[static_cast<std::size_t>(b)]);
        }
    }
    std::vector<double> beta = warmStart(fitted, left, kept);
    leaveOneOutUpdates += PairSolver(gram, values, settingsFor(values), beta).run();
    leaveOneOutBias[left] = meanResidual(gram, values, beta);
    std::vector<double>& row = leaveOneOutBeta[left];
    row.assign(samples.size(), 0.0);
    for (std::size_t a = 0; a < kept.size(); ++a) {
        row[static_cast<std::size_t>(kept[a])] = beta[a];
    }
}

void SupportVectorRegression::restoreLeaveOneOut(const std::vector<double>& values)
{
    if (values.size() != samples.size() || record().beta.size() != samples.size()) {
        throw std::logic_error("support vector regression: " + std::to_string(values.size()) +
                               " values and " + std::to_string(record().beta.size()) +
                               " coefficients for " + std::to_string(samples.size()) +
                               " sample points");
    }
    editRecord().values = values;
    defaultTau = true;
    defaultEpsilon = true;
    defaultBox = true;
    defaultIterations = true;
    resolveDefaults();
    formGram();
    refitLeaveOneOut();
}

double SupportVectorRegression::expansionAt(const std::vector<double>& beta, double bias,
                                            const std::vector<double>& x, int skipped) const
{
    requirePoint(x, variableCount);
    if (beta.size() != samples.size()) {
        throw std::logic_error("support vector regression: " + std::to_string(beta.size()) +
                               " coefficients for " + std::to_string(samples.size()) +
                               " sample points (a restored model needs its sample)");
    }
    double sum = bias;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (static_cast<int>(i) != skipped) {
            sum += beta[i] * kernelValue(kernel, samples[i], x);
        }
    }
    return sum;
}

double SupportVectorRegression::predict(const std::vector<double>& x) const
{
    return expansionAt(record().beta, record().bias, x, -1);
}

double SupportVectorRegression::predictNormalised(const std::vector<double>& x, bool* ok) const
{
    const double value = predict(x);
    if (ok != nullptr) {
        *ok = true;
    }
    return value;
}

double SupportVectorRegression::predictLeaveOneOut(int sample, const std::vector<double>& x) const
{
    requireSample(sample);
    if (leaveOneOutBeta.size() != samples.size()) {
        throw std::out_of_range("support vector regression: no leave-one-out refit for sample " +
                                std::to_string(sample) + " (build(true) makes them)");
    }
    const auto at = static_cast<std::size_t>(sample);
    return expansionAt(leaveOneOutBeta[at], leaveOneOutBias[at], x, sample);
}

double SupportVectorRegression::rSquared() const
{
    return determinationAtSamples(
        [this](int i) { return predict(samples[static_cast<std::size_t>(i)]); });
}

double SupportVectorRegression::leaveOneOutDetermination() const
{
    if (leaveOneOutBeta.size() != samples.size() || samples.empty()) {
        return 0.0;
    }
    return determinationAtSamples([this](int i) {
        return predictLeaveOneOut(i, samples[static_cast<std::size_t>(i)]);
    });
}

void SupportVectorRegression::storeQuality(std::shared_ptr<DataSet> dataSet) const
{
    if (dataSet == nullptr) {
        return;
    }
    SurrogateSummary& summary = dataSet->surrogateSummaries[responseId];
    summary.rSquared = clampToUnitInterval(rSquared());
    summary.adjustedRSquared.reset();
    summary.qSquared.reset();
    summary.adjustedQSquared.reset();
    if (leaveOneOutBeta.size() == samples.size() && !samples.empty()) {
        summary.qSquared = clampToUnitInterval(leaveOneOutDetermination());
    }
}

void SupportVectorRegression::storeModel(std::shared_ptr<DataSet> dataSet) const
{
    if (dataSet == nullptr) {
        return;
    }
    SurrogateSummary& summary = dataSet->surrogateSummaries[responseId];
    summary.modelType = modelType();
    summary.kind = kernel;
    summary.coefficients = record().beta;
    summary.constant = record().bias;
    summary.terms = {};
}

void SupportVectorRegression::writeBlock(ModelFileWriter& writer) const
{
    writer.writeVector(record().beta);
    writer.writeDouble(record().bias);
    writer.writeInt(kernel);
}

std::shared_ptr<SupportVectorRegression> SupportVectorRegression::readBlock(ModelFileReader& reader,
                                                                            int id, int variables)
{
    auto model = std::shared_ptr<SupportVectorRegression>(
        new SupportVectorRegression(Restored{}, id, variables));
    auto& fitted = model->editRecord();
    fitted.beta = reader.readVector("SVR coefficients");
    fitted.bias = reader.readDouble("SVR bias");
    model->kernel = reader.readInt("SVR kernel kind");
    if (model->kernel < kMinKernel || model->kernel > kMaxKernel) {
        throw ModelFileError{"SVR kernel kind " + std::to_string(model->kernel) +
                             " is not one of 0 to 4"};
    }
    return model;
}

} // namespace Opt::RSM
