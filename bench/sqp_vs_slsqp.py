#!/usr/bin/python3
"""SQP beside SciPy's SLSQP on the Hock-Schittkowski reference problems.

Loads the built libzelkor.so through ctypes and, in the same run, solves each
problem with Zelkor method 1 (forward differences by the engine) and with
SciPy's SLSQP (its own finite differences). Prints, per problem, the
evaluations each used and the final error side by side, the totals, and a
verdict on the target: with objective tolerance 1e-4 every reference problem
within 1e-4 relative error and feasible (largest constraint <= 1e-4), using
fewer evaluations in total than SLSQP at its default ftol. The curved valleys
HS1-HS5 and HS38 follow in a second table (up to 200 iterations each).

An evaluation is one design at which the host computes its responses: Zelkor
asks for all responses at once; SLSQP calls the objective and the constraint
function separately, so its evaluations are counted as distinct designs.

The problems are the formulations, boxes and starts of the two tables of
tests/gradient/HockSchittkowskiProblems.h (Hock and Schittkowski 1981),
written again here: responses are [objective, constraints c(x) <= 0].

Usage: bench/sqp_vs_slsqp.py [path/to/libzelkor.so]   (default: build/libzelkor.so)
Needs Debian's python3-scipy.
"""
import ctypes
import math
import os
import sys

import numpy as np
from scipy.optimize import minimize

SQRT3 = math.sqrt(3.0)


def hs18(x):
    return [0.01 * x[0] ** 2 + x[1] ** 2, 25.0 - x[0] * x[1], 25.0 - x[0] ** 2 - x[1] ** 2]


def hs21(x):
    return [0.01 * x[0] ** 2 + x[1] ** 2 - 100.0, -(10.0 * x[0] - x[1] - 10.0)]


def hs23(x):
    return [x[0] ** 2 + x[1] ** 2, -(x[0] + x[1] - 1.0), -(x[0] ** 2 + x[1] ** 2 - 1.0),
            -(9.0 * x[0] ** 2 + x[1] ** 2 - 9.0), -(x[0] ** 2 - x[1]), -(x[1] ** 2 - x[0])]


def hs24(x):
    return [((x[0] - 3.0) ** 2 - 9.0) * x[1] ** 3 / (27.0 * SQRT3), -(x[0] / SQRT3 - x[1]),
            -(x[0] + SQRT3 * x[1]), -(6.0 - x[0] - SQRT3 * x[1])]


def hs34(x):
    return [-x[0], -(x[1] - math.exp(x[0])), -(x[2] - math.exp(x[1]))]


def hs35(x):
    return [9.0 - 8.0 * x[0] - 6.0 * x[1] - 4.0 * x[2] + 2.0 * x[0] ** 2 + 2.0 * x[1] ** 2
            + x[2] ** 2 + 2.0 * x[0] * x[1] + 2.0 * x[0] * x[2],
            -(3.0 - x[0] - x[1] - 2.0 * x[2])]


def hs36(x):
    return [-(x[0] * x[1] * x[2]), -(72.0 - x[0] - 2.0 * x[1] - 2.0 * x[2])]


def hs37(x):
    return [-(x[0] * x[1] * x[2]), -(72.0 - x[0] - 2.0 * x[1] - 2.0 * x[2]),
            -(x[0] + 2.0 * x[1] + 2.0 * x[2])]


def hs43(x):
    return [x[0] ** 2 + x[1] ** 2 + 2.0 * x[2] ** 2 + x[3] ** 2 - 5.0 * x[0] - 5.0 * x[1]
            - 21.0 * x[2] + 7.0 * x[3],
            -(8.0 - x[0] ** 2 - x[1] ** 2 - x[2] ** 2 - x[3] ** 2 - x[0] + x[1] - x[2] + x[3]),
            -(10.0 - x[0] ** 2 - 2.0 * x[1] ** 2 - x[2] ** 2 - 2.0 * x[3] ** 2 + x[0] + x[3]),
            -(5.0 - 2.0 * x[0] ** 2 - x[1] ** 2 - x[2] ** 2 - 2.0 * x[0] + x[1] + x[3])]


