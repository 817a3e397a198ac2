"""Surrogate models and the surrogate study.

The library keeps fitted models in its model file and predicts from it, and
its surrogate services share one process-wide sample (the current design of
experiments). So a Surrogate writes its models to a model file when fitted
(a temporary one unless saved) and predicts through the model-file service,
and every call into the surrogate layer takes one lock: Python threads may
use surrogates at the same time, one call at a time.
"""

import os
import shutil
import tempfile
import threading

import numpy as np

from . import _zelkor
from ._evaluation import BatchEvaluator, Responses, mapper_of
from ._optimize import checked_start
from ._options import SURROGATE_TYPES
from ._results import OptimizeResult, status_message

_LOCK = threading.Lock()
_EXTENSION = ".rsm"


def _model_type(kind):
    if kind in SURROGATE_TYPES:
        return SURROGATE_TYPES[kind]
    if kind in SURROGATE_TYPES.values():
        return kind
    raise ValueError("kind = %r: one of %s or 1..6" % (kind, ", ".join(SURROGATE_TYPES)))


def _bound_lists(bounds):
    return [[float(value) for value in variable] for variable in bounds]


class Surrogate:
    """One surrogate model per response, fitted to a sample by the library.

    kind: "polynomial" (full quadratic by default), "kriging", "rbf", "svr",
    "ensemble" or "ordinary_kriging" (or the library's codes 1..6); option:
    the type's one option (polynomial kind, correlation kind, basis, kernel,
    ensemble neighbours), None for its default.

    After fit: quality is an (m, 4) array of R^2, adjusted R^2, Q^2 (leave-one-
    out) and adjusted Q^2 per response (NaN where the type computes none);
    r2 and q2 are its first and third columns.
    """

    def __init__(self, kind="kriging", option=None):
        self.model_type = _model_type(kind)
        self.option = -1 if option is None else int(option)
        self.bounds = None
        self.quality = None
        self.responses = 0
        self._folder = None
        self._file = None

    def fit(self, X, y, bounds=None, threads=1):
        """Fits the models to X (N, n) and y (N,) or (N, m). bounds: one
        (lower, upper) or level list per variable fixing the model's
        coordinates (default: the range of X). Returns self. A sample too small
        for the model, or a fit that fails, raises ZelkorError."""
        X = np.atleast_2d(np.asarray(X, dtype=float))
        y = np.asarray(y, dtype=float)
        values = y.reshape(-1, 1) if y.ndim == 1 else y
        if values.ndim != 2 or values.shape[0] != X.shape[0]:
            raise ValueError("y must hold one value (or one row) per row of X: X has %d rows, "
                             "y has shape %s" % (X.shape[0], y.shape))
        if bounds is None:
            bounds = np.column_stack([X.min(axis=0), X.max(axis=0)])
        self.bounds = _bound_lists(bounds)
        self.responses = values.shape[1]
        self._single = y.ndim == 1
        settings = [self.model_type, self.option] * self.responses
        base = self._temporary_base()
        with _LOCK:
            self.quality = _zelkor.fit_surrogates(X, values, self.bounds, settings, int(threads),
                                                  base)
        self._file = base
        return self

    @property
    def r2(self):
        """R^2 at the sample points, one per response."""
        return self._fitted().quality[:, 0]

    @property
    def q2(self):
        """Q^2, the leave-one-out coefficient, one per response (NaN where the
        model type computes none)."""
        return self._fitted().quality[:, 2]

    def predict(self, X):
        """Predictions at X (N, n): shape (N,) for a model fitted to a 1-D y,
        else (N, m)."""
        self._fitted()
        X = np.atleast_2d(np.asarray(X, dtype=float))
        with _LOCK:
            values = _zelkor.predict_model_file(self._file, X, self.bounds,
                                                list(range(self.responses)))
        return values[:, 0] if self._single else values

    def save(self, path):
        """Copies the model file to path (the library's binary format, read by
        its model-file services; ".rsm" is the usual extension)."""
        shutil.copyfile(self._fitted()._file + _EXTENSION, path)

    @classmethod
    def load(cls, path, bounds, responses=1):
        """A Surrogate that predicts with the model file at path; bounds must
        be those the models were fitted with. The file's model types are its
        own; quality is not stored in the file and stays None."""
        surrogate = cls()
        surrogate.bounds = _bound_lists(bounds)
        surrogate.responses = int(responses)
        surrogate._single = responses == 1
        surrogate.model_type = None
        surrogate._file = surrogate._temporary_base()
        shutil.copyfile(path, surrogate._file + _EXTENSION)
        return surrogate

    def validate(self, X, y):
        """Per response: R^2, RMS error and largest absolute error of the
        predictions against observed y at X (an (m, 3) array)."""
        self._fitted()
        X = np.atleast_2d(np.asarray(X, dtype=float))
        observed = np.asarray(y, dtype=float).reshape(X.shape[0], -1)
        with _LOCK:
            return _zelkor.validate_model_file(self._file, X, observed, self.bounds,
                                               list(range(self.responses)))

    def _temporary_base(self):
        """The model file's path without its extension, which the library adds."""
        if self._folder is None:
            self._folder = tempfile.TemporaryDirectory(prefix="zelkor-")
        return os.path.join(self._folder.name, "model")

    def _fitted(self):
        if self._file is None:
            raise ValueError("the surrogate is not fitted yet: call fit(X, y) or load")
        return self


