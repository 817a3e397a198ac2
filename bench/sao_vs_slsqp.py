#!/usr/bin/python3
"""SAO and our SQP beside SciPy's SLSQP on the sixteen SAO reference problems.

Runs build/bench/SaoBench, which solves each problem of
tests/managers/SAOReferenceProblems.h by Zelkor method 5 (SAO) and method 1
(SQP, forward differences), and the SAO engine with its C++-only refineCandidate
switch ("SAO+SQP": an SQP on the surrogates after the genetic search), first noise-free and then with deterministic
relative noise of 1e-4 on every response (a hash of the design, so runs
repeat). In the same run SLSQP (SciPy, its own forward differences, default
settings) solves the same problems, whose responses it asks of
`SaoBench --serve NOISE`, so every method sees exactly the same functions.

An evaluation is one design at which the host computes its responses; SLSQP
calls the objective and the constraints separately, so its evaluations are
counted as distinct designs. Relative error |f - f*| / |f*| and the largest
constraint are taken noise-free at the design each method returns; a problem
counts as solved when the error is within 1 % and no constraint exceeds 0.003.

Usage: bench/sao_vs_slsqp.py [path/to/SaoBench]   (default: build/bench/SaoBench)
Needs Debian's python3-scipy.
"""
import statistics
import subprocess
import sys

import numpy as np
from scipy.optimize import minimize

SOLVED_ERROR = 0.01
SOLVED_CONSTRAINT = 0.003
METHODS = ("SAO", "SAO+SQP", "SQP", "SLSQP")


class ServedProblem:
    """A problem answered by SaoBench --serve, with a cache of distinct designs."""

    def __init__(self, server, name):
        self.server, self.name, self.cache = server, name, {}

    def __call__(self, x):
        key = tuple(float(v) for v in x)
        if key not in self.cache:
            line = self.name + "\t" + " ".join(repr(v) for v in key) + "\n"
            self.server.stdin.write(line)
            self.server.stdin.flush()
            self.cache[key] = [float(v) for v in self.server.stdout.readline().split()]
        return self.cache[key]


def slsqp(bench, noise, name, start, lower, upper):
    server = subprocess.Popen([bench, "--serve", repr(noise)], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, text=True)
    problem = ServedProblem(server, name)
    constraints = [{"type": "ineq", "fun": lambda x: -np.array(problem(x)[1:])}]
    result = minimize(lambda x: problem(x)[0], np.array(start), method="SLSQP",
                      bounds=list(zip(lower, upper)), constraints=constraints)
    evaluations = len(problem.cache)
    x = np.clip(result.x, lower, upper)
    server.stdin.close()
    server.wait()
    clean = subprocess.run([bench, "--serve", "0"], input=name + "\t" +
                           " ".join(repr(float(v)) for v in x) + "\n",
                           capture_output=True, text=True).stdout.split()
    return evaluations, [float(v) for v in clean]


def main():
    bench = sys.argv[1] if len(sys.argv) > 1 else "build/bench/SaoBench"
    # The SQP's interrupt lines share standard output; rows have seven fields.
    rows = [line.split("\t") for line in subprocess.run(
        [bench], capture_output=True, text=True, check=True).stdout.splitlines()]
    rows = [row for row in rows if len(row) == 7]
    table = {}
    for noise, name, method, evaluations, objective, error, largest in rows:
        table[(float(noise), name, method)] = (int(evaluations), float(error), float(largest))
    problems = read_problems()
    for noise in (0.0, 1e-4):
        print(f"\nRelative noise {noise:g}")
        print(f"{'problem':16} | {'SAO evals':>9} {'rel.err':>9} | {'SAO+SQP':>9} {'rel.err':>9}"
              f" | {'SQP evals':>9} {'rel.err':>9} | {'SLSQP evals':>11} {'rel.err':>9}")
        solved = {method: 0 for method in METHODS}
        evaluations = {method: [] for method in METHODS}
        for name, (start, lower, upper, optimum) in problems.items():
            count, f = slsqp(bench, noise, name, start, lower, upper)
            largest = max([0.0] + f[1:])
            table[(noise, name, "SLSQP")] = (count, abs(f[0] - optimum) / abs(optimum), largest)
            cells = []
            for method in METHODS:
                count, error, largest = table[(noise, name, method)]
                ok = error <= SOLVED_ERROR and largest <= SOLVED_CONSTRAINT
                solved[method] += ok
                evaluations[method].append(count)
                cells.append(f"{count:>{11 if method == 'SLSQP' else 9}} {error:9.1e}{'' if ok else '*'}")
            print(f"{name:16} | " + " | ".join(cells))
        print("solved (within 1 %, constraints <= 0.003; * marks a miss): " +
              ", ".join(f"{m} {solved[m]}/16" for m in solved))
        print("evaluations, total / median: " +
              ", ".join(f"{m} {sum(v)} / {statistics.median(v):g}" for m, v in evaluations.items()))
        for method in ("SAO", "SAO+SQP"):
            ratios = [a / b for a, b in zip(evaluations[method], evaluations["SLSQP"]) if b > 0]
            print(f"{method} / SLSQP evaluations, median ratio: {statistics.median(ratios):.1f}")


def read_problems():
    """Starts, bounds and optima, as SaoBench --serve describes them."""
    listing = subprocess.run([sys.argv[1] if len(sys.argv) > 1 else "build/bench/SaoBench",
                              "--list", "0"], capture_output=True, text=True, check=True).stdout
    problems = {}
    for line in listing.splitlines():
        name, start, lower, upper, optimum = line.split("\t")
        problems[name] = ([float(v) for v in start.split()], [float(v) for v in lower.split()],
                          [float(v) for v in upper.split()], float(optimum))
    return problems


if __name__ == "__main__":
    main()
