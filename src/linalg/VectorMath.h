#pragma once

#include <cstddef>

// Element-wise exponentials (and logarithms) over whole arrays, for the loops whose cost is
// dominated by exp (the kriging likelihood fills N(N-1)/2 correlations, each
// with up to n + 1 exponentials, per evaluation).
//
// With GCC on x86-64 glibc the loop is vectorised onto glibc's vector maths
// library (libmvec): four lanes on CPUs with AVX2, two otherwise, picked when
// the library is loaded. Its results stay within a few units in the last place
// of std::exp and are the same run after run on one machine. Elsewhere the
// plain loop over std::exp is compiled, which compilers shipping their own
// vector maths library vectorise as well.
namespace Opt::Linalg {

// results[i] := exp(factor * arguments[i]) for i < count; exp(-inf) = 0. The
// two arrays may be the same (in place) but must not otherwise overlap.
void exponentiate(const double* arguments, double factor, double* results, std::size_t count);

// values[i] := exp(values[i]) for i < count.
inline void exponentiate(double* values, std::size_t count)
{
    exponentiate(values, 1.0, values, count);
}

// results[i] := ln(arguments[i]) for i < count; ln(0) = -inf. Same aliasing
// rule as exponentiate; vectorised the same way.
void logarithm(const double* arguments, double* results, std::size_t count);

} // namespace Opt::Linalg
