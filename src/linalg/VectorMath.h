#pragma once

#include <cstddef>
#include <vector>

// Element-wise maths over whole arrays, for the loops whose cost is dominated
// by exp: the kriging likelihood fills N(N-1)/2 correlations, each with up to
// n + 1 exponentials, per evaluation, and a kriging prediction N of them.
//
// Each function is compiled once per instruction set (eight lanes with
// AVX-512, four with AVX2, two otherwise), the clone picked when the library is
// loaded. With GCC on x86-64 glibc the exponentials and logarithms run on
// glibc's vector maths library (libmvec): its results stay within a few units
// in the last place of std::exp and are the same run after run on one machine.
// Elsewhere the plain loop over std::exp is compiled, which compilers shipping
// their own vector maths library vectorise as well. Sums (dot) are taken in
// the lanes' order, which may differ from a sequential sum by rounding.
namespace Opt::Linalg {

// results[i] := exp(factor * arguments[i]) for i < count; exp(-inf) = 0. The
// two arrays may be the same (in place) but must not otherwise overlap.
void exponentiate(const double* arguments, double factor, double* results, std::size_t count);

// values[i] := exp(values[i]) for i < count.
inline void exponentiate(double* values, std::size_t count)
{
    exponentiate(values, 1.0, values, count);
}

// For i < count, exponentiateBase2 sets results[i] := 2^(factor * arguments[i])
// and logarithmBase2 results[i] := log2(arguments[i]), log2(0) = -inf: the pair
// a power d^p = 2^(p log2 d) is taken with, since in glibc's vector library
// they cost 20 % and 33 % less than exp and ln. Same aliasing rule as
// exponentiate; vectorised the same way where glibc has them (2.35 and later).
void exponentiateBase2(const double* arguments, double factor, double* results, std::size_t count);
void logarithmBase2(const double* arguments, double* results, std::size_t count);

// The sum of a[i] * b[i] for i < count, accumulated in as many lanes as the
// machine has (so in an order of its own, the same on every call).
double dot(const double* a, const double* b, std::size_t count);

// The dot product of a and the first a.size() entries of b.
inline double dot(const std::vector<double>& a, const std::vector<double>& b)
{
    return dot(a.data(), b.data(), a.size());
}

// results[i] := |point - values[i]| for i < count (the distances of one
// coordinate to a column of points); same aliasing rule as exponentiate.
void absoluteDifferences(double point, const double* values, double* results, std::size_t count);

// results[i] := sqrt(values[i]) * values[i] (values^1.5) for i < count; same
// aliasing rule as exponentiate.
void rootTimesSelf(const double* values, double* results, std::size_t count);

// results[i] := exp(factor * sum_k weights[k] * base[offsets[k] + i]) for
// i < count, k < width (width >= 1): the exponential of a weighted sum of
// columns that lie in one array, such as a product correlation's terms, one
// column per coordinate. The columns are summed up to four at a time and the
// last group feeds the exponential directly, so results is written in at
// most ceil(width / 4) passes. Compiled per instruction set like exponentiate;
// results must not overlap base.
void exponentiateWeightedSum(const double* base, const std::size_t* offsets, const double* weights,
                             std::size_t width, double factor, double* results, std::size_t count);

} // namespace Opt::Linalg
