"""The nine distributions and the sample statistics against known values."""

import math

import numpy as np
import pytest

import zelkor

# (distribution, mean, standard deviation) from the families' closed forms.
MOMENTS = [
    (zelkor.Normal(10.0, 2.0), 10.0, 2.0),
    (zelkor.LogNormal(3.0, 1.0), 3.0, 1.0),
    (zelkor.Exponential(0.5, shift=1.0), 3.0, 2.0),
    (zelkor.Uniform(2.0, 8.0), 5.0, 6.0 / math.sqrt(12.0)),
    (zelkor.Rayleigh(2.0), 2.0 * math.sqrt(math.pi / 2.0), 2.0 * math.sqrt(2.0 - math.pi / 2.0)),
    (zelkor.Gamma(4.0, 0.5), 2.0, 1.0),
    (zelkor.Weibull(1.0, 3.0), 3.0, 3.0),
    (zelkor.Beta(2.0, 2.0, 0.0, 4.0), 2.0, 4.0 * math.sqrt(1.0 / 20.0)),
    (zelkor.Triangular(1.0, 0.0, 2.0), 1.0, math.sqrt(1.0 / 6.0)),
]


@pytest.mark.parametrize("distribution,mean,sd", MOMENTS)
def test_moments_and_quantiles_invert_the_distribution_function(distribution, mean, sd):
    assert distribution.mean() == pytest.approx(mean, rel=1e-9)
    assert distribution.std() == pytest.approx(sd, rel=1e-9)
    p = np.array([[0.1, 0.5], [0.9, 0.99]])
    np.testing.assert_allclose(distribution.cdf(distribution.ppf(p)), p, rtol=1e-9)


def test_density_integrates_to_one_in_the_variables_units():
    beta = zelkor.Beta(2.0, 3.0, 0.0, 4.0)
    x = np.linspace(0.0, 4.0, 4001)
    assert np.trapz(beta.pdf(x), x) == pytest.approx(1.0, abs=1e-6)


def test_bad_parameters_raise():
    with pytest.raises(zelkor.ZelkorError, match="Scale parameter"):
        zelkor.Normal(0.0, -1.0).pdf(0.0)
    with pytest.raises(ValueError, match="outside"):
        zelkor.Normal(0.0, 1.0).ppf(1.5)


def test_sample_statistics_recovers_a_normal_sample():
    samples = np.random.default_rng(0).normal(5.0, 1.0, 2000)
    statistics = zelkor.sample_statistics(samples)
    assert statistics["mean"] == pytest.approx(samples.mean())
    assert statistics["std"] == pytest.approx(samples.std(ddof=1))
    assert statistics["best_family"] == "normal"