def hs65(x):
    return [(x[0] - x[1]) ** 2 + (x[0] + x[1] - 10.0) ** 2 / 9.0 + (x[2] - 5.0) ** 2,
            -(48.0 - x[0] ** 2 - x[1] ** 2 - x[2] ** 2)]


def hs66(x):
    return [0.2 * x[2] - 0.8 * x[0], -(x[1] - math.exp(x[0])), -(x[2] - math.exp(x[1]))]


def hs76(x):
    return [x[0] ** 2 + 0.5 * x[1] ** 2 + x[2] ** 2 + 0.5 * x[3] ** 2 - x[0] * x[2]
            + x[2] * x[3] - x[0] - 3.0 * x[1] + x[2] - x[3],
            -(5.0 - x[0] - 2.0 * x[1] - x[2] - x[3]),
            -(4.0 - 3.0 * x[0] - x[1] - 2.0 * x[2] + x[3]),
            -(x[1] + 4.0 * x[2] - 1.5)]


def hs83(x):
    a = 85.334407 + 0.0056858 * x[1] * x[4] + 0.0006262 * x[0] * x[3] - 0.0022053 * x[2] * x[4]
    b = 80.51249 + 0.0071317 * x[1] * x[4] + 0.0029955 * x[0] * x[1] + 0.0021813 * x[2] ** 2
    c = 9.300961 + 0.0047026 * x[2] * x[4] + 0.0012547 * x[0] * x[2] + 0.0019085 * x[2] * x[3]
    return [5.3578547 * x[2] ** 2 + 0.8356891 * x[0] * x[4] + 37.293239 * x[0] - 40792.141,
            -a, a - 92.0, 90.0 - b, b - 110.0, 20.0 - c, c - 25.0]


def hs100(x):
    return [(x[0] - 10.0) ** 2 + 5.0 * (x[1] - 12.0) ** 2 + x[2] ** 4 + 3.0 * (x[3] - 11.0) ** 2
            + 10.0 * x[4] ** 6 + 7.0 * x[5] ** 2 + x[6] ** 4 - 4.0 * x[5] * x[6] - 10.0 * x[5]
            - 8.0 * x[6],
            -(127.0 - 2.0 * x[0] ** 2 - 3.0 * x[1] ** 4 - x[2] - 4.0 * x[3] ** 2 - 5.0 * x[4]),
            -(282.0 - 7.0 * x[0] - 3.0 * x[1] - 10.0 * x[2] ** 2 - x[3] + x[4]),
            -(196.0 - 23.0 * x[0] - x[1] ** 2 - 6.0 * x[5] ** 2 + 8.0 * x[6]),
            -(-4.0 * x[0] ** 2 - x[1] ** 2 + 3.0 * x[0] * x[1] - 2.0 * x[2] ** 2 - 5.0 * x[5]
              + 11.0 * x[6])]


def hs113(x):
    return [x[0] ** 2 + x[1] ** 2 + x[0] * x[1] - 14.0 * x[0] - 16.0 * x[1] + (x[2] - 10.0) ** 2
            + 4.0 * (x[3] - 5.0) ** 2 + (x[4] - 3.0) ** 2 + 2.0 * (x[5] - 1.0) ** 2
            + 5.0 * x[6] ** 2 + 7.0 * (x[7] - 11.0) ** 2 + 2.0 * (x[8] - 10.0) ** 2
            + (x[9] - 7.0) ** 2 + 45.0,
            -(105.0 - 4.0 * x[0] - 5.0 * x[1] + 3.0 * x[6] - 9.0 * x[7]),
            -(-10.0 * x[0] + 8.0 * x[1] + 17.0 * x[6] - 2.0 * x[7]),
            -(8.0 * x[0] - 2.0 * x[1] - 5.0 * x[8] + 2.0 * x[9] + 12.0),
            -(-3.0 * (x[0] - 2.0) ** 2 - 4.0 * (x[1] - 3.0) ** 2 - 2.0 * x[2] ** 2 + 7.0 * x[3]
              + 120.0),
            -(-5.0 * x[0] ** 2 - 8.0 * x[1] - (x[2] - 6.0) ** 2 + 2.0 * x[3] + 40.0),
            -(-0.5 * (x[0] - 8.0) ** 2 - 2.0 * (x[1] - 4.0) ** 2 - 3.0 * x[4] ** 2 + x[5] + 30.0),
            -(-x[0] ** 2 - 2.0 * (x[1] - 2.0) ** 2 + 2.0 * x[0] * x[1] - 14.0 * x[4] + 6.0 * x[5]),
            -(3.0 * x[0] - 6.0 * x[1] - 12.0 * (x[8] - 8.0) ** 2 + 7.0 * x[9])]