_SEARCHES = {"ga": 2, "direct": 0}
_DESIGNS = {"full_factorial": 0, "central_composite": 1, "latin_hypercube": 2,
            "parameter_study": 3, "orthogonal_array": 4, "fractional_factorial": 9}


def surrogate_study(fun, x0, bounds, constraints=None, design="latin_hypercube",
                    design_options=(0, 0, 20), models="kriging", search="ga",
                    search_evaluations=0, threads=1, model_file=None, executor=None,
                    batch_size=None, disp=0):
    """A whole surrogate study by the library: samples the box with a design
    of experiments, evaluates every sample (mapped over executor as
    zelkor.minimize does), fits one surrogate per response, searches the
    optimum on the surrogates and evaluates it once to verify it.

    fun, constraints, x0, bounds, executor, batch_size: as for
    zelkor.minimize. design: one of full_factorial, central_composite,
    latin_hypercube, parameter_study, orthogonal_array, fractional_factorial;
    design_options: the design's three settings (snap to levels, the type's
    option, its size), as for the design functions. models: a kind for every
    response, or a list of (kind, option) per response. search: "ga" or
    "direct", with search_evaluations its budget (0: its default). The
    Latin hypercube is seeded with 0, so a study repeats exactly.
    model_file: keeps the models (path without ".rsm").

    Returns an OptimizeResult with x, fun, constraints, success, status,
    message, nfev and the history of the sampled designs.
    """
    if design not in _DESIGNS or search not in _SEARCHES:
        raise ValueError("design must be one of %s and search one of %s"
                         % (", ".join(_DESIGNS), ", ".join(_SEARCHES)))
    x0, bounds = checked_start(x0, bounds)
    responses = Responses(fun, () if constraints is None else
                          (constraints,) if callable(constraints) else constraints)
    probe = responses(x0)
    evaluator = BatchEvaluator(responses, mapper_of(executor), x0, probe)
    per_response = models if isinstance(models, (list, tuple)) else [(models, None)] * probe.size
    settings = []
    for kind, option in per_response:
        settings += [_model_type(kind), -1 if option is None else int(option)]
    design_settings = [_DESIGNS[design]] + [int(v) for v in design_options]
    search_settings = [_SEARCHES[search], int(search_evaluations), int(threads), 1]
    with _LOCK:
        run = _zelkor.surrogate_study(evaluator, x0.tolist(), bounds.tolist(), probe.size,
                                      design_settings, settings, search_settings,
                                      model_file or "", batch_size or 0, int(disp))
    history_x, history_f = evaluator.history(x0.size)
    f = run["f"]
    return OptimizeResult(x=run["x"], fun=float(f[0]), constraints=f[1:].copy(),
                          success=run["feasible"], status=run["status"],
                          message=status_message(run["status"], run["message"]),
                          nfev=evaluator.calls, history_x=history_x, history_f=history_f)
