"""zelkor: the Zelkor design-optimisation library from Python.

An addition of this project over the library's C and C++ interface: the
package calls only the public header (zelkor.h) and changes nothing the
engines do. It offers

  minimize            the optimisers (SQP, DIRECT, GA, micro-GA, hybrid GA, SAO)
                      with SciPy-like results; batches of designs may be mapped
                      over any concurrent.futures.Executor or a Dask client
  full_factorial, central_composite, latin_hypercube, parameter_study,
  orthogonal_array    designs of experiments
  Surrogate           one surrogate model per response: fit, predict, quality,
                      save and load of the library's model file
  surrogate_study     sample, fit, search on the surrogates, verify
  Normal, LogNormal, Exponential, Uniform, Rayleigh, Gamma, Weibull, Beta,
  Triangular          the library's probability distributions
  sample_statistics   statistics and family fits of samples

Errors raise Python exceptions carrying the library's messages: ValueError
for rejected input, ZelkorError (a RuntimeError) for failures of the library,
including the surrogate layer's fatal errors, which would otherwise end the
process.
"""

from . import _zelkor
from ._zelkor import ZelkorError
from ._options import describe as options_of
from ._optimize import minimize
from ._results import OptimizeResult
from ._designs import (central_composite, full_factorial, latin_hypercube, orthogonal_array,
                       parameter_study)
from ._surrogates import Surrogate, surrogate_study
from ._distributions import (Beta, Exponential, Gamma, LogNormal, Normal, Rayleigh, Triangular,
                             Uniform, Weibull, sample_statistics)

__version__ = _zelkor.version()

STATUS_OK = _zelkor.STATUS_OK
STATUS_INFEASIBLE = _zelkor.STATUS_INFEASIBLE
STATUS_INVALID_INPUT = _zelkor.STATUS_INVALID_INPUT
STATUS_ENGINE_ERROR = _zelkor.STATUS_ENGINE_ERROR
STATUS_HOST_EXCEPTION = _zelkor.STATUS_HOST_EXCEPTION
STATUS_BUDGET_REACHED = _zelkor.STATUS_BUDGET_REACHED

__all__ = [
    "minimize", "OptimizeResult", "ZelkorError", "options_of",
    "full_factorial", "central_composite", "latin_hypercube", "parameter_study",
    "orthogonal_array", "Surrogate", "surrogate_study",
    "Normal", "LogNormal", "Exponential", "Uniform", "Rayleigh", "Gamma", "Weibull", "Beta",
    "Triangular", "sample_statistics",
]
