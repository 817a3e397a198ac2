#pragma once

#include <vector>

namespace Opt {

// A linear program as the linear-programming engine receives it:
//   minimise objective . x  subject to  rowBounds[i][0] <= rows[i] . x <= rowBounds[i][1]
//                                       variableBounds[j][0] <= x[j] <= variableBounds[j][1].
// Infinite bounds (+-HUGE_VAL) leave a side open; equal bounds fix a row or a
// variable. Every row holds one coefficient per variable.
struct LinearProgram {
    std::vector<double> objective;
    std::vector<std::vector<double>> rows;
    std::vector<std::vector<double>> rowBounds;      // {lower, upper} per row
    std::vector<std::vector<double>> variableBounds; // {lower, upper} per variable
};

} // namespace Opt
