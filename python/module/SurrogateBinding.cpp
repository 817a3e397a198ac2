// The surrogate services over NumPy arrays: fitting models to a sample
// (zelkorFitSurrogates), predicting and validating with a model file
// (evaluate_approxvals_, evaluate_validate_RSMall) and the whole surrogate study
// with batched evaluation (runRSMOPTBatch). The GIL is released while the
// library fits or predicts.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "Bindings.h"
#include "FlatBounds.h"
#include "PythonBatch.h"
#include "zelkor.h"

namespace py = pybind11;

namespace zelkorpy {

namespace {

using Matrix = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Rows = std::vector<std::vector<double>>;

// Checks that array is 2-D with `columns` columns (any when negative) and
// returns its row count.
int rowsOf(const Matrix& array, const char* name, py::ssize_t columns)
{
    if (array.ndim() != 2 || (columns >= 0 && array.shape(1) != columns)) {
        throw py::value_error(std::string(name) + " must be a 2-D array" +
                              (columns >= 0 ? " of " + std::to_string(columns) + " columns" : ""));
    }
    return static_cast<int>(array.shape(0));
}

py::array_t<double> fitSurrogates(const Matrix& points, const Matrix& values, const Rows& bounds,
                                  std::optional<std::vector<int>> modelSettings, int threadCount,
                                  const std::string& modelFile)
{
    const int n = static_cast<int>(bounds.size());
    const int count = rowsOf(points, "points", n);
    const int m = rowsOf(values, "values", -1);
    if (m != count) {
        throw py::value_error("values holds " + std::to_string(m) + " rows for " +
                              std::to_string(count) + " points");
    }
    const int responses = static_cast<int>(values.shape(1));
    if (modelSettings && modelSettings->size() != static_cast<std::size_t>(2 * responses)) {
        throw py::value_error("model settings hold " + std::to_string(modelSettings->size()) +
                              " ints for " + std::to_string(responses) + " responses (2 each)");
    }
    const FlatBounds flat = flatten(bounds);
    py::array_t<double> quality({responses, 4});
    double* out = quality.mutable_data();
    int fitted = 0;
    {
        py::gil_scoped_release release;
        fitted = zelkorFitSurrogates(n, count, points.data(), responses, values.data(),
                                     flat.values.data(), flat.lengths.data(),
                                     modelSettings ? modelSettings->data() : nullptr, threadCount,
                                     modelFile.c_str(), out);
    }
    if (fitted != 1) {
        raiseOnLastStatus("fit");
    }
    return quality;
}

py::array_t<double> predictFromFile(const std::string& modelFile, const Matrix& points,
                                    const Rows& bounds, const std::vector<int>& ids)
{
    const int n = static_cast<int>(bounds.size());
    const int count = rowsOf(points, "points", n);
    const FlatBounds flat = flatten(bounds);
    py::array_t<double> values({count, static_cast<int>(ids.size())});
    double* out = values.mutable_data();
    unsigned char served = 0;
    {
        py::gil_scoped_release release;
        evaluate_approxvals_(modelFile.c_str(), n, count, points.data(), flat.values.data(),
                             flat.lengths.data(), static_cast<int>(ids.size()), ids.data(), out,
                             &served);
    }
    if (served != 1) {
        raiseOnLastStatus("predict");
    }
    return values;
}

py::array_t<double> validateFile(const std::string& modelFile, const Matrix& points,
                                 const Matrix& observed, const Rows& bounds,
                                 const std::vector<int>& ids)
{
    const int n = static_cast<int>(bounds.size());
    const int count = rowsOf(points, "points", n);
    if (rowsOf(observed, "observed", static_cast<py::ssize_t>(ids.size())) != count) {
        throw py::value_error("observed must hold one row per point");
    }
    const FlatBounds flat = flatten(bounds);
    py::array_t<double> measures({static_cast<int>(ids.size()), 3});
    double* out = measures.mutable_data();
    unsigned char served = 0;
    {
        py::gil_scoped_release release;
        evaluate_validate_RSMall(modelFile.c_str(), n, count, points.data(), observed.data(),
                                 flat.values.data(), flat.lengths.data(),
                                 static_cast<int>(ids.size()), ids.data(), out, &served);
    }
    if (served != 1) {
        raiseOnLastStatus("validate");
    }
    return measures;
}

void evaluateStudyBatch(int count, const double* designs, double* responses, void* user)
{
    evaluateInPython(*static_cast<BatchContext*>(user), count, designs, responses);
}

py::dict surrogateStudy(py::object evaluateBatch, std::vector<double> x, const Rows& bounds,
                        int m, const std::array<int, 4>& designSettings,
                        std::optional<std::vector<int>> modelSettings,
                        std::optional<std::array<int, 4>> searchSettings,
                        const std::string& modelFile, int batchLimit, int reportLevel)
{
    if (m < 1) {
        throw py::value_error("the study needs at least one response, not " + std::to_string(m));
    }
    if (modelSettings && modelSettings->size() != static_cast<std::size_t>(2 * m)) {
        throw py::value_error("model settings hold " + std::to_string(modelSettings->size()) +
                              " ints for " + std::to_string(m) + " responses (2 each)");
    }
    if (x.size() != bounds.size()) {
        throw py::value_error("x0 holds " + std::to_string(x.size()) + " values for " +
                              std::to_string(bounds.size()) + " variables");
    }
    const FlatBounds flat = flatten(bounds);
    BatchContext context{std::move(evaluateBatch), static_cast<int>(x.size()), m, std::nullopt};
    std::vector<double> f(static_cast<std::size_t>(m), 0.0);
    int feasible = 0;
    {
        py::gil_scoped_release release;
        feasible = runRSMOPTBatch(evaluateStudyBatch, &context, batchLimit,
                                  static_cast<int>(x.size()), m, x.data(), f.data(),
                                  flat.values.data(), flat.lengths.data(), designSettings.data(),
                                  modelSettings ? modelSettings->data() : nullptr,
                                  searchSettings ? searchSettings->data() : nullptr,
                                  modelFile.c_str(), reportLevel);
    }
    raisePendingError(context);
    const int status = zelkorLastStatus();
    if (status != ZELKOR_STATUS_OK && status != ZELKOR_STATUS_INFEASIBLE) {
        raiseOnLastStatus("surrogate study");
    }
    py::dict run;
    run["feasible"] = feasible == 1;
    run["status"] = status;
    run["message"] = std::string(zelkorLastMessage());
    run["x"] = py::array_t<double>(static_cast<py::ssize_t>(x.size()), x.data());
    run["f"] = py::array_t<double>(static_cast<py::ssize_t>(f.size()), f.data());
    return run;
}

} // namespace

void bindSurrogates(py::module_& module)
{
    module.def("fit_surrogates", &fitSurrogates, py::arg("points"), py::arg("values"),
               py::arg("bounds"), py::arg("model_settings"), py::arg("thread_count"),
               py::arg("model_file"),
               R"doc(Fits one model per column of values and returns their quality.

points (N, n) in caller units within bounds; values (N, m); model_settings:
2 m ints (type, option) or None for kriging; model_file: path without
".rsm", empty for none. Returns an (m, 4) array: R^2, adjusted R^2, Q^2,
adjusted Q^2 (NaN where the model computes none). Use zelkor.Surrogate.)doc");
    module.def("predict_model_file", &predictFromFile, py::arg("model_file"), py::arg("points"),
               py::arg("bounds"), py::arg("response_ids"),
               "Predictions (N, len(response_ids)) of a model file's models at points (N, n).");
    module.def("validate_model_file", &validateFile, py::arg("model_file"), py::arg("points"),
               py::arg("observed"), py::arg("bounds"), py::arg("response_ids"),
               "Per response id: R^2, RMS error and largest absolute error against observed.");
    module.def("surrogate_study", &surrogateStudy, py::arg("evaluate_batch"), py::arg("x0"),
               py::arg("bounds"), py::arg("m"), py::arg("design_settings"),
               py::arg("model_settings"), py::arg("search_settings"), py::arg("model_file"),
               py::arg("batch_limit"), py::arg("report_level"),
               R"doc(One run of the library's batched surrogate study (runRSMOPTBatch).

Returns a dict: feasible, status, message, x, f. Use zelkor.surrogate_study.)doc");
}

} // namespace zelkorpy
