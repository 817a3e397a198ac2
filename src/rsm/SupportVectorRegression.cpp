#include "rsm/SupportVectorRegression.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "common/NumericConstants.h"
#include "linalg/LinearAlgebra.h"
#include "rsm/ModelFileError.h"
#include "rsm/ModelFileReader.h"
#include "rsm/ModelFileWriter.h"

namespace Opt::RSM {

namespace {

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

double dot(const std::vector<double>& x, const std::vector<double>& z)
{
    double sum = 0.0;
    for (std::size_t k = 0; k < x.size(); ++k) {
        sum += x[k] * z[k];
    }
    return sum;
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

bool SupportVectorRegression::build(bool /*withCrossValidation*/)
{
    return buildOnce(built, [this] {
        resolveDefaults();
        solve();
    });
}

void SupportVectorRegression::resolveDefaults()
{
    auto& fitted = editRecord();
    const double spread = standardDeviation(fitted.values);
    if (defaultEpsilon) {
        fitted.epsilon = kDefaultEpsilonRatio * spread;
    }
    if (defaultTau) {
        fitted.tau = kDefaultTauRatio * spread;
    }
    if (defaultBox) {
        fitted.boxC = kDefaultBoxRatio * spread;
    }
}

bool SupportVectorRegression::mayDecrease(std::size_t i) const
{
    return std::fabs(record().beta[i] + record().boxC) >= kNumericZero;
}

bool SupportVectorRegression::mayIncrease(std::size_t i) const
{
    return std::fabs(record().beta[i] - record().boxC) >= kNumericZero;
}

double SupportVectorRegression::upViolation(std::size_t i, double g) const
{
    return record().beta[i] > 0.0 ? g + record().epsilon : g - record().epsilon;
}

double SupportVectorRegression::lowViolation(std::size_t i, double g) const
{
    return record().beta[i] < 0.0 ? g - record().epsilon : g + record().epsilon;
}

// The records start at 0.0; a record still within the numeric zero of 0 after
// a comparison takes the sample's value and index, so the first candidate
// always sets it.
bool SupportVectorRegression::selectPair(const std::vector<double>& g, int& first, int& second) const
{
    double largestUp = 0.0;
    double smallestLow = 0.0;
    int up = -1;
    int low = -1;
    for (std::size_t i = 0; i < g.size(); ++i) {
        if (mayDecrease(i)) {
            const double value = upViolation(i, g[i]);
            if (value > largestUp || std::fabs(largestUp) < kNumericZero) {
                largestUp = value;
                up = static_cast<int>(i);
            }
        }
        if (mayIncrease(i)) {
            const double value = lowViolation(i, g[i]);
            if (value < smallestLow || std::fabs(smallestLow) < kNumericZero) {
                smallestLow = value;
                low = static_cast<int>(i);
            }
        }
    }
    if (up == low || up < 0 || low < 0) {
        return searchAllPairs(g, first, second);
    }
    if (smallestLow + record().tau > largestUp) {
        return false;
    }
    first = up;
    second = low;
    return true;
}

bool SupportVectorRegression::searchAllPairs(const std::vector<double>& g, int& first,
                                             int& second) const
{
    for (std::size_t i = 0; i < g.size(); ++i) {
        if (!mayDecrease(i)) {
            continue;
        }
        const double up = upViolation(i, g[i]);
        for (std::size_t j = 0; j < g.size(); ++j) {
            if (j != i && mayIncrease(j) && up > lowViolation(j, g[j]) + record().tau) {
                first = static_cast<int>(i);
                second = static_cast<int>(j);
                return true;
            }
        }
    }
    return false;
}

void SupportVectorRegression::updatePair(int first, int second, const std::vector<double>& g)
{
    auto& fitted = editRecord();
    const double tau = fitted.tau;
    const double epsilon = fitted.epsilon;
    const double box = fitted.boxC;
    double& bi = fitted.beta[static_cast<std::size_t>(first)];
    double& bj = fitted.beta[static_cast<std::size_t>(second)];
    const double s = bi + bj;
    const double delta = g[static_cast<std::size_t>(first)] - g[static_cast<std::size_t>(second)];
    const Matrix& k = fitted.gram;
    const double eta = k(first, first) + k(second, second) - 2.0 * k(first, second);
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

void SupportVectorRegression::solve()
{
    auto& fitted = editRecord();
    const std::size_t n = samples.size();
    std::vector<double> g = Linalg::multiply(fitted.gram, fitted.beta);
    for (std::size_t i = 0; i < n; ++i) {
        g[i] -= fitted.values[i];
    }
    const long long updateLimit = static_cast<long long>(fitted.maxIterations) + 1;
    long long updates = 0;
    int first = -1;
    int second = -1;
    while (selectPair(g, first, second)) {
        const double oldFirst = fitted.beta[static_cast<std::size_t>(first)];
        const double oldSecond = fitted.beta[static_cast<std::size_t>(second)];
        updatePair(first, second, g);
        const double changeFirst = fitted.beta[static_cast<std::size_t>(first)] - oldFirst;
        const double changeSecond = fitted.beta[static_cast<std::size_t>(second)] - oldSecond;
        for (std::size_t i = 0; i < n; ++i) {
            g[i] += fitted.gram(static_cast<int>(i), first) * changeFirst +
                    fitted.gram(static_cast<int>(i), second) * changeSecond;
        }
        if (++updates >= updateLimit) {
            break;
        }
    }
    updateCount = static_cast<int>(std::min<long long>(updates, std::numeric_limits<int>::max()));
    const std::vector<double> fittedSums = Linalg::multiply(fitted.gram, fitted.beta);
    double residual = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        residual += fitted.values[i] - fittedSums[i];
    }
    fitted.bias = n == 0 ? 0.0 : residual / static_cast<double>(n);
}

double SupportVectorRegression::sumAt(const std::vector<double>& x, int skipped) const
{
    requirePoint(x, variableCount);
    const auto& beta = record().beta;
    if (beta.size() != samples.size()) {
        throw std::logic_error("support vector regression: " + std::to_string(beta.size()) +
                               " coefficients for " + std::to_string(samples.size()) +
                               " sample points (a restored model needs its sample)");
    }
    double sum = record().bias;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (static_cast<int>(i) != skipped) {
            sum += beta[i] * kernelValue(kernel, samples[i], x);
        }
    }
    return sum;
}

double SupportVectorRegression::predict(const std::vector<double>& x) const
{
    return sumAt(x, -1);
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
    return sumAt(x, sample);
}

double SupportVectorRegression::rSquared() const
{
    return determinationAtSamples(
        [this](int i) { return predict(samples[static_cast<std::size_t>(i)]); });
}

double SupportVectorRegression::leaveOneOutDetermination() const
{
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
    summary.qSquared = clampToUnitInterval(leaveOneOutDetermination());
    summary.adjustedQSquared.reset();
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
