/* runSQP_CFD_: an SQP run of one library call per evaluation, the way a host
 * drives a solver whose every evaluation is an external job. The state block
 * is the only memory of the run between calls; here it stays in this process,
 * but it could as well be written to a file and read back by the next job.
 *
 * Problem: minimise (x1 - 1)^2 + (x2 - 2)^2 subject to x1 + x2 <= 2, on
 * [0, 3] x [0, 3]. By hand (Lagrange): x = (0.5, 1.5), objective 0.5. */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <zelkor.h>

static void job(const double* x, double* f)
{
    f[0] = (x[0] - 1) * (x[0] - 1) + (x[1] - 2) * (x[1] - 2);
    f[1] = x[0] + x[1] - 2;
}

int main(void)
{
    double x[2] = {3, 0}, f[2];
    const double bounds[4] = {0, 3, 0, 3};
    int ints[12], calls = 0, code = 1, i;
    const int size = zelkorSQPStateSize(2, 2);
    double* state = calloc((size_t)size, sizeof *state);
    for (i = 0; i < 12; ++i) {
        ints[i] = -999;
    }
    ints[5] = 1; /* forward differences: one call per perturbed design */
    while (code == 1) {
        code = runSQP_CFD_(x, 2, f, 2, bounds, NULL, state, size, NULL, ints);
        if (code == 1) {
            job(x, f); /* one external job */
            ++calls;
        }
    }
    free(state);
    printf("restartable SQP: %d evaluations, x = (%.4f, %.4f), objective %.5f "
           "(by hand: (0.5, 1.5), 0.5); state block of %d doubles\n",
           calls, x[0], x[1], f[0], size);
    return code == 0 && fabs(x[0] - 0.5) < 1e-3 && fabs(x[1] - 1.5) < 1e-3 ? 0 : 1;
}
