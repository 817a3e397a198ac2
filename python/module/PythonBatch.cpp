#include "PythonBatch.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace py = pybind11;

namespace zelkorpy {

namespace {

using Matrix = py::array_t<double, py::array::c_style | py::array::forcecast>;

void copyResponses(const Matrix& values, int count, int m, double* responses)
{
    if (values.ndim() != 2 || values.shape(0) != count || values.shape(1) != m) {
        throw py::value_error("the batch evaluation must return an array of shape (" +
                              std::to_string(count) + ", " + std::to_string(m) + ")");
    }
    std::copy(values.data(), values.data() + static_cast<std::size_t>(count) * m, responses);
}

} // namespace

void evaluateInPython(BatchContext& context, int count, const double* designs, double* responses)
{
    py::gil_scoped_acquire gil;
    try {
        py::array_t<double> array({count, context.n});
        std::copy(designs, designs + static_cast<std::size_t>(count) * context.n,
                  array.mutable_data());
        copyResponses(Matrix::ensure(context.evaluateBatch(array)), count, context.m, responses);
    } catch (py::error_already_set& error) {
        context.error.emplace(error);
        throw std::runtime_error("the Python evaluation raised " +
                                 std::string(error.what()));
    } catch (const py::builtin_exception& error) {
        error.set_error();
        context.error.emplace();
        throw std::runtime_error(error.what());
    }
}

void raisePendingError(BatchContext& context)
{
    if (context.error) {
        py::error_already_set error = *context.error;
        context.error.reset();
        throw error;
    }
}

} // namespace zelkorpy
