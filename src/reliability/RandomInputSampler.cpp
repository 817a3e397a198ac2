#include "reliability/RandomInputSampler.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <string>

#include <boost/math/distributions/normal.hpp>

#include "linalg/LinearAlgebra.h"

namespace Opt {

namespace {

constexpr double kTwoToMinus32 = 1.0 / 4294967296.0;
constexpr double kSmallestProbability = 0.5 * kTwoToMinus32;
constexpr double kSymmetryTolerance = 1e-12;

Matrix factorCorrelation(const std::vector<double>& c, std::size_t r)
{
    if (c.size() != r * r) {
        throw std::invalid_argument("the correlation matrix holds " + std::to_string(c.size()) +
                                    " entries; " + std::to_string(r) + " random inputs need " +
                                    std::to_string(r * r));
    }
    Matrix m(static_cast<int>(r), static_cast<int>(r));
    for (std::size_t i = 0; i < r; ++i) {
        for (std::size_t j = 0; j < r; ++j) {
            const double v = c[i * r + j];
            const bool diagonalOk = i != j || v == 1.0;
            if (!std::isfinite(v) || std::fabs(v - c[j * r + i]) > kSymmetryTolerance ||
                !diagonalOk || std::fabs(v) > 1.0) {
                throw std::invalid_argument(
                    "correlation entry (" + std::to_string(i) + ", " + std::to_string(j) +
                    ") = " + std::to_string(v) +
                    ": the matrix must be symmetric with a unit diagonal and entries in [-1, 1]");
            }
            m(static_cast<int>(i), static_cast<int>(j)) = v;
        }
    }
    const Linalg::LinalgStatus status = Linalg::choleskyFactor(m);
    if (!status.ok()) {
        throw std::invalid_argument("the correlation matrix is not positive definite (" +
                                    status.message + ")");
    }
    return m;
}

} // namespace

RandomInputSampler::RandomInputSampler(
    std::vector<std::shared_ptr<DISTRIBUTION_Parameter>> recordList, std::vector<double> givenValues,
    int samplingMethod, const std::vector<double>& correlation)
    : records(std::move(recordList)), given(std::move(givenValues)), method(samplingMethod)
{
    records.resize(given.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i] != nullptr) {
            randomIndex.push_back(static_cast<int>(i));
        }
    }
    if (method == 1 && !correlation.empty()) {
        lowerFactor = factorCorrelation(correlation, randomIndex.size());
    }
}

std::vector<double> RandomInputSampler::uniformDraws(RandomSource& generator, int count) const
{
    std::vector<double> u(static_cast<std::size_t>(count) * randomIndex.size());
    for (double& value : u) {
        value = (static_cast<double>(generator.next()) + 0.5) * kTwoToMinus32;
    }
    return u;
}

// probabilities holds count columns of r entries: z = Phi^-1(u), v = L z,
// u' = Phi(v).
void RandomInputSampler::correlate(std::vector<double>& probabilities, int count) const
{
    const boost::math::normal_distribution<double> standard;
    const int r = static_cast<int>(randomIndex.size());
    Matrix z(r, count);
    std::copy(probabilities.begin(), probabilities.end(), z.data());
    for (double* v = z.data(); v != z.data() + probabilities.size(); ++v) {
        *v = boost::math::quantile(standard, *v);
    }
    const Matrix v = Linalg::multiply(lowerFactor, z);
    for (std::size_t k = 0; k < probabilities.size(); ++k) {
        const double p = boost::math::cdf(standard, v.data()[k]);
        probabilities[k] = std::clamp(p, kSmallestProbability, 1.0 - kSmallestProbability);
    }
}

std::vector<double> RandomInputSampler::draw(RandomSource& generator, int count, int threads) const
{
    const std::size_t n = given.size();
    std::vector<double> rows(static_cast<std::size_t>(count) * n);
    for (int s = 0; s < count; ++s) {
        std::copy(given.begin(), given.end(), rows.begin() + static_cast<std::ptrdiff_t>(s * n));
    }
    if ((method != 0 && method != 1) || randomIndex.empty()) {
        return rows;
    }
    std::vector<double> u = uniformDraws(generator, count);
    if (method == 1 && !lowerFactor.empty()) {
        correlate(u, count);
    }
    const std::size_t r = randomIndex.size();
    // An exception must not leave an OpenMP region (it would end the process):
    // one is kept and thrown after it.
    std::exception_ptr failure;
#pragma omp parallel for schedule(static) num_threads(std::max(1, threads))
    for (int s = 0; s < count; ++s) {
        try {
            for (std::size_t j = 0; j < r; ++j) {
                const auto i = static_cast<std::size_t>(randomIndex[j]);
                rows[static_cast<std::size_t>(s) * n + i] =
                    records[i]->quantile(u[static_cast<std::size_t>(s) * r + j]);
            }
        } catch (...) {
#pragma omp critical(zelkor_sampler_failure)
            if (!failure) {
                failure = std::current_exception();
            }
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return rows;
}

} // namespace Opt
