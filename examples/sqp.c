/* SQP through the general entry point Zelkor from a C host, with forward-difference
   gradients: the Rosen-Suzuki problem (Hock and Schittkowski's problem 43), four
   variables and three inequality constraints, minimum -44 at (0, 1, 2, -1). */
#include <math.h>
#include <stdio.h>

#include <zelkor.h>

enum { kVariables = 4, kResponses = 4 };

static int evaluations = 0;

/* f[0] the objective, f[1..3] the constraints, each satisfied when <= 0. */
static int rosenSuzuki(double* x, int n, double* f, int m)
{
    const double a = x[0] * x[0], b = x[1] * x[1], c = x[2] * x[2], d = x[3] * x[3];
    (void)n;
    (void)m;
    ++evaluations;
    f[0] = a + b + 2 * c + d - 5 * x[0] - 5 * x[1] - 21 * x[2] + 7 * x[3];
    f[1] = a + b + c + d + x[0] - x[1] + x[2] - x[3] - 8;
    f[2] = a + 2 * b + c + 2 * d - x[0] - x[3] - 10;
    f[3] = 2 * a + b + c + 2 * x[0] - x[1] - x[3] - 5;
    return 0;
}

int main(void)
{
    double x[kVariables] = {0, 0, 0, 0};
    double f[kResponses];
    double b0[2] = {-5, 5}, b1[2] = {-5, 5}, b2[2] = {-5, 5}, b3[2] = {-5, 5};
    double* bounds[kVariables] = {b0, b1, b2, b3};
    /* SQP reads user ints 0, 3 and 4: iterations, the gradient mode (1 forward
       differences, stated here rather than left to the default) and line-search
       trials; -999 leaves a setting at its default. */
    int ints[5] = {100, -999, -999, 1, -999};
    /* User reals 0-3: objective tolerance, step tolerance, finite-difference step,
       move limit. */
    double reals[4] = {1e-8, -999, -999, -999};

    const int feasible = Zelkor(1, 0, rosenSuzuki, kVariables, x, bounds, kResponses, f, 0, ints,
                                0, reals, NULL);
    printf("minimum %.6f at (%.4f, %.4f, %.4f, %.4f), %s, %d evaluations\n", f[0], x[0], x[1],
           x[2], x[3], feasible ? "feasible" : "infeasible", evaluations);
    printf("known: -44 at (0, 1, 2, -1)\n");
    return feasible && fabs(f[0] + 44.0) < 1e-3 * 44.0 ? 0 : 1;
}
