"""Designs of experiments: the library's design services, one function per
design type, each returning the points as an (N, n) array in caller units.

bounds: one list per variable, (lower, upper) for a continuous variable or
(lower, level, ..., upper) for a discrete one (levels ascending). With
snap=True every variable that has levels is moved to its nearest level and
points that then coincide are dropped. Settings the library refuses, and a
design of more than 10000 points, raise ValueError with its message.
"""

from . import _zelkor

_FULL_FACTORIAL, _CENTRAL_COMPOSITE, _LATIN_HYPERCUBE, _PARAMETER_STUDY, _ORTHOGONAL = range(5)
_AXIAL = {"face": 0, "inscribed": 1, "circumscribed": 2}


def _lists(bounds):
    return [[float(value) for value in variable] for variable in bounds]


def _arrange(kind, snap, option, size, bounds, start=None):
    settings = [kind, 1 if snap else 0, int(option), int(size)]
    return _zelkor.arrange_design(settings, _lists(bounds), start)


def full_factorial(bounds, levels=2, snap=False):
    """Every combination of levels (1 to 3) values per variable; levels=1
    puts every variable at mid-range."""
    return _arrange(_FULL_FACTORIAL, snap, levels, 0, bounds)


def central_composite(bounds, axial="face", snap=False):
    """A central composite design: the corners, the centre and two axial
    points per variable, on the faces ("face"), inside the box ("inscribed")
    or outside it ("circumscribed")."""
    if axial not in _AXIAL:
        raise ValueError("axial = %r: one of %s" % (axial, ", ".join(_AXIAL)))
    return _arrange(_CENTRAL_COMPOSITE, snap, _AXIAL[axial], 0, bounds)


def latin_hypercube(bounds, samples, corners=False, snap=False):
    """A Latin hypercube of samples points, random within each cell (or at the
    cells' corners). The library seeds it from the clock: every call gives a
    new sample."""
    return _arrange(_LATIN_HYPERCUBE, snap, 1 if corners else 0, samples, bounds)


def parameter_study(bounds, variable, points, start=None, snap=False):
    """points designs that move variable (an index) across its range, the
    others at start (default: mid-range)."""
    return _arrange(_PARAMETER_STUDY, snap, variable, points, bounds,
                    None if start is None else [float(v) for v in start])


def orthogonal_array(bounds, levels, runs, snap=False):
    """An orthogonal array of the library's catalogue: 2 levels with 4, 8, 12,
    16, 32 or 96 runs; 3 levels with 9, 18, 36 or 81; 4 levels with 16, 32 or
    64; 5 levels with 25 or 50."""
    return _arrange(_ORTHOGONAL, snap, levels, runs, bounds)