def hs118(x):
    total = 0.0
    for k in range(5):
        a, b, c = x[3 * k], x[3 * k + 1], x[3 * k + 2]
        total += 2.3 * a + 0.0001 * a ** 2 + 1.7 * b + 0.0001 * b ** 2 + 2.2 * c + 0.00015 * c ** 2
    f = [total]
    upper_ramp = (13.0, 14.0, 13.0)
    for j in range(1, 5):
        for t in range(3):
            ramp = x[3 * j + t] - x[3 * j + t - 3] + 7.0
            f += [-ramp, ramp - upper_ramp[t]]
    for k, demand in enumerate((60.0, 50.0, 70.0, 85.0, 100.0)):
        f.append(demand - (x[3 * k] + x[3 * k + 1] + x[3 * k + 2]))
    return f


# name, responses, start, lower, upper, published optimum
PROBLEMS = [
    ("HS18", hs18, [2, 2], [2, 0], [50, 50], 5.0),
    ("HS21", hs21, [2, -1], [2, -50], [50, 50], -99.96),
    ("HS23", hs23, [3, 1], [-50, -50], [50, 50], 2.0),
    ("HS24", hs24, [1, 0.5], [0, 0], [6, 6], -1.0),
    ("HS34", hs34, [0, 1.05, 2.9], [0, 0, 0], [100, 100, 10], -0.834032445),
    ("HS35", hs35, [0.5, 0.5, 0.5], [0, 0, 0], [3, 3, 3], 1.0 / 9.0),
    ("HS36", hs36, [10, 10, 10], [0, 0, 0], [20, 11, 42], -3300.0),
    ("HS37", hs37, [10, 10, 10], [0, 0, 0], [42, 42, 42], -3456.0),
    ("HS43", hs43, [0, 0, 0, 0], [-5] * 4, [5] * 4, -44.0),
    ("HS65", hs65, [-4.5, 4.5, 0], [-4.5, -4.5, -5], [4.5, 4.5, 5], 0.9535288567),
    ("HS66", hs66, [0, 1.05, 2.9], [0, 0, 0], [100, 100, 10], 0.5181632741),
    ("HS76", hs76, [0.5] * 4, [0] * 4, [5] * 4, -4.681818181),
    ("HS83", hs83, [78, 33, 27, 27, 27], [78, 33, 27, 27, 27], [102, 45, 45, 45, 45],
     -30665.53867),
    ("HS100", hs100, [1, 2, 0, 4, 0, 1, 1], [-5] * 7, [5] * 7, 680.6300573),
    ("HS113", hs113, [2, 3, 5, 5, 1, 2, 7, 3, 6, 10], [0] * 10, [12] * 10, 24.3062091),
    ("HS118", hs118, [20, 55, 15, 20, 60, 20, 20, 60, 20, 20, 60, 20, 20, 60, 20],
     [8, 43, 3] + [0, 0, 0] * 4, [21, 57, 16] + [90, 120, 60] * 4, 664.8204500),
]

def rosenbrock(x):
    return [100.0 * (x[1] - x[0] ** 2) ** 2 + (1.0 - x[0]) ** 2]


def hs3(x):
    return [x[1] + 1e-5 * (x[1] - x[0]) ** 2]


def hs4(x):
    return [(x[0] + 1.0) ** 3 / 3.0 + x[1]]


def hs5(x):
    return [math.sin(x[0] + x[1]) + (x[0] - x[1]) ** 2 - 1.5 * x[0] + 2.5 * x[1] + 1.0]


def hs38(x):
    return [100.0 * (x[1] - x[0] ** 2) ** 2 + (1.0 - x[0]) ** 2 + 90.0 * (x[3] - x[2] ** 2) ** 2
            + (1.0 - x[2]) ** 2 + 10.1 * ((x[1] - 1.0) ** 2 + (x[3] - 1.0) ** 2)
            + 19.8 * (x[1] - 1.0) * (x[3] - 1.0)]


