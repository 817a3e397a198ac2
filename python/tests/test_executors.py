"""Batches mapped over executors give exactly the serial run."""

import concurrent.futures

import numpy as np
import pytest

import zelkor
from problems import BOWL_BOUNDS, BOWL_START, bowl

CASES = [("sqp", {}), ("direct", {"maxfev": 300}), ("ga", {"population": 21, "maxfev": 300}),
         ("hybridga", {"population": 11, "maxfev": 200})]


def run(method, options, executor=None, batch_size=None):
    return zelkor.minimize(bowl, BOWL_START, BOWL_BOUNDS, method=method, options=options,
                           executor=executor, batch_size=batch_size)


def assert_same_run(result, serial):
    np.testing.assert_array_equal(result.x, serial.x)
    np.testing.assert_array_equal(result.history_x, serial.history_x)
    np.testing.assert_array_equal(result.history_f, serial.history_f)
    assert (result.fun, result.status, result.nfev) == (serial.fun, serial.status, serial.nfev)


@pytest.fixture(scope="module")
def serial_runs():
    return {method: run(method, options) for method, options in CASES}


@pytest.mark.parametrize("pool", [concurrent.futures.ThreadPoolExecutor,
                                  concurrent.futures.ProcessPoolExecutor])
def test_pools_give_the_serial_run(pool, serial_runs):
    with pool(max_workers=2) as executor:
        for method, options in CASES:
            assert_same_run(run(method, options, executor), serial_runs[method])


def test_batches_are_batches(serial_runs):
    assert serial_runs["ga"].largest_batch == 21
    limited = run("ga", CASES[2][1], batch_size=4)
    assert limited.largest_batch == 4
    assert_same_run(limited, serial_runs["ga"])


def test_dask_local_cluster_gives_the_serial_run(serial_runs):
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        for method, options in CASES[:3]:
            assert_same_run(run(method, options, client), serial_runs[method])
