#pragma once

#include <cstdint>
#include <vector>

#include "doe/DOEBase.h"
#include "doe/LinearCongruentialRandom.h"

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
// Shuffle, after each factor: for i = 0..n-2 entry i is swapped with entry
// i + 1 + (r mod (n - 1 - i)), r the next output of the linear congruential
// generator (LinearCongruentialRandom). Always swapping with a later entry makes
// each shuffle a single n-cycle (Sattolo's algorithm), so no point keeps its
// cell from one factor to the next.
//
// Deviation: the shuffle is seeded once per design, not per factor: reseeding repeats one cycle, so factor j + n copies j.
//
// Seeds: with randomSeeded non-zero the Mersenne Twister takes the clock seed
// (UTC second within the minute times 100 plus the millisecond) and the shuffle
// the current time in whole seconds; with randomSeeded 0 both take fixedSeed
// (0 unless given), and the design is the same on every run and every platform.
// A negative sample count is inconsistent input (std::invalid_argument); more
// than 10000 samples are refused with the point-limit message.
class LatinHypercube : public DOEBase {
public:
    static constexpr int kRandomInCell = 0;
    static constexpr int kCellCorners = 1;

    LatinHypercube(const std::vector<DesignVariable>& variables, int sampleCount, int variant,
                   int randomSeeded, bool snapAll = false, std::vector<int> discreteFactors = {},
                   std::uint32_t fixedSeed = 0u);

    int variant = kRandomInCell;
    int randomSeeded = 1;
    std::uint32_t fixedSeed = 0u;
    std::vector<int> permutation; // current cell of each point, initially 0..n-1

protected:
    void generate() override;

private:
    // Fills factor after factor, point i at cellPosition(permutation[i]), and
    // shuffles the permutation after each factor.
    template <typename CellPosition>
    void fillFactors(CellPosition cellPosition);
    void shufflePermutation(LinearCongruentialRandom& generator);
    std::uint32_t shuffleSeed() const;
};

} // namespace Opt::DOE
