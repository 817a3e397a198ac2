"""Designs of experiments: sizes and placement the design types promise."""

import numpy as np
import pytest

import zelkor

BOUNDS = [(0.0, 1.0), (10.0, 20.0), (-1.0, 1.0)]


def test_full_factorial_and_central_composite_sizes():
    assert zelkor.full_factorial(BOUNDS, levels=3).shape == (27, 3)
    composite = zelkor.central_composite(BOUNDS, axial="face")
    assert composite.shape == (15, 3)
    assert composite.min(axis=0).tolist() == [0.0, 10.0, -1.0]


def test_latin_hypercube_has_one_point_per_cell_of_each_variable():
    points = zelkor.latin_hypercube(BOUNDS, 8)
    for i, (lower, upper) in enumerate(BOUNDS):
        cells = np.floor((points[:, i] - lower) / (upper - lower) * 8).clip(0, 7)
        assert sorted(cells) == list(range(8))


def test_snapping_to_levels_and_errors():
    points = zelkor.full_factorial([(0.0, 0.4, 1.0), (0.0, 1.0)], levels=3, snap=True)
    assert set(points[:, 0]) <= {0.0, 0.4, 1.0}
    with pytest.raises(ValueError, match="axial"):
        zelkor.central_composite(BOUNDS, axial="diagonal")
    with pytest.raises(ValueError):
        zelkor.full_factorial([(1.0, 0.0)])
    with pytest.raises(ValueError, match="LIMIT"):
        zelkor.full_factorial([(0.0, 1.0)] * 9, levels=3)
