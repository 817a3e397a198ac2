"""How a batch of designs is evaluated: in turn, or mapped over an executor.

The library hands the designs that do not depend on one another's responses
together; the batch evaluator calls the response function once per design and
keeps the history. With an executor the calls are mapped over it and the
responses come back in design order, so the run is the same as without one.
"""

import numpy as np


class Responses:
    """The m responses at x: the objective, then the constraints g(x) <= 0.

    fun returns the objective, or a sequence whose first entry is the objective
    and whose others are constraint values (numbers or arrays); each callable
    in constraints adds its values after those. Picklable when fun and the
    constraints are, so that process pools and Dask workers can run it.
    """

    def __init__(self, fun, constraints=()):
        self.fun = fun
        self.constraints = tuple(constraints)

    def __call__(self, x):
        value = self.fun(x)
        parts = list(value) if isinstance(value, (tuple, list)) else [value]
        parts += [g(x) for g in self.constraints]
        return np.concatenate([np.ravel(np.asarray(part, dtype=float)) for part in parts])


def mapper_of(executor):
    """The map function over executor: builtin map for None, the executor's
    own map for a concurrent.futures.Executor, and the executor interface of a
    dask.distributed.Client (its get_executor())."""
    if executor is None:
        return map
    if hasattr(executor, "get_executor"):
        executor = executor.get_executor()
    if not hasattr(executor, "map"):
        raise TypeError("executor must be a concurrent.futures.Executor or a "
                        "dask.distributed.Client, not %s" % type(executor).__name__)
    return executor.map


class BatchEvaluator:
    """Evaluates the library's batches with responses over mapper, checks
    every response row and records the history. A probe made before the run
    (to learn the number of responses) serves the first request of its design,
    so a method that starts by evaluating x0 does not evaluate it twice."""

    def __init__(self, responses, mapper, probe_x, probe_f):
        self.responses = responses
        self.mapper = mapper
        self.m = np.size(probe_f)
        self.probe = (np.array(probe_x, dtype=float), np.array(probe_f, dtype=float))
        self.calls = 1
        self.designs = []
        self.values = []

    def __call__(self, designs):
        rows = list(designs)
        values = [None] * len(rows)
        todo = list(range(len(rows)))
        if self.probe is not None and np.array_equal(rows[0], self.probe[0]):
            values[0] = self.probe[1]
            todo = todo[1:]
        self.probe = None
        for k, value in zip(todo, self.mapper(self.responses, [rows[k] for k in todo])):
            values[k] = self._checked(value, rows[k])
        self.calls += len(todo)
        block = np.vstack(values)
        self.designs.append(np.array(designs, dtype=float))
        self.values.append(block)
        return block

    def _checked(self, value, x):
        value = np.asarray(value, dtype=float)
        if value.shape != (self.m,):
            raise ValueError("the response function returned %d values at x = %s, but %d at x0"
                             % (value.size, np.array2string(x), self.m))
        return value

    def history(self, n):
        """(designs, responses) of every evaluation the library received."""
        if not self.designs:
            return np.empty((0, n)), np.empty((0, self.m))
        return np.vstack(self.designs), np.vstack(self.values)
