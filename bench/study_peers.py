#!/usr/bin/env python3
"""The adaptive peer of bench/StudyBench.cpp: OpenTURNS's efficient global
optimisation (EGO, Jones, Schonlau and Welch 1998: kriging, then one point of
largest expected improvement at a time) on the bench's test functions, with a
budget of true evaluations.

    study_peers.py FUNCTION BUDGET INITIAL SEED [SEED ...] [--points FILE]

FUNCTION is Branin, Hartmann6 or pressure-vessel. Each seed draws a Latin
hypercube of INITIAL points (OpenTURNS's LHSExperiment) or, with --points, takes
the FILE's points (one per line, caller units) as the initial design; EGO then
adds BUDGET - INITIAL points. The kriging is OpenTURNS's with a constant trend and
a Matern 5/2 covariance, its hyper-parameters estimated again after every new
point (OpenTURNS's default). EGO may stop before its budget is spent; the line
printed says how many true evaluations a run took.

EGO takes no constraints, so the pressure vessel's EGO objective is the cost plus
kPenalty times the sum of the scaled violations max(0, g); the design kept is the
cheapest one evaluated that violates no constraint by more than 1e-6 (the least
penalised one when there is none).

Prints one line per seed: the seed, the number of true evaluations, and the kept
design; the bench evaluates that design with its own functions.
"""
import math
import sys

import openturns as ot

kPenalty = 1.0e5
kFeasibilityTolerance = 1e-6


def branin(x):
    a = x[1] - 5.1 / (4 * math.pi ** 2) * x[0] ** 2 + 5 / math.pi * x[0] - 6
    return [a * a + 10 * (1 - 1 / (8 * math.pi)) * math.cos(x[0]) + 10]


HARTMANN_ALPHA = [1.0, 1.2, 3.0, 3.2]
HARTMANN_A = [[10, 3, 17, 3.5, 1.7, 8], [0.05, 10, 17, 0.1, 8, 14],
              [3, 3.5, 1.7, 10, 17, 8], [17, 8, 0.05, 10, 0.1, 14]]
HARTMANN_P = [[0.1312, 0.1696, 0.5569, 0.0124, 0.8283, 0.5886],
              [0.2329, 0.4135, 0.8307, 0.3736, 0.1004, 0.9991],
              [0.2348, 0.1451, 0.3522, 0.2883, 0.3047, 0.6650],
              [0.4047, 0.8828, 0.8732, 0.5743, 0.1091, 0.0381]]


def hartmann6(x):
    total = 0.0
    for alpha, a, p in zip(HARTMANN_ALPHA, HARTMANN_A, HARTMANN_P):
        total -= alpha * math.exp(-sum(a[j] * (x[j] - p[j]) ** 2 for j in range(6)))
    return [total]


def pressure_vessel(x):
    """Cost, then the four constraints g <= 0 scaled to order one."""
    ts, th, r, l = x
    return [0.6224 * ts * r * l + 1.7781 * th * r * r + 3.1661 * ts * ts * l + 19.84 * ts * ts * r,
            (-ts + 0.0193 * r) / 0.0193,
            (-th + 0.00954 * r) / 0.00954,
            (-math.pi * r * r * l - 4.0 / 3.0 * math.pi * r ** 3 + 1296000.0) / 1296000.0,
            (l - 240.0) / 240.0]


FUNCTIONS = {
    "Branin": (branin, [-5.0, 0.0], [10.0, 15.0]),
    "Hartmann6": (hartmann6, [0.0] * 6, [1.0] * 6),
    "pressure-vessel": (pressure_vessel, [0.0625, 0.0625, 10.0, 10.0], [6.1875, 6.1875, 200.0, 200.0]),
}


class Recorder:
    """The true function, counting its evaluations and keeping the best design."""

    def __init__(self, responses):
        self.responses = responses
        self.evaluations = 0
        self.best = None  # (infeasible, merit, design)

    def __call__(self, x):
        x = list(x)
        f = self.responses(x)
        self.evaluations += 1
        violation = sum(max(0.0, g) for g in f[1:])
        merit = f[0] + kPenalty * violation
        infeasible = any(g > kFeasibilityTolerance for g in f[1:])
        key = (infeasible, f[0] if not infeasible else merit)
        if self.best is None or key < self.best[:2]:
            self.best = (key[0], key[1], x)
        return [merit]


def run(name, budget, initial, seed, points):
    responses, lower, upper = FUNCTIONS[name]
    dimension = len(lower)
    ot.RandomGenerator.SetSeed(seed)
    recorder = Recorder(responses)
    model = ot.PythonFunction(dimension, 1, recorder)
    if points is not None:
        design = ot.Sample(points)
    else:
        distribution = ot.ComposedDistribution([ot.Uniform(a, b) for a, b in zip(lower, upper)])
        design = ot.LHSExperiment(distribution, initial).generate()
    values = model(design)
    covariance = ot.MaternModel([0.3 * (b - a) for a, b in zip(lower, upper)], [1.0], 2.5)
    basis = ot.ConstantBasisFactory(dimension).build()
    kriging = ot.KrigingAlgorithm(design, values, covariance, basis)
    kriging.run()
    problem = ot.OptimizationProblem(model)
    problem.setBounds(ot.Interval(lower, upper))
    algorithm = ot.EfficientGlobalOptimization(problem, kriging.getResult())
    # The expected improvement is maximised by multi-start BOBYQA (NLopt in
    # OpenTURNS): the default, Cobyla, ends Hartmann 6 runs with "None of the
    # local searches succeeded", TNC ends Branin runs with "Linear search
    # failed", and both take several times longer.
    algorithm.setOptimizationAlgorithm(ot.NLopt("LN_BOBYQA"))
    algorithm.setMaximumEvaluationNumber(budget - design.getSize())
    # The other stopping tests would end a run before its budget is spent.
    algorithm.setMaximumAbsoluteError(-1.0)
    algorithm.setMaximumRelativeError(-1.0)
    algorithm.setMaximumResidualError(-1.0)
    algorithm.setMaximumConstraintError(-1.0)
    algorithm.run()
    return recorder


def main():
    arguments = sys.argv[1:]
    points = None
    if "--points" in arguments:
        at = arguments.index("--points")
        with open(arguments[at + 1]) as file:
            points = [[float(v) for v in line.split()] for line in file if line.strip()]
        del arguments[at:at + 2]
    name, budget, initial = arguments[0], int(arguments[1]), int(arguments[2])
    for seed in (int(s) for s in arguments[3:]):
        recorder = run(name, budget, initial, seed, points)
        print(seed, recorder.evaluations, " ".join("%.17g" % v for v in recorder.best[2]), flush=True)


if __name__ == "__main__":
    ot.Log.Show(ot.Log.NONE)
    main()
