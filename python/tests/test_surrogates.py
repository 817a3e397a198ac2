"""Surrogates fitted in Python, their model file through the C service, and
the surrogate study."""

import concurrent.futures

import numpy as np
import pytest

import zelkor
from problems import quadratic

BOUNDS = [(-1.0, 2.0), (0.0, 3.0)]


def grid():
    X = zelkor.full_factorial(BOUNDS, levels=3)
    return X, np.array([quadratic(x) for x in X])


def test_full_quadratic_reproduces_a_quadratic():
    X, y = grid()
    model = zelkor.Surrogate("polynomial").fit(X, y, bounds=BOUNDS)
    np.testing.assert_allclose(model.r2, [1.0], atol=1e-9)
    x = np.array([[0.7, 2.2], [-0.5, 0.1]])
    np.testing.assert_allclose(model.predict(x), [quadratic(p) for p in x], rtol=1e-9)


@pytest.mark.parametrize("kind", ["kriging", "rbf", "ensemble"])
def test_saved_model_file_predicts_as_the_c_service_reads_it(kind, tmp_path):
    X = zelkor.orthogonal_array(BOUNDS, 3, 9)
    X = np.vstack([X, [[0.1, 1.3], [1.7, 0.4], [-0.6, 2.6]]])
    y = np.column_stack([[quadratic(x) for x in X], X[:, 0] - X[:, 1]])
    model = zelkor.Surrogate(kind).fit(X, y, bounds=BOUNDS)
    path = str(tmp_path / "fitted.rsm")
    model.save(path)
    points = zelkor.latin_hypercube(BOUNDS, 7)
    from_file = zelkor._zelkor.predict_model_file(path[:-4], points, BOUNDS, [0, 1])
    np.testing.assert_array_equal(model.predict(points), from_file)
    np.testing.assert_array_equal(zelkor.Surrogate.load(path, BOUNDS, 2).predict(points), from_file)
    assert model.quality.shape == (2, 4)


def test_fatal_surrogate_error_raises_instead_of_ending_the_interpreter():
    with pytest.raises(zelkor.ZelkorError, match="TOO SMALL DOE DATA"):
        zelkor.Surrogate("kriging").fit([[0.5, 0.5]], [1.0], bounds=BOUNDS)


def test_bad_samples_raise_value_errors():
    X, y = grid()
    with pytest.raises(ValueError, match="one value"):
        zelkor.Surrogate("kriging").fit(X, y[:-1], bounds=BOUNDS)
    with pytest.raises(ValueError, match=r"points\[0\]\[0\]"):
        zelkor.Surrogate("kriging").fit(X - 5.0, y, bounds=BOUNDS)
    with pytest.raises(ValueError, match="not fitted"):
        zelkor.Surrogate().predict(X)


def study(executor=None):
    return zelkor.surrogate_study(lambda x: (quadratic(x), x[0] - 1.5), [0.0, 1.0], BOUNDS,
                                  design="full_factorial", design_options=(0, 3, 0),
                                  models="polynomial", executor=executor)


def test_study_finds_the_quadratics_minimum_on_the_box_serially_and_on_threads():
    # The quadratic's minimum on the box: a = -1, b = 0.25, f = -1.1875.
    serial = study()
    assert serial.success
    np.testing.assert_allclose(serial.x, [-1.0, 0.25], atol=1e-3)
    assert abs(serial.fun + 1.1875) < 1e-6
    with concurrent.futures.ThreadPoolExecutor(2) as executor:
        threaded = study(executor)
    np.testing.assert_array_equal(threaded.x, serial.x)
