#!/usr/bin/env python3
"""Peers of bench/RsmBench.cpp: SciPy's RBFInterpolator (each basis, with the
polynomial tail SciPy adds by default) and scikit-learn's SVR on the sample and
hold-out points the C++ bench wrote, in surrogate coordinates [-1, 1].

Usage: rsm_peers.py LABEL FILE [gp | gp-units]; with "gp" (bench/KrigingBench.cpp) it fits
scikit-learn's GaussianProcessRegressor instead: a constant times an
anisotropic RBF kernel, normalize_y, the default optimizer and start
("gp-units" only names the row for the sample written in the test function's
own units). The file holds a header line
"N n M svrEpsilon svrBoxC", N sample rows and M hold-out rows, each the
coordinates followed by the value. Prints rows in the bench's table format.
"""
import sys
import time

import numpy as np
from scipy.interpolate import RBFInterpolator
from sklearn.svm import SVR

# Our bases with their SciPy names and the shape parameter that makes SciPy's
# kernel ours (Gaussian exp(-(eps r)^2) = exp(-r^2/2); multiquadric -sqrt(1 + r^2)
# is ours up to the sign).
BASES = [
    ("linear", "linear", 1.0),
    ("cubic", "cubic", 1.0),
    ("thin-plate", "thin_plate_spline", 1.0),
    ("Gaussian", "gaussian", 1.0 / np.sqrt(2.0)),
    ("multiquadric", "multiquadric", 1.0),
    ("inv-multiquadric", "inverse_multiquadric", 1.0),
]


def r_squared(values, predictions):
    spread = np.sum((values - values.mean()) ** 2)
    if abs(spread) < 2.2e-16:
        return 1.0
    return 1.0 - np.sum((values - predictions) ** 2) / spread


def row(label, count, model, seconds, r2):
    print(f"{label:<10} {count:5d}  {model:<26} {1e3 * seconds:10.2f} {'':>10} {r2:10.4f}")


def timed(fit):
    start = time.perf_counter()
    model = fit()
    return model, time.perf_counter() - start


def gaussian_process(label, count, x, y, hx, hy, name):
    from sklearn.gaussian_process import GaussianProcessRegressor
    from sklearn.gaussian_process.kernels import RBF, ConstantKernel
    import warnings

    warnings.filterwarnings("ignore")  # the convergence warnings of the default start

    kernel = ConstantKernel(1.0) * RBF(length_scale=np.ones(x.shape[1]))
    model, seconds = timed(lambda: GaussianProcessRegressor(kernel=kernel, normalize_y=True).fit(x, y))
    row(label, count, name, seconds, r_squared(hy, model.predict(hx)))
    sys.stdout.flush()


def main():
    label, path = sys.argv[1], sys.argv[2]
    with open(path) as file:
        header = file.readline().split()
        count, dimension, hold = int(header[0]), int(header[1]), int(header[2])
        epsilon, box = float(header[3]), float(header[4])
        data = np.loadtxt(file)
    x, y = data[:count, :dimension], data[:count, dimension]
    hx, hy = data[count:count + hold, :dimension], data[count:count + hold, dimension]
    if len(sys.argv) > 3 and sys.argv[3] in ("gp", "gp-units"):
        name = "sklearn GP const*RBF aniso" if sys.argv[3] == "gp" else "  same, function units"
        gaussian_process(label, count, x, y, hx, hy, name)
        return
    for name, kernel, shape in BASES:
        model, seconds = timed(lambda: RBFInterpolator(x, y, kernel=kernel, epsilon=shape))
        row(label, count, f"SciPy RBF {name}", seconds, r_squared(hy, model(hx)))
    model, seconds = timed(lambda: SVR(kernel="rbf", gamma=0.5, C=box, epsilon=epsilon).fit(x, y))
    row(label, count, "sklearn SVR, our settings", seconds, r_squared(hy, model.predict(hx)))
    scale = y.std() if y.std() > 0 else 1.0
    model, seconds = timed(lambda: SVR().fit(x, (y - y.mean()) / scale))
    row(label, count, "sklearn SVR defaults (std)", seconds,
        r_squared(hy, model.predict(hx) * scale + y.mean()))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
