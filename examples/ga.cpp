// A constrained problem solved by the genetic algorithm through runGA_ptr:
// Deb's (2000) constrained Himmelblau function, whose feasible region is a thin
// crescent between two circles; best known value 13.59085 at (2.246826, 2.381865).
#include <cmath>
#include <cstdio>
#include <vector>

#include "zelkor.h"

namespace {

constexpr double kBestKnown = 13.59085;

// f[0] the objective, f[1] and f[2] the constraints, each satisfied when <= 0:
// inside the circle about (0.05, 2.5) and outside the one about (0, 2.5).
int himmelblau(double* x, double* f)
{
    const double a = x[0] * x[0] + x[1] - 11.0;
    const double b = x[0] + x[1] * x[1] - 7.0;
    const double y = x[1] - 2.5;
    f[0] = a * a + b * b;
    f[1] = (x[0] - 0.05) * (x[0] - 0.05) + y * y - 4.84;
    f[2] = 4.84 - x[0] * x[0] - y * y;
    return 0;
}

} // namespace

int main()
{
    const std::vector<std::vector<double>> bounds = {{0.0, 6.0}, {0.0, 6.0}};
    double x[2] = {3.0, 3.0}; // not evaluated: the GA draws its own first population
    double f[3];
    // The engine's own arrays; -999 leaves a setting at its default.
    std::vector<int> ints(20, -999);
    std::vector<double> reals(20, -999.0);
    ints[2] = 60;     // population
    ints[3] = 200;    // generations
    ints[6] = 12000;  // evaluations
    ints[13] = 7;     // seed: the same seed gives the same run
    reals[0] = -1.0;  // feasible designs rank first, as in Deb's method

    const int feasible =
        runGA_ptr(himmelblau, x, f, &bounds, 2, 3, reals.data(), ints.data());
    std::printf("best %.5f at (%.6f, %.6f), %s (best known %.5f)\n", f[0], x[0], x[1],
                feasible ? "feasible" : "infeasible", kBestKnown);
    return feasible == 1 && std::fabs(f[0] - kBestKnown) < 0.01 * kBestKnown ? 0 : 1;
}
