"""zelkor.minimize: the C++ suite's problems through Python, and bad arguments."""

import numpy as np
import pytest

import zelkor
from problems import (BOWL_BOUNDS, BOWL_MINIMUM, BOWL_START, ROSEN_SUZUKI_MINIMUM, bowl,
                      rosen_suzuki)

# Budgets as the C++ entry-point tests run them; the genetic methods find the
# bowl's minimum to within a few hundredths on these budgets.
METHOD_CASES = [
    ("sqp", {}, 1e-3),
    ("direct", {}, 2e-2),
    ("ga", {"population": 31, "maxfev": 2000}, 5e-2),
    ("microga", {"maxfev": 2000}, 5e-2),
    ("hybridga", {"population": 21, "maxfev": 1000}, 1e-3),
    ("sao", {}, 1e-2),
]


@pytest.mark.parametrize("method,options,tolerance", METHOD_CASES)
def test_every_method_finds_the_bowls_minimum(method, options, tolerance):
    result = zelkor.minimize(bowl, BOWL_START, BOWL_BOUNDS, method=method, options=options)
    assert result.success, result.message
    np.testing.assert_allclose(result.x, BOWL_MINIMUM, atol=tolerance)
    assert result.history_x.shape == (result.history_f.shape[0], 2)
    assert result.nfev >= result.history_x.shape[0]


def test_sqp_solves_rosen_suzuki_as_the_c_example_does():
    result = zelkor.minimize(rosen_suzuki, np.zeros(4), [(-5, 5)] * 4, method="sqp",
                             options={"maxiter": 100, "ftol": 1e-8})
    assert result.success
    assert abs(result.fun - ROSEN_SUZUKI_MINIMUM) < 1e-3 * 44
    assert np.all(result.constraints <= 1e-4)


def test_constraint_callables_give_the_run_of_constraints_returned_by_fun():
    def objective(x):
        return (x[0] - 0.3) ** 2 + (x[1] + 0.2) ** 2

    separate = zelkor.minimize(objective, BOWL_START, BOWL_BOUNDS, method="ga",
                               constraints=[lambda x: x[0] + x[1] - 1.0],
                               options={"population": 21, "maxfev": 400})
    together = zelkor.minimize(bowl, BOWL_START, BOWL_BOUNDS, method="ga",
                               options={"population": 21, "maxfev": 400})
    np.testing.assert_array_equal(separate.history_x, together.history_x)


@pytest.mark.parametrize("kwargs,message", [
    ({"x0": [0.0, 0.0, 0.0]}, "shape"),
    ({"bounds": [(-1, np.nan), (-1, 1)]}, "bounds\\[0\\]"),
    ({"bounds": [(1, -1), (-1, 1)]}, "lower below upper"),
    ({"x0": [2.0, 0.0]}, "outside"),
    ({"options": {"maxiterations": 5}}, "unknown option 'maxiterations'"),
    ({"options": {"maxiter": -3}}, "maxiter"),
    ({"method": "newton"}, "method"),
    ({"batch_size": 0}, "batch_size"),
    ({"levels": {5: [0, 1]}}, "levels"),
    ({"levels": {0: [0.5]}}, "levels\\[0\\]"),
    ({"seed": -1}, "seed"),
])
def test_bad_arguments_raise_value_errors_naming_them(kwargs, message):
    arguments = dict(fun=bowl, x0=BOWL_START, bounds=BOWL_BOUNDS)
    arguments.update(kwargs)
    with pytest.raises(ValueError, match=message):
        zelkor.minimize(**arguments)


def test_levels_and_seed_of_the_genetic_search():
    levels = {0: [-0.5, 0.25, 0.75]}
    runs = [zelkor.minimize(bowl, [0.25, 0.9], BOWL_BOUNDS, method="ga", levels=levels, seed=seed,
                            options={"population": 20, "maxfev": 400})
            for seed in (3, 3, 4)]
    for run in runs:
        assert set(run.history_x[:, 0]) <= {-0.5, 0.25, 0.75}
        assert run.x[0] == 0.25  # the level nearest the bowl's 0.3
    np.testing.assert_array_equal(runs[0].history_x, runs[1].history_x)
    assert not np.array_equal(runs[0].history_x, runs[2].history_x)
    # A seeded run keeps the run's own verdict: no design meets this constraint.
    impossible = zelkor.minimize(bowl, [0.25, 0.9], BOWL_BOUNDS, method="ga", seed=3,
                                 constraints=lambda x: 1.0,
                                 options={"population": 20, "maxfev": 100})
    assert not impossible.success and "violates" in impossible.message


class ModelCrashed(Exception):
    pass


@pytest.mark.parametrize("method", ["sqp", "ga"])
def test_an_exception_in_fun_stops_the_run_and_propagates(method):
    calls = []

    def failing(x):
        calls.append(x)
        if len(calls) > 5:
            raise ModelCrashed("host model crashed")
        return bowl(x)

    with pytest.raises(ModelCrashed, match="host model crashed"):
        zelkor.minimize(failing, BOWL_START, BOWL_BOUNDS, method=method)
    assert len(calls) == 6


def test_wrong_number_of_responses_is_reported():
    def changing(x):
        return (1.0, 0.0) if x[0] == 0.9 else (1.0, 0.0, 0.0)

    with pytest.raises(ValueError, match="returned 3 values"):
        zelkor.minimize(changing, BOWL_START, BOWL_BOUNDS, method="sqp")
