#include "linalg/VectorMath.h"

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
void logarithm(const double* arguments, double* results, std::size_t count)
{
#pragma omp simd
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = std::log(arguments[i]);
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
void rootTimesSelf(const double* values, double* results, std::size_t count)
{
#pragma omp simd
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = std::sqrt(values[i]) * values[i];
    }
}

ZELKOR_CLONES
void addWeighted(const double* values, double weight, double* sums, std::size_t count)
{
#pragma omp simd
    for (std::size_t i = 0; i < count; ++i) {
        sums[i] += weight * values[i];
    }
}

} // namespace Opt::Linalg
