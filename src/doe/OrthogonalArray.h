#pragma once

#include <vector>

#include "doe/DOEBase.h"
#include "doe/OrthogonalArrayTable.h"

namespace Opt::DOE {

// The orthogonal-array design: the first k columns of the catalogue array of
// `levels` levels and pointCount runs (OrthogonalArrayTable) become the k
// factors, row r of the array being point r. Every pair of factors then holds
// each pair of levels equally often.
//
// The levels are spaced evenly over each factor's range through their coded
// values c in [-1, 1], the normalised value being (c + 1)/2:
//   2 levels  -1, +1
//   3 levels  -1, 0, +1
//   4 levels  -1, -0.333333333333333, +0.333333333333333, +1
//   5 levels  -1, -0.5, 0, +0.5, +1
// The four-level thirds are the 15-digit decimals, not the exact thirds, so the
// normalised values are 0.3333333333333335 and 0.6666666666666665 rather than
// the doubles nearest 1/3 and 2/3.
//
// Like every design, it allocates its points before anything else: more than
// DOESamplingPointSet::kPointLimit runs throw the point-limit message and a
// negative run count std::invalid_argument, whether or not the catalogue has
// such an array. Otherwise a level count without an array of that run count in
// the catalogue, or more factors than the array has columns, throws the
// library's message "CANNOT FIND ADEQUATE ORTHGONAL ARRAY TABLE." as a
// std::string (the error table's entry for it). Either way no design results.
class OrthogonalArray : public DOEBase {
public:
    OrthogonalArray(const std::vector<DesignVariable>& variables, int levels, int runs,
                    bool snapAll = false, std::vector<int> discreteFactors = {});

    // The coded value of a symbol (0 to levels - 1) of a catalogue array.
    static double codedLevel(int levels, int symbol);

protected:
    void generate() override;

private:
    const OrthogonalArrayTable* table = nullptr;
};

} // namespace Opt::DOE