# Bounds only; free variables in [-10, 10] (HS3's x1, starting at 10, in [-10, 20]).
VALLEYS = [
    ("HS1", rosenbrock, [-2, 1], [-10, -1.5], [10, 10], 0.0),
    # The published start (-2, 1) lies outside the bound x2 >= 1.5; both start on it.
    ("HS2", rosenbrock, [-2, 1.5], [-10, 1.5], [10, 10], 0.0504261879),
    ("HS3", hs3, [10, 1], [-10, 0], [20, 10], 0.0),
    ("HS4", hs4, [1.125, 0.125], [1, 0], [10, 10], 8.0 / 3.0),
    ("HS5", hs5, [0, 0], [-1.5, -3], [4, 3], -1.9132229549810362),
    ("HS38", hs38, [-3, -1, -3, -1], [-10] * 4, [10] * 4, 0.0),
]

TARGET_ERROR = 1e-4
TARGET_VIOLATION = 1e-4
VALLEY_ITERATIONS = 200

RESPONSE_CALLBACK = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(ctypes.c_double), ctypes.c_int,
                                     ctypes.POINTER(ctypes.c_double), ctypes.c_int)
GRADIENT_CALLBACK = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(ctypes.c_double), ctypes.c_int,
                                     ctypes.POINTER(ctypes.POINTER(ctypes.c_double)), ctypes.c_int)


def load_library(path):
    library = ctypes.CDLL(path)
    library.Zelkor.restype = ctypes.c_int
    library.Zelkor.argtypes = [
        ctypes.c_int, ctypes.c_int, RESPONSE_CALLBACK, ctypes.c_int,
        ctypes.POINTER(ctypes.c_double), ctypes.POINTER(ctypes.POINTER(ctypes.c_double)),
        ctypes.c_int, ctypes.POINTER(ctypes.c_double), ctypes.c_int, ctypes.POINTER(ctypes.c_int),
        ctypes.c_int, ctypes.POINTER(ctypes.c_double), GRADIENT_CALLBACK]
    return library


def outcome(responses, x, optimum):
    f = responses(list(x))
    error = abs(f[0] - optimum) / max(1.0, abs(optimum))
    violation = max([0.0] + list(f[1:]))
    return error, violation


def run_zelkor(library, problem, objective_tolerance, max_iterations=-999):
    _, responses, start, lower, upper, optimum = problem
    n = len(start)
    m = len(responses(start))
    calls = [0]

    def respond(x, n_, f, m_):
        calls[0] += 1
        values = responses([x[i] for i in range(n_)])
        for j in range(m_):
            f[j] = values[j]
        return 0

    callback = RESPONSE_CALLBACK(respond)
    x = (ctypes.c_double * n)(*start)
    f = (ctypes.c_double * m)()
    boxes = [(ctypes.c_double * 2)(lower[i], upper[i]) for i in range(n)]
    bounds = (ctypes.POINTER(ctypes.c_double) * n)(
        *[ctypes.cast(b, ctypes.POINTER(ctypes.c_double)) for b in boxes])
    # [0] iteration limit; [3] gradient mode 1: forward differences
    ints = (ctypes.c_int * 5)(max_iterations, -999, -999, 1, -999)
    reals = (ctypes.c_double * 4)(objective_tolerance, -999.0, -999.0, -999.0)
    feasible = library.Zelkor(1, 0, callback, n, x, bounds, m, f, 0, ints, 0, reals,
                              GRADIENT_CALLBACK())
    error, violation = outcome(responses, list(x), optimum)
    return calls[0], error, violation, feasible


def run_slsqp(problem, ftol):
    _, responses, start, lower, upper, optimum = problem
    designs = set()

    def evaluate(x):
        designs.add(tuple(np.asarray(x, dtype=float)))
        return responses(list(x))

    constrained = len(responses(start)) > 1
    constraints = [{"type": "ineq", "fun": lambda x: -np.array(evaluate(x)[1:])}]
    result = minimize(lambda x: evaluate(x)[0], np.array(start, dtype=float), method="SLSQP",
                      bounds=list(zip(lower, upper)),
                      constraints=constraints if constrained else [],
                      options={"maxiter": 200, "ftol": ftol})
    error, violation = outcome(responses, list(result.x), optimum)
    return len(designs), error, violation, result.success


