"""zelkor.minimize: the library's optimisers for a Python response function."""

import numbers

import numpy as np

from . import _zelkor
from ._evaluation import BatchEvaluator, Responses, mapper_of
from ._options import METHODS, user_parameters
from ._results import OptimizeResult, status_message


def checked_start(x0, bounds):
    """x0 as a 1-D float array and bounds as an (n, 2) array, both finite,
    lower below upper and x0 inside; ValueError naming what is wrong."""
    x0 = np.asarray(x0, dtype=float)
    if x0.ndim != 1 or x0.size == 0:
        raise ValueError("x0 must be a non-empty 1-D array, not of shape %s" % (x0.shape,))
    if not np.all(np.isfinite(x0)):
        raise ValueError("x0 holds a value that is not finite: %s" % np.array2string(x0))
    bounds = np.asarray(bounds, dtype=float)
    if bounds.shape != (x0.size, 2):
        raise ValueError("bounds must have shape (%d, 2), one (lower, upper) per variable, "
                         "not %s" % (x0.size, bounds.shape))
    for i, (lower, upper) in enumerate(bounds):
        if not (np.isfinite(lower) and np.isfinite(upper) and lower < upper):
            raise ValueError("bounds[%d] = (%r, %r): finite values, lower below upper, "
                             "are needed" % (i, lower, upper))
        if not lower <= x0[i] <= upper:
            raise ValueError("x0[%d] = %r is outside bounds[%d] = (%r, %r)"
                             % (i, x0[i], i, lower, upper))
    return x0, bounds


def _constraint_list(constraints):
    if constraints is None:
        return ()
    if callable(constraints):
        return (constraints,)
    constraints = tuple(constraints)
    for k, g in enumerate(constraints):
        if not callable(g):
            raise TypeError("constraints[%d] is not callable" % k)
    return constraints


def _batch_limit(batch_size):
    if batch_size is None:
        return 0
    if isinstance(batch_size, bool) or not isinstance(batch_size, numbers.Integral) \
            or batch_size < 1:
        raise ValueError("batch_size = %r: None or a whole number of at least 1" % (batch_size,))
    return int(batch_size)


def _checked_seed(seed):
    if seed is None:
        return 0
    if isinstance(seed, bool) or not isinstance(seed, numbers.Integral) \
            or not 0 <= seed < 2 ** 31:
        raise ValueError("seed = %r: None or a whole number from 0 to 2**31 - 1" % (seed,))
    return int(seed)


def _bound_lists(x0, bounds, levels):
    """One list per variable: [lower, upper], or [lower, level..., upper] for a
    variable levels names, whose bounds are then its lowest and highest level."""
    lists = [list(map(float, pair)) for pair in bounds]
    if levels is None:
        return lists
    if not isinstance(levels, dict):
        levels = {i: values for i, values in enumerate(levels) if values is not None}
    for i, values in levels.items():
        if isinstance(i, bool) or not isinstance(i, numbers.Integral) or not 0 <= i < x0.size:
            raise ValueError("levels: %r is not the index of a design variable (0 to %d)"
                             % (i, x0.size - 1))
        values = np.sort(np.asarray(values, dtype=float).ravel())
        if values.size < 2 or not np.all(np.isfinite(values)) or np.any(np.diff(values) == 0):
            raise ValueError("levels[%d]: two or more distinct finite values are needed" % i)
        if not values[0] <= x0[i] <= values[-1]:
            raise ValueError("x0[%d] = %r is outside its levels (%r to %r)"
                             % (i, x0[i], values[0], values[-1]))
        lists[i] = [values[0]] + values.tolist() + [values[-1]]
    return lists


def _result(run, evaluator, n):
    status = run["status"]
    if status == _zelkor.STATUS_INVALID_INPUT:
        raise ValueError(run["message"])
    if status == _zelkor.STATUS_HOST_EXCEPTION:
        raise _zelkor.ZelkorError(run["message"])
    history_x, history_f = evaluator.history(n)
    f = run["f"]
    return OptimizeResult(
        x=run["x"], fun=float(f[0]), constraints=f[1:].copy(),
        success=status in (_zelkor.STATUS_OK, _zelkor.STATUS_BUDGET_REACHED),
        status=status, message=status_message(status, run["message"]),
        nfev=evaluator.calls, nit=run["batches"], history_x=history_x, history_f=history_f,
        largest_batch=run["largest_batch"])


def minimize(fun, x0, bounds, method="sqp", constraints=None, levels=None, options=None,
             executor=None, batch_size=None, seed=None):
    """Minimise fun over the box bounds with one of the library's methods.

    fun(x) returns the objective, or a sequence (objective, constraint values
    ...) whose constraint values may be numbers or arrays; constraints (a
    callable or a list of callables g(x), each returning a number or an array)
    adds constraints after those. A constraint is satisfied when its value is
    not above 0. fun is called once at x0 before the run to learn how many
    responses there are; the methods that start at x0 (sqp, direct, sao) take
    that value as their first evaluation.

    x0: n starting values inside bounds (the genetic methods do not evaluate
    it). bounds: n pairs (lower, upper), finite, lower below upper.
    method: "sqp", "direct", "ga", "microga", "hybridga" or "sao".
    levels: the discrete variables, as a dict {index: allowed values} or a
    list of n entries (None for a continuous variable). A discrete variable's
    bounds entry is not read (its range is that of its levels): the genetic
    methods search its levels, the SQP snaps its result to the nearest level,
    the SAO refuses discrete variables.
    options: a dict of the method's settings by name (zelkor.options_of(method)
    lists them with their defaults); an unknown name raises ValueError naming
    it. "disp" sets the library's console report level (0, silent, by default).
    executor: None evaluates every design in turn in this thread; any
    concurrent.futures.Executor (threads, processes) or a
    dask.distributed.Client evaluates the designs of one batch at the same time
    (for processes and Dask, fun and the constraints must be picklable). The
    library hands over as one batch every design that does not depend on the
    others' responses, and the run is the same as without an executor.
    batch_size: the most designs in one batch (None: no limit).
    seed: the genetic methods' generator seed (None: 0). Every method is
    deterministic: the same seed gives the same run.

    Returns an OptimizeResult. Raises ValueError for bad arguments (also those
    the library rejects, with its message), ZelkorError when the library fails
    otherwise, and any exception fun or a constraint raises, which ends the run.
    The GIL is released while the library computes.
    """
    if method not in METHODS:
        raise ValueError("method = %r: one of %s" % (method, ", ".join(METHODS)))
    x0, bounds = checked_start(x0, bounds)
    bound_lists = _bound_lists(x0, bounds, levels)
    ints, reals, report_level = user_parameters(method, options)
    seed = _checked_seed(seed)
    batch_limit = _batch_limit(batch_size)
    responses = Responses(fun, _constraint_list(constraints))
    mapper = mapper_of(executor)
    probe = responses(x0)
    if probe.size == 0 or not np.all(np.isfinite(probe[:1])):
        raise ValueError("the response function must return a finite objective at x0, not %s"
                         % np.array2string(probe))
    evaluator = BatchEvaluator(responses, mapper, x0, probe)
    run = _zelkor.minimize_batched(METHODS[method], evaluator, x0.tolist(), bound_lists,
                                   probe.size, ints, reals, batch_limit, report_level, seed)
    return _result(run, evaluator, x0.size)
