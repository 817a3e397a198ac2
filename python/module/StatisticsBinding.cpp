// The statistics services over NumPy arrays: a distribution's functions
// (evaluate_distribution) and the statistics and family fits of samples
// (evaluate_distribute_model). The GIL is released while the library computes.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <string>

#include "Bindings.h"
#include "zelkor.h"

namespace py = pybind11;

namespace zelkorpy {

namespace {

using Vector = py::array_t<double, py::array::c_style | py::array::forcecast>;

py::array_t<double> distributionValues(int quantity, const std::array<double, 6>& row,
                                       const Vector& values)
{
    const py::ssize_t count = values.size();
    py::array_t<double> results(count);
    const double* in = values.data();
    double* out = results.mutable_data();
    int served = 0;
    {
        py::gil_scoped_release release;
        served = evaluate_distribution(quantity, row.data(), static_cast<int>(count), in, out,
                                       nullptr);
    }
    if (served < 0) {
        raiseOnLastStatus("distribution");
    }
    return results.reshape(std::vector<py::ssize_t>(values.shape(), values.shape() + values.ndim()));
}

py::tuple sampleStatistics(const Vector& samples)
{
    if (samples.ndim() != 2) {
        throw py::value_error("samples must be a 2-D array, one row per quantity");
    }
    const int quantities = static_cast<int>(samples.shape(0));
    const int count = static_cast<int>(samples.shape(1));
    py::array_t<double> statistics({quantities, ZELKOR_STATISTICS_LENGTH});
    py::array_t<double> correlations(quantities * (quantities - 1) / 2);
    const double* in = samples.data();
    double* stats = statistics.mutable_data();
    double* pairs = correlations.mutable_data();
    int done = 0;
    {
        py::gil_scoped_release release;
        done = evaluate_distribute_model(in, quantities, count, stats, pairs, nullptr);
    }
    if (done != 1) {
        raiseOnLastStatus("sample_statistics");
    }
    return py::make_tuple(statistics, correlations);
}

} // namespace

void bindStatistics(py::module_& module)
{
    module.def("distribution_values", &distributionValues, py::arg("quantity"), py::arg("row"),
               py::arg("values"),
               R"doc(A distribution's function over an array of values.

quantity: 0 density, 1 distribution function, 2 quantile, 3 mean, 4 standard
deviation, 5 skewness, 6 excess kurtosis; row: the library's six-double input
row (type code, then the family's values). Use the classes of
zelkor.distributions.)doc");
    module.def("sample_statistics", &sampleStatistics, py::arg("samples"),
               R"doc((statistics, correlations) of the rows of samples.

statistics: one row of the library's 136 statistics per quantity (quantiles,
moments, fitted families, distances, best family); correlations: the Pearson
correlation of every pair i < j in row order.)doc");
    module.attr("STATISTICS_LENGTH") = ZELKOR_STATISTICS_LENGTH;
}

} // namespace zelkorpy
