#pragma once

#include <vector>

#include "doe/FullFactorial.h"

namespace Opt::DOE {

// The two-level fractional factorial design. Of k factors, the first
// b = k - generatedFactorCount form a full two-level factorial of 2^b runs; each
// further factor is generated as the product (in -1/+1 coding) of two earlier
// columns, the g-th generated factor taking the g-th pair of the sequence
// (0,1), (0,2), ..., (0,k-1), (1,2), (1,3), ... The number of generated factors
// grows with k so that the run count stays small: none up to 4 factors, then
// 1 (5-7), 2 (8-9), 3 (10), 4 (11-12), 5 (13), 6 (14), 7 (15), 8 (16), 9 (17-18)
// and k - 9 from 19 factors on, which caps the design at 512 runs.
//
// The pair rule is kept as it is for every k, even where it stops giving a useful
// design: from 16 factors on some generated columns repeat earlier ones, so those
// factors are confounded with each other. (Montgomery, "Design and Analysis of
// Experiments", ch. 8, for fractional factorials and their aliasing.)
class FractionalFactorial : public FullFactorial {
public:
    explicit FractionalFactorial(const std::vector<DesignVariable>& variables, bool snapAll = false,
                                 std::vector<int> discreteFactors = {});

    // The number of generated factors for a design of factorCount factors.
    static int generatedFactorCountFor(int factorCount);

    int generatedFactorCount = 0;

    // 2^(k - generatedFactorCount), the runs of the two-level part.
    int factorialRunCount() const;

protected:
    FractionalFactorial(const std::vector<DesignVariable>& variables, bool snapAll,
                        std::vector<int> discreteFactors, DeferConstruction);

    void generateLevels() override;

private:
    void generateFactors(int firstGenerated);
};

} // namespace Opt::DOE
