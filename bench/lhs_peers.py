#!/usr/bin/env python3
"""Peer of bench/LhsBench.cpp: SciPy's Latin hypercube designs, without
optimisation, for the C++ bench to measure beside its own.

Usage: lhs_peers.py N D SEEDS random|centred. Prints SEEDS designs of N points
in D factors, one point per line in the unit cube, the design of seed 0 first.
"random" places each point at a uniform position within its cell (SciPy's
scramble=True, its default); "centred" at the cell centre (m + 0.5)/N.
"""
import sys

from scipy.stats import qmc


def main():
    count, dimension, seeds = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
    scramble = sys.argv[4] == "random"
    for seed in range(seeds):
        design = qmc.LatinHypercube(d=dimension, scramble=scramble, seed=seed).random(count)
        for point in design:
            print(" ".join(f"{x:.17g}" for x in point))


if __name__ == "__main__":
    main()
