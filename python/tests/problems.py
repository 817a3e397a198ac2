"""Reference problems of the C++ suite, at module level so that process pools
and Dask workers can unpickle them."""

import numpy as np

# The entry-point tests' bowl: minimum 0 at (0.3, -0.2), constraint inactive there.
BOWL_BOUNDS = [(-1.0, 1.0), (-1.0, 1.0)]
BOWL_START = [0.9, 0.9]
BOWL_MINIMUM = np.array([0.3, -0.2])


def bowl(x):
    return (x[0] - 0.3) ** 2 + (x[1] + 0.2) ** 2, x[0] + x[1] - 1.0


# Rosen-Suzuki (Hock and Schittkowski's problem 43): minimum -44 at (0, 1, 2, -1).
ROSEN_SUZUKI_MINIMUM = -44.0


def rosen_suzuki(x):
    a, b, c, d = x ** 2
    return (a + b + 2 * c + d - 5 * x[0] - 5 * x[1] - 21 * x[2] + 7 * x[3],
            [a + b + c + d + x[0] - x[1] + x[2] - x[3] - 8,
             a + 2 * b + c + 2 * d - x[0] - x[3] - 10,
             2 * a + b + c + 2 * x[0] - x[1] - x[3] - 5])


def quadratic(x):
    return 1.0 + 2.0 * x[0] - x[1] + 0.5 * x[0] * x[1] + 3.0 * x[1] ** 2
