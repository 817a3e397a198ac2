#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/RandomSource.h"
#include "linalg/Matrix.h"
#include "reliability/DISTRIBUTION_Parameter.h"

namespace Opt {

// Draws the random inputs of a reliability analysis: one row of design values
// (caller units) per sample, the random variables drawn from their records and
// the others at their given values.
//
// Probabilities come from the generator as u = (k + 1/2) 2^-32, k one 32-bit
// output: strictly inside (0, 1), so that the quantile of an unbounded family
// is always finite (the quantile of 0 would throw). Draws are taken in a fixed
// order, sample by sample and within a sample variable by variable, before any
// transform, so the table does not depend on how the transforms are shared out.
//
// Methods:
//   0  independent inputs by inverse transform: x_i = F_i^-1(u_i).
//   1  correlated inputs by the Nataf transform: z_i = Phi^-1(u_i), then
//      v = L z (one dgemm for all samples), L the Cholesky factor of the
//      correlation matrix the host gives in standard-normal space, then
//      x_i = F_i^-1(Phi(v_i)); Phi(v_i) is kept within [2^-33, 1 - 2^-33], the
//      probabilities method 0 can reach.
// Any other method samples nothing (every row holds the given values).
//
// The correlation matrix is r x r, row-major, over the random variables in
// design-variable order (r of them); empty means independent. It must be
// symmetric with a unit diagonal and positive definite: otherwise the
// constructor throws std::invalid_argument naming the entry or the failure.
class RandomInputSampler {
public:
    RandomInputSampler(std::vector<std::shared_ptr<DISTRIBUTION_Parameter>> records,
                       std::vector<double> givenValues, int method,
                       const std::vector<double>& correlation);

    // count rows of nVariables values each, row-major. The uniform draws are
    // made in order on the calling thread; their quantiles may be taken on
    // threads (OpenMP), which changes no value.
    std::vector<double> draw(RandomSource& generator, int count, int threads = 1) const;

    int variableCount() const { return static_cast<int>(given.size()); }

private:
    std::vector<double> uniformDraws(RandomSource& generator, int count) const;
    void correlate(std::vector<double>& probabilities, int count) const;

    std::vector<std::shared_ptr<DISTRIBUTION_Parameter>> records;
    std::vector<double> given;
    std::vector<int> randomIndex; // the design-variable index of each random variable
    int method;
    Matrix lowerFactor; // empty: independent
};

} // namespace Opt
