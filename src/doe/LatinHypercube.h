#pragma once

#include <cstdint>
#include <vector>

#include "doe/DOEBase.h"

namespace Opt::DOE {

// The Latin hypercube sample: each factor's range is cut into n cells and every
// cell of every factor holds exactly one of the n points (McKay, Beckman and
// Conover 1979). The cell of point i in a factor is permutation[i]; the first
// factor takes the cells in order, each later factor the permutation shuffled
// once more.
//
// Variants:
//   kRandomInCell  point i lies at (permutation[i] + u)/n, u uniform in [0, 1)
//                  from MT19937 (one generator over the whole design, drawn
//                  factor by factor, point by point);
//   kCellCorners   point i lies at permutation[i]/(n - 1), the corners
//                  0, 1/(n-1), ..., 1; a single point sits at the centre.
// Any other variant generates nothing: every point stays at the lower bounds.
//
// Shuffle, after each factor: the linear congruential generator
// (LinearCongruentialRandom) is seeded afresh, then for i = 0..n-2 entry i is
// swapped with entry i + 1 + (r mod (n - 1 - i)), r its next output. Always
// swapping with a later entry makes each shuffle a single n-cycle (Sattolo's
// algorithm), so no point keeps its cell from one factor to the next.
//
// Seeds: with randomSeeded non-zero the Mersenne Twister takes the clock seed
// (UTC second within the minute times 100 plus the millisecond) and each shuffle
// the current time in whole seconds; with randomSeeded 0 both take 0, and the
// design is the same on every run and every platform. Because the shuffle is
// reseeded for every factor, factors shuffled within the same second apply the
// same cycle again. A negative sample count is inconsistent input
// (std::invalid_argument); more than 10000 samples are refused with the
// point-limit message.
class LatinHypercube : public DOEBase {
public:
    static constexpr int kRandomInCell = 0;
    static constexpr int kCellCorners = 1;

    LatinHypercube(const std::vector<DesignVariable>& variables, int sampleCount, int variant,
                   int randomSeeded, bool snapAll = false, std::vector<int> discreteFactors = {});

    int variant = kRandomInCell;
    int randomSeeded = 1;
    std::vector<int> permutation; // current cell of each point, initially 0..n-1

protected:
    void generate() override;

private:
    void generateRandomInCell();
    void generateCellCorners();
    void shufflePermutation();
    std::uint32_t shuffleSeed() const;
};

} // namespace Opt::DOE
