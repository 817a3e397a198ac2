#!/usr/bin/python3
"""A tour of the zelkor package, cell by cell (each "# %%" starts a cell, as
notebook-style editors read them). Run it whole with
    PYTHONPATH=build/python python/examples/tour.py
after `make python-build`, or after `make python` from anywhere.
"""

# %% A constrained problem: Rosen-Suzuki, minimum -44 at (0, 1, 2, -1).
import concurrent.futures

import numpy as np

import zelkor


def rosen_suzuki(x):
    a, b, c, d = x * x
    objective = a + b + 2 * c + d - 5 * x[0] - 5 * x[1] - 21 * x[2] + 7 * x[3]
    constraints = [a + b + c + d + x[0] - x[1] + x[2] - x[3] - 8,
                   a + 2 * b + c + 2 * d - x[0] - x[3] - 10,
                   2 * a + b + c + 2 * x[0] - x[1] - x[3] - 5]
    return objective, constraints


bounds = [(-5.0, 5.0)] * 4
result = zelkor.minimize(rosen_suzuki, np.zeros(4), bounds, method="sqp",
                         options={"maxiter": 100, "ftol": 1e-8})
print("SQP:", result.x.round(4), round(result.fun, 4), result.message, result.nfev, "evaluations")

# %% Options by name; zelkor.options_of lists a method's options and defaults.
print(zelkor.options_of("ga"))

# %% The GA's generations evaluated on four threads give the same run.
with concurrent.futures.ThreadPoolExecutor(max_workers=4) as pool:
    parallel = zelkor.minimize(rosen_suzuki, np.zeros(4), bounds, method="ga",
                               options={"population": 41, "maxfev": 4000},
                               executor=pool)
serial = zelkor.minimize(rosen_suzuki, np.zeros(4), bounds, method="ga",
                         options={"population": 41, "maxfev": 4000})
print("GA:", parallel.x.round(3), round(parallel.fun, 3),
      "same as serial:", np.array_equal(parallel.history_x, serial.history_x),
      "largest batch:", parallel.largest_batch)

# %% A design of experiments and a kriging surrogate with its leave-one-out quality.
box = [(-2.0, 2.0), (-1.0, 3.0)]
X = zelkor.orthogonal_array(box, 5, 25)
y = np.array([(1 - a) ** 2 + 5 * (b - a * a) ** 2 for a, b in X])
model = zelkor.Surrogate("kriging").fit(X, y, bounds=box)
print("kriging R^2 %.4f, Q^2 %.4f" % (model.r2[0], model.q2[0]))
print("prediction at (1, 1):", model.predict([[1.0, 1.0]])[0], "(true 0)")

# %% A whole surrogate study: sample, fit, search, verify.
study = zelkor.surrogate_study(lambda x: (1 - x[0]) ** 2 + 5 * (x[1] - x[0] ** 2) ** 2,
                               [0.0, 0.0], box, design="latin_hypercube",
                               design_options=(0, 0, 40), models="kriging")
print("study:", study.x.round(3), round(study.fun, 4), study.nfev, "evaluations")

# %% Distributions and sample statistics.
load = zelkor.Weibull(shape=2.0, scale=10.0)
print("Weibull mean %.3f, 99 %% quantile %.3f" % (load.mean(), load.ppf(0.99)))
samples = np.random.default_rng(1).gamma(4.0, 0.5, 3000)
print("best family of a gamma sample:", zelkor.sample_statistics(samples)["best_family"])

# %% Errors are Python exceptions with the library's messages.
try:
    zelkor.minimize(rosen_suzuki, np.zeros(4), bounds, options={"iterations": 5})
except ValueError as error:
    print("ValueError:", error)
