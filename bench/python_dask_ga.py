#!/usr/bin/python3
"""A GA study whose every evaluation takes 50 ms, on a Dask LocalCluster of 1,
2, 4 and 8 single-threaded worker processes: wall-clock time and speed-up over
one worker, beside the ideal (the worker count).

zelkor.minimize hands the GA's generations to the cluster as batches through
the client's executor interface; the run is the same on every cluster
(checked). The evaluation sleeps rather than computes, so the figures show the
library's and Dask's overhead, not the machine's cores.

Usage: PYTHONPATH=build/python bench/python_dask_ga.py   (make python-build first)
Needs Debian's python3-distributed. Times depend on the machine and its load.
"""
import time

import numpy as np
from distributed import Client, LocalCluster

import zelkor

EVALUATION_SECONDS = 0.05
WORKERS = (1, 2, 4, 8)
OPTIONS = {"population": 32, "maxfev": 192}


def slow_bowl(x):
    time.sleep(EVALUATION_SECONDS)
    return (x[0] - 0.3) ** 2 + (x[1] + 0.2) ** 2, x[0] + x[1] - 1.0


def study(executor):
    return zelkor.minimize(slow_bowl, [0.9, 0.9], [(-1, 1), (-1, 1)], method="ga",
                           options=OPTIONS, executor=executor)


def main():
    print("GA, population %d, %d evaluations of %.0f ms each"
          % (OPTIONS["population"], OPTIONS["maxfev"], EVALUATION_SECONDS * 1e3))
    print("%8s %12s %10s %8s" % ("workers", "seconds", "speed-up", "ideal"))
    reference = None
    for workers in WORKERS:
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                          dashboard_address=None) as cluster, Client(cluster) as client:
            study(client)  # warms the workers up: imports, first pickles
            start = time.perf_counter()
            result = study(client)
            seconds = time.perf_counter() - start
        if reference is None:
            reference = (seconds, result)
        assert np.array_equal(result.history_x, reference[1].history_x), "runs differ"
        print("%8d %12.2f %10.2f %8d" % (workers, seconds, reference[0] / seconds, workers))


if __name__ == "__main__":
    main()