def print_table(problems, runs):
    """Runs every problem with every run; prints a row each and the totals.
    Returns the per-run list of (name, evaluations, error, violation, ok)."""
    print(f"{'':7} |" + "|".join(f" {name:29}" for name, _ in runs))
    print(f"{'problem':7} |" + "|".join(f" {'evals':>6} {'err':>8} {'viol':>8} {'ok':>3} "
                                          for _ in runs))
    results = [[] for _ in runs]
    for problem in problems:
        cells = []
        for k, (_, run) in enumerate(runs):
            evaluations, error, violation, ok = run(problem)
            results[k].append((problem[0], evaluations, error, violation, ok))
            cells.append(f" {evaluations:6d} {error:8.1e} {violation:8.1e} {'y' if ok else 'n':>3} ")
        print(f"{problem[0]:7} |" + "|".join(cells))
    totals = [sum(row[1] for row in result) for result in results]
    print(f"{'total':7} |" + "|".join(f" {total:6d} {'':22}" for total in totals))
    return results


def verdict(ours, slsqp):
    """The target line: ours within the error and violation bounds on every
    problem, and fewer evaluations in total than SLSQP."""
    missed = [f"{name} (err {error:.1e}, viol {violation:.1e})"
              for name, _, error, violation, _ in ours
              if not (error <= TARGET_ERROR and violation <= TARGET_VIOLATION)]
    more = [f"{a[0]} ({a[1]} vs {b[1]})" for a, b in zip(ours, slsqp) if a[1] > b[1]]
    our_total = sum(row[1] for row in ours)
    their_total = sum(row[1] for row in slsqp)
    accurate = not missed
    cheaper = our_total < their_total
    print(f"Zelkor (objTol 1e-4) uses more evaluations than SLSQP (default ftol) on: "
          f"{', '.join(more) if more else 'none'}")
    print(f"Not within err <= {TARGET_ERROR:g} and viol <= {TARGET_VIOLATION:g}: "
          f"{', '.join(missed) if missed else 'none'}")
    print(f"VERDICT: target {'MET' if accurate and cheaper else 'NOT MET'}: "
          f"{len(ours) - len(missed)}/{len(ours)} problems within err {TARGET_ERROR:g} and "
          f"feasible; evaluations {our_total} against SLSQP's {their_total} "
          f"({'fewer' if cheaper else 'not fewer'})")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "build", "libzelkor.so")
    library = load_library(path)
    print("Zelkor method 1 (forward differences) beside SciPy SLSQP (its own finite differences)")
    print("evals: designs evaluated; err: |f - f*| / max(1, |f*|); viol: largest constraint value "
          "above 0; ok: feasible / success flag")
    print()
    print("Reference problems (Zelkor's iteration limit at its default)")
    runs = [
        ("Zelkor, objTol 1e-4", lambda p: run_zelkor(library, p, 1e-4)),
        ("SLSQP, defaults (ftol 1e-6)", lambda p: run_slsqp(p, 1e-6)),
        ("SLSQP, ftol 1e-4", lambda p: run_slsqp(p, 1e-4)),
        ("Zelkor, defaults", lambda p: run_zelkor(library, p, -999.0)),
    ]
    results = print_table(PROBLEMS, runs)
    verdict(results[0], results[1])
    print()
    print(f"Curved valleys, bounds only (Zelkor with up to {VALLEY_ITERATIONS} iterations, "
          f"SLSQP maxiter 200)")
    valley_runs = [
        ("Zelkor, objTol 1e-4", lambda p: run_zelkor(library, p, 1e-4, VALLEY_ITERATIONS)),
        ("SLSQP, defaults (ftol 1e-6)", lambda p: run_slsqp(p, 1e-6)),
        ("SLSQP, ftol 1e-4", lambda p: run_slsqp(p, 1e-4)),
        ("Zelkor, objTol 1e-6", lambda p: run_zelkor(library, p, 1e-6, VALLEY_ITERATIONS)),
    ]
    print_table(VALLEYS, valley_runs)


if __name__ == "__main__":
    main()
