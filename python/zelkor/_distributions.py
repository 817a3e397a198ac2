"""The library's nine probability distributions over NumPy arrays, and the
statistics of samples.

Each distribution is the library's input row (type code and the family's
values); pdf, cdf and ppf take any array and return one of its shape. The
density is in the variable's units. Parameters the family refuses raise
ZelkorError with the library's message (Boost.Math's) when a function is
evaluated; an unknown type code or a probability outside [0, 1] ValueError.
"""

import numpy as np

from . import _zelkor

_PDF, _CDF, _QUANTILE, _MEAN, _SD, _SKEWNESS, _EXCESS_KURTOSIS = range(7)


class Distribution:
    """A distribution of the library given by its six-value input row."""

    def __init__(self, row):
        self.row = [float(value) for value in row]

    def _values(self, quantity, values):
        return _zelkor.distribution_values(quantity, self.row, np.asarray(values, dtype=float))

    def _moment(self, quantity):
        return float(self._values(quantity, np.zeros(1))[0])

    def pdf(self, x):
        """The density at x."""
        return self._values(_PDF, x)

    def cdf(self, x):
        """The distribution function at x."""
        return self._values(_CDF, x)

    def ppf(self, p):
        """The quantile at probabilities p in [0, 1] (the inverse of cdf)."""
        return self._values(_QUANTILE, p)

    def mean(self):
        """The mean."""
        return self._moment(_MEAN)

    def std(self):
        """The standard deviation."""
        return self._moment(_SD)

    def skewness(self):
        """The skewness."""
        return self._moment(_SKEWNESS)

    def excess_kurtosis(self):
        """The excess kurtosis (0 for a normal)."""
        return self._moment(_EXCESS_KURTOSIS)

    def __repr__(self):
        return "%s(row=%r)" % (type(self).__name__, self.row)


class Normal(Distribution):
    """Normal with mean and standard deviation sd."""

    def __init__(self, mean, sd):
        super().__init__([0, mean, sd, 0, 0, 0])


class LogNormal(Distribution):
    """Lognormal given by the mean and standard deviation of X itself."""

    def __init__(self, mean, sd):
        super().__init__([1, mean, sd, 0, 0, 0])


class Exponential(Distribution):
    """Exponential of rate lam, shifted by shift."""

    def __init__(self, lam, shift=0.0):
        super().__init__([2, lam, 0, shift, 0, 0])


class Uniform(Distribution):
    """Uniform on [lower, upper]."""

    def __init__(self, lower, upper):
        super().__init__([3, 0, 0, 0, lower, upper])


class Rayleigh(Distribution):
    """Rayleigh of scale sigma, shifted by shift."""

    def __init__(self, sigma, shift=0.0):
        super().__init__([4, sigma, 0, shift, 0, 0])


class Gamma(Distribution):
    """Gamma of shape and scale, shifted by shift."""

    def __init__(self, shape, scale, shift=0.0):
        super().__init__([5, shape, scale, shift, 0, 0])


class Weibull(Distribution):
    """Weibull of shape and scale, shifted by shift."""

    def __init__(self, shape, scale, shift=0.0):
        super().__init__([6, shape, scale, shift, 0, 0])


class Beta(Distribution):
    """Beta of alpha and beta on [lower, upper]."""

    def __init__(self, alpha, beta, lower=0.0, upper=1.0):
        super().__init__([7, alpha, beta, 0, lower, upper])


class Triangular(Distribution):
    """Triangle on [lower, upper] with its peak at mode."""

    def __init__(self, mode, lower, upper):
        super().__init__([8, mode, 0, 0, lower, upper])


_FAMILIES = ("normal", "lognormal", "exponential", "uniform", "rayleigh", "gamma", "weibull",
             "beta", "triangle")


def sample_statistics(samples):
    """Statistics and family fits of samples: a 1-D array (one quantity) or a
    2-D array with one quantity per row (at least 4 samples each, not
    constant). Returns a dict: quantiles (1 % ... 99 %), mean, std, skewness,
    excess_kurtosis, ks_distances (one per family, in the library's type-code
    order), best_family (its name), statistics (the library's full rows, one
    per quantity) and correlations (of every pair i < j in row order)."""
    samples = np.asarray(samples, dtype=float)
    single = samples.ndim == 1
    statistics, correlations = _zelkor.sample_statistics(np.atleast_2d(samples))
    result = {
        "quantiles": statistics[:, :99], "mean": statistics[:, 99], "std": statistics[:, 100],
        "skewness": statistics[:, 101], "excess_kurtosis": statistics[:, 102],
        "ks_distances": statistics[:, 126:135],
        "best_family": [_FAMILIES[int(code)] for code in statistics[:, 135]],
        "statistics": statistics, "correlations": correlations,
    }
    if single:
        result = {key: (value[0] if key not in ("correlations",) else value)
                  for key, value in result.items()}
    return result
