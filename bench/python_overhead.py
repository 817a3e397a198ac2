#!/usr/bin/python3
"""Per-evaluation overhead of zelkor.minimize beside scipy.optimize.minimize
(SLSQP), both called from Python on the same problem with a trivial response
function, so that the time per evaluation is the optimiser's and the
binding's own: the engine's steps, the batches' trips between C++ and Python
and the result's bookkeeping.

The problem is Rosen-Suzuki (Hock and Schittkowski's problem 43, four
variables, three constraints, minimum -44). Each optimiser runs it REPEATS
times; printed are the wall-clock time per run, the evaluations per run and
the time per evaluation. SLSQP calls the objective and the constraints
separately; its evaluations are counted as distinct designs at which
either was called. zelkor.minimize runs SQP (forward differences, batched)
and, for the batches' fixed cost on large batches, the GA.

Usage: PYTHONPATH=build/python bench/python_overhead.py   (make python-build first)
Needs Debian's python3-scipy. Times depend on the machine and its load.
"""
import time

import numpy as np
from scipy.optimize import minimize as scipy_minimize

import zelkor

REPEATS = 50
BOUNDS = [(-5.0, 5.0)] * 4


def objective(x):
    a, b, c, d = x * x
    return a + b + 2 * c + d - 5 * x[0] - 5 * x[1] - 21 * x[2] + 7 * x[3]


def constraints(x):
    a, b, c, d = x * x
    return np.array([a + b + c + d + x[0] - x[1] + x[2] - x[3] - 8,
                     a + 2 * b + c + 2 * d - x[0] - x[3] - 10,
                     2 * a + b + c + 2 * x[0] - x[1] - x[3] - 5])


def responses(x):
    return objective(x), constraints(x)


def timed(run):
    start = time.perf_counter()
    evaluations = [run() for _ in range(REPEATS)]
    seconds = (time.perf_counter() - start) / REPEATS
    return seconds, evaluations[-1]


def zelkor_run(method, options):
    def run():
        result = zelkor.minimize(responses, np.zeros(4), BOUNDS, method=method, options=options)
        return result.nfev, result.fun
    return run


def slsqp_run():
    designs = set()

    def counted(function):
        def call(x):
            designs.add(tuple(x))
            return function(x)
        return call

    result = scipy_minimize(counted(objective), np.zeros(4), method="SLSQP", bounds=BOUNDS,
                            constraints={"type": "ineq", "fun": counted(lambda x: -constraints(x))},
                            options={"ftol": 1e-8, "maxiter": 100})
    return len(designs), result.fun


def main():
    rows = [
        ("scipy SLSQP", slsqp_run),
        ("zelkor sqp", zelkor_run("sqp", {"maxiter": 100, "ftol": 1e-8})),
        ("zelkor ga (batches of 51)", zelkor_run("ga", {"population": 51, "maxfev": 2000})),
    ]
    print("Rosen-Suzuki, %d runs each, trivial response function" % REPEATS)
    print("%-28s %12s %12s %14s %12s" % ("optimiser", "ms per run", "evaluations",
                                         "us per eval", "minimum"))
    for name, run in rows:
        seconds, (evaluations, minimum) = timed(run)
        print("%-28s %12.3f %12d %14.1f %12.4f" % (name, seconds * 1e3, evaluations,
                                                  seconds / evaluations * 1e6, minimum))


if __name__ == "__main__":
    main()
