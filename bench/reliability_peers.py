#!/usr/bin/python3
"""Peer of bench/ReliabilityBench.cpp: OpenTURNS (Debian's python3-openturns)
on the samples the C++ bench wrote into DIR.

fit: OpenTURNS's factories of the eight families on each fit_<code>.txt, each
     fit tested by its Kolmogorov test; the family picked is the one with the
     smallest Kolmogorov statistic. Time per response.
mc:  OpenTURNS's kriging metamodel (constant basis, squared-exponential
     covariance, default hyper-parameter optimisation) fitted to the same 200
     points per response, evaluated at the same 1e5 Monte Carlo inputs.

Usage: /usr/bin/python3 reliability_peers.py DIR (ReliabilityBench runs it and
prints its rows beside ours: "fit <family> <picked> <seconds>", "mc <seconds>")
"""
import sys
import time

import numpy as np
import openturns as ot

FACTORIES = [
    (0, ot.NormalFactory()),
    (1, ot.LogNormalFactory()),
    (2, ot.ExponentialFactory()),
    (3, ot.UniformFactory()),
    (4, ot.RayleighFactory()),
    (5, ot.GammaFactory()),
    (6, ot.WeibullMinFactory()),
    (7, ot.BetaFactory()),
]


def fit(directory):
    for code in range(8):
        data = np.loadtxt(f"{directory}/fit_{code}.txt")
        sample = ot.Sample(data.reshape(-1, 1))
        start = time.perf_counter()
        best, best_stat = -1, 2.0
        for family, factory in FACTORIES:
            try:
                distribution = factory.build(sample)
                statistic = ot.FittingTest.Kolmogorov(sample, distribution).getStatistic()
            except Exception:
                continue
            if statistic < best_stat:
                best, best_stat = family, statistic
        print(f"fit {code} {best} {time.perf_counter() - start:.6f}", flush=True)


def monte_carlo(directory):
    rows = np.loadtxt(f"{directory}/mc_sample.txt")
    x, y = rows[:, :6], rows[:, 6:]
    inputs = np.fromfile(f"{directory}/mc_inputs.bin").reshape(-1, 6)
    points = ot.Sample(inputs)
    total = 0.0
    for j in range(y.shape[1]):
        algo = ot.KrigingAlgorithm(ot.Sample(x), ot.Sample(y[:, j:j + 1]),
                                   ot.SquaredExponential(6), ot.ConstantBasisFactory(6).build())
        algo.run()
        model = algo.getResult().getMetaModel()
        start = time.perf_counter()
        model(points)
        total += time.perf_counter() - start
    print(f"mc {total:.6f}", flush=True)


if __name__ == "__main__":
    directory = sys.argv[1] if len(sys.argv) > 1 else "."
    fit(directory)
    monte_carlo(directory)
