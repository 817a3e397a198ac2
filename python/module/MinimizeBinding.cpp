// minimize_batched: one run of ZelkorBatchVector, the batched general entry
// point, whose batches go to a Python callable. The Python layer decides how a
// batch is evaluated (in turn, or mapped over an executor); this file only moves
// the designs and responses between NumPy and the library, with the GIL
// released while the engine steps and taken again for each batch.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "Bindings.h"
#include "PythonBatch.h"
#include "zelkor.h"

namespace py = pybind11;

namespace zelkorpy {

namespace {

using Rows = std::vector<std::vector<double>>;

constexpr std::size_t kUserInts = 10;
constexpr std::size_t kUserReals = 6;
constexpr int kUnset = -999;

// The vector form of the batch callback, over the flat one the Python side takes.
void evaluateRowsInPython(const Rows* designs, Rows* responses, void* user)
{
    auto& context = *static_cast<BatchContext*>(user);
    const int count = static_cast<int>(designs->size());
    std::vector<double> flatDesigns;
    for (const std::vector<double>& design : *designs) {
        flatDesigns.insert(flatDesigns.end(), design.begin(), design.end());
    }
    std::vector<double> flatResponses(static_cast<std::size_t>(count) * context.m);
    evaluateInPython(context, count, flatDesigns.data(), flatResponses.data());
    for (int k = 0; k < count; ++k) {
        const auto row = flatResponses.begin() + static_cast<std::ptrdiff_t>(k) * context.m;
        std::copy(row, row + context.m, (*responses)[static_cast<std::size_t>(k)].begin());
    }
}

py::dict minimizeBatched(int method, py::object evaluateBatch, std::vector<double> x,
                         const Rows& bounds, int m, std::vector<int> ints,
                         std::vector<double> reals, int batchLimit, int reportLevel, int seed)
{
    if (m < 1) {
        throw py::value_error("the problem needs at least one response, not " + std::to_string(m));
    }
    // The entry point reads at most ints[8] and reals[5]; shorter lists take
    // the defaults there.
    ints.resize(std::max<std::size_t>(ints.size(), kUserInts), kUnset);
    reals.resize(std::max<std::size_t>(reals.size(), kUserReals), kUnset);
    BatchContext context{std::move(evaluateBatch), static_cast<int>(x.size()), m, std::nullopt};
    std::vector<double> f(static_cast<std::size_t>(m), 0.0);
    ZelkorBatchCounts counts{};
    int feasible = 0;
    int status = 0;
    std::string message;
    {
        py::gil_scoped_release release;
        // The seed belongs to this thread, which runs the whole study.
        if (zelkorSetSeed(seed) != 1) {
            throw py::value_error(zelkorLastMessage());
        }
        feasible = ZelkorBatchVector(method, reportLevel, evaluateRowsInPython, &context,
                                     batchLimit, &x, &bounds, &f, ints.data(), reals.data(),
                                     nullptr, &counts);
        // The run's status before resetting the seed, which records a status of its own.
        status = zelkorLastStatus();
        message = zelkorLastMessage();
        zelkorSetSeed(0);
    }
    raisePendingError(context);
    py::dict run;
    run["feasible"] = feasible == 1;
    run["status"] = status;
    run["message"] = message;
    run["x"] = py::array_t<double>(static_cast<py::ssize_t>(x.size()), x.data());
    run["f"] = py::array_t<double>(static_cast<py::ssize_t>(f.size()), f.data());
    run["batches"] = counts.batches;
    run["designs"] = counts.designs;
    run["largest_batch"] = counts.largestBatch;
    return run;
}

} // namespace

void bindMinimize(py::module_& module)
{
    module.def("minimize_batched", &minimizeBatched, py::arg("method"), py::arg("evaluate_batch"),
               py::arg("x0"), py::arg("bounds"), py::arg("m"), py::arg("ints"), py::arg("reals"),
               py::arg("batch_limit"), py::arg("report_level"), py::arg("seed") = 0,
               R"doc(One run of the library's batched general entry point.

method: 0 DIRECT, 1 SQP, 2 GA, 3 micro-GA, 4 hybrid GA, 5 SAO. evaluate_batch
receives a (count, n) array of designs and returns a (count, m) array of
responses (objective first, then constraints g <= 0); bounds holds one list per
variable, [lower, upper] or [lower, level..., upper] for a discrete one; seed
is the genetic methods' generator seed (0 or more). ints and reals are the
entry point's user parameters by position (-999 for a default); ints must hold
at least 9 values and reals at least 6. Returns a dict: feasible, status,
message (the library's last status and message), x, f, batches, designs,
largest_batch. A Python exception raised by evaluate_batch ends the run and is
raised again here. Use zelkor.minimize, which names every option.)doc");
    module.attr("STATUS_OK") = static_cast<int>(ZELKOR_STATUS_OK);
    module.attr("STATUS_INFEASIBLE") = static_cast<int>(ZELKOR_STATUS_INFEASIBLE);
    module.attr("STATUS_INVALID_INPUT") = static_cast<int>(ZELKOR_STATUS_INVALID_INPUT);
    module.attr("STATUS_ENGINE_ERROR") = static_cast<int>(ZELKOR_STATUS_ENGINE_ERROR);
    module.attr("STATUS_HOST_EXCEPTION") = static_cast<int>(ZELKOR_STATUS_HOST_EXCEPTION);
    module.attr("STATUS_BUDGET_REACHED") = static_cast<int>(ZELKOR_STATUS_BUDGET_REACHED);
}

} // namespace zelkorpy
