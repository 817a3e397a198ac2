#include "linalg/VectorMath.h"

#include <algorithm>
#include <cmath>

#if defined(ZELKOR_HAVE_LIBMVEC) && defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define ZELKOR_VECTOR_EXP 1
// glibc declares its vector variants only under -ffast-math, which would also
// license the compiler to assume away infinities; declaring them here keeps the
// rest of the arithmetic exact.
extern "C" {
#pragma omp declare simd notinbranch
double exp(double) noexcept;
#pragma omp declare simd notinbranch
double log(double) noexcept;
#if defined(ZELKOR_HAVE_LIBMVEC_EXP2)
#pragma omp declare simd notinbranch
double exp2(double) noexcept;
#pragma omp declare simd notinbranch
double log2(double) noexcept;
#endif
}
#endif

// One clone per instruction set, chosen by an ifunc resolver while the program
// is relocated. ThreadSanitizer instruments the resolver, which then runs before
// its runtime exists and crashes the program at start, so that build keeps the
// default clone only.
#if defined(ZELKOR_VECTOR_EXP) && !defined(__SANITIZE_THREAD__)
#define ZELKOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define ZELKOR_CLONES
#endif

namespace Opt::Linalg {

ZELKOR_CLONES
void exponentiate(const double* arguments, double factor, double* results, std::size_t count)
{
#pragma omp simd
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = std::exp(factor * arguments[i]);
    }
}

ZELKOR_CLONES
void exponentiateBase2(const double* arguments, double factor, double* results, std::size_t count)
{
#pragma omp simd
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = std::exp2(factor * arguments[i]);
    }
}

ZELKOR_CLONES
void logarithmBase2(const double* arguments, double* results, std::size_t count)
{
#pragma omp simd
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = std::log2(arguments[i]);
    }
}

ZELKOR_CLONES
double dot(const double* a, const double* b, std::size_t count)
{
    double sum = 0.0;
#pragma omp simd reduction(+ : sum)
    for (std::size_t i = 0; i < count; ++i) {
        sum += a[i] * b[i];
    }
    return sum;
}

ZELKOR_CLONES
void absoluteDifferences(double point, const double* values, double* results, std::size_t count)
{
#pragma omp simd
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = std::fabs(point - values[i]);
    }
}

ZELKOR_CLONES
void rootTimesSelf(const double* values, double* results, std::size_t count)
{
#pragma omp simd
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = std::sqrt(values[i]) * values[i];
    }
}

namespace {

// The weighted sum of Group columns at entry i.
template <std::size_t Group>
inline double groupSum(const double* const* columns, const double* weights, std::size_t i)
{
    double sum = weights[0] * columns[0][i];
    for (std::size_t g = 1; g < Group; ++g) {
        sum += weights[g] * columns[g][i];
    }
    return sum;
}

// One pass over results for the columns of one group: results[i] becomes
// (accumulate ? results[i] : 0) + their weighted sum, or, for the last group,
// the exponential of factor times that.
template <std::size_t Group>
inline void sumGroup(const double* const* columns, const double* weights, bool accumulate,
                     bool last, double factor, double* results, std::size_t count)
{
    if (last) {
#pragma omp simd
        for (std::size_t i = 0; i < count; ++i) {
            const double sum = (accumulate ? results[i] : 0.0) + groupSum<Group>(columns, weights, i);
            results[i] = std::exp(factor * sum);
        }
        return;
    }
#pragma omp simd
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = (accumulate ? results[i] : 0.0) + groupSum<Group>(columns, weights, i);
    }
}

} // namespace

ZELKOR_CLONES
void exponentiateWeightedSum(const double* base, const std::size_t* offsets, const double* weights,
                             std::size_t width, double factor, double* results, std::size_t count)
{
    constexpr std::size_t kGroup = 4;
    const double* columns[kGroup];
    for (std::size_t k = 0; k < width; k += kGroup) {
        const std::size_t group = std::min(kGroup, width - k);
        for (std::size_t g = 0; g < group; ++g) {
            columns[g] = base + offsets[k + g];
        }
        const bool accumulate = k > 0;
        const bool last = k + group == width;
        switch (group) {
        case 1: sumGroup<1>(columns, weights + k, accumulate, last, factor, results, count); break;
        case 2: sumGroup<2>(columns, weights + k, accumulate, last, factor, results, count); break;
        case 3: sumGroup<3>(columns, weights + k, accumulate, last, factor, results, count); break;
        default: sumGroup<4>(columns, weights + k, accumulate, last, factor, results, count); break;
        }
    }
}

} // namespace Opt::Linalg
