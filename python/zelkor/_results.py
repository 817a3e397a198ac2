"""The result object of zelkor.minimize and zelkor.surrogate_study."""

from . import _zelkor

# Readable texts for the statuses whose message the library leaves empty.
_STATUS_TEXTS = {
    _zelkor.STATUS_OK: "the final design is feasible",
    _zelkor.STATUS_INFEASIBLE: "the final design violates a constraint",
    _zelkor.STATUS_INVALID_INPUT: "the arguments were rejected",
    _zelkor.STATUS_ENGINE_ERROR: "the engine stopped on an error",
    _zelkor.STATUS_HOST_EXCEPTION: "the evaluation raised an exception",
    _zelkor.STATUS_BUDGET_REACHED: "the final design is feasible; the run stopped on its budget",
}


def status_message(status, message):
    """The library's message for status, or a readable text when it gave none."""
    return message if message else _STATUS_TEXTS.get(status, "status %d" % status)


class OptimizeResult(dict):
    """The outcome of a run, with SciPy's field names.

    Fields (also readable as attributes):
      x            the final design (NumPy array of n values)
      fun          the objective at x
      constraints  the constraint values at x (g <= 0 is satisfied)
      success      True when the run ended normally on a feasible design
                   (statuses OK and BUDGET_REACHED)
      status       the library's status: 0 OK, 1 INFEASIBLE, 3 ENGINE_ERROR,
                   5 BUDGET_REACHED (the constants zelkor.STATUS_*)
      message      the library's message, or a readable text of the status
      nfev         calls of the response function, the probe at x0 included
      nit          batches the run handed to the host (the library's public
                   interface reports no iteration count; a batch is a GA
                   generation, a DIRECT iteration's new points, an SQP
                   gradient or a line-search trial)
      history_x    every design the library received responses for, in order,
                   (nfev', n); history_f the responses there (nfev', m)
      largest_batch  the most designs of one batch
    """

    def __getattr__(self, name):
        try:
            return self[name]
        except KeyError as missing:
            raise AttributeError(name) from missing

    def __repr__(self):
        keys = ("x", "fun", "constraints", "success", "status", "message", "nfev", "nit")
        shown = ",\n ".join("%s=%r" % (key, self[key]) for key in keys if key in self)
        return "OptimizeResult(" + shown + ")"
